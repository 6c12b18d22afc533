#include "text.h"

#include <stdexcept>

#include "font_face.h"

namespace tavolu::skin {

FontFile::FontFile(const std::string& path) : impl_(std::make_unique<Impl>()) {
    if (FT_Init_FreeType(&impl_->library) != 0) throw std::runtime_error("FreeType init failed");
    if (FT_New_Face(impl_->library, path.c_str(), 0, &impl_->face) != 0) {
        FT_Done_FreeType(impl_->library);
        throw std::runtime_error("cannot open font " + path);
    }
}

FontFile::~FontFile() {
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->library);
}

namespace {

FT_Face sized(const TextStyle& s) {
    FT_Face face = s.font->impl().face;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(s.pixelSize));
    return face;
}

// Calls `glyph(face->glyph, penX)` for each character, pen advancing by the
// hinted advance, kerning and tracking.
template <class Fn>
int layOut(const TextStyle& s, std::string_view text, Fn glyph) {
    FT_Face face = sized(s);
    int pen = 0;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt index = FT_Get_Char_Index(face, ch);
        if (previous != 0 && FT_HAS_KERNING(face)) {
            FT_Vector k;
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &k);
            pen += static_cast<int>(k.x >> 6);
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) continue;
        glyph(face->glyph, pen);
        pen += static_cast<int>(face->glyph->advance.x >> 6) + s.tracking;
        previous = index;
    }
    return text.empty() ? 0 : pen - s.tracking;
}

}  // namespace

int textWidth(const TextStyle& s, std::string_view text) {
    return layOut(s, text, [](FT_GlyphSlot, int) {});
}

void drawText(Canvas& c, const TextStyle& s, int x, int baseline, std::string_view text,
              Align align, float opacity) {
    int w = textWidth(s, text);
    int left = align == Align::left ? x : align == Align::centre ? x - w / 2 : x - w;
    layOut(s, text, [&](FT_GlyphSlot g, int pen) {
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned row = 0; row < bm.rows; ++row) {
            for (unsigned col = 0; col < bm.width; ++col) {
                std::uint8_t v = bm.buffer[row * static_cast<unsigned>(bm.pitch) + col];
                if (v == 0) continue;
                c.blend(left + pen + g->bitmap_left + static_cast<int>(col),
                        baseline - g->bitmap_top + static_cast<int>(row), s.colour,
                        opacity * static_cast<float>(v) / 255.0f);
            }
        }
    });
}

}  // namespace tavolu::skin
