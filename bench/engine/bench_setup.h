// Engine set-ups shared by the benchmark and the instruction-count driver.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "tests/engine/engine_fixture.h"

namespace tavolu::bench {

// A host whose transport runs with the processed samples, and which drops
// every report as a closed editor would.
class RunningHost final : public EngineHost {
  public:
    double tempo = 120.0;
    double sampleRate = 44100.0;
    int64_t framesDone = 0;
    bool readHostTime(HostTime& out) override {
        out = HostTime{static_cast<double>(framesDone) * tempo / 60.0 / sampleRate, tempo, 0.0, 4};
        return true;
    }
    void report(int32_t, float) override {}
};

enum class Source { kAudio, kQuarterNote, kFromLfo, kMidi };

inline void setUp(Engine& e, RunningHost& host, float rate, const testing::Program& program) {
    host.sampleRate = rate;
    e.inputGain = 1.0f;
    e.resume(rate);
    testing::applyProgram(e, program);
    e.host = &host;
    e.displayAttached = true;
}

inline void setUpSource(Engine& e, RunningHost& host, float rate, Source source) {
    setUp(e, host, rate, testing::kFactory[8]);
    switch (source) {
        case Source::kAudio: break;
        case Source::kQuarterNote: testing::applyParameter(e, testing::kTrigSource, 0.4f); break;
        case Source::kFromLfo: testing::applyParameter(e, testing::kTrigSource, 1.0f); break;
        case Source::kMidi:  // the audio never reaches the threshold: only notes trigger
            testing::applyParameter(e, testing::kThreshold, 1.0f);
            break;
    }
}

// Runs `frames` frames through the engine in blocks, from a looped signal.
inline void process(Engine& e, RunningHost& host, const std::vector<float>& inL,
                    const std::vector<float>& inR, std::vector<float>& outL,
                    std::vector<float>& outR, int64_t frames, int32_t block, bool midi) {
    const int64_t length = static_cast<int64_t>(inL.size());
    int64_t at = 0;
    for (int64_t done = 0; done < frames; done += block) {
        if (at + block > length) at = 0;
        if (midi && done % 8192 == 0) e.midiMessage(0x90, 60, 100);
        e.processReplacing(inL.data() + at, inR.data() + at, outL.data() + at, outR.data() + at,
                           block);
        at += block;
        host.framesDone += block;
    }
}

}  // namespace tavolu::bench
