// Opens a panel in a bare X window that plays the host's part: the window is
// the editor's parent, and the loop below calls the editor's idle the way a
// host's timer would. Every value a control reports is printed with its tag.
// Close the window to quit.
//
//   tavolu_playground          every kind of control on drawn images
//   tavolu_playground --skin   the plug-in's own skin and control layout
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

#include "sample_panel.h"
#include "skin_editor.h"

namespace {

// Runs `editor` in a new top-level window until the user closes it.
template <class Editor>
int run(Editor& editor, const tavolu::CRect& size, const char* title) {
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

    editor.open(reinterpret_cast<void*>(uintptr_t(parent)));

    bool running = true;
    size_t shown = 0;
    while (running) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && Atom(event.xclient.data.l[0]) == deleteWindow) {
                running = false;
            }
        }
        editor.idle();
        for (; shown < editor.reports.size(); ++shown) {
            std::printf("tag %d -> %.4f\n", editor.reports[shown].tag,
                        double(editor.reports[shown].value));
        }
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));  // a host's idle timer
    }
    editor.close();
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--skin") == 0) {
        tavolu::playground::SkinEditor editor;
        return run(editor, tavolu::playground::kSkinRect, "Tavolu editor layout");
    }
    if (argc > 1) {
        std::fprintf(stderr, "usage: %s [--skin]\n", argv[0]);
        return 2;
    }
    tavolu::sample::SampleEditor editor;
    return run(editor, tavolu::sample::kPanelRect, "Toolkit playground");
}
