// Long offline renders at 44.1 and 192 kHz with the trigger sources, modes,
// LFO settings, programs and host tempo cycling (tests/support/long_run.h):
// nothing may drift to NaN, to infinity or into subnormal numbers, in the
// output or in the engine's state, and no counter may run past its range. In
// the sanitizer build UBSan stops the run at the first signed overflow.
//
// Three minutes of audio per rate by default; TAVOLU_LONG_RUN_SECONDS=3600
// renders the hour.
#include "tests/support/long_run.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tavolu::testing {
namespace {

constexpr double kDefaultSeconds = 180.0;  // s of audio per rate

class LongRun : public ::testing::TestWithParam<float> {};

TEST_P(LongRun, NothingDriftsAndNoCounterRunsAway) {
    const float rate = GetParam();
    LongRunHost host(rate);
    EngineRig rig(&host, rate);
    const LongRunResult r =
        renderLongRun(rig, host, rate, longRunSeconds("TAVOLU_LONG_RUN_SECONDS", kDefaultSeconds));
    std::printf(
        "%.0f Hz: %.0f s of audio, %lld frames, %ld reports, %.2f ns/frame first "
        "minute, %.2f last\n",
        rate, r.seconds, r.frames, r.reports, r.firstMinuteNs, r.lastMinuteNs);

    EXPECT_EQ(r.badOutputs, 0);
    EXPECT_GT(r.reports, 0);  // the editor was told all along
    const Engine& e = rig.engine();
    for (const char* name : driftedStateFields(rig.engine())) ADD_FAILURE() << name << " drifted";
    // Counters stay within what their meaning allows.
    EXPECT_GE(e.samplesSinceTrigger, 0);
    EXPECT_GE(e.updateCounter, 0);
    EXPECT_LE(e.updateCounter, e.updateInterval);
    EXPECT_LE(e.detSegmentCounter, e.detectorSegmentLength);
    EXPECT_GE(e.activeDecayEnd, 0);
    EXPECT_GE(e.activeHoldEnd, 0);
    // The pan position and the gains' controls stay in their ranges.
    EXPECT_GE(e.panPosition, 0.0f);
    EXPECT_LE(e.panPosition, 1.0f);
    EXPECT_LE(std::abs(e.lfoSin * e.lfoSin + e.lfoCos * e.lfoCos - 1.0f), 1e-3f);
}

// Without a trigger for minutes on end, the count of samples since the last
// one must fold back instead of climbing toward overflow (it would overflow
// after some 3 hours at 192 kHz): after 130 s it is below what the samples
// alone would make it, and the sweep still sits at its end.
TEST(LongRunCounters, TheSamplesSinceTriggerFoldBackWithoutATrigger) {
    constexpr float kRate = 44100.0f;   // Hz
    constexpr double kSeconds = 130.0;  // s, past the fold
    EngineRig rig(nullptr, kRate);
    rig.set(kTrigSource, choiceValue(kTrigSource, 0));  // the audio detector
    rig.set(kThreshold, 1.0f);                          // which the 0.8 bursts never reach
    rig.set(kLfoMod, 0.0f);
    const std::vector<float> input = burstSignal(kLongRunInput, 5);
    std::vector<float> left(kLongRunBlock), right(kLongRunBlock);
    const long long total = (long long)(kSeconds * kRate);
    size_t at = 0;
    for (long long done = 0; done < total; done += kLongRunBlock) {
        if (at + kLongRunBlock > input.size()) at = 0;
        rig.engine().processReplacing(input.data() + at, input.data() + at, left.data(),
                                      right.data(), kLongRunBlock);
        at += kLongRunBlock;
    }
    const Engine& e = rig.engine();
    EXPECT_GE(e.samplesSinceTrigger, 0);
    EXPECT_LT((long long)e.samplesSinceTrigger, total);
    EXPECT_EQ(e.envelopePosition, e.endTarget);
    EXPECT_TRUE(driftedStateFields(rig.engine()).empty());
}

INSTANTIATE_TEST_SUITE_P(Rates, LongRun, ::testing::Values(44100.0f, 192000.0f),
                         [](const auto& info) { return std::to_string(int(info.param)) + "Hz"; });

}  // namespace
}  // namespace tavolu::testing
