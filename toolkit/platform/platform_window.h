// What the frame needs of a window system: a back buffer to draw into, a way
// to copy parts of it to the screen, and the input events since the last look.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "toolkit/draw_context.h"
#include "toolkit/geometry.h"

namespace tavolu {

// Where a window delivers its input; the frame implements it.
class PlatformEvents {
  public:
    virtual ~PlatformEvents() = default;
    virtual void onPlatformMouseDown(CPoint where, int32_t buttons) = 0;
    virtual void onPlatformMouseMoved(CPoint where, int32_t buttons) = 0;
    virtual void onPlatformMouseUp(CPoint where, int32_t buttons) = 0;
    virtual void onPlatformWheel(CPoint where, float distance, int32_t buttons) = 0;
    // Part of the window was uncovered and must be shown again.
    virtual void onPlatformExpose(const CRect& rect) = 0;
};

class PlatformWindow {
  public:
    virtual ~PlatformWindow() = default;

    // The back buffer, 0x00RRGGBB, valid for the window's life.
    virtual PixelSurface backBuffer() = 0;
    // Copies these parts of the back buffer to the screen.
    virtual void present(std::span<const CRect> rects) = 0;
    // Delivers every event that is waiting, without waiting for more.
    virtual void pumpEvents(PlatformEvents& sink) = 0;
    // True when the window is shown by a window system, false off-screen.
    virtual bool isOnScreen() const = 0;
    // The window system's id for the window (an X11 window id), 0 off-screen.
    virtual uint64_t nativeHandle() const = 0;
    // True when present() hands pixels over through shared memory.
    virtual bool presentsThroughSharedMemory() const { return false; }
};

// A window as a child of `parent` (an X11 window id), or an off-screen window
// when `parent` is null or there is no display to open one on. [UI thread]
std::unique_ptr<PlatformWindow> createPlatformWindow(void* parent, int32_t width, int32_t height);

}  // namespace tavolu
