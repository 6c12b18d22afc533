// The builder that turns the layout table's rows into controls on a frame,
// and the tempo display's text.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "editor/layout_table.h"
#include "toolkit/frame.h"

namespace tavolu {

class SkinSet;

// The controls of one open window by id. The frame owns them; these are
// plain pointers, valid until the frame is destroyed.
struct EditorControls {
    std::array<CControl*, layout::kControlCount> byId{};

    CControl* operator[](layout::ControlId id) const { return byId[size_t(id)]; }
    // The control as the class its row's kind makes (CSlider, CSwitchBase,
    // CVuMeter, CKickButton, COnOffButton, CParamDisplay, the curve view).
    template <class T>
    T* get(layout::ControlId id) const {
        return static_cast<T*>(byId[size_t(id)]);
    }
    CControl* presetButton(int n) const { return byId[size_t(layout::presetButton1 + n)]; }
};

// [any thread] The rows in the order the window creates the controls: the
// tempo display comes last.
std::span<const layout::ControlRow> controlTable();

// Makes the curve view for its place in the window; null leaves it out.
using CurveViewFactory = CControl* (*)(const CRect& size, CControlListener* listener, int32_t tag);

// [UI thread] Creates every control of the table in order, each with its
// bitmaps from `skin` and `listener` (the meters and the display take none),
// and adds each to `frame` as soon as it is set up. Sliders start at 0
// (horizontal) or 1 (vertical); the caller then sets the real values.
EditorControls buildControls(CFrame& frame, const SkinSet& skin, CControlListener* listener,
                             CurveViewFactory makeCurveView = nullptr);

// [any thread] The tempo display's text: "N/A" for exactly 0 (no tempo from
// the host), otherwise beats per minute with one decimal.
void formatTempo(float value, char* text);

}  // namespace tavolu
