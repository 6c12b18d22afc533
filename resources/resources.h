// The skin compiled into the library: the bitmaps by resource number, and the
// glyphs of the small sans font the value displays use. Nothing is read from
// files at run time.
#pragma once

#include <cstdint>
#include <span>

namespace tavolu::resources {

// The bytes of the 24-bit uncompressed BMP file stored under `id`, or an empty
// span when there is no such resource. [any thread]
std::span<const std::uint8_t> bitmapResource(int id);

// One glyph of an embedded font: an 8-bit coverage image (0 = clear,
// 255 = full), `width` x `height`, rows top to bottom.
struct Glyph {
    std::int16_t advance;   // px to the next glyph's origin
    std::int16_t bearingX;  // px from the origin to the image's left edge
    std::int16_t bearingY;  // px from the baseline up to the image's top edge
    std::int16_t width;     // px
    std::int16_t height;    // px
    std::uint32_t offset;   // index of the first coverage byte
};

// A rasterised font for the printable ASCII range 32..126.
struct GlyphSet {
    int pixelSize;   // px, nominal size
    int ascent;      // px above the baseline
    int descent;     // px below the baseline (positive)
    int firstChar;   // 32
    int glyphCount;  // 95
    const Glyph* glyphs;
    const std::uint8_t* coverage;
};

// The 12-pixel sans font ("font number 3" of the value displays). [any thread]
const GlyphSet& sansFont12();

}  // namespace tavolu::resources
