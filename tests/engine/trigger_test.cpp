// The transient detector and the per-sample trigger decision.
#include "engine/trigger.h"

#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"

namespace tavolu::testing {
namespace {

class Detector : public ::testing::Test {
  protected:
    void feed(float level, int samples) {
        for (int i = 0; i < samples; ++i) e.detectTransient(level);
    }
    FakeHost host;
    EngineRig rig{&host};
    Engine& e = rig.engine();
};

TEST_F(Detector, AnySoundAfterDigitalSilenceIsAnOnset) {
    feed(0.0f, 600);
    ASSERT_EQ(e.detEnvelope, 0.0f);
    ASSERT_EQ(e.detMinimum, 0.0f);
    ASSERT_TRUE(e.detArmed);
    e.detectTransient(1.0e-6f);
    EXPECT_TRUE(e.detTriggered);
    EXPECT_FALSE(e.detArmed);
    EXPECT_EQ(e.detDisplayLevel, 0.0f);
}

TEST_F(Detector, SelectivityBoundsTheRiseThatCounts) {
    rig.set(kSelectivity, 1.0f);  // g never exceeds 1
    feed(0.0f, 10);
    feed(1.0f, 1);
    EXPECT_FALSE(e.detTriggered);

    EngineRig sensitiveRig;
    Engine& sensitive = sensitiveRig.engine();
    sensitiveRig.set(kSelectivity, 0.0f);
    for (int i = 0; i < 10; ++i) sensitive.detectTransient(0.2f);
    sensitive.detectTransient(0.2f);
    EXPECT_FALSE(sensitive.detTriggered);  // no rise at all
    sensitive.detectTransient(0.2001f);
    EXPECT_TRUE(sensitive.detTriggered);
}

TEST_F(Detector, RelativeRiseAgainstTheHeldMinimum) {
    feed(0.2f, 20);
    ASSERT_EQ(e.detMinimum, 0.2f);
    e.detectTransient(0.25f);  // g = 0.2
    EXPECT_FALSE(e.detTriggered);

    EngineRig otherRig;
    Engine& other = otherRig.engine();
    for (int i = 0; i < 20; ++i) other.detectTransient(0.2f);
    other.detectTransient(0.5f);  // g = 0.6
    EXPECT_TRUE(other.detTriggered);
}

TEST_F(Detector, ReArmsAtTheFirstFallOfTheEnvelope) {
    feed(0.0f, 5);
    feed(0.5f, 1);
    ASSERT_FALSE(e.detArmed);
    // Below the peak the envelope holds for a whole segment ...
    feed(0.1f, 551);
    EXPECT_FALSE(e.detArmed);
    EXPECT_EQ(e.detEnvelope, 0.5f);
    // ... and drops to the segment's peak on the next sample: re-armed.
    e.detectTransient(0.1f);
    EXPECT_EQ(e.detEnvelope, 0.1f);
    EXPECT_EQ(e.detReference, 0.1f);
    EXPECT_EQ(e.detSegmentPeak, 0.0f);
    EXPECT_TRUE(e.detArmed);
}

TEST_F(Detector, ReportsTheRiseAndTheLevelToTheEditor) {
    feed(0.2f, 1);
    feed(0.1f, 552);  // a whole segment below: envelope and reference drop to 0.1
    ASSERT_EQ(e.detReference, 0.1f);
    host.reports.clear();
    feed(0.8f, 1);
    feed(0.3f, 1);
    ASSERT_EQ(host.reports.size(), 2u);
    EXPECT_EQ(host.reports[0].index, 22);
    EXPECT_FLOAT_EQ(host.reports[0].value, (0.8f - 0.1f) / 0.8f);
    EXPECT_EQ(host.reports[1].index, 23);

    // The display glides from the peak toward the next segment's peak.
    host.reports.clear();
    feed(0.3f, 551);
    ASSERT_EQ(host.count(23), 1);
    EXPECT_FLOAT_EQ(e.detDisplayStep, (0.8f - 0.3f) / 551.0f);
    feed(0.3f, 10);
    EXPECT_LT(e.detDisplayLevel, 0.8f);

    e.displayAttached = false;
    host.reports.clear();
    feed(0.9f, 1);
    feed(0.1f, 600);
    EXPECT_TRUE(host.reports.empty());
}

TEST_F(Detector, EnvelopeIsZeroOnlyAfterAWholeSegmentOfZeros) {
    feed(0.5f, 1);
    feed(0.0f, 551);
    EXPECT_EQ(e.detEnvelope, 0.5f);
    feed(0.0f, 1);
    EXPECT_EQ(e.detEnvelope, 0.0f);
}

class Decision : public ::testing::Test {
  protected:
    EngineRig rig;
    Engine& e = rig.engine();
};

TEST_F(Decision, AudioOnsetWaitsForTheThreshold) {
    rig.set(kThreshold, 0.5f);
    e.detectTransient(0.0f);
    e.detectTransient(0.4f);
    ASSERT_TRUE(e.detTriggered);
    EXPECT_FALSE(e.triggerDue());
    e.detectTransient(0.6f);  // still disarmed: the envelope reaches the threshold
    EXPECT_TRUE(e.triggerDue());
}

TEST_F(Decision, EachSourceFiresOnlyWhenSelectedButItsFlagWaits) {
    rig.set(kTrigSource, 0.0f);  // Audio
    e.lfoCrossed = true;
    e.gridPending = true;
    EXPECT_FALSE(e.triggerDue());
    rig.set(kTrigSource, 1.0f);  // From LFO
    EXPECT_TRUE(e.triggerDue());
    e.lfoCrossed = false;
    EXPECT_FALSE(e.triggerDue());
    rig.set(kTrigSource, 0.4f);  // Quarter Note
    EXPECT_TRUE(e.triggerDue());

    e.gridPending = false;
    e.midiTriggerPending = true;  // MIDI fires whatever the source
    EXPECT_TRUE(e.triggerDue());
    rig.set(kTrigSource, 1.5f);  // no source at all: MIDI still fires
    EXPECT_TRUE(e.triggerDue());
}

}  // namespace
}  // namespace tavolu::testing
