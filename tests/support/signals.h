// Deterministic test signals shared by the tests and the benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavolu::testing {

// Noise bursts of 4000 samples fading out, 5000 samples of digital silence
// after each: the kind of input the onset detector was made for. The same
// seed always gives the same signal.
inline std::vector<float> burstSignal(size_t frames, uint32_t seed, float level = 0.8f) {
    std::vector<float> out(frames);
    uint32_t state = seed * 2654435761u + 1u;
    for (size_t i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        const size_t phase = i % 9000;
        const float noise = static_cast<float>(static_cast<int32_t>(state) >> 8) / 8388608.0f;
        const float decay = phase < 4000 ? 1.0f - static_cast<float>(phase) / 4000.0f : 0.0f;
        out[i] = level * noise * decay;
    }
    return out;
}

}  // namespace tavolu::testing
