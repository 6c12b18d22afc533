// The editor as the tests open it: TavoluEdit on an effect with nothing
// behind it, its window off-screen so that the tests can post input and read
// the pixels shown.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/tavolu_edit.h"
#include "fake_effect.h"
#include "toolkit/platform/offscreen_window.h"

namespace tavolu::test {

constexpr CRect kWindowRect{0, 0, 465, 360};  // px
constexpr int kBackgroundId = 128;

struct EditorWindow {
    // Opened, with the effect holding the values a new user program starts with.
    EditorWindow();

    // One idle of the host, then the pixels on the screen.
    std::vector<uint32_t> render();
    OffscreenWindow& window() const;
    const EditorControls& controls() const { return editor.getControls(); }
    CControl* operator[](layout::ControlId id) const { return controls()[id]; }

    FakeEffect effect;
    TavoluEdit editor{&effect};
};

}  // namespace tavolu::test
