// Switches with N positions, shown by the frames of a vertical image strip.
#pragma once

#include "toolkit/view.h"

namespace tavolu {

class CSwitchBase : public CControl {
  public:
    // `positions` frames of `frameHeight` px each, frame 0 at the top of `strip`.
    CSwitchBase(const CRect& size, CControlListener* listener, int32_t tag, int32_t positions,
                int32_t frameHeight, CBitmap* strip, CPoint offset, bool vertical);

    // [UI thread]
    void draw(CDrawContext* context) override;
    MouseResult onMouseDown(CPoint where, int32_t buttons) override;
    void onMouseMoved(CPoint where, int32_t buttons) override;
    void onMouseUp(CPoint where, int32_t buttons) override;

    int32_t getPositions() const { return positions; }
    // The frame for the value now set: (N - 1) x value to the nearest, halves up.
    int32_t frameIndex() const;
    // The position whose band holds the pointer.
    int32_t positionAt(CPoint where) const;

  private:
    void selectPositionAt(CPoint where, bool reportAlways);

    int32_t positions;
    int32_t frameHeight;
    CPoint offset;
    bool vertical;
    bool tracking = false;
};

class CVerticalSwitch : public CSwitchBase {
  public:
    CVerticalSwitch(const CRect& size, CControlListener* listener, int32_t tag, int32_t positions,
                    int32_t frameHeight, CBitmap* strip, CPoint offset = {})
        : CSwitchBase(size, listener, tag, positions, frameHeight, strip, offset, true) {}
};

class CHorizontalSwitch : public CSwitchBase {
  public:
    CHorizontalSwitch(const CRect& size, CControlListener* listener, int32_t tag, int32_t positions,
                      int32_t frameHeight, CBitmap* strip, CPoint offset = {})
        : CSwitchBase(size, listener, tag, positions, frameHeight, strip, offset, false) {}
};

}  // namespace tavolu
