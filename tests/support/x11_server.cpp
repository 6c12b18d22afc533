#include "tests/support/x11_server.h"

#include <filesystem>
#include <system_error>

// Last: Xlib's macros would break the headers above.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

namespace tavolu::testing {

namespace {

constexpr int kScreenWidth = 640;   // px
constexpr int kScreenHeight = 480;  // px

}  // namespace

XvfbServer::XvfbServer() {
    const std::string program = host::findOnPath(host::kXServerProgram);
    if (program.empty()) {
        problem_ = "Xvfb is not on PATH (is the xvfb package installed?)";
    } else {
        server_.start(program, kScreenWidth, kScreenHeight, problem_);
    }
}

int XvfbServer::openSockets() const {
    if (server_.pid() <= 0) return -1;
    std::error_code error;
    std::filesystem::directory_iterator fds("/proc/" + std::to_string(server_.pid()) + "/fd",
                                            error);
    if (error) return -1;
    int sockets = 0;
    for (const auto& fd : fds) {
        const auto target = std::filesystem::read_symlink(fd.path(), error);
        if (!error && target.native().starts_with("socket:")) ++sockets;
    }
    return sockets;
}

// The root window's children, as the server has them now.
std::vector<XWindowId> HostWindow::topLevelWindows() {
    XSync(display, False);
    std::vector<XWindowId> found;
    Window root, parentOfParent, *list = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parentOfParent, &list, &count)) {
        found.assign(list, list + count);
        XFree(list);
    }
    return found;
}

HostWindow::HostWindow(const std::string& displayName, int width, int height)
    : display(XOpenDisplay(displayName.c_str())) {
    if (!display) return;
    const int screen = DefaultScreen(display);
    window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width),
                                 unsigned(height), 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
}

HostWindow::~HostWindow() {
    if (!display) return;
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

std::vector<XWindowId> HostWindow::children() {
    XSync(display, False);
    Window root, parentOfParent, *list = nullptr;
    unsigned count = 0;
    std::vector<XWindowId> found;
    if (XQueryTree(display, window, &root, &parentOfParent, &list, &count)) {
        found.assign(list, list + count);
    }
    if (list) XFree(list);
    return found;
}

bool HostWindow::size(XWindowId of, int& width, int& height) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, of, &attributes)) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

bool HostWindow::hasXTest() {
    int eventBase, errorBase, major, minor;
    return XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
}

void HostWindow::movePointer(XWindowId of, int x, int y) {
    int rootX = 0, rootY = 0;
    Window unused;
    XTranslateCoordinates(display, of, DefaultRootWindow(display), x, y, &rootX, &rootY, &unused);
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
    XSync(display, False);
}

void HostWindow::leftButton(bool down) {
    XTestFakeButtonEvent(display, Button1, down, CurrentTime);
    XSync(display, False);
}

void HostWindow::wheel(bool awayFromUser) {
    const unsigned button = awayFromUser ? Button4 : Button5;
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    XSync(display, False);
}

void HostWindow::shiftKey(bool down) {
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Shift_L), down, CurrentTime);
    XSync(display, False);
}

std::vector<uint32_t> HostWindow::pixels(XWindowId of, int width, int height) {
    XSync(display, False);
    XImage* image =
        XGetImage(display, of, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<uint32_t> out(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out[size_t(y) * size_t(width) + size_t(x)] =
                uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF;
        }
    }
    XDestroyImage(image);
    return out;
}

}  // namespace tavolu::testing
