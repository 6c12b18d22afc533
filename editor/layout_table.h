// Where every control of the editor sits, its tag, the skin bitmaps it draws
// and its settings: one row per control, in the order the window creates
// them. Plain constant data, so that the skin generator paints its bitmaps to
// fit the same numbers the editor places its controls by.
#pragma once

#include <cstdint>

#include "toolkit/geometry.h"

namespace tavolu::layout {

constexpr int32_t kWindowWidth = 465;   // px, the background's width
constexpr int32_t kWindowHeight = 360;  // px
constexpr int kBackgroundBitmap = 128;

enum class Kind : uint8_t {
    horizontalSlider,
    verticalSlider,
    verticalSwitch,
    horizontalSwitch,
    meter,
    curveView,
    kickButton,
    onOffButton,
    display,
};

// The controls in creation order; a control's id is its row in the table.
enum ControlId : int32_t {
    startSlider,
    endSlider,
    decaySlider,
    holdSlider,
    lfoModSlider,
    lfoDelaySlider,
    lfoFreqSlider,
    selectivitySlider,
    thresholdSlider,
    dryWetSlider,
    centerVolSlider,
    attackSlider,
    lfoSyncSwitch,
    endModeSwitch,
    startModeSwitch,
    trigSourceSwitch,
    lfoFreqSourceSwitch,
    triggerLevelMeter,
    selectivityMeter,
    curveView,
    presetButton1,  // then presetButton1 + 1 .. presetButton1 + 7
    startEqualsEndButton = presetButton1 + 8,
    stereoButton,
    lfoSyncFlipButton,
    tempoDisplay,
    kControlCount,
};

constexpr int kPresetButtonCount = 8;
constexpr int32_t kNoTag = -1;  // meters and the tempo display report nothing
constexpr int32_t kCurveViewTag = 21;
constexpr int32_t kFirstPresetTag = 28;  // preset button n (0..7) has tag 28 + n
constexpr int kFirstPresetBitmap = 129;  // and bitmap 129 + n
constexpr int kMeterLedCount = 14;
constexpr float kMeterDecreaseStep = 0.1f;  // level per redraw

// One control. Every rectangle is the control's top-left plus the size of its
// bitmap: the track of a slider, one frame of a strip. Value 0 puts a
// horizontal slider's handle at the left end, a vertical one's at the bottom.
struct ControlRow {
    ControlId id;
    Kind kind;
    int32_t tag = kNoTag;
    CRect rect;               // px, right and bottom exclusive
    int image = 0;            // track, strip, lit LEDs or display background
    int secondImage = 0;      // slider handle or unlit LEDs; 0 when none
    int32_t travelMin = 0;    // slider: handle top-left, px along the axis: left or top end
    int32_t travelMax = 0;    // slider: the right or bottom end
    int32_t positions = 0;    // switch positions
    int32_t frameHeight = 0;  // px, strips and buttons
};

namespace rows {

constexpr ControlRow slider(ControlId id, Kind kind, int32_t tag, CRect rect, int track, int handle,
                            int32_t travelMin, int32_t travelMax) {
    return {.id = id,
            .kind = kind,
            .tag = tag,
            .rect = rect,
            .image = track,
            .secondImage = handle,
            .travelMin = travelMin,
            .travelMax = travelMax};
}

constexpr ControlRow switchRow(ControlId id, Kind kind, int32_t tag, CRect rect, int strip,
                               int32_t positions, int32_t frameHeight) {
    return {.id = id,
            .kind = kind,
            .tag = tag,
            .rect = rect,
            .image = strip,
            .positions = positions,
            .frameHeight = frameHeight};
}

constexpr ControlRow meter(ControlId id, CRect rect, int lit, int unlit) {
    return {.id = id, .kind = Kind::meter, .rect = rect, .image = lit, .secondImage = unlit};
}

constexpr int32_t kPresetFrameHeight = 35;  // px
constexpr int32_t kPresetPitch = 37;        // px from one button's left to the next

constexpr ControlRow preset(int n) {
    const int32_t left = 84 + kPresetPitch * n;
    return {.id = ControlId(presetButton1 + n),
            .kind = Kind::kickButton,
            .tag = kFirstPresetTag + n,
            .rect = {left, 325, left + 35, 360},
            .image = kFirstPresetBitmap + n,
            .frameHeight = kPresetFrameHeight};
}

constexpr ControlRow onOff(ControlId id, int32_t tag, CRect rect, int image) {
    return {.id = id,
            .kind = Kind::onOffButton,
            .tag = tag,
            .rect = rect,
            .image = image,
            .frameHeight = rect.bottom - rect.top};
}

constexpr Kind kH = Kind::horizontalSlider;
constexpr Kind kV = Kind::verticalSlider;
constexpr Kind kVS = Kind::verticalSwitch;
constexpr Kind kHS = Kind::horizontalSwitch;

}  // namespace rows

// clang-format off
constexpr ControlRow kControlTable[kControlCount] = {
    //          control            kind     tag  rectangle (px)        track handle  travel (px)
    rows::slider(startSlider,       rows::kH,  2, {172, 162, 293, 183}, 151, 166,    172, 272),
    rows::slider(endSlider,         rows::kH,  1, {172,  28, 293,  49}, 150, 166,    172, 272),
    rows::slider(decaySlider,       rows::kV,  5, {289,  45, 310, 166}, 152, 166,     45, 145),
    rows::slider(holdSlider,        rows::kV,  4, {154,  45, 175, 166}, 153, 166,     45, 145),
    rows::slider(lfoModSlider,      rows::kV, 11, { 22, 191,  43, 312}, 154, 167,    191, 291),
    rows::slider(lfoDelaySlider,    rows::kV, 12, { 54, 191,  75, 312}, 155, 167,    191, 291),
    rows::slider(lfoFreqSlider,     rows::kV, 13, { 86, 192, 107, 313}, 156, 167,    192, 292),
    rows::slider(selectivitySlider, rows::kV, 10, {357, 191, 378, 312}, 158, 169,    191, 291),
    rows::slider(thresholdSlider,   rows::kV,  9, {303, 191, 324, 312}, 157, 168,    191, 291),
    rows::slider(dryWetSlider,      rows::kV, 18, {420, 191, 441, 312}, 160, 170,    191, 291),
    rows::slider(centerVolSlider,   rows::kV, 17, {396, 191, 417, 312}, 161, 170,    191, 291),
    rows::slider(attackSlider,      rows::kV,  3, {142, 124, 153, 160}, 159, 149,    124, 149),
    //             control              kind       tag  rectangle (px)       strip positions frame (px)
    rows::switchRow(lfoSyncSwitch,       rows::kVS, 15, {160, 216, 200, 261}, 139,  3,  45),
    rows::switchRow(endModeSwitch,       rows::kHS,  7, {191,  11, 276,  26}, 140,  3,  15),
    rows::switchRow(startModeSwitch,     rows::kHS,  6, {191, 184, 276, 199}, 140,  3,  15),
    rows::switchRow(trigSourceSwitch,    rows::kVS,  8, {250, 208, 290, 298}, 141,  6,  90),
    rows::switchRow(lfoFreqSourceSwitch, rows::kVS, 14, {115, 216, 155, 291}, 142,  5,  75),
    //         control            rectangle (px)        lit unlit
    rows::meter(triggerLevelMeter, {328, 202, 336, 303}, 162, 163),
    rows::meter(selectivityMeter,  {345, 202, 353, 303}, 164, 165),
    // The curve view paints x 182..282, y 55..155; its last column and row
    // are the background's.
    {.id = curveView, .kind = Kind::curveView, .tag = kCurveViewTag, .rect = {182, 55, 284, 157}},
    rows::preset(0), rows::preset(1), rows::preset(2), rows::preset(3),
    rows::preset(4), rows::preset(5), rows::preset(6), rows::preset(7),
    //         control               tag  rectangle (px)        image
    rows::onOff(startEqualsEndButton,  0, {316,  98, 366, 113}, 138),
    rows::onOff(stereoButton,         19, {399, 317, 439, 332}, 144),
    rows::onOff(lfoSyncFlipButton,    16, {160, 272, 200, 287}, 143),
    // The tempo display: text over its background, made last.
    {.id = tempoDisplay, .kind = Kind::display, .rect = {202, 244, 247, 263}, .image = 146},
};
// clang-format on

constexpr const ControlRow& row(ControlId id) {
    return kControlTable[id];
}

constexpr bool idsFollowTheTable() {
    for (int i = 0; i < kControlCount; ++i) {
        if (kControlTable[i].id != i) return false;
    }
    return true;
}
static_assert(idsFollowTheTable(), "a control's id is its row in the table");

}  // namespace tavolu::layout
