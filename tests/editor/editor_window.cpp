#include "editor_window.h"

#include "shell/programs.h"
#include "toolkit/frame.h"

namespace tavolu::test {

EditorWindow::EditorWindow() {
    for (int i = 0; i < kNumParameters; ++i) effect.values[size_t(i)] = presetTable[kNumPresets][i];
    editor.open(nullptr);
}

std::vector<uint32_t> EditorWindow::render() {
    editor.idle();
    return window().screenPixels();
}

OffscreenWindow& EditorWindow::window() const {
    return static_cast<OffscreenWindow&>(editor.getFrame()->getWindow());
}

}  // namespace tavolu::test
