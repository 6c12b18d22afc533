#include "tests/support/x11_server.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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

constexpr int kServerStartTimeoutMs = 15000;

}  // namespace

// The server writes its display number to the pipe once it accepts clients.
XvfbServer::XvfbServer() {
    int fds[2];
    if (pipe(fds) != 0) {
        problem_ = "pipe failed";
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten",
               "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        problem_ = "fork failed";
        return;
    }
    std::string number;
    pollfd waiting{fds[0], POLLIN, 0};
    while (number.empty() || number.back() != '\n') {
        if (poll(&waiting, 1, kServerStartTimeoutMs) <= 0) break;
        char c;
        if (read(fds[0], &c, 1) != 1) break;
        number += c;
    }
    close(fds[0]);
    if (number.empty() || number.back() != '\n') {
        problem_ = "Xvfb did not come up (is the xvfb package installed?)";
        return;
    }
    name_ = ":" + number.substr(0, number.size() - 1);
}

XvfbServer::~XvfbServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

int XvfbServer::openSockets() const {
    if (pid_ <= 0) return -1;
    std::error_code error;
    std::filesystem::directory_iterator fds("/proc/" + std::to_string(pid_) + "/fd", error);
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
