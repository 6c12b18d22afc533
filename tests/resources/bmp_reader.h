// Reads the embedded BMP files back for the tests: header fields and pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tavolu::resources::test {

struct Pixel {
    int r, g, b;
    bool operator==(const Pixel&) const = default;
};

struct Bmp {
    std::int32_t width = 0, height = 0;  // height as stored: > 0 means bottom-up
    int bitsPerPixel = 0;
    std::uint32_t compression = 0;
    std::vector<Pixel> pixels;  // rows top to bottom

    Pixel at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    int rows() const { return height < 0 ? -height : height; }
};

// nullopt when the bytes are not a complete 24-bit BMP.
std::optional<Bmp> readBmp(std::span<const std::uint8_t> file);

// The skin's bitmap `id` decoded; fails the calling test if it is missing.
Bmp loadSkinBitmap(int id);

constexpr Pixel kColourKey{0, 255, 255};

// Mean of r + g + b over a rectangle, a rough brightness.
double brightness(const Bmp& b, int x0, int y0, int x1, int y1);

}  // namespace tavolu::resources::test
