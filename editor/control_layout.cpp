#include "editor/control_layout.h"

#include <cstdio>
#include <new>

#include "editor/skin_set.h"
#include "resources/resources.h"

namespace tavolu {

namespace {

using C = EditorControls;

// Row makers, one per kind of control, so that each row of the table reads
// like a line of the layout drawing.
template <class Slider>
constexpr ControlRow slider(ControlSlot<Slider> slot, int32_t tag, CRect rect, int track,
                            int handle, int32_t travelMin, int32_t travelMax) {
    return {.slot = slot,
            .tag = tag,
            .rect = rect,
            .image = track,
            .secondImage = handle,
            .travelMin = travelMin,
            .travelMax = travelMax};
}

template <class Switch>
constexpr ControlRow switchRow(ControlSlot<Switch> slot, int32_t tag, CRect rect, int strip,
                               int32_t positions, int32_t frameHeight) {
    return {.slot = slot,
            .tag = tag,
            .rect = rect,
            .image = strip,
            .positions = positions,
            .frameHeight = frameHeight};
}

constexpr ControlRow meter(ControlSlot<CVuMeter> slot, CRect rect, int lit, int unlit) {
    return {.slot = slot, .rect = rect, .image = lit, .secondImage = unlit};
}

constexpr ControlRow curveView(int32_t tag, CRect rect) {
    return {.slot = CurveViewSlot{}, .tag = tag, .rect = rect};
}

constexpr int32_t kFirstPresetTag = 28;
constexpr int32_t kPresetFrameHeight = 35;  // px

constexpr ControlRow preset(int index, CRect rect, int image) {
    return {.slot = PresetSlot{index},
            .tag = kFirstPresetTag + index,
            .rect = rect,
            .image = image,
            .frameHeight = kPresetFrameHeight};
}

constexpr ControlRow onOff(ControlSlot<COnOffButton> slot, int32_t tag, CRect rect, int image) {
    return {.slot = slot,
            .tag = tag,
            .rect = rect,
            .image = image,
            .frameHeight = rect.bottom - rect.top};
}

constexpr ControlRow display(ControlSlot<CParamDisplay> slot, CRect rect, int background) {
    return {.slot = slot, .rect = rect, .image = background};
}

// clang-format off
constexpr ControlRow kControlTable[] = {
    //     control                  tag  rectangle (px)         track handle  travel (px)
    slider(&C::startSlider,          2, {172, 162, 293, 183},   151, 166,    172, 272),
    slider(&C::endSlider,            1, {172,  28, 293,  49},   150, 166,    172, 272),
    slider(&C::decaySlider,          5, {289,  45, 310, 166},   152, 166,     45, 145),
    slider(&C::holdSlider,           4, {154,  45, 175, 166},   153, 166,     45, 145),
    slider(&C::lfoModSlider,        11, { 22, 191,  43, 312},   154, 167,    191, 291),
    slider(&C::lfoDelaySlider,      12, { 54, 191,  75, 312},   155, 167,    191, 291),
    slider(&C::lfoFreqSlider,       13, { 86, 192, 107, 313},   156, 167,    192, 292),
    slider(&C::selectivitySlider,   10, {357, 191, 378, 312},   158, 169,    191, 291),
    slider(&C::thresholdSlider,      9, {303, 191, 324, 312},   157, 168,    191, 291),
    slider(&C::dryWetSlider,        18, {420, 191, 441, 312},   160, 170,    191, 291),
    slider(&C::centerVolSlider,     17, {396, 191, 417, 312},   161, 170,    191, 291),
    slider(&C::attackSlider,         3, {142, 124, 153, 160},   159, 149,    124, 149),
    //        control                  tag  rectangle (px)       strip positions frame (px)
    switchRow(&C::lfoSyncSwitch,       15, {160, 216, 200, 261}, 139,  3,  45),
    switchRow(&C::endModeSwitch,        7, {191,  11, 276,  26}, 140,  3,  15),
    switchRow(&C::startModeSwitch,      6, {191, 184, 276, 199}, 140,  3,  15),
    switchRow(&C::trigSourceSwitch,     8, {250, 208, 290, 298}, 141,  6,  90),
    switchRow(&C::lfoFreqSourceSwitch, 14, {115, 216, 155, 291}, 142,  5,  75),
    //    control                 rectangle (px)        lit unlit
    meter(&C::triggerLevelMeter, {328, 202, 336, 303}, 162, 163),
    meter(&C::selectivityMeter,  {345, 202, 353, 303}, 164, 165),
    curveView(21, {182, 55, 284, 157}),
    //     preset  rectangle (px)        image
    preset(0, { 84, 325, 119, 360}, 129),
    preset(1, {121, 325, 156, 360}, 130),
    preset(2, {158, 325, 193, 360}, 131),
    preset(3, {195, 325, 230, 360}, 132),
    preset(4, {232, 325, 267, 360}, 133),
    preset(5, {269, 325, 304, 360}, 134),
    preset(6, {306, 325, 341, 360}, 135),
    preset(7, {343, 325, 378, 360}, 136),
    //    control                    tag  rectangle (px)        image
    onOff(&C::startEqualsEndButton,   0, {316,  98, 366, 113}, 138),
    onOff(&C::stereoButton,          19, {399, 317, 439, 332}, 144),
    onOff(&C::lfoSyncFlipButton,     16, {160, 272, 200, 287}, 143),
    //      control             rectangle (px)        background
    display(&C::tempoDisplay, {202, 244, 247, 263}, 146),
};
// clang-format on

// Makes the control of one row and adds it to the frame; the slot's type says
// which class to make.
class RowBuilder {
  public:
    RowBuilder(const ControlRow& row, CFrame& frame, const SkinSet& skin,
               CControlListener* listener, CurveViewFactory makeCurveView, EditorControls& controls)
        : row(row),
          frame(frame),
          skin(skin),
          listener(listener),
          makeCurveView(makeCurveView),
          controls(controls) {}

