// A window that lives in memory: the back buffer, a "screen" that present()
// copies to, and a queue of input events that the next pump delivers.
#pragma once

#include <vector>

#include "toolkit/platform/platform_window.h"

namespace tavolu {

class OffscreenWindow : public PlatformWindow {
  public:
    OffscreenWindow(int32_t width, int32_t height);

    PixelSurface backBuffer() override;
    void present(std::span<const CRect> rects) override;
    void pumpEvents(PlatformEvents& sink) override;
    bool isOnScreen() const override { return false; }
    uint64_t nativeHandle() const override { return 0; }

    // What has been presented, 0x00RRGGBB; the screen starts black.
    uint32_t screenPixel(int32_t x, int32_t y) const;
    const std::vector<uint32_t>& screenPixels() const { return screen; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }

    // The rectangles the last present() was given, unless cleared since.
    const std::vector<CRect>& presentedRects() const { return presented; }
    void clearPresentedRects() { presented.clear(); }

    // Input for the next pump, as a window system would deliver it.
    void postMouseDown(CPoint where, int32_t buttons);
    void postMouseMoved(CPoint where, int32_t buttons);
    void postMouseUp(CPoint where, int32_t buttons);
    void postWheel(CPoint where, float distance, int32_t buttons);
    void postExpose(const CRect& rect);

  private:
    enum class EventKind { mouseDown, mouseMoved, mouseUp, wheel, expose };
    struct Event {
        EventKind kind;
        CPoint where;
        int32_t buttons = 0;
        float distance = 0.0f;
        CRect rect;
    };

    int32_t width;
    int32_t height;
    std::vector<uint32_t> back;
    std::vector<uint32_t> screen;
    std::vector<CRect> presented;
    std::vector<Event> pending;
};

}  // namespace tavolu
