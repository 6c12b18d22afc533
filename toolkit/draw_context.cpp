#include "toolkit/draw_context.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "toolkit/bitmap.h"

namespace tavolu {

CDrawContext::CDrawContext(PixelSurface s) : surface(s) {
    if (!surface.pixels || surface.width <= 0 || surface.height <= 0 ||
        surface.stride < surface.width) {
        surface = {};  // nothing to draw into: every clip is empty
    }
    bounds = {0, 0, surface.width, surface.height};
    clip = bounds;
}

void CDrawContext::setClipRect(const CRect& r) {
    clip = r.intersection(bounds);
}

void CDrawContext::resetClipRect() {
    clip = bounds;
}

void CDrawContext::fillRect(const CRect& rect) {
    const CRect area = rect.intersection(clip);
    if (area.isEmpty()) return;
    const uint32_t pixel = fillColor.pixel();
    for (int32_t y = area.top; y < area.bottom; ++y) {
        for (int32_t x = area.left; x < area.right; ++x) setPixel(x, y, pixel);
    }
}

// Bresenham's line in closed form: step i along the major axis lands on the
// minor-axis offset i * minor / major rounded half away from the start. The
// closed form lets us visit only the steps that fall inside the clip, so a line
// with far-away ends costs no more than one across the clip.
void CDrawContext::lineTo(CPoint to) {
    const CPoint from = pen;
    pen = to;
    if (clip.isEmpty()) return;

    const int64_t dx = int64_t{to.x} - from.x;
    const int64_t dy = int64_t{to.y} - from.y;
    const int64_t adx = std::llabs(dx);
    const int64_t ady = std::llabs(dy);
    const int64_t sx = dx < 0 ? -1 : 1;
    const int64_t sy = dy < 0 ? -1 : 1;
    const bool xMajor = adx >= ady;
    const int64_t major = xMajor ? adx : ady;  // steps drawn: 0 .. major - 1
    const int64_t minor = xMajor ? ady : adx;
    if (major == 0) return;  // start equals end: the end is not covered

    // Steps whose major coordinate is inside the clip.
    const int64_t start = xMajor ? from.x : from.y;
    const int64_t step = xMajor ? sx : sy;
    const int64_t lo = xMajor ? clip.left : clip.top;
    const int64_t hi = (xMajor ? clip.right : clip.bottom) - 1;
    int64_t first = step > 0 ? lo - start : start - hi;
    int64_t last = step > 0 ? hi - start : start - lo;
    if (first < 0) first = 0;
    if (last > major - 1) last = major - 1;

    const uint32_t pixel = frontColor.pixel();
    for (int64_t i = first; i <= last; ++i) {
        using Wide = __int128;  // 2 * i * minor may exceed 64 bits
        const int64_t offset =
            static_cast<int64_t>((Wide{2} * i * minor + major) / (Wide{2} * major));
        const int64_t x = xMajor ? from.x + sx * i : from.x + sx * offset;
        const int64_t y = xMajor ? from.y + sy * offset : from.y + sy * i;
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) {
            setPixel(int32_t(x), int32_t(y), pixel);
        }
    }
}

void CDrawContext::drawPoint(CPoint p, CColor color) {
    if (clip.contains(p)) setPixel(p.x, p.y, color.pixel());
}

uint32_t CDrawContext::getPoint(CPoint p) const {
    if (!bounds.contains(p)) return 0;
    return surface.pixels[size_t(p.y) * size_t(surface.stride) + size_t(p.x)];
}

void CDrawContext::drawBitmap(const CBitmap& bitmap, const CRect& dest, CPoint offset,
                              bool colorKey) {
    // Only the part of `dest` that both the clip and the image cover.
    const CRect source{0, 0, bitmap.getWidth(), bitmap.getHeight()};
    const int64_t shiftX = int64_t{offset.x} - dest.left;  // dest -> image coordinates
    const int64_t shiftY = int64_t{offset.y} - dest.top;
    CRect area = dest.intersection(clip);
    if (area.isEmpty()) return;
    const int64_t left = std::max<int64_t>(area.left, source.left - shiftX);
    const int64_t top = std::max<int64_t>(area.top, source.top - shiftY);
    const int64_t right = std::min<int64_t>(area.right, source.right - shiftX);
    const int64_t bottom = std::min<int64_t>(area.bottom, source.bottom - shiftY);
    for (int64_t y = top; y < bottom; ++y) {
        const uint32_t* in = bitmap.row(int32_t(y + shiftY));
        for (int64_t x = left; x < right; ++x) {
            const uint32_t pixel = in[x + shiftX];
            if (colorKey && pixel == kColorKeyPixel) continue;
            setPixel(int32_t(x), int32_t(y), pixel);
        }
    }
}

const resources::Glyph* CDrawContext::glyphFor(char c) const {
    if (!font || !font->glyphs) return nullptr;
    const int index = static_cast<unsigned char>(c) - font->firstChar;
    if (index < 0 || index >= font->glyphCount) return nullptr;
    return &font->glyphs[index];
}

int32_t CDrawContext::getStringWidth(const char* text) const {
    if (!text) return 0;
    int32_t width = 0;
    for (const char* c = text; *c; ++c) {
        if (const resources::Glyph* glyph = glyphFor(*c)) width += glyph->advance;
    }
    return width;
}

void CDrawContext::drawString(const char* text, const CRect& rect, CHoriTxtAlign align) {
    if (!text || !font) return;
    const CRect saved = clip;
    setClipRect(rect.intersection(saved));  // text never leaves its rectangle

    const int64_t textWidth = getStringWidth(text);
    int64_t x = rect.left;
    if (align == kCenterText) x = rect.left + (rect.width() - textWidth) / 2;
    if (align == kRightText) x = rect.right - textWidth;
    const int64_t lineHeight = int64_t{font->ascent} + font->descent;
    const int64_t baseline = rect.top + (rect.height() - lineHeight) / 2 + font->ascent;

    for (const char* c = text; *c; ++c) {
        const resources::Glyph* glyph = glyphFor(*c);
        if (!glyph) continue;
        drawGlyph(*glyph, int32_t(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)),
                  int32_t(std::clamp<int64_t>(baseline, INT32_MIN, INT32_MAX)));
        x += glyph->advance;
    }
    clip = saved;
}

void CDrawContext::drawGlyph(const resources::Glyph& glyph, int32_t originX, int32_t baseline) {
    if (glyph.width <= 0 || glyph.height <= 0 || !font->coverage) return;
    const int64_t left = int64_t{originX} + glyph.bearingX;
    const int64_t top = int64_t{baseline} - glyph.bearingY;
    const uint32_t alpha = fontColor.alpha;
    for (int32_t gy = 0; gy < glyph.height; ++gy) {
        const int64_t y = top + gy;
        if (y < clip.top || y >= clip.bottom) continue;
        const uint8_t* coverage = font->coverage + glyph.offset + size_t(gy) * size_t(glyph.width);
        for (int32_t gx = 0; gx < glyph.width; ++gx) {
            const int64_t x = left + gx;
            if (x < clip.left || x >= clip.right) continue;
            const uint32_t a = (coverage[gx] * alpha + 127) / 255;  // 0..255
            if (a == 0) continue;
            uint32_t& out = pixelRef(int32_t(x), int32_t(y));
            const uint32_t src = fontColor.pixel();
            uint32_t blended = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const uint32_t s = (src >> shift) & 0xFF;
                const uint32_t d = (out >> shift) & 0xFF;
                blended |= ((s * a + d * (255 - a) + 127) / 255) << shift;
            }
            out = blended;
        }
    }
}

}  // namespace tavolu
