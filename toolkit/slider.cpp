#include "toolkit/slider.h"

#include <algorithm>
#include <cmath>

#include "common/numeric.h"
#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"

namespace tavolu {

CSlider::CSlider(const CRect& size, CControlListener* listener, int32_t tag, int32_t minPos,
                 int32_t maxPos, CBitmap* handle, CBitmap* track, CPoint handleOffset,
                 bool horizontal, SliderOrigin origin)
    : CControl(size, listener, tag, track),
      minPos(minPos),
      maxPos(maxPos),
      handle(handle),
      handleOffset(handleOffset),
      horizontal(horizontal),
      valueGrowsWithAxis(origin == kLeft || origin == kTop) {
    if (handle) handle->remember();
    setDefaultValue(0.5f);
}

CSlider::~CSlider() {
    if (handle) handle->forget();
}

int32_t CSlider::handleLength() const {
    if (!handle) return 0;
    return horizontal ? handle->getWidth() : handle->getHeight();
}

CRect CSlider::handleRect() const {
    const double travel = double(maxPos) - double(minPos);
    double fraction = drawValue();
    if (!valueGrowsWithAxis) fraction = 1.0 - fraction;
    const int32_t along = truncToInt32(double(minPos) + std::floor(fraction * travel + 0.5));
    const int32_t w = handle ? handle->getWidth() : 0;
    const int32_t h = handle ? handle->getHeight() : 0;
    if (horizontal) {
        const int32_t top = truncToInt32(double(size.top) + handleOffset.y);
        return {along, top, truncToInt32(double(along) + w), truncToInt32(double(top) + h)};
    }
    const int32_t left = truncToInt32(double(size.left) + handleOffset.x);
    return {left, along, truncToInt32(double(left) + w), truncToInt32(double(along) + h)};
}

void CSlider::draw(CDrawContext* context) {
    if (!context) return;
    if (CBitmap* track = getBackground()) {
        track->drawTransparent(context, size);
    }
    if (handle) handle->drawTransparent(context, handleRect());
}

double CSlider::axisPosition(CPoint where) const {
    return horizontal ? where.x : where.y;
}

double CSlider::valueForDistance(double pixels) const {
    const double travel = double(maxPos) - double(minPos);
    if (travel == 0.0) return 0.0;
    return (valueGrowsWithAxis ? pixels : -pixels) / travel;
}

double CSlider::valueUnderPointer(CPoint where) const {
    // The pointer's pixel centre is half a pixel in; the handle's centre is
    // half its length from its top-left corner.
    const double handleStart = axisPosition(where) + 0.5 - handleLength() / 2.0;
    const double fromMin = valueForDistance(handleStart - double(minPos));
    return valueGrowsWithAxis ? fromMin : 1.0 + fromMin;
}

void CSlider::changeValue(float newValue) {
    const float before = getValue();
    setUserValue(newValue);
    if (getValue() != before) reportValue();
}

MouseResult CSlider::onMouseDown(CPoint where, int32_t buttons) {
    if (!(buttons & kLButton)) return MouseResult::notHandled;
    if (listenerTookModifierClick(buttons)) return MouseResult::handled;
    beginEdit();
    if (buttons & kControl) {
        setUserValue(getDefaultValue());
        reportValue();
        endEdit();
        return MouseResult::handled;
    }
    tracking = true;
    trackingFine = (buttons & kShift) != 0;
    if (!trackingFine) changeValue(float(valueUnderPointer(where)));
    anchorValue = drawValue();
    anchorPosition = axisPosition(where);
    return MouseResult::tracking;
}

void CSlider::onMouseMoved(CPoint where, int32_t buttons) {
    if (!tracking) return;
    const bool fine = (buttons & kShift) != 0;
    if (fine != trackingFine) {  // measure the rest of the drag from here
        trackingFine = fine;
        anchorValue = drawValue();
        anchorPosition = axisPosition(where);
    }
    const double scale = fine ? kFineDragScale : 1.0;
    changeValue(
        float(anchorValue + valueForDistance(axisPosition(where) - anchorPosition) * scale));
}

void CSlider::onMouseUp(CPoint where, int32_t buttons) {
    if (!tracking) return;
    onMouseMoved(where, buttons);
    tracking = false;
    endEdit();
}

bool CSlider::onWheel(CPoint, float distance, int32_t buttons) {
    if (std::isnan(distance) || distance == 0.0f) return false;
    const double step = (buttons & kShift) ? kFineWheelStep : kWheelStep;
    beginEdit();
    changeValue(float(double(drawValue()) + double(distance) * step));
    endEdit();
    return true;
}

}  // namespace tavolu
