// The window background: surface, title, the curve view's screen, every
// parameter's name beside its control, and each control at rest.
#include <cmath>

#include "controls.h"
#include "layout.h"
#include "skin.h"

namespace tavolu::skin {

namespace t = theme;
namespace L = layout;

namespace {

constexpr float kFooterTop = 315;  // px, just below the longest slider track

Box box(const L::Rect& r) {
    return {float(r.left), float(r.top), float(r.right), float(r.bottom)};
}

void paintSurface(Canvas& c) {
    c.fill(roundRect({0, 0, float(c.width()), float(c.height())}, 0),
           verticalGradient(0, t::surfaceTop, float(c.height()), t::surfaceBottom));
    // A one-pixel highlight along the top edge.
    c.fillBox({0, 0, float(c.width()), 1}, rgb(72, 77, 88));
    // The preset row sits in a darker footer, set off by an engraved line.
    float w = float(c.width()), h = float(c.height());
    c.fill(roundRect({0, kFooterTop, w, h}, 0),
           verticalGradient(kFooterTop, rgb(27, 29, 34), h, rgb(19, 21, 25)));
    c.fillBox({0, kFooterTop, w, kFooterTop + 1}, rgb(14, 15, 18));
    c.fillBox({0, kFooterTop + 1, w, kFooterTop + 2}, rgb(44, 48, 56));
    c.fillBox({0, h - 1, w, h}, rgb(12, 13, 16));
}

void paintTitle(Canvas& c, const Fonts& f) {
    TextStyle title{&f.bold, 26, t::text};
    drawText(c, title, 16, 40, "Tavolu");
    TextStyle sub = f.small();
    sub.tracking = 1;
    drawText(c, sub, 17, 55, "STEREO AUTO-PAN");
    c.fillBox({17, 62, 112, 63}, t::accent);
}

// The black screen under the curve view, set into a bevelled bezel.
void paintScreen(Canvas& c) {
    Box s = box(L::kCurveView);
    c.fill(roundRect(s.inset(-4).moved(0, 1), 4), solid(t::wellLip), 0.6f);
    c.fill(roundRect(s.inset(-4), 4), solid(t::wellEdge));
    c.fill(roundRect(s.inset(-3), 3),
           verticalGradient(s.y0 - 3, rgb(28, 31, 36), s.y1 + 3, rgb(20, 22, 26)));
    c.fillBox(s.inset(-1), rgb(8, 9, 11));
    c.fillBox(s, rgb(0, 0, 0));
}

void heading(Canvas& c, const Fonts& f, int x, int baseline, int ruleEnd, const char* text) {
    TextStyle st = f.heading();
    drawText(c, st, x, baseline, text);
    int w = textWidth(st, text);
    c.fillBox({float(x + w + 5), float(baseline - 4), float(ruleEnd), float(baseline - 3)},
              mix(t::surfaceTop, t::accent, 0.35f));
}

// The curve view's colours, named, beside it.
void paintLegend(Canvas& c, const Fonts& f) {
    struct Entry {
        Colour colour;
        const char* text;
    };
    const Entry entries[] = {{t::sweepRed, "Sweep as set"},
                             {t::flipAmber, "Flipped sweep"},
                             {t::playedGreen, "Pan as played"}};
    heading(c, f, 348, 24, 452, "CURVE");
    int y = 40;
    for (const Entry& e : entries) {
        c.fillBox({348, float(y - 4), 360, float(y - 2)}, e.colour);
        drawText(c, f.small(), 366, y, e.text);
        y += 13;
    }
}

int centreOf(const L::Rect& r) {
    return (r.left + r.right) / 2;
}

void paintLabels(Canvas& c, const Fonts& f) {
    TextStyle lab = f.label();
    // Around the curve.
    drawText(c, lab, 186, 22, "End Mode", Align::right);
    drawText(c, lab, 168, 42, "End", Align::right);
    drawText(c, lab, 150, 60, "Hold", Align::right);
    drawText(c, lab, 139, 146, "Attack", Align::right);
    drawText(c, lab, 314, 60, "Decay");
    drawText(c, lab, 168, 176, "Start", Align::right);
    drawText(c, lab, 186, 195, "Start Mode", Align::right);
    TextStyle dim = f.small();
    drawText(c, dim, 178, 40, "L", Align::centre);
    drawText(c, dim, 287, 40, "R", Align::centre);

    // LFO.
    heading(c, f, 14, 165, 126, "LFO");
    drawText(c, lab, centreOf(L::kSliders[L::kLfoMod].track), 187, "Mod", Align::centre);
    drawText(c, lab, centreOf(L::kSliders[L::kLfoDelay].track), 187, "Delay", Align::centre);
    drawText(c, lab, centreOf(L::kSliders[L::kLfoFreq].track), 187, "Freq", Align::centre);
    drawText(c, lab, centreOf(L::kLfoFreqSource.rect), 212, "Source", Align::centre);
    drawText(c, lab, centreOf(L::kLfoSync.rect), 212, "Sync", Align::centre);

    // Tempo.
    drawText(c, lab, centreOf(L::kTempoDisplay), 239, "Tempo", Align::centre);
    drawText(c, dim, centreOf(L::kTempoDisplay), 276, "BPM", Align::centre);

    // Trigger.
    heading(c, f, 316, 165, 382, "TRIGGER");
    drawText(c, lab, centreOf(L::kSliders[L::kThreshold].track), 187, "Threshold", Align::centre);
    drawText(c, lab, centreOf(L::kSliders[L::kSelectivity].track), 187, "Selectivity",
             Align::centre);
    drawText(c, lab, centreOf(L::kTrigSource.rect), 310, "Source", Align::centre);

    // Output.
    heading(c, f, 392, 165, 452, "OUTPUT");
    // The two sliders stand 3 px apart: each name takes two narrow lines,
    // pushed to its own side of a hairline between them.
    TextStyle pair = f.control();
    const int gutter =
        (L::kSliders[L::kCenterVol].track.right + L::kSliders[L::kDryWet].track.left) / 2;
    drawText(c, pair, gutter - 4, 177, "Center", Align::right);
    drawText(c, pair, gutter - 4, 187, "Vol", Align::right);
    drawText(c, pair, gutter + 5, 177, "Dry", Align::left);
    drawText(c, pair, gutter + 5, 187, "Wet", Align::left);
    c.fillBox({float(gutter), 169, float(gutter + 1), 188}, mix(t::surfaceTop, t::accent, 0.35f));

    // Presets.
    heading(c, f, 14, 346, 14, "PRESETS");
}

}  // namespace

Canvas paintBackground(const Fonts& f) {
    Canvas c(L::kWindowWidth, L::kWindowHeight, t::surfaceBottom);
    paintSurface(c);
    paintTitle(c, f);
    paintScreen(c);
    paintLegend(c, f);
    paintLabels(c, f);

    for (const L::Slider& s : L::kSliders) drawGroove(c, s, s.track.left, s.track.top);
    for (const L::Switch* s :
         {&L::kLfoSync, &L::kEndMode, &L::kStartMode, &L::kTrigSource, &L::kLfoFreqSource})
        drawSwitch(c, f, *s, s->rect.left, s->rect.top, switchLabels(s->id), -1);
    for (const L::Meter* m : {&L::kTriggerMeter, &L::kSelectivityMeter}) {
        drawWell(c, box(m->rect).inset(-2), 2);
        drawMeterColumn(c, m->rect.left, m->rect.top, m->rect.width(), m->rect.height(), false);
    }
    drawDisplayWindow(c, box(L::kTempoDisplay));
    for (const L::Button* b : {&L::kStartEqualsEnd, &L::kStereo, &L::kLfoSyncFlip})
        drawToggle(c, f, box(b->rect), toggleLabel(b->id), false);
    for (int n = 0; n < 8; ++n)
        drawPresetButton(c, f, box(L::presetRect(n)), presetLines(n), false);
    c.clearCoverage();
    return c;
}

}  // namespace tavolu::skin
