#include "picture.h"

#include <algorithm>
#include <cmath>

namespace consim {

// ---- PGM ------------------------------------------------------------------------------------------------

namespace {

// Reads one header number, skipping blanks and comments ('#' to the end of the line) before it.
bool HeaderNumber(std::span<const std::uint8_t> file, std::size_t& at, long& value) {
    while (at < file.size()) {
        const std::uint8_t c = file[at];
        if (c == '#') {
            while (at < file.size() && file[at] != '\n' && file[at] != '\r')
                ++at;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
            ++at;
        } else {
            break;
        }
    }
    if (at >= file.size() || file[at] < '0' || file[at] > '9')
        return false;
    value = 0;
    while (at < file.size() && file[at] >= '0' && file[at] <= '9') {
        value = value * 10 + (file[at++] - '0');
        if (value > 1000000)
            return false;
    }
    return true;
}

}  // namespace

bool ParsePgm(std::span<const std::uint8_t> file, GreyPicture& picture, std::string& error) {
    if (file.size() < 2 || file[0] != 'P' || file[1] != '5') {
        error = "not a binary PGM (it must start with P5)";
        return false;
    }
    std::size_t at = 2;
    long width = 0, height = 0, maxValue = 0;
    if (!HeaderNumber(file, at, width) || !HeaderNumber(file, at, height) ||
        !HeaderNumber(file, at, maxValue)) {
        error = "the PGM header (width, height, maximum value) is incomplete";
        return false;
    }
    if (width < 1 || height < 1 || width > 16384 || height > 16384) {
        error = "the PGM is " + std::to_string(width) + " x " + std::to_string(height) +
                "; width and height must be 1..16384";
        return false;
    }
    if (maxValue < 1 || maxValue > 255) {
        error = "the PGM's maximum value is " + std::to_string(maxValue) +
                "; only 8-bit pictures (1..255) are read";
        return false;
    }
    // Exactly one blank separates the header from the pixels.
    if (at >= file.size() || !(file[at] == ' ' || file[at] == '\t' || file[at] == '\n' || file[at] == '\r')) {
        error = "the PGM header does not end in a blank";
        return false;
    }
    ++at;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (file.size() - at < count) {
        error = "the PGM holds " + std::to_string(file.size() - at) + " pixel bytes; " +
                std::to_string(width) + " x " + std::to_string(height) + " needs " + std::to_string(count);
        return false;
    }
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels.assign(file.begin() + static_cast<std::ptrdiff_t>(at),
                          file.begin() + static_cast<std::ptrdiff_t>(at + count));
    if (maxValue != 255)
        for (std::uint8_t& p : picture.pixels)
            p = static_cast<std::uint8_t>(std::min<long>(255, (p * 255L + maxValue / 2) / maxValue));
    return true;
}

std::vector<std::uint8_t> EncodePgm(const GreyPicture& picture) {
    const std::string header =
        "P5\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
    std::vector<std::uint8_t> file(header.begin(), header.end());
    file.insert(file.end(), picture.pixels.begin(), picture.pixels.end());
    return file;
}

// ---- The generated radiograph ---------------------------------------------------------------------------

namespace {

double Smooth(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// 1 inside the ellipse, 0 outside, with a soft rim of `soft` (in units of the radii).
double Ellipse(double u, double v, double cu, double cv, double ru, double rv, double soft) {
    const double d = std::sqrt((u - cu) * (u - cu) / (ru * ru) + (v - cv) * (v - cv) / (rv * rv));
    return 1 - Smooth(1 - soft, 1 + soft, d);
}

// A deterministic hash of a pixel position, in [-1, 1].
double Noise(int x, int y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFF) / 32767.5 - 1;
}

// Half the body's width at height v (fractions of the picture): neck, shoulders, chest.
double BodyHalfWidth(double v) {
    if (v < 0.06)
        return 0.09;
    if (v < 0.20)
        return 0.09 + (0.45 - 0.09) * Smooth(0.06, 0.20, v);
    return 0.45 - 0.04 * (v - 0.20);
}

// The side marker "R": a 5 x 7 letter.
constexpr const char* kLetterR[7] = {"1111.", "1...1", "1...1", "1111.", "1.1..", "1..1.", "1...1"};

}  // namespace

GreyPicture GenerateTestPicture(int width, int height) {
    GreyPicture picture;
    picture.width = std::max(1, width);
    picture.height = std::max(1, height);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    const double w = picture.width, h = picture.height;
    const double margin = 0.025;  // collimated edge: the detector got no dose there
    const int letterCell = std::max(2, static_cast<int>(std::min(w, h) / 110));
    const int letterX = static_cast<int>(w * (margin + 0.03)),
              letterY = static_cast<int>(h * (margin + 0.025));

    for (int y = 0; y < picture.height; ++y) {
        const double v = (y + 0.5) / h;
        for (int x = 0; x < picture.width; ++x) {
            const double u = (x + 0.5) / w;
            const double dx = std::abs(u - 0.5);

            // Direct exposure outside the body is dark; tissue brightens with its thickness.
            const double half = BodyHalfWidth(v);
            const double body = 1 - Smooth(half - 0.015, half + 0.004, dx);
            const double thickness = std::sqrt(std::max(0.0, 1 - (dx / half) * (dx / half)));
            double value = 14 + body * (92 + 50 * thickness);

            // Lungs: narrow apices under the clavicles, widening down to the domes of the diaphragm; the
            // heart takes a bite out of the left lung (picture right).
            double lung = 0;
            for (int side = -1; side <= 1; side += 2) {
                const double s = side * (u - 0.5);  // distance from the midline towards this lung's side
                const double grow = std::sqrt(std::clamp((v - 0.155) / 0.33, 0.0, 1.0));
                const double lateral = 0.07 + 0.325 * grow;
                const double medial = 0.055 + 0.01 * grow;
                const double dome = (side < 0 ? 0.695 : 0.715) - 0.09 * std::pow((s - 0.21) / 0.2, 2);
                const double inside = Smooth(medial, medial + 0.02, s) *
                                      (1 - Smooth(lateral - 0.02, lateral, s)) * Smooth(0.15, 0.18, v) *
                                      (1 - Smooth(dome - 0.012, dome, v));
                lung = std::max(lung, inside);
            }
            const double heart = Ellipse(u, v, 0.55, 0.6, 0.15, 0.11, 0.12) * Smooth(0.46, 0.52, v) *
                                 (1 - Smooth(0.68, 0.71, v));
            lung *= body * (1 - 0.85 * heart);
            value -= 80 * lung;

            // Vessels fan out from the hila into the lungs.
            for (int side = -1; side <= 1; side += 2) {
                const double hu = 0.5 + side * 0.09, hv = 0.43;
                const double r = std::hypot(u - hu, (v - hv) * 0.8);
                const double angle = std::atan2(v - hv, u - hu);
                const double streak = std::pow(0.5 + 0.5 * std::sin(angle * 46 + 3 * std::sin(r * 40)), 6);
                value += lung * (26 * std::exp(-r / 0.07) + 12 * streak * std::exp(-r / 0.2));
            }

            // Mediastinum and heart: brighter than the lungs around them.
            const double mediastinum =
                (1 - Smooth(0.045, 0.075, dx)) * Smooth(0.08, 0.2, v) * (1 - Smooth(0.75, 0.82, v));
            value += 30 * std::max(mediastinum, heart) * body;
            // Below the diaphragm: the abdomen, with a gas bubble in the stomach.
            value += 18 * Smooth(0.70, 0.78, v) * body;
            value -= 38 * Ellipse(u, v, 0.655, 0.775, 0.05, 0.03, 0.3) * body;

            // Spine: faint through the mediastinum, with brighter vertebral end plates.
            const double spine = (1 - Smooth(0.022, 0.034, dx)) * Smooth(0.02, 0.1, v);
            const double plates = std::pow(std::abs(std::cos(v * 3.14159 / 0.046)), 16);
            value += spine * (10 + 8 * plates);

            // Ribs: the posterior arcs rise from the spine and fall again at the chest wall; the fainter
            // anterior ends slope down towards the midline.
            if (dx > 0.03 && dx < half) {
                const double d = dx - 0.03;
                const double wall = 1 - Smooth(0.36, 0.43, dx);
                for (int k = 0; k < 10; ++k) {
                    const double thick = 0.008 + 0.003 * k / 9.0;
                    const double posterior = (v - (0.175 + 0.056 * k - 0.45 * d + 1.1 * d * d)) / thick;
                    const double anterior = (v - (0.25 + 0.056 * k + 0.22 * (0.4 - d))) / (thick * 1.3);
                    if (std::abs(posterior) < 1.4) {
                        const double cortex =
                            std::exp(-(std::abs(posterior) - 1.1) * (std::abs(posterior) - 1.1) * 6);
                        value += body * wall * (0.45 + 0.55 * lung) *
                                 (18 + 12 * std::exp(-posterior * posterior) + 10 * cortex);
                    }
                    if (k < 6 && d > 0.1 && std::abs(anterior) < 1.5)
                        value +=
                            body * wall * lung * 9 * std::exp(-anterior * anterior) * Smooth(0.1, 0.2, d);
                }
            }

            // Clavicles: two slanting bright bars.
            for (int side = -1; side <= 1; side += 2) {
                const double s = side * (u - 0.5);
                if (s > 0.03 && s < 0.33) {
                    const double centre = 0.17 - 0.14 * (s - 0.03) + 0.25 * (s - 0.2) * (s - 0.2);
                    const double t = (v - centre) / 0.011;
                    value += 40 * std::exp(-t * t) * body * Smooth(0.03, 0.06, s);
                }
            }

            // Heel effect across the field, a little mottle, and quantum noise.
            value *= 1.04 - 0.08 * v;
            value += 3 * std::sin(u * 37) * std::sin(v * 29) + 4 * Noise(x, y);

            // Collimation: no dose reached the detector at the edges, so they show white.
            const double edge = std::min({u, v, 1 - u, 1 - v});
            value = value + (232 - value) * (1 - Smooth(margin - 0.002, margin + 0.002, edge));

            picture.pixels[static_cast<std::size_t>(y) * picture.width + x] =
                static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
        }
    }

    // The lead side marker burns in bright.
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col) {
            if (kLetterR[row][col] != '1')
                continue;
            for (int py = 0; py < letterCell; ++py)
                for (int px = 0; px < letterCell; ++px) {
                    const int x = letterX + col * letterCell + px, y = letterY + row * letterCell + py;
                    if (x < picture.width && y < picture.height)
                        picture.pixels[static_cast<std::size_t>(y) * picture.width + x] = 248;
                }
        }
    return picture;
}

// ---- BMP ------------------------------------------------------------------------------------------------

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(int width, int height, std::span<const std::uint8_t> bottomUpRows) {
    const std::size_t imageBytes = Bmp24RowBytes(width) * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> out;
    out.reserve(54 + imageBytes);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<std::uint32_t>(54 + imageBytes));
    Put32(out, 0);
    Put32(out, 54);
    // BITMAPINFOHEADER: positive height = bottom row first
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(imageBytes));
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    const std::size_t copied = std::min(imageBytes, bottomUpRows.size());
    out.insert(out.end(), bottomUpRows.begin(), bottomUpRows.begin() + static_cast<std::ptrdiff_t>(copied));
    out.resize(54 + imageBytes, 0);
    return out;
}

}  // namespace consim
