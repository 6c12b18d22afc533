// The value displays' small font, rasterised once and written out as C++ so
// the plug-in carries it without any font library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text.h"

namespace tavolu::skin {

struct RasterGlyph {
    int advance, bearingX, bearingY, width, height;
    std::uint32_t offset;  // first byte in `coverage`
};

struct GlyphTable {
    int pixelSize, ascent, descent;
    std::vector<RasterGlyph> glyphs;  // ASCII 32..126
    std::vector<std::uint8_t> coverage;
};

constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;

GlyphTable rasterise(const FontFile& font, int pixelSize);

// The source of a C++ file defining `tavolu::resources::<function>()`.
std::string glyphTableSource(const GlyphTable& t, const std::string& function,
                             const std::string& fontName);

// Sets `text` on the canvas from the table, as the plug-in's display will.
void drawGlyphs(Canvas& c, const GlyphTable& t, int x, int baseline, const std::string& text,
                Colour colour);
int glyphsWidth(const GlyphTable& t, const std::string& text);

}  // namespace tavolu::skin
