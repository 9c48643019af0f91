#include "controls/dib_layout.h"

#include <cmath>
#include <limits>

namespace {

constexpr std::int64_t kMaxBytes = std::numeric_limits<std::uint32_t>::max();

std::int64_t RowDataBytes(std::int64_t width, int bitDepth) {
    switch (bitDepth) {
        case 8:
            return width;
        case 16:
            return 2 * width;
        case 24:
            return 3 * width;
        case 32:
            return 4 * width;
        default:
            return -1;
    }
}

std::int32_t Wrap(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

int TruncateToInt(float value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0f)
        return std::numeric_limits<int>::max();
    if (value <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

int DibRowPadding(int width, int bitDepth) {
    std::int64_t bytes = RowDataBytes(width, bitDepth);
    if (bytes <= 0)
        return 0;
    return static_cast<int>((4 - bytes % 4) % 4);
}

std::optional<std::uint32_t> GreyImageBytes(int width, int height) {
    if (width <= 0 || height <= 0)
        return std::nullopt;
    std::int64_t row = static_cast<std::int64_t>(width) + DibRowPadding(width, 8);
    if (row > kMaxBytes / height)
        return std::nullopt;
    return static_cast<std::uint32_t>(row * height);
}

std::optional<std::uint32_t> Rgb24ImageBytes(int width, int height) {
    if (width <= 0 || height <= 0)
        return std::nullopt;
    std::int64_t row = (static_cast<std::int64_t>(width) * 3 + 3) & ~std::int64_t{3};
    if (row > kMaxBytes / height)
        return std::nullopt;
    return static_cast<std::uint32_t>(row * height);
}

CLayerSize ScaledLayerSize(int clientWidth, int clientHeight, int zoomDivisor, int bitmapWidth,
                           int bitmapHeight) {
    if (zoomDivisor <= 0 || bitmapHeight == 0)
        return {};
    const int h = clientHeight / zoomDivisor;
    const int w = clientWidth / zoomDivisor;
    const int fittedWidth = TruncateToInt(static_cast<float>(bitmapWidth) *
                                          (static_cast<float>(h) / static_cast<float>(bitmapHeight)));
    if (bitmapWidth == 0 || fittedWidth <= w)
        return {fittedWidth, h};
    // Too wide for the height: fitted to the width instead.
    return {w, TruncateToInt(static_cast<float>(bitmapHeight) *
                             (static_cast<float>(w) / static_cast<float>(bitmapWidth)))};
}

int WindowAdjustStep(int bitDepth) {
    switch (bitDepth) {
        case 12:
            return 1;
        case 14:
            return 5;
        case 15:
            return 10;
        default:
            return 5;
    }
}

CWindowValues AdjustWindow(CWindowValues values, int bitDepth, bool shift, int lastX, int lastY, int x,
                           int y) {
    std::int64_t step = static_cast<std::int64_t>(shift ? 3 : 1) * WindowAdjustStep(bitDepth);
    std::int64_t dy = static_cast<std::int64_t>(lastY) - y;
    std::int64_t dx = static_cast<std::int64_t>(x) - lastX;
    values.nWidth = Wrap(values.nWidth + step * dy);
    values.nLevel = Wrap(values.nLevel + step * dx);
    return values;
}
