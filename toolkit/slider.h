// Sliders: a track image with a handle image over it. The handle's top-left
// corner travels between two limits (window pixels) along the slider's axis.
#pragma once

#include "toolkit/view.h"

namespace tavolu {

// Where value 0 lies.
enum SliderOrigin { kLeft, kRight, kTop, kBottom };

class CSlider : public CControl {
  public:
    // `minPos` and `maxPos` limit the handle's top-left along the axis;
    // `handleOffset` places the handle across the axis, from the track's corner.
    CSlider(const CRect& size, CControlListener* listener, int32_t tag, int32_t minPos,
            int32_t maxPos, CBitmap* handle, CBitmap* track, CPoint handleOffset, bool horizontal,
            SliderOrigin origin);
    ~CSlider() override;

    // [UI thread]
    void draw(CDrawContext* context) override;
    MouseResult onMouseDown(CPoint where, int32_t buttons) override;
    void onMouseMoved(CPoint where, int32_t buttons) override;
    void onMouseUp(CPoint where, int32_t buttons) override;
    bool onWheel(CPoint where, float distance, int32_t buttons) override;

    // Handle rectangle for the value now set, in window pixels.
    CRect handleRect() const;
    CBitmap* getHandle() const { return handle; }

    static constexpr float kWheelStep = 0.1f;       // value per notch
    static constexpr float kFineWheelStep = 0.01f;  // with Shift
    static constexpr double kFineDragScale = 0.1;   // pointer speed factor with Shift

  private:
    int32_t handleLength() const;             // along the axis, px
    double axisPosition(CPoint where) const;  // pointer along the axis, px
    // Value whose handle centre lies under the pointer, unclamped.
    double valueUnderPointer(CPoint where) const;
    // Value change for a pointer move of `pixels` along the axis.
    double valueForDistance(double pixels) const;
    void changeValue(float newValue);

    int32_t minPos;
    int32_t maxPos;
    CBitmap* handle;
    CPoint handleOffset;
    bool horizontal;
    bool valueGrowsWithAxis;  // value 0 at the left or at the top

    // The gesture: the value and pointer position it is measured from. Pressing
    // or releasing Shift restarts the measure from where the handle is.
    bool tracking = false;
    bool trackingFine = false;
    double anchorValue = 0.0;
    double anchorPosition = 0.0;
};

class CHorizontalSlider : public CSlider {
  public:
    CHorizontalSlider(const CRect& size, CControlListener* listener, int32_t tag, int32_t minPos,
                      int32_t maxPos, CBitmap* handle, CBitmap* track, CPoint handleOffset = {},
                      SliderOrigin origin = kLeft)
        : CSlider(size, listener, tag, minPos, maxPos, handle, track, handleOffset, true, origin) {}
};

class CVerticalSlider : public CSlider {
  public:
    CVerticalSlider(const CRect& size, CControlListener* listener, int32_t tag, int32_t minPos,
                    int32_t maxPos, CBitmap* handle, CBitmap* track, CPoint handleOffset = {},
                    SliderOrigin origin = kBottom)
        : CSlider(size, listener, tag, minPos, maxPos, handle, track, handleOffset, false, origin) {
    }
};

}  // namespace tavolu
