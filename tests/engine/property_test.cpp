// Long randomised runs: parameters, signals, block sizes and host tempo all
// change as the engine runs, and its invariants must hold throughout.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/pan_generator.h"
#include "tests/engine/engine_fixture.h"

namespace tavolu::testing {
namespace {

// A signal of a randomly chosen kind: bursts, steady noise, a sine, silence.
std::vector<float> randomSignal(std::mt19937& rng, size_t frames) {
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    switch (kind(rng)) {
        case 0: return burstSignal(frames, rng(), 0.2f + 0.8f * std::fabs(unit(rng)));
        case 1: {
            std::vector<float> out(frames);
            for (float& s : out) s = unit(rng);
            return out;
        }
        case 2: {
            std::vector<float> out(frames);
            const float step = 0.001f + std::fabs(unit(rng)) * 0.1f;
            for (size_t i = 0; i < frames; ++i) out[i] = std::sin(step * static_cast<float>(i));
            return out;
        }
        default: return std::vector<float>(frames, 0.0f);
    }
}

void randomParameter(std::mt19937& rng, EngineRig& rig) {
    std::uniform_int_distribution<int> index(0, kNumParameters - 1);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    const int i = index(rng);
    // Choices often land on their exact top value of 1.0.
    rig.set(i, rng() % 4 == 0 ? 1.0f : value(rng));
}

void randomHostTime(std::mt19937& rng, FakeHost& host) {
    std::uniform_real_distribution<double> tempo(20.0, 300.0);
    std::uniform_real_distribution<double> pos(-8.0, 64.0);
    host.valid = rng() % 5 != 0;
    host.time =
        HostTime{pos(rng), tempo(rng), std::floor(pos(rng)), static_cast<int32_t>(rng() % 8)};
}

TEST(Properties, PanStaysInRangeAndMovesAtMostOneSlewStepPerSample) {
    std::mt19937 rng(11);
    for (float rate : {44100.0f, 96000.0f}) {
        FakeHost host;
        host.recordReports = false;
        EngineRig rig(&host, rate);
        Engine& e = rig.engine();
        for (int round = 0; round < 200; ++round) {
            randomParameter(rng, rig);
            if (rng() % 3 == 0) e.midiTriggerPending = true;
            if (rng() % 7 == 0) e.barPending = true;
            const std::vector<float> signal = randomSignal(rng, 5000);
            for (float m : signal) {
                const float before = e.panPosition;
                const float pan = e.nextPanPosition(m);
                ASSERT_GE(e.rawPan, 0.0f);
                ASSERT_LE(e.rawPan, 1.0f);
                ASSERT_LE(std::fabs(pan - before), e.slewStep + 1e-7f);  // half a float step at 1.0
            }
        }
    }
}

TEST(Properties, BlocksOfAnySizeKeepOutputsFiniteAndCountersBounded) {
    std::mt19937 rng(23);
    std::uniform_int_distribution<int> blockSize(1, 4096);
    for (float rate : {44100.0f, 48000.0f, 96000.0f}) {
        FakeHost host;
        host.recordReports = false;
        EngineRig rig(&host, rate);
        Engine& e = rig.engine();
        e.inputGain = rate == 48000.0f ? 0.5f : 1.0f;
        for (int round = 0; round < 100; ++round) {
            randomParameter(rng, rig);
            randomParameter(rng, rig);
            if (rng() % 2 == 0) randomHostTime(rng, host);
            if (rng() % 4 == 0) e.requestTimeInfo();
            const int block = rng() % 3 == 0 ? 1 + static_cast<int>(rng() % 8) : blockSize(rng);
            std::vector<float> l = randomSignal(rng, 12000), r = randomSignal(rng, 12000);
            const float panBefore = e.panPosition;
            for (size_t at = 0; at < l.size(); at += static_cast<size_t>(block)) {
                const int32_t len = static_cast<int32_t>(std::min<size_t>(block, l.size() - at));
                const float pan = e.panPosition;
                e.processReplacing(l.data() + at, r.data() + at, l.data() + at, r.data() + at, len);
                ASSERT_LE(std::fabs(e.panPosition - pan),
                          e.slewStep * static_cast<float>(len) + 1e-5f);
                ASSERT_GE(e.rawPan, 0.0f);
                ASSERT_LE(e.rawPan, 1.0f);
                ASSERT_LE(e.samplesSinceTrigger, 5000000);
                ASSERT_GE(e.samplesSinceTrigger, 0);
            }
            for (size_t i = 0; i < l.size(); ++i) {
                ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << i;
                ASSERT_LE(std::fabs(l[i]), 2.0f);
            }
            (void)panBefore;
        }
    }
}

}  // namespace
}  // namespace tavolu::testing
