// The value displays' font: a complete printable ASCII set whose metrics a
// text renderer can trust.
#include <gtest/gtest.h>

#include <string>

#include "resources/resources.h"

namespace tavolu::resources {
namespace {

const Glyph& glyph(const GlyphSet& f, char c) {
    return f.glyphs[c - f.firstChar];
}

int width(const GlyphSet& f, const std::string& s) {
    int w = 0;
    for (char c : s) w += glyph(f, c).advance;
    return w;
}

TEST(SansFont12, CoversPrintableAsciiAtTwelvePixels) {
    const GlyphSet& f = sansFont12();
    EXPECT_EQ(f.pixelSize, 12);
    EXPECT_EQ(f.firstChar, 32);
    EXPECT_EQ(f.glyphCount, 95);
    EXPECT_GE(f.ascent, 9);
    EXPECT_LE(f.ascent, 13);
    EXPECT_GE(f.descent, 2);
    EXPECT_LE(f.descent, 4);
}

TEST(SansFont12, GlyphImagesAreContiguousAndStayNearTheLine) {
    const GlyphSet& f = sansFont12();
    std::uint32_t next = 0;
    for (int i = 0; i < f.glyphCount; ++i) {
        const Glyph& g = f.glyphs[i];
        SCOPED_TRACE(static_cast<char>(f.firstChar + i));
        EXPECT_EQ(g.offset, next);
        next += static_cast<std::uint32_t>(g.width * g.height);
        EXPECT_GT(g.advance, 0);
        EXPECT_LE(g.advance, f.pixelSize);
        EXPECT_GE(g.width, 0);
        EXPECT_LE(g.bearingY, f.ascent + 1);
        EXPECT_LE(g.height - g.bearingY, f.descent + 1);
        if (i == 0) continue;  // the blank has no image
        bool inked = false;
        for (int p = 0; p < g.width * g.height; ++p) inked |= f.coverage[g.offset + p] != 0;
        EXPECT_TRUE(inked);
    }
    const Glyph& space = glyph(f, ' ');
    EXPECT_EQ(space.width * space.height, 0);
}

TEST(SansFont12, TempoTextsFitTheDisplayAndDigitsDoNotJitter) {
    const GlyphSet& f = sansFont12();
    for (char d = '1'; d <= '9'; ++d) EXPECT_EQ(glyph(f, d).advance, glyph(f, '0').advance);
    EXPECT_LE(width(f, "999.9"), 45 - 2);  // display width, room for the shadow
    EXPECT_LE(width(f, "N/A"), 45 - 2);
    EXPECT_LE(f.ascent + f.descent, 19);
}

}  // namespace
}  // namespace tavolu::resources
