// Controls and parameters in step, both ways: the parameter-update handler
// with the rows that say which controls and curve settings each parameter
// write refreshes, the preset buttons, and what a moved control does.
#include <span>

#include "common/parameter_index.h"
#include "editor/curve_view.h"
#include "editor/tavolu_edit.h"
#include "shell/programs.h"

namespace tavolu {

namespace {

using namespace layout;

// A control refreshed from a parameter's current value; kFixedZero instead
// of a parameter stands for the value 0.0.
constexpr int32_t kFixedZero = -1;
struct ControlRefresh {
    ControlId control;
    int32_t parameter;
};

using CurveSetter = void (CCurveView::*)(float);
struct CurveRefresh {
    CurveSetter set;
    int32_t parameter;
};

// One parameter's row: its own control first, then the partners a write of
// it may change, in the order they are refreshed.
struct SyncRow {
    ControlRefresh controls[3];
    int controlCount;
    CurveRefresh curve[2];
    int curveCount;
};

constexpr CurveRefresh kStartSetting{&CCurveView::setSweepStart, kStart};
constexpr CurveRefresh kEndSetting{&CCurveView::setSweepEnd, kEnd};
constexpr CurveRefresh kHoldSetting{&CCurveView::setSweepHold, kHold};
constexpr CurveRefresh kDecaySetting{&CCurveView::setSweepDecay, kDecay};

// clang-format off
constexpr SyncRow kSyncRows[kNumParameters] = {
    /* Start=End */ {{{startEqualsEndButton, kStartEqualsEnd}, {startSlider, kStart}, {endSlider, kEnd}}, 3,
                     {kStartSetting, kEndSetting}, 2},
    /* End */       {{{endSlider, kEnd}, {startSlider, kStart}}, 2, {kEndSetting, kStartSetting}, 2},
    /* Start */     {{{startSlider, kStart}, {endSlider, kEnd}}, 2, {kStartSetting, kEndSetting}, 2},
    /* Attack */    {{{attackSlider, kAttack}, {holdSlider, kHold}, {decaySlider, kDecay}}, 3,
                     {kDecaySetting, kHoldSetting}, 2},
    /* Hold */      {{{holdSlider, kHold}, {decaySlider, kDecay}, {attackSlider, kAttack}}, 3,
                     {kHoldSetting, kDecaySetting}, 2},
    /* Decay */     {{{decaySlider, kDecay}, {holdSlider, kHold}, {attackSlider, kAttack}}, 3,
                     {kDecaySetting, kHoldSetting}, 2},
    /* Start Mode */{{{startModeSwitch, kStartMode}}, 1, {{&CCurveView::setSweepStartMode, kStartMode}}, 1},
    /* End Mode */  {{{endModeSwitch, kEndMode}}, 1, {{&CCurveView::setSweepEndMode, kEndMode}}, 1},
    /* Trig Src */  {{{trigSourceSwitch, kTrigSource}}, 1, {}, 0},
    /* Threshold */ {{{thresholdSlider, kThreshold}}, 1, {}, 0},
    /* Select. */   {{{selectivitySlider, kSelectivity}}, 1, {}, 0},
    /* LFO Mod */   {{{lfoModSlider, kLfoMod}}, 1, {}, 0},
    /* LFO Delay */ {{{lfoDelaySlider, kLfoDelay}}, 1, {}, 0},
    // A write of LFO Freq sets LFO Freq Source to Manual in the effect.
    /* LFO Freq */  {{{lfoFreqSlider, kLfoFreq}, {lfoFreqSourceSwitch, kFixedZero}}, 2, {}, 0},
    /* LFO Src */   {{{lfoFreqSourceSwitch, kLfoFreqSource}}, 1, {}, 0},
    /* LFO Sync */  {{{lfoSyncSwitch, kLfoSync}}, 1, {}, 0},
    /* Sync Flip */ {{{lfoSyncFlipButton, kLfoSyncFlip}}, 1, {}, 0},
    /* Center Vol */{{{centerVolSlider, kCenterVol}}, 1, {}, 0},
    /* Dry-Wet */   {{{dryWetSlider, kDryWet}}, 1, {}, 0},
    /* Stereo */    {{{stereoButton, kStereo}}, 1, {}, 0},
};
// clang-format on

// Editor indices above the parameters.
enum EditorIndex : int32_t {
    kSelectivityLevel = 22,
    kTriggerLevel = 23,
    kPanPosition = 25,
    kFirstPreset = kFirstPresetTag,  // 28..35
    kTempo = 36,
    kSilence = 37,
};

bool isPresetIndex(int32_t index) {
    return index >= kFirstPreset && index < kFirstPreset + kPresetButtonCount;
}

}  // namespace

// [any thread] Posts and returns: the controls are the UI thread's, and the
// mailbox hands them what was posted at the next idle.
void TavoluEdit::setParameter(vst2::VstInt32 index, float value) {
    if (!editorOpen.load(std::memory_order_acquire)) return;
    if (isParameterIndex(index)) {
        mailbox.postParameter(index);
    } else if (isPresetIndex(index)) {
        mailbox.postPreset(index - kFirstPreset);
    } else {
        switch (index) {
            case kSelectivityLevel: mailbox.postMeter(Meter::selectivity, value); break;
            case kTriggerLevel: mailbox.postMeter(Meter::triggerLevel, value); break;
            case kPanPosition: mailbox.postCurvePoint(value); break;
            case kTempo: mailbox.postTempo(value); break;
            case kSilence: mailbox.postCurveClear(); break;
            default: break;  // 20, 21, 24, 26, 27, above 37, negative: nothing
        }
    }
}

// [UI thread] Every value is read back from the effect, so that partners
// the write forced along show too.
void TavoluEdit::refreshParameter(int32_t index) {
    if (!isParameterIndex(index) || !effect) return;
    const SyncRow& row = kSyncRows[index];
    for (const ControlRefresh& r : std::span(row.controls, size_t(row.controlCount))) {
        setControl(r.control, r.parameter == kFixedZero ? 0.0f : effect->getParameter(r.parameter));
    }
    if (!curveView) return;
    for (const CurveRefresh& r : std::span(row.curve, size_t(row.curveCount))) {
        (curveView->*r.set)(effect->getParameter(r.parameter));
    }
}

// [UI thread] The whole preset goes through the effect, each value told to
// the host; the current program keeps its number and name.
void TavoluEdit::loadPreset(int32_t k) {
    if (k < 0 || k >= kPresetButtonCount || !effect) return;
    if (controls.presetButton(k)) {
        for (int32_t i = 0; i < kNumParameters; ++i) {
            effect->setParameterAutomated(i, presetTable[k][i]);
        }
    }
    effect->updateDisplay();
}

// [UI thread]
void TavoluEdit::valueChanged(CDrawContext*, CControl* control) {
    if (!control) return;
    const int32_t tag = control->getTag();
    const float value = control->getValue();
    if (isParameterIndex(tag)) {
        if (effect) effect->setParameterAutomated(tag, value);
    } else if (isPresetIndex(tag)) {
        loadPreset(tag - kFirstPreset);  // each report loads it: press and release
    } else {
        setParameter(tag, value);
    }
    control->setDirty();
}

// [UI thread] No modifier click is the editor's: Control-click defaults and
// Shift's fine steps stay the controls' own.
int32_t TavoluEdit::controlModifierClicked(CDrawContext*, CControl*, int32_t) {
    return 0;
}

// [UI thread] The host hears the gesture brackets of parameter controls only.
void TavoluEdit::beginEdit(int32_t tag) {
    if (effect && isParameterIndex(tag)) effect->beginEdit(tag);
}

void TavoluEdit::endEdit(int32_t tag) {
    if (effect && isParameterIndex(tag)) effect->endEdit(tag);
}

}  // namespace tavolu