    void operator()(ControlSlot<CHorizontalSlider> slot) const {
        auto* s = new CHorizontalSlider(row.rect, listener, row.tag, row.travelMin, row.travelMax,
                                        image(row.secondImage), image(row.image), {0, 0}, kLeft);
        s->setValue(0.0f);
        frame.addView(controls.*slot = s);
    }
    void operator()(ControlSlot<CVerticalSlider> slot) const {
        auto* s = new CVerticalSlider(row.rect, listener, row.tag, row.travelMin, row.travelMax,
                                      image(row.secondImage), image(row.image), {0, 0}, kBottom);
        s->setValue(1.0f);
        frame.addView(controls.*slot = s);
    }
    void operator()(ControlSlot<CHorizontalSwitch> slot) const {
        frame.addView(controls.*slot =
                          new CHorizontalSwitch(row.rect, listener, row.tag, row.positions,
                                                row.frameHeight, image(row.image)));
    }
    void operator()(ControlSlot<CVerticalSwitch> slot) const {
        frame.addView(controls.*slot =
                          new CVerticalSwitch(row.rect, listener, row.tag, row.positions,
                                              row.frameHeight, image(row.image)));
    }
    void operator()(ControlSlot<CVuMeter> slot) const {
        auto* m = new CVuMeter(row.rect, image(row.image), image(row.secondImage), kMeterLedCount);
        m->setDecreaseStepValue(kMeterDecreaseStep);
        frame.addView(controls.*slot = m);
    }
    void operator()(CurveViewSlot) const {
        if (!makeCurveView) return;
        if (CControl* view = makeCurveView(row.rect, listener, row.tag)) {
            frame.addView(controls.curveView = view);
        }
    }
    void operator()(PresetSlot slot) const {
        if (slot.index < 0 || slot.index >= kPresetButtonCount) return;
        frame.addView(controls.presetButton[slot.index] = new CKickButton(
                          row.rect, listener, row.tag, row.frameHeight, image(row.image)));
    }
    void operator()(ControlSlot<COnOffButton> slot) const {
        frame.addView(controls.*slot =
                          new COnOffButton(row.rect, listener, row.tag, image(row.image)));
    }
    // The display is the one control whose creation may fail without ending
    // the open; it is set up and added only when it exists.
    void operator()(ControlSlot<CParamDisplay> slot) const {
        auto* d = new (std::nothrow) CParamDisplay(row.rect, image(row.image), kShadowText);
        if (!d) return;
        d->setFont(&resources::sansFont12());
        d->setFontColor(kWhiteCColor);
        d->setShadowColor(kBlackCColor);
        d->setHoriAlign(kCenterText);
        d->setStringConvert(formatTempo);
        frame.addView(controls.*slot = d);
    }

  private:
    CBitmap* image(int resourceId) const { return resourceId ? skin.get(resourceId) : nullptr; }

    const ControlRow& row;
    CFrame& frame;
    const SkinSet& skin;
    CControlListener* listener;
    CurveViewFactory makeCurveView;
    EditorControls& controls;
};

}  // namespace

std::span<const ControlRow> controlTable() {
    return kControlTable;
}

EditorControls buildControls(CFrame& frame, const SkinSet& skin, CControlListener* listener,
                             CurveViewFactory makeCurveView) {
    EditorControls controls;
    for (const ControlRow& row : kControlTable) {
        std::visit(RowBuilder(row, frame, skin, listener, makeCurveView, controls), row.slot);
    }
    return controls;
}

void formatTempo(float value, char* text) {
    if (!text) return;
    if (value == 0.0f) {
        std::snprintf(text, kDisplayTextSize, "N/A");
    } else {
        std::snprintf(text, kDisplayTextSize, "%.1f", double(value));
    }
}

}  // namespace tavolu
