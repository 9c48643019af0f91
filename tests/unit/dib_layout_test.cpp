// Row layout decides where every pixel of the review picture lands in its bitmap, and the scaled size and
// window steps decide what the operator sees and reads in the caption.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>

#include "controls/dib_layout.h"

TEST(DibLayout, RowPaddingReachesTheNextFourByteBoundaryForEachDepth) {
    EXPECT_EQ(DibRowPadding(1021, 8), 3);
    EXPECT_EQ(DibRowPadding(1024, 8), 0);
    EXPECT_EQ(DibRowPadding(1, 8), 3);
    EXPECT_EQ(DibRowPadding(2, 8), 2);
    EXPECT_EQ(DibRowPadding(3, 8), 1);
    EXPECT_EQ(DibRowPadding(1, 16), 2);
    EXPECT_EQ(DibRowPadding(2, 16), 0);
    EXPECT_EQ(DibRowPadding(1, 24), 1);
    EXPECT_EQ(DibRowPadding(5, 24), 1);
    EXPECT_EQ(DibRowPadding(1021, 24), 1);  // 3063 bytes
    EXPECT_EQ(DibRowPadding(7, 32), 0);
    // Depths the system never stores get none, and so do empty rows.
    EXPECT_EQ(DibRowPadding(5, 1), 0);
    EXPECT_EQ(DibRowPadding(5, 4), 0);
    EXPECT_EQ(DibRowPadding(5, 0), 0);
    EXPECT_EQ(DibRowPadding(0, 8), 0);
    EXPECT_EQ(DibRowPadding(-3, 8), 0);
    // The widest rows do not overflow on the way.
    EXPECT_EQ(DibRowPadding(INT_MAX, 32), 0);
    EXPECT_EQ(DibRowPadding(INT_MAX, 24), 3);  // 3 * (2^31 - 1) = 6442450941, remainder 1
}

TEST(DibLayout, ImageSizesCountPaddedRowsAndRefuseWhatDoesNotFit) {
    EXPECT_EQ(GreyImageBytes(1021, 2), std::optional<std::uint32_t>(2 * 1024));
    EXPECT_EQ(GreyImageBytes(4288, 4288), std::optional<std::uint32_t>(4288u * 4288u));
    EXPECT_EQ(Rgb24ImageBytes(1021, 2), std::optional<std::uint32_t>(2 * 3064));
    EXPECT_EQ(Rgb24ImageBytes(1, 1), std::optional<std::uint32_t>(4));
    EXPECT_FALSE(GreyImageBytes(0, 10));
    EXPECT_FALSE(GreyImageBytes(10, -1));
    EXPECT_FALSE(Rgb24ImageBytes(-5, 10));
    // 65536 x 65536 is exactly 2^32: one more than 32 bits hold.
    EXPECT_FALSE(GreyImageBytes(65536, 65536));
    EXPECT_EQ(GreyImageBytes(65536, 65535), std::optional<std::uint32_t>(65536u * 65535u));
    EXPECT_FALSE(Rgb24ImageBytes(40000, 40000));
    EXPECT_FALSE(GreyImageBytes(INT_MAX, INT_MAX));
}

TEST(DibLayout, ScaledLayerIsFittedWholeInsideTheClientArea) {
    // Fitted to the height while that keeps it inside the width (portrait and near-square pictures).
    EXPECT_EQ(ScaledLayerSize(986, 717, 1, 1000, 800), (CLayerSize{896, 717}));
    EXPECT_EQ(ScaledLayerSize(986, 717, 1, 986, 717), (CLayerSize{986, 717}));
    EXPECT_EQ(ScaledLayerSize(986, 717, 1, 800, 1024), (CLayerSize{560, 717}));
    EXPECT_EQ(ScaledLayerSize(900, 300, 1, 100, 50), (CLayerSize{600, 300}));  // enlarged too
    // Too wide for the height: fitted to the width, never drawn past the sides.
    EXPECT_EQ(ScaledLayerSize(500, 400, 1, 2000, 1000), (CLayerSize{500, 250}));
    EXPECT_EQ(ScaledLayerSize(986, 717, 1, 1000, 700), (CLayerSize{986, 690}));
    // The zoom divisor divides both sides first, truncating.
    EXPECT_EQ(ScaledLayerSize(1000, 401, 2, 2000, 1000), (CLayerSize{400, 200}));
    EXPECT_EQ(ScaledLayerSize(301, 401, 2, 2000, 1000), (CLayerSize{150, 75}));
    // Nothing to scale from: an empty size instead of a division by zero.
    EXPECT_EQ(ScaledLayerSize(986, 400, 1, 2000, 0), (CLayerSize{}));
    EXPECT_EQ(ScaledLayerSize(986, 400, 0, 2000, 1000), (CLayerSize{}));
    // Extreme strips: a column 10^8 high is less than a pixel wide; a row 10^8 wide fits the width with no
    // row left (fitted to the height it would be 7 x 10^10 wide).
    EXPECT_EQ(ScaledLayerSize(INT_MAX, 700, 1, 1, 100000000), (CLayerSize{0, 700}));
    EXPECT_EQ(ScaledLayerSize(986, 700, 1, 100000000, 1), (CLayerSize{986, 0}));
}

