#include "toolkit/switch.h"

#include <algorithm>
#include <cmath>

#include "common/numeric.h"
#include "toolkit/bitmap.h"

namespace tavolu {

CSwitchBase::CSwitchBase(const CRect& size, CControlListener* listener, int32_t tag,
                         int32_t positions, int32_t frameHeight, CBitmap* strip, CPoint offset,
                         bool vertical)
    : CControl(size, listener, tag, strip),
      positions(std::max(positions, 1)),
      frameHeight(std::max(frameHeight, 0)),
      offset(offset),
      vertical(vertical) {
    setDefaultValue(0.0f);
}

int32_t CSwitchBase::frameIndex() const {
    const double exact = double(positions - 1) * double(drawValue());
    return std::clamp(truncToInt32(std::floor(exact + 0.5)), 0, positions - 1);
}

int32_t CSwitchBase::positionAt(CPoint where) const {
    // N equal bands across the control: along its height, or its width.
    const int64_t extent = vertical ? size.height() : size.width();
    const int64_t along = vertical ? int64_t{where.y} - size.top : int64_t{where.x} - size.left;
    if (extent <= 0 || along < 0) return 0;
    return int32_t(std::min<int64_t>(along * positions / extent, positions - 1));
}

void CSwitchBase::draw(CDrawContext* context) {
    CBitmap* strip = getBackground();
    if (!context || !strip) return;
    const CPoint source{offset.x,
                        truncToInt32(double(offset.y) + double(frameHeight) * frameIndex())};
    strip->drawTransparent(context, size, source);
}

void CSwitchBase::selectPositionAt(CPoint where, bool reportAlways) {
    const int32_t position = positionAt(where);
    const float next = positions > 1 ? float(position) / float(positions - 1) : 0.0f;
    if (reportAlways || next != getValue()) {
        setValue(next);
        reportValue();
    }
}

MouseResult CSwitchBase::onMouseDown(CPoint where, int32_t buttons) {
    if (!(buttons & kLButton)) return MouseResult::notHandled;
    if (listenerTookModifierClick(buttons)) return MouseResult::handled;
    beginEdit();
    if (buttons & kControl) {
        setValue(getDefaultValue());
        reportValue();
        endEdit();
        return MouseResult::handled;
    }
    tracking = true;
    selectPositionAt(where, true);  // a click reports even when it keeps the position
    return MouseResult::tracking;
}

void CSwitchBase::onMouseMoved(CPoint where, int32_t) {
    if (tracking) selectPositionAt(where, false);
}

void CSwitchBase::onMouseUp(CPoint where, int32_t) {
    if (!tracking) return;
    selectPositionAt(where, false);
    tracking = false;
    endEdit();
}

}  // namespace tavolu
