#pragma once
// How the review dialog places the console's picture: the bytes it may read from the shared mapping, and
// the fit and centring of the picture's layer in the picture control. Pure: no platform calls.
#include <cstdint>
#include <optional>

// Bytes of a width x height picture at one byte per pixel. None when a side is not positive or the product
// does not fit in 32 bits: such a picture is never read.
std::optional<std::uint32_t> ReviewPictureBytes(int width, int height);

// True when `available` bytes (the size of the mapped view) hold the whole width x height picture.
bool ReviewPictureFits(int width, int height, std::uint64_t available);

struct CReviewFit {
    float fScale = 0.0f;
    int x = 0;  // the layer's origin in the control's client pixels; negative for a picture larger than it
    int y = 0;
};

// Fits a picture of width x height (as the console gave it), whose layer bitmap is bitmapWidth x
// bitmapHeight, into a client area of clientWidth x clientHeight. The side whose size differs more from the
// client's decides the scale (width when strictly greater, height otherwise); the origin centres the scaled
// bitmap, each scaled side truncated and the halving truncated toward zero. A bitmap without a side gives
// scale 0 and the origin at the centre.
CReviewFit FitReviewPicture(int width, int height, int bitmapWidth, int bitmapHeight, int clientWidth,
                            int clientHeight);
