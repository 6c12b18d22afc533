#include "editor/control_layout.h"

#include <cstdio>
#include <new>

#include "editor/skin_set.h"
#include "resources/resources.h"
#include "toolkit/buttons.h"
#include "toolkit/param_display.h"
#include "toolkit/slider.h"
#include "toolkit/switch.h"
#include "toolkit/vu_meter.h"

namespace tavolu {

namespace {

using layout::ControlRow;
using layout::Kind;

// Makes the control of one row, or null when there is none to make.
class RowBuilder {
  public:
    RowBuilder(const SkinSet& skin, CControlListener* listener, CurveViewFactory makeCurveView)
        : skin(skin), listener(listener), makeCurveView(makeCurveView) {}

    CControl* make(const ControlRow& row) const {
        switch (row.kind) {
            case Kind::horizontalSlider: return horizontalSlider(row);
            case Kind::verticalSlider: return verticalSlider(row);
            case Kind::verticalSwitch:
                return new CVerticalSwitch(row.rect, listener, row.tag, row.positions,
                                           row.frameHeight, image(row.image));
            case Kind::horizontalSwitch:
                return new CHorizontalSwitch(row.rect, listener, row.tag, row.positions,
                                             row.frameHeight, image(row.image));
            case Kind::meter: return meter(row);
            case Kind::curveView:
                return makeCurveView ? makeCurveView(row.rect, listener, row.tag) : nullptr;
            case Kind::kickButton:
                return new CKickButton(row.rect, listener, row.tag, row.frameHeight,
                                       image(row.image));
            case Kind::onOffButton:
                return new COnOffButton(row.rect, listener, row.tag, image(row.image));
            case Kind::display: return display(row);
        }
        return nullptr;
    }

  private:
    CControl* horizontalSlider(const ControlRow& row) const {
        auto* s = new CHorizontalSlider(row.rect, listener, row.tag, row.travelMin, row.travelMax,
                                        image(row.secondImage), image(row.image), {0, 0}, kLeft);
        s->setValue(0.0f);
        return s;
    }
    CControl* verticalSlider(const ControlRow& row) const {
        auto* s = new CVerticalSlider(row.rect, listener, row.tag, row.travelMin, row.travelMax,
                                      image(row.secondImage), image(row.image), {0, 0}, kBottom);
        s->setValue(1.0f);
        return s;
    }
    CControl* meter(const ControlRow& row) const {
        auto* m = new CVuMeter(row.rect, image(row.image), image(row.secondImage),
                               layout::kMeterLedCount);
        m->setDecreaseStepValue(layout::kMeterDecreaseStep);
        return m;
    }
    // The display is the one control whose creation may fail without ending
    // the open; it is set up and added only when it exists.
    CControl* display(const ControlRow& row) const {
        auto* d = new (std::nothrow) CParamDisplay(row.rect, image(row.image), kShadowText);
        if (!d) return nullptr;
        d->setFont(&resources::sansFont12());
        d->setFontColor(kWhiteCColor);
        d->setShadowColor(kBlackCColor);
        d->setHoriAlign(kCenterText);
        d->setStringConvert(formatTempo);
        return d;
    }

    CBitmap* image(int resourceId) const { return resourceId ? skin.get(resourceId) : nullptr; }

    const SkinSet& skin;
    CControlListener* listener;
    CurveViewFactory makeCurveView;
};

}  // namespace

std::span<const ControlRow> controlTable() {
    return layout::kControlTable;
}

EditorControls buildControls(CFrame& frame, const SkinSet& skin, CControlListener* listener,
                             CurveViewFactory makeCurveView) {
    const RowBuilder builder(skin, listener, makeCurveView);
    EditorControls controls;
    for (const ControlRow& row : layout::kControlTable) {
        CControl* control = builder.make(row);
        if (!control) continue;
        controls.byId[size_t(row.id)] = control;
        frame.addView(control);
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
