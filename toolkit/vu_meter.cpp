#include "toolkit/vu_meter.h"

#include <algorithm>
#include <cmath>

#include "common/numeric.h"
#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"

namespace tavolu {

CVuMeter::CVuMeter(const CRect& size, CBitmap* lit, CBitmap* unlit, int32_t ledCount)
    : CControl(size, nullptr, -1),
      litImage(lit),
      unlitImage(unlit),
      ledCount(std::max(ledCount, 1)) {
    if (litImage) litImage->remember();
    if (unlitImage) unlitImage->remember();
}

CVuMeter::~CVuMeter() {
    if (litImage) litImage->forget();
    if (unlitImage) unlitImage->forget();
}

bool CVuMeter::isDirty() const {
    return CControl::isDirty() || shownLevel > drawValue();
}

int32_t CVuMeter::litHeight(float level) const {
    const int32_t leds =
        std::clamp(truncToInt32(double(ledCount) * double(level) + 0.5), 0, ledCount);
    return truncToInt32(double(leds) / double(ledCount) * double(size.height()));
}

void CVuMeter::draw(CDrawContext* context) {
    const double fallen = double(shownLevel) - double(decreaseStep);
    shownLevel = float(std::max(double(drawValue()), std::isnan(fallen) ? 0.0 : fallen));
    shownLevel = std::clamp(shownLevel, 0.0f, 1.0f);
    if (!context) return;

    // Both images are drawn opaque, each at its own place in the meter.
    const int32_t lit = litHeight(shownLevel);
    const int32_t split = truncToInt32(double(size.bottom) - lit);
    if (unlitImage) unlitImage->draw(context, {size.left, size.top, size.right, split});
    if (litImage) {
        litImage->draw(context, {size.left, split, size.right, size.bottom},
                       {0, truncToInt32(double(split) - size.top)});
    }
}

}  // namespace tavolu
