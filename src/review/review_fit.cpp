#include "review/review_fit.h"

#include "controls/dib_layout.h"

namespace {

int HalfOfDifference(int client, int scaled) {
    return static_cast<int>((static_cast<std::int64_t>(client) - scaled) / 2);
}

}  // namespace

std::optional<std::uint32_t> ReviewPictureBytes(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxReviewSide || height > kMaxReviewSide)
        return std::nullopt;
    std::uint64_t bytes = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (bytes > kMaxReviewPixels)
        return std::nullopt;
    return static_cast<std::uint32_t>(bytes);
}

bool ReviewPictureFits(int width, int height, std::uint64_t available) {
    std::optional<std::uint32_t> bytes = ReviewPictureBytes(width, height);
    return bytes && *bytes <= available;
}

CReviewFit FitReviewPicture(int bitmapWidth, int bitmapHeight, int clientWidth, int clientHeight) {
    const CLayerSize size = ScaledLayerSize(clientWidth, clientHeight, 1, bitmapWidth, bitmapHeight);
    CReviewFit fit;
    if (bitmapHeight != 0) {
        fit.fScale = size.cy == clientHeight || bitmapWidth == 0
                         ? static_cast<float>(clientHeight) / static_cast<float>(bitmapHeight)
                         : static_cast<float>(clientWidth) / static_cast<float>(bitmapWidth);
    }
    fit.x = HalfOfDifference(clientWidth, size.cx);
    fit.y = HalfOfDifference(clientHeight, size.cy);
    return fit;
}
