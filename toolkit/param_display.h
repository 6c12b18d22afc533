// A value shown as text over a background image, through a converter.
#pragma once

#include "toolkit/draw_context.h"
#include "toolkit/view.h"

namespace tavolu {

// Writes the text for `value` into `text` (room for kDisplayTextSize bytes).
using StringConvert = void (*)(float value, char* text);
constexpr int kDisplayTextSize = 256;  // bytes, terminator included

enum DisplayStyle : int32_t { kShadowText = 1 << 0, kNoFrame = 1 << 1 };

class CParamDisplay : public CControl {
  public:
    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);

    // [UI thread]
    void draw(CDrawContext* context) override;

    void setFont(const resources::GlyphSet* glyphs) {
        font = glyphs;
        setDirty();
    }
    void setFontColor(CColor color) {
        fontColor = color;
        setDirty();
    }
    void setShadowColor(CColor color) {
        shadowColor = color;
        setDirty();
    }
    void setBackColor(CColor color) {
        backColor = color;
        setDirty();
    }
    void setHoriAlign(CHoriTxtAlign align) {
        horiAlign = align;
        setDirty();
    }
    void setStyle(int32_t newStyle) {
        style = newStyle;
        setDirty();
    }
    void setStringConvert(StringConvert convert) {
        stringConvert = convert;
        setDirty();
    }

    // The text the display shows for its current value.
    void makeText(char (&text)[kDisplayTextSize]) const;

  private:
    const resources::GlyphSet* font;
    CColor fontColor = kWhiteCColor;
    CColor shadowColor = kBlackCColor;
    CColor backColor = kBlackCColor;
    CHoriTxtAlign horiAlign = kCenterText;
    int32_t style;
    StringConvert stringConvert = nullptr;
};

}  // namespace tavolu
