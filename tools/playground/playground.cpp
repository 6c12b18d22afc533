// Opens the sample panel in a bare X window that plays the host's part: the
// window is the editor's parent, and the loop below calls the editor's idle
// the way a host's timer would. Close the window to quit.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "sample_panel.h"

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "playground: cannot open the X display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const auto& panel = tavolu::sample::kPanelRect;
    Window parent = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                        unsigned(panel.right), unsigned(panel.bottom), 0,
                                        BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, parent, "Toolkit playground");
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, parent, &deleteWindow, 1);
    XMapWindow(display, parent);
    XSync(display, False);

    tavolu::sample::SampleEditor editor;
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
