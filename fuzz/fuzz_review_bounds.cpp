// The review picture's bounds check: from the console's width and height and the size of the mapped view,
// which picture may be read. Checks that an approved read never goes past the view (a real read of a view
// that size, under AddressSanitizer), that nothing is refused that fits, and that the fit of the layer does
// no undefined arithmetic for any sizes.
#include <cstdlib>
#include <cstring>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "link/records.h"
#include "review/review_fit.h"

namespace {

// Views up to this size are really mapped (allocated) and read; larger ones are only checked by arithmetic.
constexpr std::uint64_t kLargestRealView = 1u << 20;

std::uint64_t U64At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | bytes[offset + i];
    return v;
}

}  // namespace

// Input: the 20-byte review record (width, height, bit depth, window width, window level), the view size as
// 8 bytes, then four ints for the layer bitmap and the client area. Missing bytes read as zero.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t bytes[44] = {};
    std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
    const std::span<const std::uint8_t> all(bytes);
    const std::optional<wire::ReviewImage> image = wire::ReviewImage::Decode(all.first(20));
    FUZZ_CHECK(image.has_value());
    const int width = image->width;
    const int height = image->height;
    // Small views are the interesting ones: the low byte alone chooses a size below 256 half of the time.
    std::uint64_t available = U64At(all, 20);
    if (available & 1)
        available = (available >> 1) & 0xFF;
    else
        available >>= 1;

    const std::optional<std::uint32_t> pictureBytes = ReviewPictureBytes(width, height);
    const bool bFits = ReviewPictureFits(width, height, available);
    const bool bPositive = width > 0 && height > 0;
    const std::uint64_t product = bPositive ? std::uint64_t(width) * std::uint64_t(height) : 0;

    const bool bWithinLimit =
        bPositive && width <= kMaxReviewSide && height <= kMaxReviewSide && product <= kMaxReviewPixels;
    FUZZ_CHECK(pictureBytes.has_value() == bWithinLimit);
    if (pictureBytes)
        FUZZ_CHECK(*pictureBytes == product);
    // Approved exactly when the picture is within the limit and lies wholly inside the view.
    FUZZ_CHECK(bFits == (pictureBytes && product <= available));

    if (bFits && available <= kLargestRealView) {
        // Read the picture's first and last byte from a view of exactly the available size.
        auto* view = static_cast<volatile std::uint8_t*>(std::malloc(available ? available : 1));
        FUZZ_CHECK(view != nullptr);
        view[0] = 1;
        view[*pictureBytes - 1] = 2;
        std::free(const_cast<std::uint8_t*>(view));
    }

    const CReviewFit fit = FitReviewPicture(I32At(all, 28), I32At(all, 32), I32At(all, 36), I32At(all, 40));
    // A layer bitmap without sides is not scaled and sits at the centre of the client area.
    if (I32At(all, 28) == 0 && I32At(all, 32) == 0) {
        FUZZ_CHECK(fit.fScale == 0.0f);
        FUZZ_CHECK(fit.x == I32At(all, 36) / 2 && fit.y == I32At(all, 40) / 2);
    }
    return 0;
}
