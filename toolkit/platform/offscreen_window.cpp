#include "toolkit/platform/offscreen_window.h"

#include <algorithm>

namespace tavolu {

OffscreenWindow::OffscreenWindow(int32_t w, int32_t h)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      back(size_t(width) * size_t(height), 0),
      screen(size_t(width) * size_t(height), 0) {}

PixelSurface OffscreenWindow::backBuffer() {
    return {back.data(), width, height, width};
}

void OffscreenWindow::present(std::span<const CRect> rects) {
    // Only the last call's: an editor without a display may idle for hours.
    presented.assign(rects.begin(), rects.end());
    const CRect bounds{0, 0, width, height};
    for (const CRect& r : rects) {
        const CRect area = r.intersection(bounds);
        if (area.isEmpty()) continue;
        for (int32_t y = area.top; y < area.bottom; ++y) {
            const size_t row = size_t(y) * size_t(width);
            std::copy(back.begin() + row + area.left, back.begin() + row + area.right,
                      screen.begin() + row + area.left);
        }
    }
}

uint32_t OffscreenWindow::screenPixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return screen[size_t(y) * size_t(width) + size_t(x)];
}

void OffscreenWindow::pumpEvents(PlatformEvents& sink) {
    // Taken out first: a handler may post more, which wait for the next pump.
    std::vector<Event> events;
    events.swap(pending);
    for (const Event& e : events) {
        switch (e.kind) {
            case EventKind::mouseDown: sink.onPlatformMouseDown(e.where, e.buttons); break;
            case EventKind::mouseMoved: sink.onPlatformMouseMoved(e.where, e.buttons); break;
            case EventKind::mouseUp: sink.onPlatformMouseUp(e.where, e.buttons); break;
            case EventKind::wheel: sink.onPlatformWheel(e.where, e.distance, e.buttons); break;
            case EventKind::expose: sink.onPlatformExpose(e.rect); break;
        }
    }
}

void OffscreenWindow::postMouseDown(CPoint where, int32_t buttons) {
    pending.push_back({EventKind::mouseDown, where, buttons, 0.0f, {}});
}
void OffscreenWindow::postMouseMoved(CPoint where, int32_t buttons) {
    pending.push_back({EventKind::mouseMoved, where, buttons, 0.0f, {}});
}
void OffscreenWindow::postMouseUp(CPoint where, int32_t buttons) {
    pending.push_back({EventKind::mouseUp, where, buttons, 0.0f, {}});
}
void OffscreenWindow::postWheel(CPoint where, float distance, int32_t buttons) {
    pending.push_back({EventKind::wheel, where, buttons, distance, {}});
}
void OffscreenWindow::postExpose(const CRect& rect) {
    pending.push_back({EventKind::expose, {}, 0, 0.0f, rect});
}

}  // namespace tavolu
