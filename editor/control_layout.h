// The editor's controls as data: where each one sits, its tag, the skin
// bitmaps it draws and its settings, one row per control in the order the
// window creates them; and the builder that turns the rows into controls on a
// frame.
#pragma once

#include <cstdint>
#include <span>
#include <variant>

#include "toolkit/buttons.h"
#include "toolkit/frame.h"
#include "toolkit/param_display.h"
#include "toolkit/slider.h"
#include "toolkit/switch.h"
#include "toolkit/vu_meter.h"

namespace tavolu {

class SkinSet;

constexpr int kPresetButtonCount = 8;
constexpr int32_t kNoTag = -1;  // meters and the tempo display report nothing

// The controls of one open window. The frame owns them; these are plain
// pointers, valid until the frame is destroyed.
struct EditorControls {
    CHorizontalSlider* startSlider = nullptr;
    CHorizontalSlider* endSlider = nullptr;
    CVerticalSlider* decaySlider = nullptr;
    CVerticalSlider* holdSlider = nullptr;
    CVerticalSlider* lfoModSlider = nullptr;
    CVerticalSlider* lfoDelaySlider = nullptr;
    CVerticalSlider* lfoFreqSlider = nullptr;
    CVerticalSlider* selectivitySlider = nullptr;
    CVerticalSlider* thresholdSlider = nullptr;
    CVerticalSlider* dryWetSlider = nullptr;
    CVerticalSlider* centerVolSlider = nullptr;
    CVerticalSlider* attackSlider = nullptr;
    CVerticalSwitch* lfoSyncSwitch = nullptr;
    CHorizontalSwitch* endModeSwitch = nullptr;
    CHorizontalSwitch* startModeSwitch = nullptr;
    CVerticalSwitch* trigSourceSwitch = nullptr;
    CVerticalSwitch* lfoFreqSourceSwitch = nullptr;
    CVuMeter* triggerLevelMeter = nullptr;
    CVuMeter* selectivityMeter = nullptr;
    // The curve view, as the factory given to the builder made it; null when
    // there was none. The editor knows its real class.
    CControl* curveView = nullptr;
    CKickButton* presetButton[kPresetButtonCount] = {};
    COnOffButton* startEqualsEndButton = nullptr;
    COnOffButton* stereoButton = nullptr;
    COnOffButton* lfoSyncFlipButton = nullptr;
    CParamDisplay* tempoDisplay = nullptr;
};

// Which control a row makes: the type of the slot names the control's class.
template <class T>
using ControlSlot = T* EditorControls::*;
struct PresetSlot {
    int index;  // 0..7: the button that loads factory preset `index`
};
struct CurveViewSlot {};
using RowSlot = std::variant<ControlSlot<CHorizontalSlider>, ControlSlot<CVerticalSlider>,
                             ControlSlot<CHorizontalSwitch>, ControlSlot<CVerticalSwitch>,
                             ControlSlot<CVuMeter>, CurveViewSlot, PresetSlot,
                             ControlSlot<COnOffButton>, ControlSlot<CParamDisplay>>;

// One control. Every rectangle is the control's top-left plus the size of its
// bitmap: the track of a slider, one frame of a strip. Value 0 puts a
// horizontal slider's handle at the left end, a vertical one's at the bottom.
struct ControlRow {
    RowSlot slot;
    int32_t tag = kNoTag;
    CRect rect;               // px, right and bottom exclusive
    int image = 0;            // track, strip, lit LEDs or display background
    int secondImage = 0;      // slider handle or unlit LEDs; 0 when none
    int32_t travelMin = 0;    // slider: handle top-left, px along the axis: left or top end
    int32_t travelMax = 0;    // slider: the right or bottom end
    int32_t positions = 0;    // switch positions
    int32_t frameHeight = 0;  // px, strips and buttons
};

// [any thread] The rows in the order the window creates the controls: the
// tempo display comes last.
std::span<const ControlRow> controlTable();

// Makes the curve view for its place in the window; null leaves it out.
using CurveViewFactory = CControl* (*)(const CRect& size, CControlListener* listener, int32_t tag);

constexpr int kMeterLedCount = 14;
constexpr float kMeterDecreaseStep = 0.1f;  // level per redraw

// [UI thread] Creates every control of the table in order, each with its
// bitmaps from `skin` and `listener` (the meters and the display take none),
// and adds each to `frame` as soon as it is set up. Sliders start at 0
// (horizontal) or 1 (vertical); the caller then sets the real values.
EditorControls buildControls(CFrame& frame, const SkinSet& skin, CControlListener* listener,
                             CurveViewFactory makeCurveView = nullptr);

// The tempo display's text: "N/A" for exactly 0 (no tempo from the host),
// otherwise beats per minute with one decimal. [any thread]
void formatTempo(float value, char* text);

}  // namespace tavolu
