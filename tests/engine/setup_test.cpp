// The sample-rate set-up and the operations that keep derived values in step.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/engine.h"
#include "tests/support/engine_rig.h"

namespace tavolu::testing {
namespace {

struct RateCase {
    float rate;
    int32_t updateInterval;
    uint32_t segment;
};

class ResumeAtRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(ResumeAtRate, DerivesTheRateValues) {
    const RateCase c = GetParam();
    Engine e;
    e.timeInfoCurrent = true;
    e.resume(c.rate);
    EXPECT_EQ(e.engineSampleRate, c.rate);
    EXPECT_EQ(e.updateInterval, c.updateInterval);
    EXPECT_EQ(e.detectorSegmentLength, c.segment);
    EXPECT_EQ(e.detectorSegmentInverse, static_cast<float>(1.0 / c.segment));
    EXPECT_EQ(e.slewStep, static_cast<float>(441.0 / c.rate));
    EXPECT_EQ(e.lfoRateScale, static_cast<float>(double{e.slewStep} * double{0.1f}));
    EXPECT_FALSE(e.timeInfoCurrent);
}

INSTANTIATE_TEST_SUITE_P(CommonRates, ResumeAtRate,
                         ::testing::Values(RateCase{44100.0f, 440, 551},
                                           RateCase{48000.0f, 479, 600},
                                           RateCase{96000.0f, 959, 1200}));

TEST(Resume, At44100GivesTheRoundNumbers) {
    Engine e;
    e.resume(44100.0f);
    EXPECT_EQ(e.slewStep, 0.01f);
    EXPECT_FLOAT_EQ(e.lfoRateScale, 0.001f);
}

TEST(Resume, RefusesARateThatCannotHoldADetectorSegment) {
    Engine e;
    e.resume(48000.0f);
    for (float bad : {0.0f, 79.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()}) {
        e.timeInfoCurrent = true;
        e.resume(bad);
        EXPECT_EQ(e.engineSampleRate, 48000.0f) << bad;
        EXPECT_EQ(e.detectorSegmentLength, 600u) << bad;
        EXPECT_FALSE(e.timeInfoCurrent) << bad;
    }
}

TEST(Resume, KeepsTheEnvelopeCountsOfTheRateTheyWereWrittenAt) {
    EngineRig rig;  // resumed at 44100 Hz
    Engine& e = rig.engine();
    rig.set(kDecay, 0.5f);
    rig.set(kLfoDelay, 0.5f);
    const float delayStep = e.lfoDelayStep;
    e.resume(96000.0f);
    EXPECT_EQ(e.decayEndSample, 22050);
    EXPECT_EQ(e.decaySamples, 22050.0f);
    EXPECT_EQ(e.lfoDelayStep, delayStep);
    rig.set(kDecay, 0.5f);
    EXPECT_EQ(e.decayEndSample, 48000);
}

TEST(EnvelopeTimes, DecayIncrementOverTheDecayPhase) {
    EngineRig rig;  // resumed at 44100 Hz
    Engine& e = rig.engine();
    rig.set(kHold, 0.2f);
    rig.set(kDecay, 0.5f);
    EXPECT_EQ(e.decayIncrement, static_cast<float>(1.0 / 13231.0));
    EXPECT_EQ(e.holdEndSample, 8820);
    EXPECT_EQ(e.decayEndSample, 22050);

    rig.set(kDecay, 0.2f);  // Decay equal to Hold
    EXPECT_EQ(e.decayIncrement, 1.0f);

    // A hold past the decay (only through direct field writes) cannot give
    // an increment above 1 or a division by a small number.
    e.setHoldTime(0.4f);
    e.setDecayTime(0.1f);
    e.updateDecayIncrement();
    EXPECT_EQ(e.decayIncrement, 1.0f);
}

TEST(EnvelopeTimes, AttackSetsItsRampAndTheFadeInSmoothing) {
    EngineRig rig;  // resumed at 44100 Hz
    Engine& e = rig.engine();
    rig.set(kDecay, 1.0f);
    rig.set(kHold, 1.0f);
    rig.set(kAttack, 0.4f);
    EXPECT_EQ(e.attackTime, 0.1f);
    EXPECT_EQ(e.attackSamples, 4410.0f);
    EXPECT_EQ(e.attackEndSample, 4410);
    EXPECT_EQ(e.attackIncrement, static_cast<float>(1.0 / 4411.0));
    EXPECT_EQ(e.delaySmoothing, static_cast<float>(1.0 - double{0.1f} * double{3.996f}));
}

TEST(EnvelopeTimes, HugeTimesSaturateInsteadOfOverflowing) {
    Engine e;
    e.resume(44100.0f);
    e.setDecayTime(1.0e30f);
    EXPECT_EQ(e.decayEndSample, std::numeric_limits<int32_t>::max());
    e.setHoldTime(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(e.holdEndSample, 0);
}

TEST(HoldSource, FollowsWhetherTheLfoDiffersFromTriggerToTrigger) {
    EngineRig rig;  // resumed at 44100 Hz
    Engine& e = rig.engine();
    rig.set(kLfoSync, 0.0f);
    rig.set(kTrigSource, 0.4f);     // Quarter Note
    rig.set(kLfoFreqSource, 0.5f);  // Half Note
    EXPECT_TRUE(e.holdSourceIsLfo);
    rig.set(kTrigSource, 0.2f);      // Half Note
    rig.set(kLfoFreqSource, 0.75f);  // Quarter Note
    EXPECT_FALSE(e.holdSourceIsLfo);

    rig.set(kTrigSource, 0.0f);  // Audio
    EXPECT_TRUE(e.holdSourceIsLfo);
    rig.set(kLfoSync, 0.5f);  // Trigger: the LFO restarts at every trigger
    EXPECT_FALSE(e.holdSourceIsLfo);
    rig.set(kLfoSync, 0.0f);
    rig.set(kTrigSource, 1.0f);  // From LFO
    EXPECT_FALSE(e.holdSourceIsLfo);
}

TEST(Slew, MovesAtMostOneStepAndLandsOnTheTarget) {
    Engine e;
    e.resume(44100.0f);
    float current = 0.0f;
    int steps = 0;
    while (current != 1.0f && steps < 1000) {
        const float before = current;
        e.slewToward(1.0f, current);
        EXPECT_LE(current - before, 0.01f + 1e-7f);
        ++steps;
    }
    EXPECT_EQ(current, 1.0f);
    EXPECT_NEAR(steps, 100, 1);  // float steps of 0.01 may leave a last sliver

    current = 0.5f;
    e.slewToward(0.495f, current);  // within one step: lands exactly
    EXPECT_EQ(current, 0.495f);
    e.slewToward(0.0f, current);
    EXPECT_EQ(current, 0.495f - 0.01f);
}

TEST(Slew, ANonNumberTargetHoldsTheCurrentValue) {
    Engine e;
    e.resume(44100.0f);
    float current = 0.3f;
    e.slewToward(std::numeric_limits<float>::quiet_NaN(), current);
    EXPECT_EQ(current, 0.3f);
    e.slewToward(std::numeric_limits<float>::infinity(), current);
    EXPECT_EQ(current, 0.31f);
}

TEST(Midi, OnlyLoudEnoughNoteOnsRequestATrigger) {
    struct Case {
        uint8_t status, velocity;
        bool triggers;
    };
    for (const Case c :
         {Case{0x90, 64, true}, Case{0x9F, 127, true}, Case{0x90, 63, false},
          Case{0x80, 100, false}, Case{0xB0, 100, false},
          Case{0x90, 0xC0, true} /* high bit ignored: 64 */, Case{0x90, 0xBF, false} /* 63 */}) {
        Engine e;
        e.midiMessage(c.status, 60, c.velocity);
        EXPECT_EQ(bool{e.midiTriggerPending}, c.triggers)
            << std::hex << int{c.status} << " " << int{c.velocity};
    }
}

}  // namespace
}  // namespace tavolu::testing
