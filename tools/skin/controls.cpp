#include "controls.h"

#include <cmath>

namespace tavolu::skin {

namespace t = theme;

void drawWell(Canvas& c, Box b, float radius) {
    c.fill(roundRect(b.moved(0, 1), radius), solid(t::wellLip), 0.55f);
    c.fill(roundRect(b, radius), solid(t::wellEdge));
    Box inner{b.x0 + 1, b.y0 + 1, b.x1 - 1, b.y1 - 1};
    c.fill(roundRect(inner, std::max(0.0f, radius - 1)),
           verticalGradient(inner.y0, mix(t::well, t::wellEdge, 0.5f), inner.y0 + 3, t::well));
}

namespace {

// Short marks beside the groove at 0, 1/4, 1/2, 3/4 and 1 of the travel.
void drawTicks(Canvas& c, const layout::Slider& s, int x, int y) {
    int travel = (s.horizontal ? s.track.width() : s.track.height()) - s.handleSize;
    int centre = s.handleSize / 2;  // px from the track edge to the handle centre
    for (int q = 0; q <= 4; ++q) {
        int along = centre + static_cast<int>(std::lround(travel * q / 4.0));
        int len = q == 2 ? 5 : 3;  // the middle mark stands out
        Colour col = q == 2 ? mix(t::tick, t::text, 0.3f) : t::tick;
        for (int side = 0; side < 2; ++side) {
            int across = side == 0 ? centre - 4 - len : centre + 5;
            float a0 = static_cast<float>(across), a1 = a0 + static_cast<float>(len);
            Box b = s.horizontal ? Box{float(x + along), y + a0, float(x + along + 1), y + a1}
                                 : Box{x + a0, float(y + along), x + a1, float(y + along + 1)};
            c.fillBox(b, col);
        }
    }
}

}  // namespace

void drawGroove(Canvas& c, const layout::Slider& s, int x, int y) {
    int travel = (s.horizontal ? s.track.width() : s.track.height()) - s.handleSize;
    float centre = static_cast<float>(s.handleSize / 2);
    // Three px wide over the centre's travel, one px past each end.
    float a0 = centre - 1, a1 = centre + static_cast<float>(travel) + 2;
    Box b = s.horizontal ? Box{x + a0, y + centre - 1, x + a1, y + centre + 2}
                         : Box{x + centre - 1, y + a0, x + centre + 2, y + a1};
    c.fill(roundRect(b.moved(0, 1), 1.5f), solid(t::wellLip), 0.5f);
    c.fill(roundRect(b, 1.5f), solid(t::wellEdge));
    if (s.handleSize > 11) drawTicks(c, s, x, y);
}

void drawHandle(Canvas& c, int size) {
    float r = size / 2.0f;
    float cx = r, cy = r;
    c.fill(circle(cx, cy, r), solid(t::raisedEdge));
    c.fill(circle(cx, cy, r - 1), verticalGradient(1, t::handleTop, size - 1.0f, t::handleBottom));
    // A lighter upper rim, then the dimple holding the accent dot.
    c.fill(without(circle(cx, cy, r - 1), circle(cx, cy + 0.8f, r - 1.6f)),
           solid(rgb(246, 248, 251)), 0.6f);
    if (size > 11) {
        c.fill(circle(cx, cy, 4.0f),
               verticalGradient(cy - 4, rgb(120, 126, 136), cy + 4, rgb(200, 205, 212)));
        c.fill(circle(cx, cy, 2.6f),
               verticalGradient(cy - 3, t::accentBright, cy + 3, t::accentDeep));
    } else {
        c.fill(circle(cx, cy, 1.6f), solid(t::accentDeep));
    }
}

namespace {

// The sunken face of a switch or an on/off button.
void drawRecess(Canvas& c, Box b) {
    c.fill(roundRect(b, 3), solid(t::wellEdge));
    Box inner = b.inset(1);
    c.fill(roundRect(inner, 2), verticalGradient(inner.y0, rgb(17, 19, 22), inner.y0 + 3, t::well));
}

// The lit pad of a selected position or a button that is on.
void drawLitPad(Canvas& c, Box b) {
    c.fill(roundRect(b, 2), verticalGradient(b.y0, t::accentBright, b.y1, t::accent));
}

// Band k of n along `length` px, as the switch divides its clicks.
float bandEdge(int k, int n, int length) {
    return std::round(float(k * length) / float(n));
}

}  // namespace

void drawSwitch(Canvas& c, const Fonts& f, const layout::Switch& s, int x, int y,
                const std::vector<std::string>& labels, int selected) {
    float w = float(s.rect.width());
    float h = float(s.rect.height());
    float fx = float(x), fy = float(y);
    drawRecess(c, {fx, fy, fx + w, fy + h});
    int length = s.horizontal ? int(w) : int(h);
    for (int k = 0; k < s.positions; ++k) {
        float e0 = bandEdge(k, s.positions, length), e1 = bandEdge(k + 1, s.positions, length);
        Box band =
            s.horizontal ? Box{fx + e0, fy, fx + e1, fy + h} : Box{fx, fy + e0, fx + w, fy + e1};
        if (k > 0) {  // hairline between neighbours
            Box line = s.horizontal ? Box{band.x0, fy + 4, band.x0 + 1, fy + h - 4}
                                    : Box{fx + 5, band.y0, fx + w - 5, band.y0 + 1};
            c.fillBox(line, t::divider);
        }
        bool lit = k == selected;
        if (lit) {
            // Inner bands give up only one px to their hairlines across.
            Box pad = band.inset(2);
            if (s.horizontal) {
                pad.x0 = band.x0 + (k == 0 ? 2 : 1);
                pad.x1 = band.x1 - (k + 1 == s.positions ? 2 : 1);
            }
            drawLitPad(c, pad);
        }
        TextStyle st = lit ? f.controlOn() : f.controlOff();
        int cx = int(std::lround((band.x0 + band.x1) / 2));
        int baseline = int(band.y0) + int(band.height() / 2) + 4;
        drawText(c, st, cx, baseline, labels[static_cast<size_t>(k)], Align::centre);
    }
}

void drawToggle(Canvas& c, const Fonts& f, Box b, const std::string& label, bool on) {
    drawRecess(c, b);
    if (on) drawLitPad(c, b.inset(1));
    TextStyle st = on ? f.controlOn() : f.controlOff();
    int cx = int(std::lround((b.x0 + b.x1) / 2));
    drawText(c, st, cx, int(b.y0) + int(b.height() / 2) + 4, label, Align::centre);
}

void drawPresetButton(Canvas& c, const Fonts& f, Box b, const std::vector<std::string>& lines,
                      bool pressed) {
    c.fill(roundRect(b, 4), solid(t::raisedEdge));
    Box inner = b.inset(1);
    TextStyle st = f.control();
    if (pressed) {
        c.fill(roundRect(inner, 3), verticalGradient(inner.y0, t::accent, inner.y1, t::accentDeep));
        c.fill(roundRect({inner.x0, inner.y0, inner.x1, inner.y0 + 2}, 1), solid(t::accentDeep),
               0.6f);
        st = f.controlOn();
    } else {
        c.fill(roundRect(inner, 3),
               verticalGradient(inner.y0, t::raisedTop, inner.y1, t::raisedBottom));
        c.fill(roundRect({inner.x0 + 2, inner.y0, inner.x1 - 2, inner.y0 + 1}, 0),
               solid(t::raisedShine));
    }
    constexpr int kLinePitch = 9;  // px
    int n = static_cast<int>(lines.size());
    int cx = int(std::lround((b.x0 + b.x1) / 2));
    int firstBaseline =
        int(b.y0) + int(b.height() / 2) - (n * kLinePitch) / 2 + 7 + (pressed ? 1 : 0);
    for (int i = 0; i < n; ++i)
        drawText(c, st, cx, firstBaseline + i * kLinePitch, lines[static_cast<size_t>(i)],
                 Align::centre);
}

void drawMeterColumn(Canvas& c, int x, int y, int width, int height, bool lit) {
    c.fillBox({float(x), float(y), float(x + width), float(y + height)}, t::wellEdge);
    for (int k = 0; k < layout::kMeterLeds; ++k) {  // k = 0 is the top LED
        int top = k * height / layout::kMeterLeds;
        int bottom = (k + 1) * height / layout::kMeterLeds;
        Box cell{float(x + 1), float(y + top + 1), float(x + width - 1), float(y + bottom)};
        float up = 1.0f - float(k) / (layout::kMeterLeds - 1);  // 0 at the bottom LED
        Colour on = up < 0.5f ? mix(t::accentDeep, t::accent, up * 2)
                              : mix(t::accent, t::accentBright, (up - 0.5f) * 2);
        Colour off = rgb(36, 40, 47);
        c.fillBox(cell, lit ? on : off);
        // A brighter top row makes each LED read as a lens.
        c.fillBox({cell.x0, cell.y0, cell.x1, cell.y0 + 1},
                  lit ? mix(on, rgb(255, 255, 255), 0.35f) : rgb(46, 51, 59));
    }
}

void drawDisplayWindow(Canvas& c, Box b) {
    drawWell(c, b, 3);
    Box inner = b.inset(1);
    c.fill(roundRect(inner, 2),
           verticalGradient(inner.y0, rgb(6, 7, 9), inner.y1, rgb(16, 18, 22)));
}

}  // namespace tavolu::skin
