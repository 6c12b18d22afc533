// Where the editor puts each control, and which bitmaps it draws: the window
// geometry the skin is painted to fit.
#pragma once

#include <array>

namespace tavolu::skin::layout {

constexpr int kWindowWidth = 465;   // px
constexpr int kWindowHeight = 360;  // px

struct Rect {
    int left, top, right, bottom;  // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct Slider {
    Rect track;
    int trackId;
    int handleId;
    bool horizontal;
    int handleSize;  // px, square
};

// The handle's top-left travels from the track's left (top) edge over
// track length - handle size px; the groove spans the handle centre's travel.
constexpr std::array<Slider, 12> kSliders{{
    {{172, 162, 293, 183}, 151, 166, true, 21},   // Start
    {{172, 28, 293, 49}, 150, 166, true, 21},     // End
    {{289, 45, 310, 166}, 152, 166, false, 21},   // Decay
    {{154, 45, 175, 166}, 153, 166, false, 21},   // Hold
    {{22, 191, 43, 312}, 154, 167, false, 21},    // LFO Mod
    {{54, 191, 75, 312}, 155, 167, false, 21},    // LFO Delay
    {{86, 192, 107, 313}, 156, 167, false, 21},   // LFO Freq
    {{357, 191, 378, 312}, 158, 169, false, 21},  // Selectivity
    {{303, 191, 324, 312}, 157, 168, false, 21},  // Threshold
    {{420, 191, 441, 312}, 160, 170, false, 21},  // Dry-Wet
    {{396, 191, 417, 312}, 161, 170, false, 21},  // Center Vol
    {{142, 124, 153, 160}, 159, 149, false, 11},  // Attack
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

constexpr Switch kLfoSync{{160, 216, 200, 261}, 139, 3, false};
constexpr Switch kEndMode{{191, 11, 276, 26}, 140, 3, true};
constexpr Switch kStartMode{{191, 184, 276, 199}, 140, 3, true};
constexpr Switch kTrigSource{{250, 208, 290, 298}, 141, 6, false};
constexpr Switch kLfoFreqSource{{115, 216, 155, 291}, 142, 5, false};

struct Button {
    Rect rect;  // one frame
    int id;
};

constexpr Button kStartEqualsEnd{{316, 98, 366, 113}, 138};
constexpr Button kStereo{{399, 317, 439, 332}, 144};
constexpr Button kLfoSyncFlip{{160, 272, 200, 287}, 143};

constexpr Rect presetRect(int n) {  // n = 0..7
    return {84 + 37 * n, 325, 84 + 37 * n + 35, 360};
}
constexpr int kFirstPresetId = 129;

struct Meter {
    Rect rect;
    int litId, unlitId;
};
constexpr Meter kTriggerMeter{{328, 202, 336, 303}, 162, 163};
constexpr Meter kSelectivityMeter{{345, 202, 353, 303}, 164, 165};
constexpr int kMeterLeds = 14;

constexpr Rect kTempoDisplay{202, 244, 247, 263};
constexpr int kTempoDisplayId = 146;

// The curve view paints x 182..282, y 55..155; its last column and row stay
// the background's, so the screen drawn under it covers the whole rectangle.
constexpr Rect kCurveView{182, 55, 284, 157};

constexpr int kBackgroundId = 128;

}  // namespace tavolu::skin::layout
