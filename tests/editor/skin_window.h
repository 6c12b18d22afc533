// The editor's window as the tests build it: the skin loaded, an off-screen
// frame with the window background, and every control from the layout.
#pragma once

#include <memory>
#include <vector>

#include "editor/control_layout.h"
#include "editor/skin_set.h"
#include "support.h"
#include "toolkit/platform/offscreen_window.h"

namespace tavolu::test {

constexpr CRect kWindowRect{0, 0, 465, 360};  // px
constexpr int kBackgroundId = 128;

// A stand-in for the curve view: a plain control that draws nothing.
CControl* makeStubCurveView(const CRect& size, CControlListener* listener, int32_t tag);

struct SkinWindow {
    explicit SkinWindow(CurveViewFactory makeCurveView = makeStubCurveView);
    ~SkinWindow();

    // Draws everything that changed and returns the window's pixels.
    std::vector<uint32_t> render();

    RecordingListener listener;
    SkinSet skin;
    OffscreenWindow* window = nullptr;
    std::unique_ptr<CFrame> frame;
    EditorControls controls;
};

}  // namespace tavolu::test
