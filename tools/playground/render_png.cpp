// Draws the sample panel off-screen and writes it to a PNG file, to look at.
// Usage: tavolu_toolkit_png out.png
#include <cstdio>
#include <memory>

#include "png_file.h"
#include "sample_panel.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    using namespace tavolu;
    auto owned = std::make_unique<OffscreenWindow>(int32_t(sample::kPanelRect.right),
                                                   int32_t(sample::kPanelRect.bottom));
    OffscreenWindow* window = owned.get();
    CFrame frame(sample::kPanelRect, std::move(owned));
    const sample::Panel panel = sample::buildPanel(frame, nullptr);
    panel.horizontalSlider->setValue(0.3f);
    panel.kickButton->setValue(1.0f);
    panel.display->setValue(0.3f);
    frame.idle();
    if (!playground::writePng(argv[1], *window)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
