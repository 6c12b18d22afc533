// Placeholder until the generated skin lands: no bitmaps, an empty font.
#include "resources/resources.h"

namespace tavolu::resources {

std::span<const std::uint8_t> bitmapResource(int) { return {}; }

const GlyphSet& sansFont12() {
    static const Glyph noGlyph{0, 0, 0, 0, 0, 0};
    static const std::uint8_t noCoverage[1] = {0};
    static const GlyphSet font{12, 11, 3, 32, 1, &noGlyph, noCoverage};
    return font;
}

}  // namespace tavolu::resources
