#include "glyph_table.h"

#include <sstream>
#include <stdexcept>

#include "font_face.h"

namespace tavolu::skin {

GlyphTable rasterise(const FontFile& font, int pixelSize) {
    FT_Face face = font.impl().face;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    GlyphTable t{pixelSize,
                 static_cast<int>((face->size->metrics.ascender + 63) >> 6),
                 static_cast<int>((-face->size->metrics.descender + 63) >> 6),
                 {},
                 {}};
    for (int ch = kFirstChar; ch <= kLastChar; ++ch) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(ch), FT_LOAD_RENDER) != 0)
            throw std::runtime_error("glyph missing from the font");
        FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        RasterGlyph rg{static_cast<int>(g->advance.x >> 6),
                       g->bitmap_left,
                       g->bitmap_top,
                       static_cast<int>(bm.width),
                       static_cast<int>(bm.rows),
                       static_cast<std::uint32_t>(t.coverage.size())};
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col)
                t.coverage.push_back(bm.buffer[row * static_cast<unsigned>(bm.pitch) + col]);
        t.glyphs.push_back(rg);
    }
    return t;
}

std::string glyphTableSource(const GlyphTable& t, const std::string& function,
                             const std::string& fontName) {
    std::ostringstream s;
    s << "// " << fontName << " at " << t.pixelSize
      << " px, printable ASCII, as FreeType renders it\n"
         "// (hinted, 8-bit coverage). Written by the skin generator in tools/skin;\n"
         "// regenerate rather than edit.\n"
         "#include \"resources/resources.h\"\n\n"
         "namespace tavolu::resources {\n\nnamespace {\n\n"
         "// advance, bearing x, bearing y, width, height, first coverage byte\n"
         "constexpr Glyph kGlyphs[] = {\n";
    for (size_t i = 0; i < t.glyphs.size(); ++i) {
        const RasterGlyph& g = t.glyphs[i];
        int ch = kFirstChar + static_cast<int>(i);
        s << "    {" << g.advance << ", " << g.bearingX << ", " << g.bearingY << ", " << g.width
          << ", " << g.height << ", " << g.offset << "},  // ";
        if (ch == '\\')
            s << "backslash";
        else if (ch == ' ')
            s << "space";
        else
            s << static_cast<char>(ch);
        s << "\n";
    }
    s << "};\n\nconstexpr std::uint8_t kCoverage[] = {";
    for (size_t i = 0; i < t.coverage.size(); ++i) {
        s << (i % 16 == 0 ? "\n    " : " ") << static_cast<int>(t.coverage[i]) << ",";
    }
    s << "\n};\n\n}  // namespace\n\n"
      << "// [any thread]\nconst GlyphSet& " << function << "() {\n"
      << "    static constexpr GlyphSet font{" << t.pixelSize << ", " << t.ascent << ", "
      << t.descent << ", " << kFirstChar << ", " << t.glyphs.size()
      << ", kGlyphs, kCoverage};\n"
         "    return font;\n}\n\n}  // namespace tavolu::resources\n";
    return s.str();
}

int glyphsWidth(const GlyphTable& t, const std::string& text) {
    int w = 0;
    for (unsigned char ch : text) {
        if (ch >= kFirstChar && ch <= kLastChar) w += t.glyphs[ch - kFirstChar].advance;
    }
    return w;
}

void drawGlyphs(Canvas& c, const GlyphTable& t, int x, int baseline, const std::string& text,
                Colour colour) {
    for (unsigned char ch : text) {
        if (ch < kFirstChar || ch > kLastChar) continue;
        const RasterGlyph& g = t.glyphs[ch - kFirstChar];
        for (int row = 0; row < g.height; ++row)
            for (int col = 0; col < g.width; ++col)
                c.blend(x + g.bearingX + col, baseline - g.bearingY + row, colour,
                        t.coverage[g.offset + static_cast<std::uint32_t>(row * g.width + col)] /
                            255.0f);
        x += g.advance;
    }
}

}  // namespace tavolu::skin
