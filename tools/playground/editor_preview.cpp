// Draws the editor window as a user first sees it, off-screen, and writes it
// to a PNG file: the factory preset "Ping Pong" on the controls, both meters
// partly lit and a tempo of 120 beats per minute.
// Usage: tavolu_editor_preview out.png
#include <cstdio>

#include "png_file.h"
#include "skin_editor.h"
#include "toolkit/frame.h"
#include "toolkit/platform/offscreen_window.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    using namespace tavolu;
    playground::SkinEditor editor;
    editor.open(nullptr);
    auto* window = dynamic_cast<OffscreenWindow*>(&editor.getFrame()->getWindow());
    if (!window) return 1;

    editor.showPreset(0);
    const EditorControls& controls = editor.controls();
    controls[layout::triggerLevelMeter]->setValue(0.62f);
    controls[layout::selectivityMeter]->setValue(0.36f);
    controls[layout::tempoDisplay]->setValue(120.0f);
    editor.idle();

    if (!playground::writePng(argv[1], *window)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
