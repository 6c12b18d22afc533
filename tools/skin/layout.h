// Where the editor puts each control, and which bitmaps it draws: the window
// geometry the skin is painted to fit, read from the editor's own layout
// table so that the two can never disagree.
#pragma once

#include <array>

#include "editor/layout_table.h"

namespace tavolu::skin::layout {

namespace table = tavolu::layout;

constexpr int kWindowWidth = table::kWindowWidth;    // px
constexpr int kWindowHeight = table::kWindowHeight;  // px

struct Rect {
    int left, top, right, bottom;  // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

constexpr Rect rectOf(table::ControlId id) {
    const CRect& r = table::row(id).rect;
    return {r.left, r.top, r.right, r.bottom};
}

struct Slider {
    Rect track;
    int trackId;
    int handleId;
    bool horizontal;
    int handleSize;  // px, square
};

// The handle's top-left travels from the track's left (top) edge over
// track length - handle size px; the groove spans the handle centre's travel.
constexpr Slider sliderOf(table::ControlId id) {
    const table::ControlRow& r = table::row(id);
    const bool horizontal = r.kind == table::Kind::horizontalSlider;
    const int trackLength = horizontal ? r.rect.right - r.rect.left : r.rect.bottom - r.rect.top;
    return {rectOf(id), r.image, r.secondImage, horizontal,
            trackLength - (r.travelMax - r.travelMin)};
}

constexpr std::array<Slider, 12> kSliders{{
    sliderOf(table::startSlider),
    sliderOf(table::endSlider),
    sliderOf(table::decaySlider),
    sliderOf(table::holdSlider),
    sliderOf(table::lfoModSlider),
    sliderOf(table::lfoDelaySlider),
    sliderOf(table::lfoFreqSlider),
    sliderOf(table::selectivitySlider),
    sliderOf(table::thresholdSlider),
    sliderOf(table::dryWetSlider),
    sliderOf(table::centerVolSlider),
    sliderOf(table::attackSlider),
}};

enum Slot {
    kStart,
    kEnd,
    kDecay,
    kHold,
    kLfoMod,
    kLfoDelay,
    kLfoFreq,
    kSelectivity,
    kThreshold,
    kDryWet,
    kCenterVol,
    kAttack
};

struct Switch {
    Rect rect;  // one frame
    int id;
    int positions;
    bool horizontal;
};

constexpr Switch switchOf(table::ControlId id) {
    const table::ControlRow& r = table::row(id);
    return {rectOf(id), r.image, r.positions, r.kind == table::Kind::horizontalSwitch};
}

constexpr Switch kLfoSync = switchOf(table::lfoSyncSwitch);
constexpr Switch kEndMode = switchOf(table::endModeSwitch);
constexpr Switch kStartMode = switchOf(table::startModeSwitch);
constexpr Switch kTrigSource = switchOf(table::trigSourceSwitch);
constexpr Switch kLfoFreqSource = switchOf(table::lfoFreqSourceSwitch);

struct Button {
    Rect rect;  // one frame
    int id;
};

constexpr Button buttonOf(table::ControlId id) {
    return {rectOf(id), table::row(id).image};
}

constexpr Button kStartEqualsEnd = buttonOf(table::startEqualsEndButton);
constexpr Button kStereo = buttonOf(table::stereoButton);
constexpr Button kLfoSyncFlip = buttonOf(table::lfoSyncFlipButton);

constexpr Rect presetRect(int n) {  // n = 0..7
    return rectOf(table::ControlId(table::presetButton1 + n));
}
constexpr int kFirstPresetId = table::kFirstPresetBitmap;

struct Meter {
    Rect rect;
    int litId, unlitId;
};
constexpr Meter meterOf(table::ControlId id) {
    return {rectOf(id), table::row(id).image, table::row(id).secondImage};
}
constexpr Meter kTriggerMeter = meterOf(table::triggerLevelMeter);
constexpr Meter kSelectivityMeter = meterOf(table::selectivityMeter);
constexpr int kMeterLeds = table::kMeterLedCount;

constexpr Rect kTempoDisplay = rectOf(table::tempoDisplay);
constexpr int kTempoDisplayId = table::row(table::tempoDisplay).image;

// The curve view paints x 182..282, y 55..155; its last column and row stay
// the background's, so the screen drawn under it covers the whole rectangle.
constexpr Rect kCurveView = rectOf(table::curveView);

constexpr int kBackgroundId = table::kBackgroundBitmap;

}  // namespace tavolu::skin::layout
