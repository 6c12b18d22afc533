// Test doubles and set-up shared by the engine tests.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "tests/engine/engine_params.h"

namespace tavolu::testing {

// An EngineHost that answers with a settable transport and records reports.
class FakeHost final : public EngineHost {
  public:
    struct Report {
        int32_t index;
        float value;
    };

    bool valid = true;
    HostTime time{0.0, 120.0, 0.0, 4};
    int timeRequests = 0;
    std::vector<Report> reports;
    bool recordReports = true;

    bool readHostTime(HostTime& out) override {
        ++timeRequests;
        if (valid) out = time;
        return valid;
    }
    void report(int32_t index, float value) override {
        if (recordReports) reports.push_back({index, value});
    }

    int count(int32_t index) const {
        int n = 0;
        for (const Report& r : reports) n += r.index == index;
        return n;
    }
};

// An engine resumed at `rate`, with program 8 applied and the host attached.
inline void prepare(Engine& e, FakeHost* host, float rate = 44100.0f,
                    const Program& program = kFactory[8]) {
    e.inputGain = 1.0f;
    e.resume(rate);
    applyProgram(e, program);
    e.host = host;
    e.displayAttached = host != nullptr;
}

// Runs the engine over a buffer in blocks of `block` frames (in place).
inline void run(Engine& e, std::vector<float>& left, std::vector<float>& right, int block) {
    const int32_t n = static_cast<int32_t>(left.size());
    for (int32_t at = 0; at < n; at += block) {
        const int32_t len = at + block <= n ? block : n - at;
        e.processReplacing(left.data() + at, right.data() + at, left.data() + at, right.data() + at,
                           len);
    }
}

// A deterministic signal: noise bursts of a few thousand samples with
// silences between them, the kind of input the detector was made for.
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
