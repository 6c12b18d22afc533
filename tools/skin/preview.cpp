#include "preview.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "layout.h"

namespace tavolu::skin {

namespace L = layout;

namespace {

class Window {
  public:
    explicit Window(const Image& background) : img_(background) {}

    // Draws frame `frame` of a strip whose frames are `frameHeight` px tall.
    void put(const Image& src, int x, int y, int frame = 0, int frameHeight = -1,
             bool keyed = true) {
        if (frameHeight < 0) frameHeight = src.height;
        for (int j = 0; j < frameHeight; ++j)
            for (int i = 0; i < src.width; ++i) {
                Rgb8 p = src.at(i, frame * frameHeight + j);
                if (keyed && p == kColourKey) continue;
                set(x + i, y + j, p);
            }
    }
    void set(int x, int y, Rgb8 p) {
        if (x >= 0 && y >= 0 && x < img_.width && y < img_.height)
            img_.pixels[static_cast<size_t>(y * img_.width + x)] = p;
    }
    // A 1-px line covering its start but not its end point.
    void line(int x0, int y0, int x1, int y1, Rgb8 p) {
        int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
        while (x0 != x1 || y0 != y1) {
            set(x0, y0, p);
            int e2 = 2 * err;
            if (e2 >= dy) err += dy, x0 += sx;
            if (e2 <= dx) err += dx, y0 += sy;
        }
    }
    const Image& image() const { return img_; }

  private:
    Image img_;
};

void putSlider(Window& w, const std::map<int, Image>& skin, const L::Slider& s, float value) {
    w.put(skin.at(s.trackId), s.track.left, s.track.top, 0, -1, true);
    int travel = (s.horizontal ? s.track.width() : s.track.height()) - s.handleSize;
    int along = static_cast<int>(std::lround((s.horizontal ? value : 1.0f - value) * travel));
    const Image& h = skin.at(s.handleId);
    if (s.horizontal)
        w.put(h, s.track.left + along, s.track.top);
    else
        w.put(h, s.track.left, s.track.top + along);
}

void putMeter(Window& w, const std::map<int, Image>& skin, const L::Meter& m, float level) {
    // Unlit from the top down to the level, quantised to whole LEDs.
    int dark = static_cast<int>(L::kMeterLeds * (1.0f - level) + 0.5f);
    int split = dark * m.rect.height() / L::kMeterLeds;
    const Image& on = skin.at(m.litId);
    const Image& off = skin.at(m.unlitId);
    for (int y = 0; y < m.rect.height(); ++y)
        for (int x = 0; x < m.rect.width(); ++x)
            w.set(m.rect.left + x, m.rect.top + y, (y < split ? off : on).at(x, y));
}

// The curve view at Start 0.1, End 0.7, Hold 0.2, Decay 0.65 with End Mode
// on Flip, and a played sweep following the set one.
void paintCurve(Window& w) {
    const int left = 182, top = 55, bottom = 155;
    const float scale = 100.0f;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x < 283; ++x) w.set(x, y, {0, 0, 0});
    const float start = 0.1f, end = 0.7f, hold = 0.2f, decay = 0.65f;
    int sx = left + int(start * scale), ex = left + int(end * scale);
    int mx = left + int((1 - end) * scale);
    int hy = bottom - int(hold * scale), dy = bottom - int(decay * scale);

    const Rgb8 amber{212, 161, 0}, red{255, 51, 51};
    w.line(sx, hy, mx, dy, amber);
    w.line(mx, dy, mx, top, amber);
    w.set(mx, top, amber);

