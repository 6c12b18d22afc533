#include "toolkit/view.h"

#include <algorithm>
#include <cmath>

#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

namespace tavolu {

namespace {

// Equal, counting two NaNs as the same value (so a NaN draws once, not forever).
bool sameValue(float a, float b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* bitmap)
    : CView(size), tag(tag), listener(listener) {
    setBackground(bitmap);
}

CControl::~CControl() {
    setBackground(nullptr);
}

void CControl::setBackground(CBitmap* bitmap) {
    if (bitmap) bitmap->remember();
    if (background) background->forget();
    background = bitmap;
    CView::setDirty(true);
}

bool CControl::isDirty() const {
    return CView::isDirty() || !sameValue(getValue(), lastDrawnValue);
}

void CControl::setDirty(bool dirtyNow) {
    if (!dirtyNow) lastDrawnValue = value;
    CView::setDirty(dirtyNow);
}

float CControl::drawValue() const {
    const float v = getValue();
    if (std::isnan(v)) return 0.0f;
    return std::clamp(v, 0.0f, 1.0f);
}

void CControl::setUserValue(float v) {
    if (std::isnan(v)) v = 0.0f;
    setValue(std::clamp(v, 0.0f, 1.0f));
}

CDrawContext* CControl::listenerContext() const {
    return getFrame() ? getFrame()->getDrawContext() : nullptr;
}

void CControl::reportValue() {
    if (listener) listener->valueChanged(listenerContext(), this);
}

void CControl::beginEdit() {
    if (listener) listener->beginEdit(tag);
}

void CControl::endEdit() {
    if (listener) listener->endEdit(tag);
}

bool CControl::listenerTookModifierClick(int32_t buttons) {
    if (!(buttons & kModifierKeys) || !listener) return false;
    return listener->controlModifierClicked(listenerContext(), this, buttons) != 0;
}

}  // namespace tavolu
