// The pan generator: sweeps laid out at triggers, the envelope phases, the
// sine LFO with its restarts, fade-in and depth, and the slewed result.
#include "engine/pan_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/engine/engine_fixture.h"

namespace tavolu::testing {
namespace {

class PanGenerator : public ::testing::Test {
  protected:
    // One sample with a MIDI trigger pending; returns the pan position.
    float trigger(float m = 0.0f) {
        e.midiTriggerPending = true;
        return e.nextPanPosition(m);
    }
    void step(int samples, float m = 0.0f) {
        for (int i = 0; i < samples; ++i) e.nextPanPosition(m);
    }
    EngineRig rig;
    Engine& e = rig.engine();
};

TEST_F(PanGenerator, WorkedSweepAttackHoldDecay) {
    rig.set(kAttack, 0.4f);
    rig.set(kHold, 0.2f);
    rig.set(kDecay, 0.5f);
    rig.set(kStart, 0.1f);
    rig.set(kEnd, 0.9f);
    ASSERT_EQ(e.attackIncrement, static_cast<float>(1.0 / 4411.0));
    ASSERT_EQ(e.decayIncrement, static_cast<float>(1.0 / 13231.0));
    ASSERT_EQ(e.envelopePosition, 0.5f);

    float previousPan = e.panPosition;
    float previousEnvelope = e.envelopePosition;
    for (int32_t n = 0; n <= 22060; ++n) {
        const float pan = n == 0 ? trigger() : e.nextPanPosition(0.0f);
        ASSERT_EQ(e.samplesSinceTrigger, n);
        const float env = e.envelopePosition;
        ASSERT_LE(std::fabs(pan - previousPan), e.slewStep * 1.0001f) << n;
        if (n < 4410) {
            ASSERT_GT(env, 0.1f) << n;
            ASSERT_LT(env, previousEnvelope) << n;
        } else if (n <= 8820) {
            ASSERT_EQ(env, 0.1f) << n;
        } else if (n < 22050) {
            ASSERT_GT(env, previousEnvelope) << n;
            ASSERT_LT(env, 0.9f) << n;
        } else {
            ASSERT_EQ(env, 0.9f) << n;
        }
        if (n == 0) {
            EXPECT_EQ(env, 0.5f + (0.1f - 0.5f) * (1.0f / 4411.0f));
        }
        if (n == 8821) {
            EXPECT_FLOAT_EQ(env, 0.1f + 0.8f / 13231.0f);
        }
        previousPan = pan;
        previousEnvelope = env;
    }
    EXPECT_EQ(e.panPosition, 0.9f);
}

TEST_F(PanGenerator, ZeroAttackJumpsTheEnvelopeButThePanSlews) {
    rig.set(kStart, 0.0f);
    rig.set(kEnd, 1.0f);
    rig.set(kHold, 0.1f);
    e.envelopePosition = 1.0f;
    e.panPosition = 1.0f;
    trigger();
    EXPECT_EQ(e.envelopePosition, 0.0f);
    EXPECT_EQ(e.panPosition, 0.99f);
    step(98);
    EXPECT_GT(e.panPosition, 0.0f);
    step(2);
    EXPECT_EQ(e.panPosition, 0.0f);
}

TEST_F(PanGenerator, HoldEndingWithTheDecayKeepsTheHold) {
    rig.set(kStart, 0.1f);
    rig.set(kEnd, 0.9f);
    rig.set(kDecay, 0.1f);
    rig.set(kHold, 0.1f);  // Hold equal to Decay: the two ends coincide
    ASSERT_EQ(e.holdEndSample, e.decayEndSample);
    trigger();
    step(e.holdEndSample);
    EXPECT_EQ(e.samplesSinceTrigger, e.activeHoldEnd);
    EXPECT_EQ(e.envelopePosition, 0.1f);  // still holding on the last hold sample
    step(1);
    EXPECT_EQ(e.envelopePosition, 0.9f);
}

TEST_F(PanGenerator, FlipAlternatesStartAndEndTogether) {
    rig.set(kStart, 0.2f);
    rig.set(kEnd, 0.7f);
    rig.set(kStartMode, 0.5f);
    rig.set(kEndMode, 0.5f);
    const float expectedStart[] = {0.8f, 0.2f, 0.8f, 0.2f};
    const float expectedEnd[] = {1.0f - 0.7f, 0.7f, 1.0f - 0.7f, 0.7f};
    for (int k = 0; k < 4; ++k) {
        trigger();
        EXPECT_EQ(e.startTarget, expectedStart[k]) << k;
        EXPECT_EQ(e.endTarget, expectedEnd[k]) << k;
        step(100);
    }
}

TEST_F(PanGenerator, SampleAndHoldFromTheLfoStaysInItsWindow) {
    rig.set(kStart, 0.1f);
    rig.set(kLfoMod, 0.6f);  // depth 0.3: window 0..0.6
    rig.set(kStartMode, 1.0f);
    rig.set(kLfoFreq, 1.0f);
    ASSERT_TRUE(e.holdSourceIsLfo);
    float lowest = 1.0f;
    float highest = 0.0f;
    for (int k = 0; k < 400; ++k) {
        const double q = e.lfoSin;
        trigger();
        EXPECT_NEAR(e.startTarget, 0.3 + 0.3 * q, 1e-6);
        lowest = std::min(lowest, e.startTarget);
        highest = std::max(highest, e.startTarget);
        step(37);
    }
    EXPECT_GE(lowest, 0.0f);
    EXPECT_LE(highest, 0.6f + 1e-6f);
    EXPECT_LT(lowest, 0.05f);
    EXPECT_GT(highest, 0.55f);
    // Under Sample&Hold the LFO does not move the position by itself.
    EXPECT_EQ(e.lfoDelayRamp, 0.0f);
}

TEST_F(PanGenerator, SampleAndHoldFromTheInputIsCaughtByTheClamp) {
    rig.set(kStart, 0.9f);
    rig.set(kLfoMod, 1.0f);  // depth 0.5
    rig.set(kStartMode, 1.0f);
    rig.set(kLfoSync, 0.5f);  // restarts at each trigger: input is the source
    ASSERT_FALSE(e.holdSourceIsLfo);
    rig.set(kAttack, 0.0f);
    rig.set(kHold, 0.5f);
    // m * 500000 = 0.95: q = 1.9, beyond the window's reach.
    trigger(0.0000019f);
    const float v = static_cast<float>(0.0000019 * 500000.0);
    const double q = 2.0 * (v - std::trunc(v));
    float expected = static_cast<float>(0.9 + 0.5 * q);
    expected = static_cast<float>(double{expected} - (0.9 + 0.5 - 1.0));
    EXPECT_NEAR(e.startTarget, expected, 1e-6f);
    EXPECT_GT(e.startTarget, 1.0f);
    EXPECT_EQ(e.rawPan, 1.0f);

    trigger(-0.0000019f);  // the sign of the input gives the sign of q
    EXPECT_LT(e.startTarget, 0.5f);

    // An input too large to have a fraction gives q = 0, never undefined.
    trigger(3.0e38f);
    EXPECT_EQ(e.startTarget, static_cast<float>(0.9 - 0.4));
}

TEST_F(PanGenerator, RestingPositionFollowsStartWithStartEqualsEnd) {
    rig.set(kStartEqualsEnd, 1.0f);
    step(1);
    EXPECT_EQ(e.envelopePosition, 0.5f);
    rig.set(kStart, 0.3f);  // moves End along, not the end target
    EXPECT_EQ(e.endTarget, 0.5f);
    step(1);
    EXPECT_EQ(e.envelopePosition, 0.3f);

    rig.set(kEndMode, 0.5f);  // Flip: the rest stays at the last end target
    rig.set(kStart, 0.6f);
    step(1);
    EXPECT_EQ(e.envelopePosition, 0.5f);
    rig.set(kEnd, 0.8f);
    step(1);
    EXPECT_EQ(e.envelopePosition, 0.8f);
}

TEST_F(PanGenerator, LfoRestartCrossfadesOnlyFromAFarValue) {
    e.lfoOutput = 0.05f;
    e.lfoBlend = 1.0f;
    e.resetLfo();
    EXPECT_EQ(e.lfoBlend, 1.0f);
    EXPECT_EQ(e.lfoHeldOutput, 0.05f);
    EXPECT_EQ(e.lfoSin, 0.0f);
    EXPECT_EQ(e.lfoPrevSin, 0.0f);
    EXPECT_TRUE(e.traceRestart);

    e.lfoOutput = -0.5f;
    e.resetLfo();
    EXPECT_EQ(e.lfoBlend, 0.0f);
    EXPECT_EQ(e.lfoHeldOutput, -0.5f);
}

TEST_F(PanGenerator, SyncFlipStartsSuccessiveRestartsInTurn) {
    const float initial = e.lfoDirection;
    rig.set(kLfoSyncFlip, 1.0f);  // reverses once and marks it pending
    EXPECT_EQ(e.lfoDirection, -initial);
    EXPECT_TRUE(e.flipPending);
    e.resetLfo();
    EXPECT_EQ(e.lfoCos, -initial);
    EXPECT_FALSE(e.flipPending);
    EXPECT_EQ(e.lfoDirection, initial);  // used, then reversed for the next restart
    step(1);
    EXPECT_EQ(e.lfoSin > 0.0f, -initial > 0.0f);  // the sine starts toward lfoCos
    e.resetLfo();
    EXPECT_EQ(e.lfoCos, initial);
    step(1);
    EXPECT_EQ(e.lfoSin > 0.0f, initial > 0.0f);

    rig.set(kLfoSyncFlip, 0.0f);
    const float before = e.lfoDirection;
    // With the flip off a restart keeps the direction.
    e.resetLfo();
    EXPECT_EQ(e.lfoCos, before);
    EXPECT_EQ(e.lfoDirection, before);
}

TEST_F(PanGenerator, LfoKeepsItsAmplitudeAndCrossesZero) {
    rig.set(kLfoFreq, 1.0f);  // fastest manual rate
    float highest = 0.0f;
    int crossings = 0;
    for (int i = 0; i < 200000; ++i) {
        e.nextPanPosition(0.0f);
        highest = std::max(highest, std::fabs(e.lfoSin));
        crossings += e.lfoCrossed;
        e.lfoCrossed = false;
    }
    EXPECT_NEAR(highest, 1.0f, 1e-5f);
    // 8.49 Hz for 200000 samples at 44100 Hz: about 77 crossings.
    EXPECT_NEAR(crossings, 77, 1);
}

TEST_F(PanGenerator, LfoDepthDelayAndClamp) {
    rig.set(kLfoMod, 1.0f);
    rig.set(kLfoDelay, 0.5f);  // fade in over 0.5 s
    rig.set(kLfoFreq, 1.0f);
    trigger();
    step(100);
    const float early = std::fabs(e.lfoOffset);
    EXPECT_LT(early, 0.01f);
    float widest = 0.0f;
    for (int i = 0; i < 44100; ++i) {
        e.nextPanPosition(0.0f);
        widest = std::max(widest, std::fabs(e.lfoOffset));
        ASSERT_GE(e.rawPan, 0.0f);
        ASSERT_LE(e.rawPan, 1.0f);
    }
    EXPECT_NEAR(widest, 0.5f, 1e-3f);
    EXPECT_EQ(e.lfoDelayRamp, 1.0f);
}

TEST_F(PanGenerator, HostBarRestartsTheLfoOnlyUnderBarSync) {
    rig.set(kLfoFreq, 1.0f);
    step(500);
    e.barPending = true;
    step(1);
    EXPECT_FALSE(e.barPending);
    EXPECT_NE(e.lfoSin, static_cast<float>(e.lfoPhaseStep));

    rig.set(kLfoSync, 1.0f);  // Host, Bar
    const float direction = e.lfoDirection;
    e.lfoCrossed = false;
    e.barPending = true;
    step(1);
    EXPECT_TRUE(e.lfoCrossed);
    EXPECT_EQ(e.lfoSin, 0.0f);  // restarted after this sample's oscillator step
    EXPECT_EQ(e.lfoCos, direction);
}

TEST_F(PanGenerator, TriggerClearsEverySourceAndStartsANewTrace) {
    e.lfoCrossed = true;
    e.gridPending = true;
    e.detTriggered = true;
    e.lfoDelayRamp = 0.7f;
    e.samplesSinceTrigger = 1234;
    trigger();
    EXPECT_FALSE(e.lfoCrossed);
    EXPECT_FALSE(e.gridPending);
    EXPECT_FALSE(e.detTriggered);
    EXPECT_FALSE(e.midiTriggerPending);
    EXPECT_TRUE(e.traceRestart);
    EXPECT_EQ(e.updateCounter, e.updateInterval);
    EXPECT_EQ(e.samplesSinceTrigger, 0);
    EXPECT_EQ(e.activeDecayEnd, e.decayEndSample);
}

TEST_F(PanGenerator, ANonNumberSumParksThePanInTheCentre) {
    e.startValue = std::nanf("");
    trigger();
    EXPECT_EQ(e.rawPan, 0.5f);
    EXPECT_TRUE(std::isfinite(e.panPosition));
}

}  // namespace
}  // namespace tavolu::testing
