#include "support.h"

namespace tavolu::test {

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

}  // namespace

std::vector<uint8_t> makeBmp(int32_t width, int32_t height,
                             const std::function<uint32_t(int32_t, int32_t)>& pixel) {
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t{3};
    const size_t offset = 54;
    std::vector<uint8_t> b(offset + stride * size_t(height), 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(b.size()));
    put32(b, 10, uint32_t(offset));
    put32(b, 14, 40);
    put32(b, 18, uint32_t(width));
    put32(b, 22, uint32_t(height));
    put16(b, 26, 1);
    put16(b, 28, 24);
    for (int32_t y = 0; y < height; ++y) {
        const size_t row = offset + stride * size_t(height - 1 - y);  // bottom-up
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = pixel(x, y);
            b[row + size_t(x) * 3] = uint8_t(p);
            b[row + size_t(x) * 3 + 1] = uint8_t(p >> 8);
            b[row + size_t(x) * 3 + 2] = uint8_t(p >> 16);
        }
    }
    return b;
}

CBitmap* solidBitmap(int32_t width, int32_t height, uint32_t color) {
    return new CBitmap(makeBmp(width, height, [&](int32_t, int32_t) { return color; }));
}

CBitmap* stripBitmap(int32_t width, int32_t frameHeight, const std::vector<uint32_t>& colors) {
    const auto height = int32_t(colors.size()) * frameHeight;
    return new CBitmap(makeBmp(
        width, height, [&](int32_t, int32_t y) { return colors[size_t(y / frameHeight)]; }));
}

const resources::GlyphSet& blockFont() {
    static const uint8_t coverage[] = {255, 255, 255, 255, 255, 255, 128};
    // 'A' (65) and 'B' (66); every other character has no glyph of its own.
    static const resources::Glyph glyphs[] = {
        {3, 0, 3, 2, 3, 0},  // 'A': rows baseline-3 .. baseline-1
        {3, 0, 1, 1, 1, 6},  // 'B': the row just above the baseline
    };
    static const resources::GlyphSet font{4, 3, 1, 65, 2, glyphs, coverage};
    return font;
}

}  // namespace tavolu::test
