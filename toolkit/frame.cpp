#include "toolkit/frame.h"

#include <algorithm>

#include "toolkit/bitmap.h"

namespace tavolu {

namespace {

int32_t knobMode = 0;  // process-wide, as the host interface defines it

}  // namespace

void CFrame::setKnobMode(int32_t mode) {
    knobMode = mode;
}
int32_t CFrame::getKnobMode() {
    return knobMode;
}

CFrame::CFrame(const CRect& size, void* parentWindow)
    : CFrame(size, createPlatformWindow(parentWindow, int32_t(std::max<int64_t>(size.width(), 0)),
                                        int32_t(std::max<int64_t>(size.height(), 0)))) {}

CFrame::CFrame(const CRect& size, std::unique_ptr<PlatformWindow> platformWindow)
    : CView(size), window(std::move(platformWindow)), context(window->backBuffer()) {
    views.reserve(64);
    changedRects.reserve(64);
    setFrame(this);
}

CFrame::~CFrame() {
    focusView = nullptr;
    trackingView = nullptr;
    for (CView* view : views) delete view;
    views.clear();
    setBackground(nullptr);
}

void CFrame::setBackground(CBitmap* bitmap) {
    if (bitmap) bitmap->remember();
    if (background) background->forget();
    background = bitmap;
    fullRedraw = true;
}

bool CFrame::addView(CView* view) {
    if (!view || view == this) return false;
    if (std::find(views.begin(), views.end(), view) != views.end()) return false;
    views.push_back(view);
    view->setFrame(this);
    view->setDirty();
    return true;
}

bool CFrame::removeView(CView* view) {
    auto it = std::find(views.begin(), views.end(), view);
    if (it == views.end()) return false;
    if (focusView == view) focusView = nullptr;
    if (trackingView == view) trackingView = nullptr;
    const CRect uncovered = view->getViewSize();
    views.erase(it);
    delete view;
    drawArea(uncovered);
    return true;
}

CView* CFrame::getView(int index) const {
    if (index < 0 || index >= int(views.size())) return nullptr;
    return views[size_t(index)];
}

void CFrame::draw(CDrawContext* target) {
    if (!target) return;
    // Black wherever the background image does not reach (or is missing).
    const bool covered = background && background->getWidth() >= size.width() &&
                         background->getHeight() >= size.height();
    if (!covered) {
        target->setFillColor(kBlackCColor);
        target->fillRect(size);
    }
    if (background) background->draw(target, size);
}

void CFrame::drawArea(const CRect& area) {
    const CRect clip = area.intersection(size);
    if (clip.isEmpty()) return;
    context.setClipRect(clip);
    draw(&context);
    for (CView* view : views) {
        const CRect& viewSize = view->getViewSize();
        if (!viewSize.intersects(clip)) continue;
        // Only a view drawn whole is up to date on screen. A dirty neighbour
        // that overlaps this area by a few pixels stays dirty and is drawn
        // whole at its own turn. Cleared before drawing: a change made
        // meanwhile shows next time.
        if (clip.intersection(viewSize) == viewSize.intersection(size)) view->setDirty(false);
        view->draw(&context);
    }
    context.resetClipRect();
    addChangedRect(clip);
}

void CFrame::addChangedRect(const CRect& rect) {
    changedRects.push_back(rect);
}

void CFrame::redrawNow(CView* view) {
    if (view) drawArea(view->getViewSize());
}

void CFrame::pumpEvents() {
    window->pumpEvents(*this);
}

void CFrame::redrawChanged() {
    if (fullRedraw) {
        fullRedraw = false;
        changedRects.clear();
        drawArea(size);
    } else {
        for (CView* view : views) {
            if (view->isDirty()) drawArea(view->getViewSize());
        }
    }
    if (changedRects.empty()) return;
    window->present(changedRects);
    changedRects.clear();
}

CView* CFrame::viewAt(CPoint where) const {
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        if ((*it)->getViewSize().contains(where)) return *it;
    }
    return nullptr;
}

MouseResult CFrame::onMouseDown(CPoint where, int32_t buttons) {
    if (trackingView) return MouseResult::handled;  // one gesture at a time
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        CView* view = *it;
        if (!view->getViewSize().contains(where)) continue;
        const MouseResult result = view->onMouseDown(where, buttons);
        if (result == MouseResult::notHandled) continue;
        if (result == MouseResult::tracking) trackingView = view;
        return result;
    }
    return MouseResult::notHandled;
}

void CFrame::onMouseMoved(CPoint where, int32_t buttons) {
    if (trackingView) trackingView->onMouseMoved(where, buttons);
}

void CFrame::onMouseUp(CPoint where, int32_t buttons) {
    CView* view = trackingView;
    trackingView = nullptr;
    if (view) view->onMouseUp(where, buttons);
}

bool CFrame::onWheel(CPoint where, float distance, int32_t buttons) {
    CView* view = viewAt(where);
    return view && view->onWheel(where, distance, buttons);
}

bool CFrame::onKeyDown(CKeyCode& key) {
    return focusView && focusView->onKeyDown(key);
}

bool CFrame::onKeyUp(CKeyCode& key) {
    return focusView && focusView->onKeyUp(key);
}

void CFrame::onPlatformMouseDown(CPoint where, int32_t buttons) {
    onMouseDown(where, buttons);
}
void CFrame::onPlatformMouseMoved(CPoint where, int32_t buttons) {
    onMouseMoved(where, buttons);
}
void CFrame::onPlatformMouseUp(CPoint where, int32_t buttons) {
    onMouseUp(where, buttons);
}
void CFrame::onPlatformWheel(CPoint where, float distance, int32_t buttons) {
    onWheel(where, distance, buttons);
}

void CFrame::onPlatformExpose(const CRect& rect) {
    // The back buffer still holds the picture: it only has to be shown again.
    const CRect area = rect.intersection(size);
    if (!area.isEmpty()) addChangedRect(area);
}

}  // namespace tavolu
