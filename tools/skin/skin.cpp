// Cuts the control images out of the painted background and redraws each
// frame's state on them, so every image matches the surface it sits on.
#include "skin.h"

#include "controls.h"
#include "layout.h"

namespace tavolu::skin {

namespace L = layout;

namespace {

Box frameBox(const L::Rect& r) {
    return {0, 0, float(r.width()), float(r.height())};
}

// The backdrop of rectangle r, as a fresh canvas to draw one frame on.
Canvas backdrop(const Canvas& bg, const L::Rect& r) {
    return bg.crop(r.left, r.top, r.width(), r.height());
}

Image handle(int size) {
    // Handles slide over the track, so their rim fades into the surface tone
    // and everything outside the disc is left to the colour key.
    Canvas c(size, size, mix(theme::surfaceTop, theme::surfaceBottom, 0.5f));
    drawHandle(c, size);
    return toImage(c, true);
}

Image switchStrip(const Canvas& bg, const Fonts& f, const L::Switch& s, bool keyed) {
    std::vector<Image> frames;
    for (int k = 0; k < s.positions; ++k) {
        Canvas c = backdrop(bg, s.rect);
        drawSwitch(c, f, s, 0, 0, switchLabels(s.id), k);
        frames.push_back(toImage(c, keyed));
    }
    return stackFrames(frames);
}

Image toggleStrip(const Canvas& bg, const Fonts& f, const L::Button& b) {
    std::vector<Image> frames;
    for (bool on : {false, true}) {
        Canvas c = backdrop(bg, b.rect);
        drawToggle(c, f, frameBox(b.rect), toggleLabel(b.id), on);
        frames.push_back(toImage(c));
    }
    return stackFrames(frames);
}

Image presetStrip(const Canvas& bg, const Fonts& f, int n) {
    L::Rect r = L::presetRect(n);
    std::vector<Image> frames;
    for (bool pressed : {false, true}) {
        Canvas c = backdrop(bg, r);
        drawPresetButton(c, f, frameBox(r), presetLines(n), pressed);
        frames.push_back(toImage(c));
    }
    return stackFrames(frames);
}

Image meter(const Canvas& bg, const L::Rect& r, bool lit) {
    Canvas c = backdrop(bg, r);
    drawMeterColumn(c, 0, 0, r.width(), r.height(), lit);
    return toImage(c);
}

}  // namespace

std::map<int, Image> buildSkin(const Fonts& f) {
    Canvas bg = paintBackground(f);
    std::map<int, Image> out;
    out[L::kBackgroundId] = toImage(bg);

    for (const L::Slider& s : L::kSliders) {
        out[s.trackId] = toImage(backdrop(bg, s.track));
        if (!out.contains(s.handleId)) out[s.handleId] = handle(s.handleSize);
    }

    // 140 serves both mode switches, so its rounded corners are keyed out.
    out[L::kLfoSync.id] = switchStrip(bg, f, L::kLfoSync, false);
    out[L::kEndMode.id] = switchStrip(bg, f, L::kEndMode, true);
    out[L::kTrigSource.id] = switchStrip(bg, f, L::kTrigSource, false);
    out[L::kLfoFreqSource.id] = switchStrip(bg, f, L::kLfoFreqSource, false);

    for (const L::Button* b : {&L::kStartEqualsEnd, &L::kStereo, &L::kLfoSyncFlip})
        out[b->id] = toggleStrip(bg, f, *b);
    for (int n = 0; n < 8; ++n) out[L::kFirstPresetId + n] = presetStrip(bg, f, n);

    for (const L::Meter* m : {&L::kTriggerMeter, &L::kSelectivityMeter}) {
        out[m->litId] = meter(bg, m->rect, true);
        out[m->unlitId] = meter(bg, m->rect, false);
    }
    out[L::kTempoDisplayId] = toImage(backdrop(bg, L::kTempoDisplay));
    return out;
}

}  // namespace tavolu::skin
