// An editor window on the suite's private X server, watched the way a user
// sees it: the host idles it as its timer would, and the tests compare what
// the server shows before and after. The fixture says how one idle is given
// (the VST editor's effEditIdle, the LV2 UI's idle interface).
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

#include "editor/layout_table.h"
#include "tests/support/xvfb_suite.h"
#include "toolkit/geometry.h"

namespace tavolu::testing {

using Pixels = std::vector<uint32_t>;  // 0x00RRGGBB, row by row

constexpr int kEditorWidth = layout::kWindowWidth;    // px
constexpr int kEditorHeight = layout::kWindowHeight;  // px

// Pixels of `r` that differ between two pictures of the editor window.
inline int differingIn(const Pixels& a, const Pixels& b, const CRect& r) {
    int count = 0;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        for (int32_t x = r.left; x < r.right; ++x) {
            const size_t at = size_t(y) * kEditorWidth + size_t(x);
            count += a[at] != b[at];
        }
    }
    return count;
}

class EditorScreenSuite : public XvfbSuite {
  protected:
    static constexpr auto kPatience = std::chrono::seconds(5);
    static constexpr auto kIdlePeriod = std::chrono::milliseconds(2);

    // One idle, as the host's timer gives it.
    virtual void idleOnce() = 0;

    // What the server shows of the editor window now.
    Pixels picture() { return desktop->pixels(editor, kEditorWidth, kEditorHeight); }

    // The host's timer: idle, a short pause, until `done` holds or patience
    // runs out.
    template <class Done>
    bool idleUntil(Done done) {
        const auto giveUp = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < giveUp) {
            idleOnce();
            if (done()) return true;
            std::this_thread::sleep_for(kIdlePeriod);
        }
        return false;
    }
    // Idles until an idle changes nothing on the screen; the picture then.
    Pixels settle() {
        Pixels last = picture();
        idleUntil([&] {
            Pixels now = picture();
            const bool still = now == last;
            last = std::move(now);
            return still;
        });
        return last;
    }
    // Idles until the control's rectangle differs from `screen`, or until it
    // shows `screen` again.
    bool idleUntilChangedIn(layout::ControlId id, bool changed = true) {
        return idleUntil(
            [&] { return (differingIn(picture(), screen, layout::row(id).rect) > 0) == changed; });
    }

    XWindowId editor = 0;
    Pixels screen;  // the last settled picture
};

}  // namespace tavolu::testing
