// The top-level view: owns the window, the back buffer's drawing context and
// the views, redraws what changed at idle and routes input to the views.
#pragma once

#include <memory>
#include <vector>

#include "toolkit/draw_context.h"
#include "toolkit/platform/platform_window.h"
#include "toolkit/view.h"

namespace tavolu {

class CBitmap;

class CFrame : public CView, private PlatformEvents {
  public:
    // [UI thread] A window as a child of `parentWindow` (an X11 window id), or
    // off-screen when there is none or no display.
    CFrame(const CRect& size, void* parentWindow);
    // [UI thread] With a window made elsewhere (tests, pictures).
    CFrame(const CRect& size, std::unique_ptr<PlatformWindow> window);
    // Destroys the views, in the order added, and lets go of the background.
    ~CFrame() override;

    void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background; }

    // Takes ownership of `view` (null is refused). Views added later lie on top.
    bool addView(CView* view);
    // Destroys `view` and forgets it; false when it is not ours.
    bool removeView(CView* view);
    int getNbViews() const { return int(views.size()); }
    CView* getView(int index) const;

    void setFocusView(CView* view) { focusView = view; }
    CView* getFocusView() const { return focusView; }

    // [UI thread] Delivers waiting window events, then redraws every dirty
    // view and copies only the changed rectangles to the screen.
    void idle() {
        pumpEvents();
        redrawChanged();
    }
    // [UI thread] The two halves of idle, for an owner that has values of its
    // own to hand to the views in between.
    void pumpEvents();
    void redrawChanged();
    // [UI thread] Redraws `view` into the back buffer now; it reaches the
    // screen with the next idle.
    void redrawNow(CView* view);
    // [UI thread] Everything is drawn again at the next idle.
    void invalidateAll() { fullRedraw = true; }

    void draw(CDrawContext* context) override;

    // [UI thread] Input in window pixels; true when a view took it.
    MouseResult onMouseDown(CPoint where, int32_t buttons) override;
    void onMouseMoved(CPoint where, int32_t buttons) override;
    void onMouseUp(CPoint where, int32_t buttons) override;
    bool onWheel(CPoint where, float distance, int32_t buttons) override;
    bool onKeyDown(CKeyCode& key) override;
    bool onKeyUp(CKeyCode& key) override;
    CView* getTrackingView() const { return trackingView; }

    CDrawContext* getDrawContext() { return &context; }
    PlatformWindow& getWindow() { return *window; }

    // [UI thread] The process-wide knob mode the host sets (effSetEditKnobMode).
    static void setKnobMode(int32_t mode);
    static int32_t getKnobMode();

  private:
    void onPlatformMouseDown(CPoint where, int32_t buttons) override;
    void onPlatformMouseMoved(CPoint where, int32_t buttons) override;
    void onPlatformMouseUp(CPoint where, int32_t buttons) override;
    void onPlatformWheel(CPoint where, float distance, int32_t buttons) override;
    void onPlatformExpose(const CRect& rect) override;

    // Draws the background and every view that touches `area`, clipped to it;
    // only the views it draws whole count as drawn.
    void drawArea(const CRect& area);
    void addChangedRect(const CRect& rect);
    CView* viewAt(CPoint where) const;

    std::unique_ptr<PlatformWindow> window;
    CDrawContext context;
    CBitmap* background = nullptr;
    std::vector<CView*> views;
    CView* focusView = nullptr;
    CView* trackingView = nullptr;
    bool fullRedraw = true;
    std::vector<CRect> changedRects;  // drawn since the last present
};

}  // namespace tavolu
