// Where the review picture lands in its control, and which console sizes are never read.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "review/review_fit.h"

TEST(ReviewFit, ThePictureIsFittedWholeAndCentred) {
    // A portrait or near-square picture: fitted by height, centred across.
    CReviewFit fit = FitReviewPicture(1000, 800, 986, 717);
    EXPECT_FLOAT_EQ(fit.fScale, 717.0f / 800.0f);
    EXPECT_EQ(fit.x, 45);
    EXPECT_EQ(fit.y, 0);

    // A picture exactly the size of the control: scale 1, origin (0, 0).
    fit = FitReviewPicture(986, 717, 986, 717);
    EXPECT_EQ(fit.fScale, 1.0f);
    EXPECT_EQ(fit.x, 0);
    EXPECT_EQ(fit.y, 0);

    // A landscape picture: fitted by width and centred vertically, so no column is outside the control.
    fit = FitReviewPicture(2000, 1000, 500, 400);
    EXPECT_FLOAT_EQ(fit.fScale, 0.25f);
    EXPECT_EQ(fit.x, 0);
    EXPECT_EQ(fit.y, 75);
    // Only a little wider than the control's shape: the height fit would overhang, so the width decides.
    fit = FitReviewPicture(1000, 700, 986, 717);
    EXPECT_FLOAT_EQ(fit.fScale, 986.0f / 1000.0f);
    EXPECT_EQ(fit.x, 0);
    EXPECT_EQ(fit.y, (717 - 690) / 2);
    // A small portrait picture is enlarged to the height, not pushed off the top by a width fit.
    fit = FitReviewPicture(100, 200, 986, 717);
    EXPECT_FLOAT_EQ(fit.fScale, 717.0f / 200.0f);
    EXPECT_EQ(fit.x, (986 - 358) / 2);
    EXPECT_EQ(fit.y, 0);
}

TEST(ReviewFit, OriginTruncatesTowardZero) {
    // Scaled width 2 * 1000 / 3 = 666.67 truncates to 666; (1001 - 666) / 2 = 167.5 truncates to 167.
    CReviewFit fit = FitReviewPicture(1000, 300, 1001, 200);
    EXPECT_FLOAT_EQ(fit.fScale, 200.0f / 300.0f);
    EXPECT_EQ(fit.x, 167);
    EXPECT_EQ(fit.y, 0);
}

TEST(ReviewFit, ABitmapWithoutASideGivesNoScaleInsteadOfDividingByZero) {
    CReviewFit fit = FitReviewPicture(0, 0, 986, 717);
    EXPECT_EQ(fit.fScale, 0.0f);
    EXPECT_EQ(fit.x, 493);
    EXPECT_EQ(fit.y, 358);
    // An extreme strip saturates instead of overflowing the cast.
    fit = FitReviewPicture(1, INT_MAX, 986, 717);
    EXPECT_GE(fit.x, 0);
}

TEST(ReviewPictureBounds, OnlyPositiveSizesWithinTheLimitThatTheViewHoldsAreRead) {
    EXPECT_EQ(ReviewPictureBytes(1000, 800), std::optional<std::uint32_t>(800000));
    EXPECT_EQ(ReviewPictureBytes(4288, 4288), std::optional<std::uint32_t>(4288u * 4288u));
    EXPECT_FALSE(ReviewPictureBytes(0, 800));
    EXPECT_FALSE(ReviewPictureBytes(1000, 0));
    EXPECT_FALSE(ReviewPictureBytes(-1000, 800));
    EXPECT_FALSE(ReviewPictureBytes(1000, -800));
    EXPECT_FALSE(ReviewPictureBytes(-1000, -800));   // a positive product from two negatives
    EXPECT_FALSE(ReviewPictureBytes(65536, 65536));  // 2^32 wraps to 0 in 32 bits
    EXPECT_FALSE(ReviewPictureBytes(INT_MAX, INT_MAX));
    // The limit: 8192 x 8192 pixels, neither side over 16384.
    EXPECT_EQ(ReviewPictureBytes(8192, 8192), std::optional<std::uint32_t>(8192u * 8192u));
    EXPECT_FALSE(ReviewPictureBytes(8192, 8193));
    EXPECT_EQ(ReviewPictureBytes(16384, 4096), std::optional<std::uint32_t>(16384u * 4096u));
    EXPECT_FALSE(ReviewPictureBytes(16385, 1));
    EXPECT_FALSE(ReviewPictureBytes(1, 16385));
    EXPECT_FALSE(ReviewPictureBytes(65535, 65537));  // 0xFFFFFFFF bytes: within 32 bits, far over the limit

    EXPECT_TRUE(ReviewPictureFits(1000, 800, 800000));
    EXPECT_TRUE(ReviewPictureFits(1000, 800, 802816));  // the view is rounded up to whole pages
    EXPECT_FALSE(ReviewPictureFits(1000, 800, 799999));
    EXPECT_FALSE(ReviewPictureFits(1000, 800, 0));
    EXPECT_FALSE(ReviewPictureFits(0, 800, 1u << 30));
    EXPECT_FALSE(ReviewPictureFits(65536, 65536, 1ull << 40));
}
