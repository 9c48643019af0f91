#pragma once
// Row layout of device-independent bitmaps and the geometry rules of the layered bitmap control: row
// padding, image sizes, the size of a scaled layer and the window width/level step of a right-button drag.
// Pure: no platform calls.
#include <cstdint>
#include <optional>

// Bytes added to each stored row of `width` pixels at `bitDepth` bits per pixel so that the row ends on a
// 4-byte boundary. Depths other than 8, 16, 24 and 32 get 0, as does a width that is not positive.
int DibRowPadding(int width, int bitDepth);

// Bytes of an 8-bit image stored with padded rows: height x (width + padding). None when a side is not
// positive or the size does not fit in 32 bits.
std::optional<std::uint32_t> GreyImageBytes(int width, int height);

// Bytes of a 24-bit image stored with padded rows: ((width x 3 + 3) without its two low bits) x height.
// None when a side is not positive or the size does not fit in 32 bits.
std::optional<std::uint32_t> Rgb24ImageBytes(int width, int height);

// A float to int the way a truncating cast does, but saturated at the int range, and 0 for NaN: a cast of
// a float outside the range is undefined. The scaled sizes of pictures go through it.
int TruncateToInt(float value);

struct CLayerSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const CLayerSize&) const = default;
};

// The size a scaled layer is drawn at, the whole bitmap fitted inside the client area divided by the zoom
// divisor (integer division), aspect kept, the factor a single-precision float and the other side
// truncated: clientHeight / zoomDivisor high when it fits that way (every picture at least as tall as the
// area's shape), else clientWidth / zoomDivisor wide, so that a wide picture is never cut at the sides. A
// bitmap without height or a divisor that is not positive gives an empty size.
CLayerSize ScaledLayerSize(int clientWidth, int clientHeight, int zoomDivisor, int bitmapWidth,
                           int bitmapHeight);

// Window width and level change per pixel of a right-button drag, by the detector's bit depth.
int WindowAdjustStep(int bitDepth);

struct CWindowValues {
    std::int32_t nWidth = 0;
    std::int32_t nLevel = 0;
    bool operator==(const CWindowValues&) const = default;
};

// The window values after the mouse moved from (lastX, lastY) to (x, y) with the right button held: moving
// up widens the window, moving right raises the level, three times as fast with Shift. No limits apply; a
// value that passes the 32-bit range wraps around as the platform's integers do.
CWindowValues AdjustWindow(CWindowValues values, int bitDepth, bool shift, int lastX, int lastY, int x,
                           int y);
