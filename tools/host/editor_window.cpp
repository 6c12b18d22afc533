#include "tools/host/editor_window.h"

// The standard headers come first: Xlibint.h defines macros (min, max) that
// would break them.
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/Xutil.h>
// clang-format on
#undef min
#undef max

namespace tavolu::host {
namespace {

// Time for the server to act on what the editor sent through its own
// connection before the last idle's picture is read through ours.
constexpr auto kSettle = std::chrono::milliseconds(20);

// Errors on our connection (a window the server refused, a read it could not
// serve) must not reach the process-wide handler, whose default ends the
// program, nor disturb the handler the plug-in may have set. A hook on our
// display takes them; the failed call that caused one reports it.
int swallowError(Display*, xError*, XExtCodes*, int* returnCode) {
    *returnCode = 0;
    return 1;  // handled
}

// One colour channel of a TrueColor pixel, scaled to 8 bits.
std::uint8_t channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long top = mask >> shift;
    return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / top);
}

}  // namespace

EditorWindow::~EditorWindow() {
    close();
}

bool EditorWindow::open(const std::string& serverProgram, std::string& error) {
    close();
    int width = 0;
    int height = 0;
    if (!plugin_.editorSize(width, height)) {
        error = "the plug-in's editor gives no size (effEditGetRect)";
        return false;
    }
    if (width < 1 || height < 1 || width > kMaxEditorSide || height > kMaxEditorSide) {
        error = "the plug-in's editor claims " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels, which this host cannot show";
        return false;
    }
    if (!server_.start(serverProgram, width, height, error)) return false;
    const std::string& name = server_.displayName();
    display_ = XOpenDisplay(name.c_str());
    if (!display_) {
        error = "cannot connect to the private X server " + name;
        close();
        return false;
    }
    if (XExtCodes* codes = XAddExtension(display_))
        XESetError(display_, codes->extension, swallowError);

    const int screen = DefaultScreen(display_);
    const unsigned long black = BlackPixel(display_, screen);
    parent_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0,
                                  static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                  black, black);
    XMapWindow(display_, parent_);
    XSync(display_, False);
    width_ = width;
    height_ = height;

    // Plug-ins open their own connection to the display the host runs on.
    const char* current = std::getenv("DISPLAY");
    savedDisplay_ = current ? std::optional<std::string>(current) : std::nullopt;
    setenv("DISPLAY", name.c_str(), 1);
    displaySet_ = true;

    plugin_.openEditor(reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent_)));
    editorOpen_ = true;
    nextIdle_ = kEditorIdleInterval;
    idles_ = 0;
    return true;
}

void EditorWindow::idle() {
    plugin_.idleEditor();
    ++idles_;
}

void EditorWindow::idleAt(double seconds) {
    if (!editorOpen_ || seconds < nextIdle_) return;
    // One idle however long the block: several in a row would show nothing new.
    idle();
    while (nextIdle_ <= seconds) nextIdle_ += kEditorIdleInterval;
}

std::optional<Canvas> EditorWindow::capture(std::string& error) {
    if (!editorOpen_) {
        error = "the editor is not open";
        return std::nullopt;
    }
    for (int i = 0; i < kEditorFinalIdles; ++i) {
        idle();
        XSync(display_, False);
        std::this_thread::sleep_for(kSettle);
    }
    XSync(display_, False);
    // The parent's pixels include the editor's child window drawn over it.
    XImage* image = XGetImage(display_, parent_, 0, 0, static_cast<unsigned>(width_),
                              static_cast<unsigned>(height_), AllPlanes, ZPixmap);
    if (!image) {
        error = "cannot read the editor's window back from the X server";
        return std::nullopt;
    }
    Canvas picture(width_, height_, {0, 0, 0});
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            picture.set(x, y,
                        {channel(pixel, image->red_mask), channel(pixel, image->green_mask),
                         channel(pixel, image->blue_mask)});
        }
    }
    XDestroyImage(image);
    return picture;
}

void EditorWindow::restoreDisplayVariable() {
    if (!displaySet_) return;
    if (savedDisplay_)
        setenv("DISPLAY", savedDisplay_->c_str(), 1);
    else
        unsetenv("DISPLAY");
    displaySet_ = false;
}

void EditorWindow::close() {
    // The editor goes first, while its window and the server are still there.
    if (editorOpen_) {
        plugin_.closeEditor();
        editorOpen_ = false;
    }
    if (display_) {
        if (parent_) XDestroyWindow(display_, parent_);
        XCloseDisplay(display_);
        display_ = nullptr;
    }
    parent_ = 0;
    restoreDisplayVariable();
    server_.stop();
}

}  // namespace tavolu::host
