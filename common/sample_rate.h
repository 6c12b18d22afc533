// The sample rates the plug-in runs at. A host asking for another keeps the
// rate it had.
#pragma once

#include <cmath>

namespace tavolu {

// Hz: below it a detector segment (1/80 s) holds no sample.
constexpr float kLowestSampleRate = 80.0f;
// Hz: twice 768 kHz, the highest rate audio interfaces offer. Far above it
// the sample counts the engine keeps in 32 bits (the update interval, the
// envelope ends, the block counters) would overflow.
constexpr float kHighestSampleRate = 1536000.0f;

inline bool supportedSampleRate(float rate) {
    return std::isfinite(rate) && rate >= kLowestSampleRate && rate <= kHighestSampleRate;
}

}  // namespace tavolu
