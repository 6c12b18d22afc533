// Which window the frame gets: on screen under the host's window when we can,
// in memory otherwise, so a host without a display still gets a working editor.
#include "toolkit/platform/offscreen_window.h"
#include "toolkit/platform/platform_window.h"
#include "toolkit/platform/x11_window.h"

namespace tavolu {

std::unique_ptr<PlatformWindow> createPlatformWindow(void* parent, int32_t width, int32_t height) {
    if (parent) {
        // The host hands the X11 window id over as the pointer's value.
        const auto id = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(parent));
        if (auto window = createX11Window(id, width, height)) return window;
    }
    return std::make_unique<OffscreenWindow>(width, height);
}

}  // namespace tavolu
