#include "toolkit/buttons.h"

#include <cmath>

#include "common/numeric.h"
#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

namespace tavolu {

namespace {

bool isOn(float value) {
    return !std::isnan(value) && value != 0.0f;
}

}  // namespace

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, int32_t tag,
                           CBitmap* image)
    : CControl(size, listener, tag, image) {}

void COnOffButton::draw(CDrawContext* context) {
    CBitmap* image = getBackground();
    if (!context || !image) return;
    const int32_t frame = isOn(getValue()) ? 1 : 0;
    image->drawTransparent(context, size, {0, truncToInt32(double(frame) * double(getHeight()))});
}

MouseResult COnOffButton::onMouseDown(CPoint, int32_t buttons) {
    if (!(buttons & kLButton)) return MouseResult::notHandled;
    if (listenerTookModifierClick(buttons)) return MouseResult::handled;
    beginEdit();
    setValue(isOn(getValue()) ? 0.0f : 1.0f);
    if (CFrame* frame = getFrame()) frame->redrawNow(this);  // the user sees it before we report
    reportValue();
    endEdit();
    return MouseResult::handled;
}

CKickButton::CKickButton(const CRect& size, CControlListener* listener, int32_t tag,
                         int32_t frameHeight, CBitmap* image, CPoint offset)
    : CControl(size, listener, tag, image), frameHeight(frameHeight), offset(offset) {}

void CKickButton::draw(CDrawContext* context) {
    CBitmap* image = getBackground();
    if (!context || !image) return;
    const int32_t frame = getValue() == 1.0f ? 1 : 0;
    image->drawTransparent(
        context, size, {offset.x, truncToInt32(double(offset.y) + double(frame) * frameHeight)});
}

MouseResult CKickButton::onMouseDown(CPoint, int32_t buttons) {
    if (!(buttons & kLButton)) return MouseResult::notHandled;
    if (listenerTookModifierClick(buttons)) return MouseResult::handled;
    beginEdit();
    tracking = true;
    setValue(1.0f);
    reportValue();
    return MouseResult::tracking;
}

void CKickButton::onMouseMoved(CPoint where, int32_t) {
    if (!tracking) return;
    const float next = size.contains(where) ? 1.0f : 0.0f;
    if (next != getValue()) {
        setValue(next);
        reportValue();
    }
}

void CKickButton::onMouseUp(CPoint, int32_t) {
    if (!tracking) return;
    tracking = false;
    setValue(0.0f);
    reportValue();
    endEdit();
}

}  // namespace tavolu
