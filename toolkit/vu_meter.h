// A vertical LED meter: the lit image from the bottom up to the shown level,
// the unlit image above it. A falling level drops by at most the decrease step
// per redraw, so the meter keeps redrawing until it has caught up.
#pragma once

#include "toolkit/view.h"

namespace tavolu {

class CVuMeter : public CControl {
  public:
    CVuMeter(const CRect& size, CBitmap* litImage, CBitmap* unlitImage, int32_t ledCount);
    ~CVuMeter() override;

    void setDecreaseStepValue(float step) { decreaseStep = step; }
    float getDecreaseStepValue() const { return decreaseStep; }

    // [UI thread]
    void draw(CDrawContext* context) override;
    bool isDirty() const override;

    float getShownLevel() const { return shownLevel; }
    // Rows lit for a level, px: the level quantised to whole LEDs.
    int32_t litHeight(float level) const;

  private:
    CBitmap* litImage;
    CBitmap* unlitImage;
    int32_t ledCount;
    float decreaseStep = 0.1f;  // level per redraw
    float shownLevel = 0.0f;    // UI thread only
};

}  // namespace tavolu
