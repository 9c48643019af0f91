#pragma once
// How the review dialog places the console's picture: the bytes it may read from the shared mapping, and
// the fit and centring of the picture's layer in the picture control. Pure: no platform calls.
#include <cstdint>
#include <optional>

// The largest picture the review shows: 64 Mi pixels (8192 x 8192), neither side over 16384. The console
// waits in its send while the panel copies the picture, converts it to 24 bits and builds its layer (about
// 5 bytes a pixel held at once, 320 MiB at the limit), so a larger one could hold the console for seconds
// or not fit the 32-bit program's address space; refusing it costs nothing on either architecture.
// Flat-panel detectors give under 20 million pixels.
inline constexpr int kMaxReviewSide = 16384;
inline constexpr std::uint32_t kMaxReviewPixels = 8192u * 8192u;

// Bytes of a width x height picture at one byte per pixel. None when a side is not positive or the picture
// is over the limit above: such a picture is never read.
std::optional<std::uint32_t> ReviewPictureBytes(int width, int height);

// True when `available` bytes (the size of the mapped view) hold the whole width x height picture.
bool ReviewPictureFits(int width, int height, std::uint64_t available);

struct CReviewFit {
    float fScale = 0.0f;
    int x = 0;  // the layer's origin in the control's client pixels; negative for a picture larger than it
    int y = 0;
};

// Fits the picture's layer bitmap, bitmapWidth x bitmapHeight, into a client area of clientWidth x
// clientHeight the way the picture control draws a scaled layer: whole, aspect kept, fitted to the height
// unless that would make it wider than the area, then to the width. The origin centres it, the halving
// truncated toward zero; the scale is the factor of the side that was fitted. A bitmap without height
// gives scale 0 and the origin at the centre.
CReviewFit FitReviewPicture(int bitmapWidth, int bitmapHeight, int clientWidth, int clientHeight);
