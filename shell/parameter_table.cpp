// The parameter texts.
#include "shell/parameter_table.h"

#include "common/numeric.h"

namespace tavolu {

namespace {

constexpr const char* kNames[] = {
    "Start=End ",   "End ",           "Start ",      "Attack ",      "Hold ",
    "Decay ",       "Start Mode ",    "End Mode ",   "Trig Source ", "Threshold ",
    "Selectivity ", "LFO Mod ",       "LFO Delay ",  "LFO Freq ",    "LFO Freq Source ",
    "LFO Sync ",    "LFO Sync Flip ", "Center Vol ", "Dry-Wet ",     "Stereo ",
};
static_assert(sizeof(kNames) / sizeof(kNames[0]) == 20);

constexpr const char* kBlankLabel = "    ";

constexpr const char* kModeTexts[] = {"None", "Flip", "Sample&Hold"};
constexpr const char* kTrigSourceTexts[] = {"Audio",       "Half Note",      "Quarter Note",
                                            "Eighth Note", "Sixteenth Note", "From LFO"};
constexpr const char* kLfoFreqSourceTexts[] = {"Manual", "Whole Note", "Half Note", "Quarter Note",
                                               "Eighth Note"};
constexpr const char* kLfoSyncTexts[] = {"None", "Trigger", "Host, Bar"};

// The top choice lies at exactly 1.0: count = scale + 1.
constexpr ChoiceList kModeList{kModeTexts, 3, 2};
constexpr ChoiceList kTrigSourceList{kTrigSourceTexts, 6, 5};
constexpr ChoiceList kLfoFreqSourceList{kLfoFreqSourceTexts, 5, 4};
constexpr ChoiceList kLfoSyncList{kLfoSyncTexts, 3, 2};

}  // namespace

const char* parameterName(int32_t index) {
    return isParameterIndex(index) ? kNames[index] : nullptr;
}

const char* parameterLabel(int32_t index) {
    switch (index) {
        case kThreshold:
        case kDryWet: return "%";
        case kLfoFreq: return "Hz";
        default: return kBlankLabel;
    }
}

const ChoiceList* choiceList(int32_t index) {
    switch (index) {
        case kStartMode:
        case kEndMode: return &kModeList;
        case kTrigSource: return &kTrigSourceList;
        case kLfoFreqSource: return &kLfoFreqSourceList;
        case kLfoSync: return &kLfoSyncList;
        default: return nullptr;
    }
}

const char* choiceText(const ChoiceList& list, int8_t choice) {
    return choice >= 0 && choice < list.count ? list.texts[choice] : nullptr;
}

int8_t choiceNumber(const ChoiceList& list, float value) {
    return truncToInt8(static_cast<double>(list.scale) * static_cast<double>(value));
}

}  // namespace tavolu
