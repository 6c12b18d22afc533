// A panel with every kind of control on procedurally drawn images, for the
// playground, the pictures, the window tests and the benchmarks.
#pragma once

#include <vector>

#include "toolkit/buttons.h"
#include "toolkit/frame.h"
#include "toolkit/param_display.h"
#include "toolkit/slider.h"
#include "toolkit/switch.h"
#include "toolkit/vu_meter.h"

namespace tavolu::sample {

constexpr CRect kPanelRect{0, 0, 465, 360};  // px

// The controls the callers look at; the frame owns them all.
struct Panel {
    CHorizontalSlider* horizontalSlider = nullptr;  // tag 1, track 20..141 x 40..61
    CVerticalSlider* verticalSlider = nullptr;      // tag 2, the first of the slider row
    CHorizontalSwitch* horizontalSwitch = nullptr;  // tag 3, 85 px, 3 positions
    COnOffButton* onOffButton = nullptr;            // tag 4
    CKickButton* kickButton = nullptr;              // tag 28, the first of the bottom row
    CVuMeter* meter = nullptr;
    CParamDisplay* display = nullptr;
    int controlCount = 0;
};

// Adds the panel's background and controls to `frame`.
Panel buildPanel(CFrame& frame, CControlListener* listener);

// A window that shows the panel, opened and idled the way an editor is; the
// meter and display follow the horizontal slider so that something moves.
class SampleEditor : public CControlListener {
  public:
    SampleEditor() = default;
    ~SampleEditor() override { close(); }

    // [UI thread] Builds the window as a child of `parentWindow` (an X11
    // window id), or off-screen; a window still open is closed first.
    bool open(void* parentWindow);
    // [UI thread]
    void close();
    void idle();
    CFrame* getFrame() const { return frame; }

    void valueChanged(CDrawContext* context, CControl* control) override;
    void beginEdit(int32_t tag) override { begins.push_back(tag); }
    void endEdit(int32_t tag) override { ends.push_back(tag); }

    const Panel& panel() const { return controls; }

    struct Report {
        int32_t tag;
        float value;
    };
    std::vector<Report> reports;
    std::vector<int32_t> begins;
    std::vector<int32_t> ends;

  private:
    CFrame* frame = nullptr;
    Panel controls;
};

}  // namespace tavolu::sample
