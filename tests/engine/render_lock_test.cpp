// The engine's output locked to the bit: every factory preset and the user
// starting set, through every trigger source, in both of the block routine's
// paths (the mono one with resting controls, and the general one), at block
// sizes from 1 to 4096, each condensed to a hash of every output sample and
// every report. Work on the engine's speed must leave every hash as it is.
//
// TAVOLU_PRINT_RENDER_HASHES=1 prints the table afresh (for a change that is
// meant to change the sound, and only then).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/support/engine_rig.h"
#include "tests/support/signals.h"

namespace tavolu::testing {
namespace {

constexpr int kFrames = 66150;  // 1.5 s at 44.1 kHz: three beats, a dozen bursts
constexpr int32_t kBlocks[] = {1, 16, 64, 100, 512, 4096};

// FNV-1a over the bits of whatever is fed to it.
struct Hash {
    uint64_t value = 14695981039346656037ull;
    void add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 1099511628211ull;
    }
};

// A transport at 120 BPM from 0.75 quarters that runs with the samples, and
// every report hashed in its order.
class HashingHost final : public EngineHost {
  public:
    Hash hash;
    int64_t framesDone = 0;
    bool readHostTime(HostTime& out) override {
        out = HostTime{0.75 + static_cast<double>(framesDone) * 120.0 / 60.0 / 44100.0, 120.0, 0.0,
                       4};
        return true;
    }
    void report(int32_t index, float value) override {
        hash.add(&index, sizeof index);
        hash.add(&value, sizeof value);
    }
};

struct Source {
    const char* name;
    float trigSource;
    bool midi;
};
constexpr Source kSources[] = {
    {"preset's own", -1.0f, false}, {"audio", 0.0f, false},    {"quarter notes", 0.4f, false},
    {"sixteenths", 0.8f, false},    {"from LFO", 1.0f, false}, {"MIDI", 0.0f, true},
};

// One render; `general` takes the general path (stereo width, a slewing mix).
uint64_t render(int32_t program, const Source& source, bool general, int32_t block) {
    HashingHost host;
    EngineRig rig(&host, 44100.0f, program);
    if (source.trigSource >= 0.0f) rig.set(kTrigSource, source.trigSource);
    if (source.midi) rig.set(kThreshold, 1.0f);
    if (general) {
        rig.set(kStereo, 1.0f);
        rig.set(kDryWet, 0.6f);
        rig.engine().inputGain = 0.5f;
    }
    static const std::vector<float> left = burstSignal(kFrames, 1);
    static const std::vector<float> right = burstSignal(kFrames, 2);
    std::vector<float> outL(kFrames), outR(kFrames);
    for (int32_t at = 0; at < kFrames; at += block) {
        const int32_t n = std::min(block, kFrames - at);
        if (source.midi && at / 8192 != (at + n) / 8192) rig.engine().midiMessage(0x90, 60, 100);
        rig.engine().processReplacing(left.data() + at, right.data() + at, outL.data() + at,
                                      outR.data() + at, n);
        host.framesDone += n;
    }
    host.hash.add(outL.data(), outL.size() * sizeof(float));
    host.hash.add(outR.data(), outR.size() * sizeof(float));
    return host.hash.value;
}

// Per program and path, one hash over every source and block size.
uint64_t renderAll(int32_t program, bool general) {
    Hash all;
    for (const Source& source : kSources) {
        for (int32_t block : kBlocks) {
            const uint64_t h = render(program, source, general, block);
            all.add(&h, sizeof h);
        }
    }
    return all.value;
}

// Rows: programs 0..8; columns: the mono path, the general path.
constexpr uint64_t kExpected[kNumFactoryRows][2] = {
#include "tests/engine/render_lock_hashes.inc"
};

TEST(RenderLock, EveryPresetSourcePathAndBlockSizeRendersAsBefore) {
    const bool print = std::getenv("TAVOLU_PRINT_RENDER_HASHES") != nullptr;
    for (int32_t program = 0; program < kNumFactoryRows; ++program) {
        const uint64_t mono = renderAll(program, false);
        const uint64_t general = renderAll(program, true);
        if (print)
            std::printf("    {0x%016llxull, 0x%016llxull},\n",
                        static_cast<unsigned long long>(mono),
                        static_cast<unsigned long long>(general));
        EXPECT_EQ(mono, kExpected[program][0]) << "program " << program << ", mono path";
        EXPECT_EQ(general, kExpected[program][1]) << "program " << program << ", general path";
    }
}

}  // namespace
}  // namespace tavolu::testing
