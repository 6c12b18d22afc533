// Opens a panel in a bare X window that plays the host's part: the window is
// the editor's parent, and the loop below calls the editor's idle the way a
// host's timer would. Close the window to quit.
//
//   tavolu_playground          every kind of control on drawn images; prints
//                              each value a control reports, with its tag
//   tavolu_playground --skin   the plug-in's own editor on a real effect;
//                              prints each parameter change the host is told of
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

#include "editor/tavolu_edit.h"
#include "sample_panel.h"
#include "shell/tavolu.h"

namespace {

using namespace tavolu;

// What the loop drives: open, idle, close, and a way to print what happened.
struct Panel {
    virtual ~Panel() = default;
    virtual void open(void* parent) = 0;
    virtual void idle() = 0;
    virtual void close() = 0;
};

struct SamplePanel final : Panel {
    void open(void* parent) override { editor.open(parent); }
    void idle() override {
        editor.idle();
        for (; shown < editor.reports.size(); ++shown) {
            std::printf("tag %d -> %.4f\n", editor.reports[shown].tag,
                        double(editor.reports[shown].value));
        }
    }
    void close() override { editor.close(); }
    sample::SampleEditor editor;
    size_t shown = 0;
};

vst2::VstIntPtr printingHost(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32 index,
                             vst2::VstIntPtr, void*, float opt) {
    if (opcode == vst2::audioMasterVersion) return 2400;
    if (opcode == vst2::audioMasterAutomate)
        std::printf("parameter %d -> %.4f\n", index, double(opt));
    return 0;
}

struct PluginPanel final : Panel {
    void open(void* parent) override { effect.getEditor()->open(parent); }
    void idle() override { effect.getEditor()->idle(); }
    void close() override { effect.getEditor()->close(); }
    Tavolu effect{&printingHost, &TavoluEdit::create};
};

// Runs `panel` in a new top-level window until the user closes it.
int run(Panel& panel, const CRect& size, const char* title) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "playground: cannot open the X display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    Window parent = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                        unsigned(size.right), unsigned(size.bottom), 0,
                                        BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, parent, title);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, parent, &deleteWindow, 1);
    XMapWindow(display, parent);
    XSync(display, False);

    panel.open(reinterpret_cast<void*>(uintptr_t(parent)));
    bool running = true;
    while (running) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && Atom(event.xclient.data.l[0]) == deleteWindow) {
                running = false;
            }
        }
        panel.idle();
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));  // a host's idle timer
    }
    panel.close();
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--skin") == 0) {
        PluginPanel panel;
        return run(panel, {0, 0, layout::kWindowWidth, layout::kWindowHeight}, "Tavolu editor");
    }
    if (argc > 1) {
        std::fprintf(stderr, "usage: %s [--skin]\n", argv[0]);
        return 2;
    }
    SamplePanel panel;
    return run(panel, sample::kPanelRect, "Toolkit playground");
}
