// The twenty parameters by index, as the host, the engine's set-up, the
// editor's controls and the programs all number them.
#pragma once

#include <cstdint>

namespace tavolu {

enum ParameterIndex : int32_t {
    kStartEqualsEnd = 0,
    kEnd,
    kStart,
    kAttack,
    kHold,
    kDecay,
    kStartMode,
    kEndMode,
    kTrigSource,
    kThreshold,
    kSelectivity,
    kLfoMod,
    kLfoDelay,
    kLfoFreq,
    kLfoFreqSource,
    kLfoSync,
    kLfoSyncFlip,
    kCenterVol,
    kDryWet,
    kStereo,
};

constexpr int kNumParameters = 20;

constexpr bool isParameterIndex(int32_t index) {
    return index >= 0 && index < kNumParameters;
}

}  // namespace tavolu
