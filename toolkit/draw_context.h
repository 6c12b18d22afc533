// Software drawing into a 32-bit pixel buffer (0x00RRGGBB). Every operation is
// clipped to the clip rectangle, which never reaches past the buffer: drawing
// anywhere, however far outside, writes nothing outside the buffer.
#pragma once

#include <cstdint>

#include "resources/resources.h"
#include "toolkit/geometry.h"

namespace tavolu {

class CBitmap;

// A pixel buffer that someone else owns. `stride` is in pixels.
struct PixelSurface {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
};

enum CHoriTxtAlign { kLeftText, kCenterText, kRightText };

class CDrawContext {
  public:
    explicit CDrawContext(PixelSurface surface);

    const PixelSurface& getSurface() const { return surface; }

    // The clip is always inside the surface; setClipRect intersects with it.
    void setClipRect(const CRect& clip);
    void resetClipRect();
    const CRect& getClipRect() const { return clip; }

    void setFrontColor(CColor color) { frontColor = color; }  // lines
    CColor getFrontColor() const { return frontColor; }
    void setFillColor(CColor color) { fillColor = color; }
    CColor getFillColor() const { return fillColor; }
    void setFontColor(CColor color) { fontColor = color; }
    CColor getFontColor() const { return fontColor; }
    void setFont(const resources::GlyphSet* glyphs) { font = glyphs; }

    void fillRect(const CRect& rect);
    void moveTo(CPoint point) { pen = point; }
    CPoint getPenPosition() const { return pen; }
    // One pixel wide, from the pen to `point`: covers the start, not the end.
    // The pen moves to `point`.
    void lineTo(CPoint point);
    void drawPoint(CPoint point, CColor color);
    uint32_t getPoint(CPoint point) const;  // 0 outside the surface

    // Copies the part of `bitmap` starting at `offset` into `dest`; with
    // `colorKey` the key colour's pixels are left out.
    void drawBitmap(const CBitmap& bitmap, const CRect& dest, CPoint offset, bool colorKey);

    // One line of text in the font colour, aligned inside `rect` and centred
    // vertically; glyph coverage is blended over what is there.
    void drawString(const char* text, const CRect& rect, CHoriTxtAlign align = kCenterText);
    // Width of `text` in the current font, px.
    int32_t getStringWidth(const char* text) const;

  private:
    void setPixel(int32_t x, int32_t y, uint32_t pixel) {
        surface.pixels[size_t(y) * size_t(surface.stride) + size_t(x)] = pixel;
    }
    uint32_t& pixelRef(int32_t x, int32_t y) {
        return surface.pixels[size_t(y) * size_t(surface.stride) + size_t(x)];
    }
    const resources::Glyph* glyphFor(char c) const;
    void drawGlyph(const resources::Glyph& glyph, int32_t originX, int32_t baseline);

    PixelSurface surface;
    CRect bounds;  // the whole surface
    CRect clip;
    CPoint pen;
    CColor frontColor = kWhiteCColor;
    CColor fillColor = kBlackCColor;
    CColor fontColor = kWhiteCColor;
    const resources::GlyphSet* font = nullptr;
};

}  // namespace tavolu