    // Played traces: the last two sweeps, slightly wobbled by the LFO.
    auto played = [&](int i, float to) {
        float t = float(i) / scale, p;
        if (t < hold)
            p = start;
        else if (t < decay)
            p = start + (to - start) * (t - hold) / (decay - hold);
        else
            p = to;
        return p + 0.03f * std::sin(float(i) * 0.3f);
    };
    const Rgb8 greens[] = {{80, 132, 80}, {0, 255, 0}};
    for (int trace = 0; trace < 2; ++trace) {
        int length = trace == 0 ? 101 : 62;
        auto x = [&](int i) {
            float p = played(i, trace == 0 ? 1.0f - end : end);  // flips every other sweep
            return left + int(scale * p + 0.5f);
        };
        for (int i = 1; i < length; ++i)
            w.line(x(i - 1), bottom - i + 1, x(i), bottom - i, greens[trace]);
    }
    w.line(sx, bottom, sx, hy, red);
    w.line(sx, hy, ex, dy, red);
    w.line(ex, dy, ex, top, red);
    w.set(ex, top, red);
}

void paintTempo(Window& w, const GlyphTable& font) {
    const L::Rect& r = L::kTempoDisplay;
    std::string text = "120.0";
    int x = r.left + (r.width() - glyphsWidth(font, text)) / 2;
    int baseline = r.top + (r.height() + font.ascent - font.descent) / 2;
    Canvas c(L::kWindowWidth, L::kWindowHeight, Colour{});
    Image img = w.image();
    for (int y = 0; y < img.height; ++y)
        for (int xx = 0; xx < img.width; ++xx) {
            Rgb8 p = img.at(xx, y);
            c.blend(xx, y, rgb(p.r, p.g, p.b), 1.0f);
        }
    drawGlyphs(c, font, x + 1, baseline + 1, text, rgb(0, 0, 0));
    drawGlyphs(c, font, x, baseline, text, rgb(255, 255, 255));
    Image out = toImage(c);
    for (int y = r.top; y < r.bottom; ++y)
        for (int xx = r.left; xx < r.right; ++xx) w.set(xx, y, out.at(xx, y));
}

}  // namespace

Image composePreview(const std::map<int, Image>& skin, const GlyphTable& displayFont) {
    Window w(skin.at(L::kBackgroundId));
    const float values[] = {0.1f, 0.7f, 0.65f, 0.2f, 0.4f,  0.25f,
                            0.5f, 0.3f, 0.1f,  1.0f, 0.35f, 0.3f};
    for (size_t i = 0; i < L::kSliders.size(); ++i) putSlider(w, skin, L::kSliders[i], values[i]);

    w.put(skin.at(L::kLfoSync.id), L::kLfoSync.rect.left, L::kLfoSync.rect.top, 1, 15 * 3);
    w.put(skin.at(140), L::kEndMode.rect.left, L::kEndMode.rect.top, 1, 15);
    w.put(skin.at(140), L::kStartMode.rect.left, L::kStartMode.rect.top, 0, 15);
    w.put(skin.at(141), L::kTrigSource.rect.left, L::kTrigSource.rect.top, 0, 90);
    w.put(skin.at(142), L::kLfoFreqSource.rect.left, L::kLfoFreqSource.rect.top, 0, 75);

    w.put(skin.at(138), L::kStartEqualsEnd.rect.left, L::kStartEqualsEnd.rect.top, 0, 15);
    w.put(skin.at(144), L::kStereo.rect.left, L::kStereo.rect.top, 1, 15);
    w.put(skin.at(143), L::kLfoSyncFlip.rect.left, L::kLfoSyncFlip.rect.top, 0, 15);
    for (int n = 0; n < 8; ++n) {
        L::Rect r = L::presetRect(n);
        w.put(skin.at(L::kFirstPresetId + n), r.left, r.top, n == 3 ? 1 : 0, 35);
    }

    putMeter(w, skin, L::kTriggerMeter, 0.62f);
    putMeter(w, skin, L::kSelectivityMeter, 0.36f);
    w.put(skin.at(L::kTempoDisplayId), L::kTempoDisplay.left, L::kTempoDisplay.top, 0, -1, false);
    paintTempo(w, displayFont);
    paintCurve(w);
    return w.image();
}

}  // namespace tavolu::skin
