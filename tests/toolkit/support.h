// Helpers for the toolkit tests: BMP files and fonts made in memory, and a
// listener that writes down what it hears.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "resources/resources.h"
#include "toolkit/bitmap.h"
#include "toolkit/view.h"

namespace tavolu::test {

// A 24-bit BMP file whose pixel (x, y) (y from the top) is pixel(x, y), 0x00RRGGBB.
std::vector<uint8_t> makeBmp(int32_t width, int32_t height,
                             const std::function<uint32_t(int32_t, int32_t)>& pixel);

// A bitmap of one colour, or a vertical strip of `frames` frames each filled
// with colours[i]; the caller owns the first reference.
CBitmap* solidBitmap(int32_t width, int32_t height, uint32_t color);
CBitmap* stripBitmap(int32_t width, int32_t frameHeight, const std::vector<uint32_t>& colors);

// A font for 'A' and 'B' only: 'A' a 2 x 3 block of full coverage, 'B' a
// 1 x 1 dot of half coverage; advance 3, ascent 3, descent 1.
const resources::GlyphSet& blockFont();

struct Report {
    int32_t tag;
    float value;
};

class RecordingListener : public CControlListener {
  public:
    void valueChanged(CDrawContext*, CControl* control) override {
        reports.push_back({control->getTag(), control->getValue()});
    }
    int32_t controlModifierClicked(CDrawContext*, CControl*, int32_t) override {
        return takeModifierClicks;
    }
    void beginEdit(int32_t tag) override { begins.push_back(tag); }
    void endEdit(int32_t tag) override { ends.push_back(tag); }

    std::vector<Report> reports;
    std::vector<int32_t> begins;
    std::vector<int32_t> ends;
    int32_t takeModifierClicks = 0;
};

}  // namespace tavolu::test
