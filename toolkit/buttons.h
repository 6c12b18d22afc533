// Two-frame buttons: an on/off toggle and a kick button that is on only while
// it is held down.
#pragma once

#include "toolkit/view.h"

namespace tavolu {

// Frame 0 (top half of the image) when the value is 0, frame 1 otherwise.
class COnOffButton : public CControl {
  public:
    COnOffButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* image);

    // [UI thread]
    void draw(CDrawContext* context) override;
    // Each click toggles between 0 and 1, redraws, then reports.
    MouseResult onMouseDown(CPoint where, int32_t buttons) override;
};

// Value 1 while pressed with the pointer inside, 0 otherwise; reports each
// change while pressed and always reports 0 on release.
class CKickButton : public CControl {
  public:
    CKickButton(const CRect& size, CControlListener* listener, int32_t tag, int32_t frameHeight,
                CBitmap* image, CPoint offset = {});

    // [UI thread]
    void draw(CDrawContext* context) override;
    MouseResult onMouseDown(CPoint where, int32_t buttons) override;
    void onMouseMoved(CPoint where, int32_t buttons) override;
    void onMouseUp(CPoint where, int32_t buttons) override;

  private:
    int32_t frameHeight;
    CPoint offset;
    bool tracking = false;
};

}  // namespace tavolu
