#include "review/review_fit.h"

#include "controls/dib_layout.h"

#include <cstdlib>

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

CReviewFit FitReviewPicture(int width, int height, int bitmapWidth, int bitmapHeight, int clientWidth,
                            int clientHeight) {
    std::int64_t dx = std::llabs(static_cast<std::int64_t>(width) - clientWidth);
    std::int64_t dy = std::llabs(static_cast<std::int64_t>(height) - clientHeight);
    CReviewFit fit;
    if (dx > dy) {
        if (bitmapWidth != 0)
            fit.fScale = static_cast<float>(clientWidth) / static_cast<float>(bitmapWidth);
    } else {
        if (bitmapHeight != 0)
            fit.fScale = static_cast<float>(clientHeight) / static_cast<float>(bitmapHeight);
    }
    fit.x = HalfOfDifference(clientWidth, TruncateToInt(fit.fScale * static_cast<float>(bitmapWidth)));
    fit.y = HalfOfDifference(clientHeight, TruncateToInt(fit.fScale * static_cast<float>(bitmapHeight)));
    return fit;
}
