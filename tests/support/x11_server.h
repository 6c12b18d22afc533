// A private X server for tests and a host's side of it: Xvfb started on a free
// display number, and a connection with a mapped top-level window that plays
// the host's parent window, real input through the XTest extension and the
// pixels of any window read back.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/host/private_x_server.h"

// Xlib's display type, declared without Xlib's macros (None, Bool, Status),
// which would break headers included after this one.
struct _XDisplay;

namespace tavolu::testing {

using XDisplay = _XDisplay;       // Xlib's Display
using XWindowId = unsigned long;  // Xlib's Window

// Xvfb, the host's private server, with a 640 x 480 screen; stopped again
// when the object goes.
class XvfbServer {
  public:
    XvfbServer();

    bool running() const { return !name().empty(); }
    const std::string& name() const { return server_.displayName(); }  // ":N"
    const std::string& problem() const { return problem_; }            // why it is not running
    // The sockets the server holds open: one per client connection, plus its
    // listening sockets, which stay the same. -1 when they cannot be read.
    int openSockets() const;

  private:
    host::PrivateXServer server_;
    std::string problem_;
};

// The host's connection to the server and its window, mapped at the screen's
// top-left corner. Everything it sends is synced before a call returns.
class HostWindow {
  public:
    // Null display when the server cannot be reached.
    HostWindow(const std::string& displayName, int width, int height);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool connected() const { return display != nullptr; }
    // The window id as a host passes it to a plug-in.
    void* handle() const { return reinterpret_cast<void*>(uintptr_t(window)); }

    // The children of the host's window, as the server has them now.
    std::vector<XWindowId> children();
    // Every top-level window on the screen, whoever made it.
    std::vector<XWindowId> topLevelWindows();
    // A window's size in pixels; false when the server knows no such window.
    bool size(XWindowId of, int& width, int& height);

    // Real input: the pointer to (x, y) of window `of`, the left button, a key.
    bool hasXTest();
    void movePointer(XWindowId of, int x, int y);
    void leftButton(bool down);
    void wheel(bool awayFromUser);
    void shiftKey(bool down);

    // The window's pixels as the server shows them, 0x00RRGGBB, row by row;
    // empty when they cannot be read.
    std::vector<uint32_t> pixels(XWindowId of, int width, int height);

    XDisplay* display = nullptr;
    XWindowId window = 0;  // a test may replace it (after destroying it itself)
};

}  // namespace tavolu::testing
