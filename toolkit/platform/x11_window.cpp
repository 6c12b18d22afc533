#include "toolkit/platform/x11_window.h"

// The standard headers come first: Xlibint.h defines macros (min, max) that
// would break them.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "toolkit/view.h"

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
// clang-format on
#undef min
#undef max

namespace tavolu {

namespace {

// Our connection's errors (a parent the host destroyed too early, a refused
// shared-memory segment) must never reach the process-wide handler, whose
// default ends the host. A hook of our own on this display takes them all;
// failures show up as the failed status of the round trip that follows.
int swallowError(Display*, xError*, XExtCodes*, int* returnCode) {
    *returnCode = 0;
    return 1;  // handled
}

constexpr int kBitsPerPixel = 32;

int32_t buttonsFromState(unsigned int state) {
    int32_t buttons = 0;
    if (state & Button1Mask) buttons |= kLButton;
    if (state & Button2Mask) buttons |= kMButton;
    if (state & Button3Mask) buttons |= kRButton;
    if (state & ShiftMask) buttons |= kShift;
    if (state & ControlMask) buttons |= kControl;
    if (state & Mod1Mask) buttons |= kAlt;
    return buttons;
}

int32_t buttonBit(unsigned int button) {
    switch (button) {
        case Button1: return kLButton;
        case Button2: return kMButton;
        case Button3: return kRButton;
        default: return 0;
    }
}

class X11Window : public PlatformWindow {
  public:
    X11Window(Display* display, int32_t width, int32_t height)
        : display(display), width(width), height(height) {}
    ~X11Window() override;

    bool create(Window parent, bool useSharedMemory);

    PixelSurface backBuffer() override { return {pixels, width, height, width}; }
    void present(std::span<const CRect> rects) override;
    void pumpEvents(PlatformEvents& sink) override;
    bool isOnScreen() const override { return true; }
    bool usesSharedMemory() const { return shared; }
    uint64_t nativeHandle() const override { return window; }
    bool presentsThroughSharedMemory() const override { return shared; }

  private:
    bool makeImage(Visual* visual, int depth);
    bool makeSharedImage(Visual* visual, int depth);
    void dispatch(const XEvent& event, PlatformEvents& sink);
    void markOpaque(const CRect& area);

