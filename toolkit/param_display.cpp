#include "toolkit/param_display.h"

#include <cstdio>

#include "toolkit/bitmap.h"

namespace tavolu {

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, int32_t style)
    : CControl(size, nullptr, -1, background), font(&resources::sansFont12()), style(style) {}

void CParamDisplay::makeText(char (&text)[kDisplayTextSize]) const {
    text[0] = 0;
    if (stringConvert) {
        stringConvert(getValue(), text);
    } else {
        std::snprintf(text, sizeof text, "%.2f", double(getValue()));
    }
    text[kDisplayTextSize - 1] = 0;  // a converter that forgets the end still ends here
}

void CParamDisplay::draw(CDrawContext* context) {
    if (!context) return;
    if (CBitmap* background = getBackground()) {
        background->draw(context, size);
    } else {
        context->setFillColor(backColor);
        context->fillRect(size);
    }

    char text[kDisplayTextSize];
    makeText(text);
    context->setFont(font);
    if (style & kShadowText) {
        // Laid out one pixel right and down, but kept inside the display.
        const CRect saved = context->getClipRect();
        const CRect shadow{size.left + 1, size.top + 1, size.right + 1, size.bottom + 1};
        context->setClipRect(size.intersection(saved));
        context->setFontColor(shadowColor);
        context->drawString(text, shadow, horiAlign);
        context->setClipRect(saved);
    }
    context->setFontColor(fontColor);
    context->drawString(text, size, horiAlign);
}

}  // namespace tavolu
