#pragma once
// Pictures of the console simulator, without the platform: the 8-bit grey review picture (read from a
// binary PGM or generated as a radiograph-like test image) and the 24-bit BMP files of its screenshots.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace consim {

// 8-bit grey, rows top row first, each row exactly width bytes: the layout of the shared mapping.
struct GreyPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// A binary PGM (P5) with a maximum value of 255 or less; smaller maxima are stretched to 0..255.
// On failure returns false with the reason in error.
bool ParsePgm(std::span<const std::uint8_t> file, GreyPicture& picture, std::string& error);
std::vector<std::uint8_t> EncodePgm(const GreyPicture& picture);

// A chest radiograph drawn from shapes: collimated field, soft tissue, lungs, heart, spine, ribs,
// clavicles, a side marker and a little noise. The same size always gives the same picture.
GreyPicture GenerateTestPicture(int width, int height);

// A 24-bit BMP file from rows of blue-green-red pixels stored bottom row first, each row padded to four
// bytes: the layout a 24-bit bottom-up DIB section already has.
std::vector<std::uint8_t> EncodeBmp24(int width, int height, std::span<const std::uint8_t> bottomUpRows);
// The padded row size of a 24-bit DIB.
inline std::size_t Bmp24RowBytes(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

}  // namespace consim