TEST(DibLayout, TruncateToIntCutsTowardZeroAndSaturatesOutsideTheIntRange) {
    EXPECT_EQ(TruncateToInt(2.99f), 2);
    EXPECT_EQ(TruncateToInt(-2.99f), -2);
    EXPECT_EQ(TruncateToInt(0.0f), 0);
    EXPECT_EQ(TruncateToInt(16777216.0f), 16777216);
    EXPECT_EQ(TruncateToInt(3e9f), INT_MAX);
    EXPECT_EQ(TruncateToInt(-3e9f), INT_MIN);
    EXPECT_EQ(TruncateToInt(std::numeric_limits<float>::infinity()), INT_MAX);
    EXPECT_EQ(TruncateToInt(-std::numeric_limits<float>::infinity()), INT_MIN);
    EXPECT_EQ(TruncateToInt(std::numeric_limits<float>::quiet_NaN()), 0);
    // 2^31 is the first float past INT_MAX; the float just below it is still in range.
    EXPECT_EQ(TruncateToInt(2147483648.0f), INT_MAX);
    EXPECT_EQ(TruncateToInt(2147483520.0f), 2147483520);
    EXPECT_EQ(TruncateToInt(-2147483648.0f), INT_MIN);
}

TEST(DibLayout, WindowAdjustStepsByBitDepthAndThreefoldWithShift) {
    EXPECT_EQ(WindowAdjustStep(12), 1);
    EXPECT_EQ(WindowAdjustStep(14), 5);
    EXPECT_EQ(WindowAdjustStep(15), 10);
    EXPECT_EQ(WindowAdjustStep(16), 5);
    EXPECT_EQ(WindowAdjustStep(8), 5);
    EXPECT_EQ(WindowAdjustStep(0), 5);

    const CWindowValues start{16383, 8192};
    // Ten pixels up widens, ten pixels right raises the level.
    EXPECT_EQ(AdjustWindow(start, 14, false, 100, 100, 100, 90), (CWindowValues{16433, 8192}));
    EXPECT_EQ(AdjustWindow(start, 14, false, 100, 100, 110, 100), (CWindowValues{16383, 8242}));
    EXPECT_EQ(AdjustWindow(start, 14, true, 100, 100, 110, 90), (CWindowValues{16533, 8342}));
    EXPECT_EQ(AdjustWindow(start, 12, false, 100, 100, 110, 90), (CWindowValues{16393, 8202}));
    EXPECT_EQ(AdjustWindow(start, 12, true, 100, 100, 110, 90), (CWindowValues{16413, 8222}));
    EXPECT_EQ(AdjustWindow(start, 15, false, 100, 100, 110, 90), (CWindowValues{16483, 8292}));
    EXPECT_EQ(AdjustWindow(start, 15, true, 100, 100, 110, 90), (CWindowValues{16683, 8492}));
    EXPECT_EQ(AdjustWindow(start, 16, true, 100, 100, 110, 90), (CWindowValues{16533, 8342}));
    // Down and left lower both, without limits: the width goes negative.
    EXPECT_EQ(AdjustWindow(start, 14, false, 100, 100, 90, 4000), (CWindowValues{16383 - 19500, 8142}));
    // Far past the 32-bit range the values wrap as the platform's integers do, without undefined behaviour.
    CWindowValues wrapped = AdjustWindow({INT_MAX, INT_MIN}, 15, true, 0, 0, -1, -1);
    EXPECT_EQ(wrapped.nWidth, INT_MIN + 29);
    EXPECT_EQ(wrapped.nLevel, INT_MAX - 29);
}
