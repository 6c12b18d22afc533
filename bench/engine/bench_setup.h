// Engine set-ups shared by the benchmark and the instruction-count driver.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "tests/support/engine_rig.h"
#include "tests/support/signals.h"

namespace tavolu::bench {

// A host whose transport runs with the processed samples, and which drops
// every report as a closed editor would.
class RunningHost final : public EngineHost {
  public:
    explicit RunningHost(double rate) : sampleRate(rate) {}
    double tempo = 120.0;  // beats per minute
    double sampleRate;     // Hz
    int64_t framesDone = 0;
    bool readHostTime(HostTime& out) override {
        out = HostTime{static_cast<double>(framesDone) * tempo / 60.0 / sampleRate, tempo, 0.0, 4};
        return true;
    }
    void report(int32_t, float) override {}
};

enum class Source { kAudio, kQuarterNote, kFromLfo, kMidi };

// An effect at `rate` with factory program `program` selected, whose engine
// reports to `host`.
struct BenchRig {
    BenchRig(float rate, int32_t program) : host(rate), rig(&host, rate, program) {}
    RunningHost host;
    testing::EngineRig rig;
    Engine& engine() { return rig.engine(); }
};

// The trigger source chosen by writing "Trig Source", as a host would.
inline void chooseSource(testing::EngineRig& rig, Source source) {
    switch (source) {
        case Source::kAudio: rig.set(kTrigSource, 0.0f); break;
        case Source::kQuarterNote: rig.set(kTrigSource, 0.4f); break;
        case Source::kFromLfo: rig.set(kTrigSource, 1.0f); break;
        case Source::kMidi:  // the audio never reaches the threshold: only notes trigger
            rig.set(kTrigSource, 0.0f);
            rig.set(kThreshold, 1.0f);
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
