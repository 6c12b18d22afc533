#include "bmp_reader.h"

#include <gtest/gtest.h>

#include "resources/resources.h"

namespace tavolu::resources::test {

namespace {

std::uint32_t le(std::span<const std::uint8_t> f, size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | f[at + static_cast<size_t>(i)];
    return v;
}

}  // namespace

std::optional<Bmp> readBmp(std::span<const std::uint8_t> f) {
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return std::nullopt;
    if (le(f, 2, 4) != f.size() || le(f, 14, 4) != 40) return std::nullopt;
    Bmp b;
    b.width = static_cast<std::int32_t>(le(f, 18, 4));
    b.height = static_cast<std::int32_t>(le(f, 22, 4));
    b.bitsPerPixel = static_cast<int>(le(f, 28, 2));
    b.compression = le(f, 30, 4);
    if (b.bitsPerPixel != 24 || b.width <= 0 || b.height == 0 || b.width > 4096 || b.rows() > 4096)
        return std::nullopt;
    const size_t offset = le(f, 10, 4);
    const size_t stride = (static_cast<size_t>(b.width) * 3 + 3) & ~size_t{3};
    if (offset < 54 || offset + stride * static_cast<size_t>(b.rows()) != f.size())
        return std::nullopt;
    for (int y = 0; y < b.rows(); ++y) {
        int stored = b.height > 0 ? b.rows() - 1 - y : y;
        size_t row = offset + stride * static_cast<size_t>(stored);
        for (int x = 0; x < b.width; ++x) {
            size_t p = row + static_cast<size_t>(x) * 3;
            b.pixels.push_back({f[p + 2], f[p + 1], f[p]});
        }
    }
    return b;
}

Bmp loadSkinBitmap(int id) {
    std::optional<Bmp> b = readBmp(bitmapResource(id));
    EXPECT_TRUE(b.has_value()) << "bitmap " << id;
    return b.value_or(Bmp{});
}

double brightness(const Bmp& b, int x0, int y0, int x1, int y1) {
    double sum = 0;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n) {
            Pixel p = b.at(x, y);
            sum += p.r + p.g + p.b;
        }
    return n ? sum / n : 0.0;
}

}  // namespace tavolu::resources::test
