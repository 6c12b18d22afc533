// The view and control bases: a rectangle in window pixels that draws itself
// and may take the mouse; a control adds a tag, a value, a default value and a
// listener that hears every change the user makes.
//
// Threads: everything here belongs to the UI thread, values and dirty flags
// included. Whoever learns of a new value on another thread hands it over to
// the UI thread first (the editor keeps a mailbox for that).
#pragma once

#include <cstdint>

#include "toolkit/geometry.h"
#include "toolkit/key_code.h"

namespace tavolu {

class CBitmap;
class CControl;
class CDrawContext;
class CFrame;

// Mouse buttons and modifier keys as one bit set.
enum MouseButtons : int32_t {
    kLButton = 1 << 0,
    kMButton = 1 << 1,
    kRButton = 1 << 2,
    kShift = 1 << 3,
    kControl = 1 << 4,
    kAlt = 1 << 5,
};
constexpr int32_t kModifierKeys = kShift | kControl | kAlt;

// What a view did with a mouse press: a tracking view receives the moves and
// the release of that gesture from the frame.
enum class MouseResult { notHandled, handled, tracking };

class CControlListener {
  public:
    virtual ~CControlListener() = default;
    // [UI thread] The user changed the control's value.
    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
    // [UI thread] Asked before a control handles a click with a modifier key;
    // nonzero means the listener took the click and the control leaves it alone.
    virtual int32_t controlModifierClicked(CDrawContext*, CControl*, int32_t /*buttons*/) {
        return 0;
    }
    // [UI thread] A gesture on the control with this tag begins and ends.
    virtual void beginEdit(int32_t /*tag*/) {}
    virtual void endEdit(int32_t /*tag*/) {}
};

class CView {
  public:
    explicit CView(const CRect& size) : size(size) {}
    virtual ~CView() = default;
    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    // [UI thread] Draws the whole view; the context is clipped to what needs it.
    virtual void draw(CDrawContext*) {}

    // [UI thread] Mouse input, in window pixels.
    virtual MouseResult onMouseDown(CPoint, int32_t /*buttons*/) { return MouseResult::notHandled; }
    virtual void onMouseMoved(CPoint, int32_t /*buttons*/) {}
    virtual void onMouseUp(CPoint, int32_t /*buttons*/) {}
    // `distance` is in wheel notches, positive away from the user.
    virtual bool onWheel(CPoint, float /*distance*/, int32_t /*buttons*/) { return false; }
    virtual bool onKeyDown(CKeyCode&) { return false; }
    virtual bool onKeyUp(CKeyCode&) { return false; }

    // [UI thread] Dirty views are redrawn at the frame's next idle.
    virtual bool isDirty() const { return dirty; }
    virtual void setDirty(bool value = true) { dirty = value; }

    const CRect& getViewSize() const { return size; }
    void setViewSize(const CRect& rect) {
        size = rect;
        setDirty();
    }
    int32_t getWidth() const { return int32_t(size.width()); }
    int32_t getHeight() const { return int32_t(size.height()); }

    CFrame* getFrame() const { return frame; }
    void setFrame(CFrame* owner) { frame = owner; }

  protected:
    CRect size;

  private:
    bool dirty = true;  // a new view has never been drawn
    CFrame* frame = nullptr;
};

class CControl : public CView {
  public:
    CControl(const CRect& size, CControlListener* listener, int32_t tag,
             CBitmap* background = nullptr);
    ~CControl() override;

    // [UI thread] Stores the value as given; drawing maps a NaN to 0.
    virtual void setValue(float newValue) { value = newValue; }
    float getValue() const { return value; }
    void setDefaultValue(float v) { defaultValue = v; }
    float getDefaultValue() const { return defaultValue; }

    int32_t getTag() const { return tag; }
    void setTag(int32_t t) { tag = t; }
    CControlListener* getListener() const { return listener; }
    void setListener(CControlListener* l) { listener = l; }

    // The control keeps a reference to its background while it holds it.
    void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background; }

    // [UI thread] Dirty when marked so or when the value differs from the one
    // last drawn. Clearing the flag records the value about to be drawn.
    bool isDirty() const override;
    void setDirty(bool value = true) override;

  protected:
    // The value to draw: NaN as 0, otherwise clamped to 0..1.
    float drawValue() const;
    // Sets a value the user made, clamped to 0..1.
    void setUserValue(float v);

    // Listener calls, each skipped when there is no listener.
    void reportValue();
    void beginEdit();
    void endEdit();
    // True when the press carries a modifier key and the listener took it.
    bool listenerTookModifierClick(int32_t buttons);
    CDrawContext* listenerContext() const;

  private:
    float value = 0.0f;
    float lastDrawnValue = 0.0f;
    float defaultValue = 0.0f;
    int32_t tag;
    CControlListener* listener;
    CBitmap* background = nullptr;
};

}  // namespace tavolu
