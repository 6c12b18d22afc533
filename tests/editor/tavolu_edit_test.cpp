// The editor and the effect in step: what open shows, which controls each
// parameter write refreshes and in what order, the engine's display reports,
// the preset buttons, and a closed window that hears nothing.
#include "editor/tavolu_edit.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "editor/curve_view.h"
#include "editor_window.h"
#include "shell/programs.h"
#include "shell/tavolu.h"
#include "toolkit/param_display.h"
#include "toolkit/vu_meter.h"

namespace tavolu {
namespace {

using namespace layout;
using test::EditorWindow;

// The control a parameter's own row refreshes first.
ControlId controlOf(int32_t parameter) {
    for (const ControlRow& row : kControlTable) {
        if (row.tag == parameter) return row.id;
    }
    return kControlCount;
}

// The curve view's pixels in a window, and those of a view drawn alone with
// the given settings.
std::vector<uint32_t> curvePixels(const std::vector<uint32_t>& screen) {
    const CRect r = row(curveView).rect;
    std::vector<uint32_t> pixels;
    for (int32_t y = r.top; y < r.bottom - 1; ++y) {
        for (int32_t x = r.left; x < r.right - 1; ++x)
            pixels.push_back(screen[size_t(y * 465 + x)]);
    }
    return pixels;
}
std::vector<uint32_t> curveDrawnAlone(const test::FakeEffect& e) {
    CCurveView view(row(curveView).rect, nullptr, kCurveViewTag);
    view.setSweepStart(e.values[kStart]);
    view.setSweepEnd(e.values[kEnd]);
    view.setSweepHold(e.values[kHold]);
    view.setSweepDecay(e.values[kDecay]);
    view.setSweepStartMode(e.values[kStartMode]);
    view.setSweepEndMode(e.values[kEndMode]);
    std::vector<uint32_t> screen(465 * 360);
    CDrawContext context({screen.data(), 465, 360, 465});
    view.draw(&context);
    return curvePixels(screen);
}

TEST(EditorOpen, EveryControlAndTheCurveShowTheEffectsValuesAndTimeIsAskedFor) {
    EditorWindow w;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (float& v : w.effect.values) v = unit(rng);
    w.effect.values[kStartMode] = 0.5f;  // Flip, so the mirrored sweep shows too
    w.editor.close();
    w.effect.calls.clear();
    w.editor.open(nullptr);

    EXPECT_EQ(w.effect.calls, std::vector<std::string>{"time info"});
    for (int32_t p = 0; p < kNumParameters; ++p) {
        EXPECT_EQ(w[controlOf(p)]->getValue(), w.effect.values[size_t(p)]) << "parameter " << p;
    }
    EXPECT_EQ(curvePixels(w.render()), curveDrawnAlone(w.effect));
}

// Each row reads its parameter and the partners a write of it may change,
// controls first, then the curve's settings, in a fixed order.
TEST(EditorSync, EachWriteRefreshesItsRowFromTheEffectInOrder) {
    const std::vector<std::vector<int32_t>> expectedReads{{0, 2, 1, 2, 1},
                                                          {1, 2, 1, 2},
                                                          {2, 1, 2, 1},
                                                          {3, 4, 5, 5, 4},
                                                          {4, 5, 3, 4, 5},
                                                          {5, 4, 3, 5, 4},
                                                          {6, 6},
                                                          {7, 7},
                                                          {8},
                                                          {9},
                                                          {10},
                                                          {11},
                                                          {12},
                                                          {13},
                                                          {14},
                                                          {15},
                                                          {16},
                                                          {17},
                                                          {18},
                                                          {19}};
    EditorWindow w;
    for (int32_t p = 0; p < kNumParameters; ++p) {
        w.effect.reads.clear();
        w.editor.setParameter(p, 123.0f);  // the value given plays no part
        EXPECT_TRUE(w.effect.reads.empty()) << "the handler only posts";
        w.render();
        EXPECT_EQ(w.effect.reads, expectedReads[size_t(p)]) << "parameter " << p;
    }

    // A write of LFO Freq shows LFO Freq Source at 0 without reading it.
    w[lfoFreqSourceSwitch]->setValue(1.0f);
    w.editor.setParameter(kLfoFreq, 0.3f);
    w.render();
    EXPECT_EQ(w[lfoFreqSourceSwitch]->getValue(), 0.0f);

    // Several writes before one idle: each row once, in ascending order.
    w.effect.reads.clear();
    for (int32_t p : {9, 6, 9, 8}) w.editor.setParameter(p, 0.0f);
    w.render();
    EXPECT_EQ(w.effect.reads, (std::vector<int32_t>{6, 6, 8, 9}));
}

TEST(EditorSync, IndicesThatNameNothingChangeNothing) {
    EditorWindow w;
    const std::vector<uint32_t> before = w.render();
    w.effect.reads.clear();
    w.effect.calls.clear();
    for (int32_t index : {20, 21, 24, 26, 27, 38, 99, 1000, -1, -28, INT32_MIN, INT32_MAX}) {
        w.editor.setParameter(index, 1.0f);
    }
    EXPECT_EQ(w.render(), before);
    EXPECT_TRUE(w.effect.reads.empty());
    EXPECT_TRUE(w.effect.calls.empty());
}

TEST(EditorSync, AClosedWindowHearsNothingAndShowsTheTruthWhenItOpens) {
    EditorWindow w;
    w.editor.close();
    w.effect.calls.clear();
    w.effect.values[kDryWet] = 0.25f;
    for (int32_t index : {int32_t(kDryWet), 22, 23, 25, 28, 35, 36, 37})
        w.editor.setParameter(index, 1.0f);
    w.editor.idle();
    EXPECT_TRUE(w.effect.calls.empty());  // no preset was loaded, nothing reached the host
    EXPECT_EQ(w.editor.getFrame(), nullptr);

    w.editor.open(nullptr);
    EXPECT_EQ(w[dryWetSlider]->getValue(), 0.25f);
    w.render();
    EXPECT_EQ(w.editor.getCurveView()->getTraceLength(0), 0);  // nothing was queued
    EXPECT_EQ(w[triggerLevelMeter]->getValue(), 0.0f);
}

TEST(EditorDisplay, MetersTempoCurvePointsAndSilenceArriveAtTheNextIdle) {
    EditorWindow w;
    w.editor.setParameter(22, 0.4f);
    w.editor.setParameter(23, 0.7f);
    w.editor.setParameter(36, 96.5f);
    for (float p : {99.3f, 0.4f, 0.5f}) w.editor.setParameter(25, p);
    CCurveView* curve = w.editor.getCurveView();
    EXPECT_EQ(curve->getTraceLength(curve->getCurrentTrace()), 0);  // not before the idle
    w.render();
    EXPECT_EQ(w[selectivityMeter]->getValue(), 0.4f);
    EXPECT_EQ(w[triggerLevelMeter]->getValue(), 0.7f);
    char text[kDisplayTextSize];
    w.controls().get<CParamDisplay>(tempoDisplay)->makeText(text);
    EXPECT_STREQ(text, "96.5");
    const int32_t trace = curve->getCurrentTrace();
    ASSERT_EQ(curve->getTraceLength(trace), 3);
    EXPECT_EQ(curve->getTracePoint(trace, 0), 30);
    EXPECT_EQ(curve->getTracePoint(trace, 2), 50);

    w.editor.setParameter(37, 999.0f);
    w.render();
    EXPECT_EQ(curve->getTraceLength(trace), 0);
    EXPECT_EQ(w[selectivityMeter]->getValue(), 0.0f);
    EXPECT_EQ(w[triggerLevelMeter]->getValue(), 0.0f);
}

TEST(EditorPresets, EachReportOfAPresetButtonLoadsTheWholePreset) {
    EditorWindow w;
    w.render();
    w.effect.automated.clear();
    w.effect.calls.clear();
    const CRect button = w.controls().presetButton(2)->getViewSize();
    w.window().postMouseDown({button.left + 5, button.top + 5}, kLButton);
    w.window().postMouseUp({button.left + 5, button.top + 5}, 0);
    w.render();

    std::vector<std::pair<int32_t, float>> oneLoad;
    for (int32_t i = 0; i < kNumParameters; ++i) oneLoad.push_back({i, presetTable[2][i]});
    std::vector<std::pair<int32_t, float>> twice = oneLoad;
    twice.insert(twice.end(), oneLoad.begin(), oneLoad.end());
    EXPECT_EQ(w.effect.automated, twice);  // pressed, then released
    EXPECT_EQ(std::count(w.effect.calls.begin(), w.effect.calls.end(), "update display"), 2);
    EXPECT_EQ(w.effect.calls.back(), "update display");
    for (int32_t i = 0; i < kNumParameters; ++i) {
        EXPECT_EQ(w[controlOf(i)]->getValue(), presetTable[2][i]) << i;
    }

    // A preset index from the handler, on whatever thread, loads at the next idle.
    w.effect.automated.clear();
    w.editor.setParameter(28 + 6, 0.0f);
    EXPECT_TRUE(w.effect.automated.empty());
    w.render();
    EXPECT_EQ(w.effect.automated.size(), 20u);
    EXPECT_EQ(w.effect.automated[kEnd].second, presetTable[6][kEnd]);
}

// The real effect behind the editor: its couplings reach the controls.
struct EffectWithEditor {
    EffectWithEditor() { editor().open(nullptr); }
    TavoluEdit& editor() { return *static_cast<TavoluEdit*>(effect.getEditor()); }
    CControl* operator[](ControlId id) { return editor().getControls()[id]; }
    Tavolu effect{nullptr, &TavoluEdit::create};
};

TEST(EditorWithEffect, CoupledParametersMoveTheirPartnersControls) {
    EffectWithEditor e;
    // Start=End on: moving End drags Start along, on screen too.
    e.effect.setParameter(kStartEqualsEnd, 1.0f);
    e.editor().idle();
    EXPECT_EQ(e[startEqualsEndButton]->getValue(), 1.0f);
    e[endSlider]->setValue(0.8f);
    e.editor().valueChanged(nullptr, e[endSlider]);
    e.editor().idle();
    EXPECT_EQ(e.effect.getParameter(kStart), 0.8f);
    EXPECT_EQ(e[startSlider]->getValue(), 0.8f);

    // Hold pulled below Attack pulls Attack down with it.
    e.effect.setParameter(kAttack, 0.9f);
    e.effect.setParameter(kHold, 0.1f);
    e.editor().idle();
    EXPECT_EQ(e[attackSlider]->getValue(), e.effect.getParameter(kAttack));
    EXPECT_EQ(e[holdSlider]->getValue(), e.effect.getParameter(kHold));
    EXPECT_EQ(e[decaySlider]->getValue(), e.effect.getParameter(kDecay));

    // A host write of LFO Freq shows the source switch back at Manual.
    e.effect.setParameter(kLfoFreqSource, 1.0f);
    e.editor().idle();
    EXPECT_EQ(e[lfoFreqSourceSwitch]->getValue(), 1.0f);
    e.effect.setParameter(kLfoFreq, 0.3f);
    e.editor().idle();
    EXPECT_EQ(e[lfoFreqSourceSwitch]->getValue(), 0.0f);
    EXPECT_EQ(e.effect.getParameter(kLfoFreqSource), 0.0f);
}

TEST(EditorWithEffect, AProgramChangeMovesEveryControl) {
    EffectWithEditor e;
    e.effect.setProgram(7);
    e.editor().idle();
    for (int32_t p = 0; p < kNumParameters; ++p) {
        EXPECT_EQ(e[controlOf(p)]->getValue(), e.effect.getParameter(p)) << p;
    }
}

}  // namespace
}  // namespace tavolu