    Display* display;
    int32_t width;
    int32_t height;
    Window window = 0;
    GC gc = nullptr;
    XImage* image = nullptr;
    uint32_t* pixels = nullptr;
    std::vector<uint32_t> ownPixels;  // the back buffer without shared memory
    XShmSegmentInfo shm{};
    bool shared = false;
    bool visualHasAlpha = false;  // a 32-bit visual reads the top byte as alpha
};

bool visualFits(const XWindowAttributes& attributes) {
    const Visual* v = attributes.visual;
    return (attributes.depth == 24 || attributes.depth == 32) && v && v->red_mask == 0xFF0000 &&
           v->green_mask == 0x00FF00 && v->blue_mask == 0x0000FF;
}

bool X11Window::create(Window parent, bool useSharedMemory) {
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;  // we paint every pixel: no flash of grey
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    window = XCreateWindow(display, parent, 0, 0, unsigned(std::max(width, 1)),
                           unsigned(std::max(height, 1)), 0, CopyFromParent, InputOutput,
                           CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
    XWindowAttributes created{};
    if (!window || !XGetWindowAttributes(display, window, &created)) {
        window = 0;  // a bad parent: the error was ours and is gone
        return false;
    }
    if (!visualFits(created)) return false;
    visualHasAlpha = created.depth == 32;
    gc = XCreateGC(display, window, 0, nullptr);
    if (!gc) return false;
    const bool imageMade = (useSharedMemory && makeSharedImage(created.visual, created.depth)) ||
                           makeImage(created.visual, created.depth);
    if (!imageMade) {
        return false;
    }
    std::fill(pixels, pixels + size_t(width) * size_t(height), 0u);
    XMapWindow(display, window);
    XFlush(display);
    return true;
}

bool X11Window::makeImage(Visual* visual, int depth) {
    ownPixels.assign(size_t(width) * size_t(height), 0);
    image = XCreateImage(display, visual, unsigned(depth), ZPixmap, 0,
                         reinterpret_cast<char*>(ownPixels.data()), unsigned(width),
                         unsigned(height), kBitsPerPixel, width * 4);
    if (!image) return false;
    image->byte_order = LSBFirst;  // our pixels are native 32-bit words
    pixels = ownPixels.data();
    return true;
}

bool X11Window::makeSharedImage(Visual* visual, int depth) {
    if (!XShmQueryExtension(display)) return false;
    image = XShmCreateImage(display, visual, unsigned(depth), ZPixmap, nullptr, &shm,
                            unsigned(width), unsigned(height));
    if (!image) return false;
    if (image->bits_per_pixel != kBitsPerPixel || image->bytes_per_line != width * 4) {
        XDestroyImage(image);
        image = nullptr;
        return false;
    }
    shm.shmid =
        shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * size_t(height), IPC_CREAT | 0600);
    if (shm.shmid < 0) {
        XDestroyImage(image);
        image = nullptr;
        return false;
    }
    shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
    shm.readOnly = False;
    bool attached = shm.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(display, &shm);
    if (attached) {
        // A remote server cannot see our segment; reading a pixmap through it
        // is the round trip that tells.
        Pixmap probe =
            XCreatePixmap(display, window, unsigned(width), unsigned(height), unsigned(depth));
        attached = XShmGetImage(display, probe, image, 0, 0, AllPlanes);
        XFreePixmap(display, probe);
        if (!attached) XShmDetach(display, &shm);
        XSync(display, False);
    }
    // Marked for removal now: it goes away once both sides have let go.
    shmctl(shm.shmid, IPC_RMID, nullptr);
    if (!attached) {
        if (shm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(shm.shmaddr);
        image->data = nullptr;
        XDestroyImage(image);
        image = nullptr;
        shm = {};
        return false;
    }
    image->byte_order = LSBFirst;
    pixels = reinterpret_cast<uint32_t*>(image->data);
    shared = true;
    return true;
}

X11Window::~X11Window() {
    if (image) {
        if (shared) {
            XShmDetach(display, &shm);
            XSync(display, False);
            shmdt(shm.shmaddr);
        }
        image->data = nullptr;  // the pixels are not Xlib's to free
        XDestroyImage(image);
    }
    if (gc) XFreeGC(display, gc);
    if (window) XDestroyWindow(display, window);
    XSync(display, False);
    XCloseDisplay(display);
}

void X11Window::present(std::span<const CRect> rects) {
    const CRect bounds{0, 0, width, height};
    bool drew = false;
    for (const CRect& r : rects) {
        const CRect area = r.intersection(bounds);
        if (area.isEmpty()) continue;
        const auto w = unsigned(area.width());
        const auto h = unsigned(area.height());
        if (visualHasAlpha) markOpaque(area);
        if (shared) {
            XShmPutImage(display, window, gc, image, area.left, area.top, area.left, area.top, w, h,
                         False);
        } else {
            XPutImage(display, window, gc, image, area.left, area.top, area.left, area.top, w, h);
        }
        drew = true;
    }
    // With shared memory the server reads our buffer later: wait until it has,
    // before the next drawing changes it.
    if (drew) XSync(display, False);
}

// Our drawing leaves the top byte 0; under a parent with an alpha channel a
// compositor would show that as fully transparent.
void X11Window::markOpaque(const CRect& area) {
    constexpr uint32_t kOpaque = 0xFF000000u;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint32_t* row = pixels + size_t(y) * size_t(width);
        for (int32_t x = area.left; x < area.right; ++x) row[x] |= kOpaque;
    }
}

void X11Window::pumpEvents(PlatformEvents& sink) {
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        dispatch(event, sink);
    }
}

void X11Window::dispatch(const XEvent& event, PlatformEvents& sink) {
    switch (event.type) {
        case Expose: {
            const XExposeEvent& e = event.xexpose;
            sink.onPlatformExpose({e.x, e.y, e.x + e.width, e.y + e.height});
            break;
        }
        case ButtonPress: {
            const XButtonEvent& e = event.xbutton;
            const CPoint where{e.x, e.y};
            const int32_t modifiers = buttonsFromState(e.state) & kModifierKeys;
            if (e.button == Button4 || e.button == Button5) {
                sink.onPlatformWheel(where, e.button == Button4 ? 1.0f : -1.0f, modifiers);
            } else if (const int32_t bit = buttonBit(e.button)) {
                sink.onPlatformMouseDown(where, bit | modifiers);
            }
            break;
        }
        case ButtonRelease: {
            const XButtonEvent& e = event.xbutton;
            if (const int32_t bit = buttonBit(e.button)) {
                // The state still holds the released button; leave it out.
                sink.onPlatformMouseUp({e.x, e.y}, buttonsFromState(e.state) & ~bit);
            }
            break;
        }
        case MotionNotify: {
            const XMotionEvent& e = event.xmotion;
            sink.onPlatformMouseMoved({e.x, e.y}, buttonsFromState(e.state));
            break;
        }
        default: break;
    }
}

}  // namespace

std::unique_ptr<PlatformWindow> createX11Window(uint64_t parent, int32_t width, int32_t height,
                                                bool useSharedMemory) {
    if (parent == 0 || width <= 0 || height <= 0) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    XExtCodes* codes = XAddExtension(display);
    if (!codes) {
        XCloseDisplay(display);
        return nullptr;
    }
    XESetError(display, codes->extension, swallowError);

    auto window = std::make_unique<X11Window>(display, width, height);
    if (!window->create(Window(parent), useSharedMemory))
        return nullptr;  // the destructor cleans up
    return window;
}

}  // namespace tavolu
