// The block routine: pan law and mix, in-place and split processing, the
// editor reports, and what becomes of bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/denormal_guard.h"
#include "engine/voice.h"
#include "tests/engine/engine_fixture.h"

namespace tavolu::testing {
namespace {

// An engine resting at pan position t with the given centre level and mix.
void restAt(EngineRig& rig, float t, float centerVol, float dryWet) {
    rig.set(kEnd, t);
    rig.set(kCenterVol, centerVol);
    rig.set(kDryWet, dryWet);
    Engine& e = rig.engine();
    e.envelopePosition = t;
    e.panPosition = t;
    e.centerVol = centerVol;
    e.dryWet = dryWet;
}

TEST(PanLaw, ChannelGainsOfTheTable) {
    struct Row {
        float t, centerVol, left, right;
    };
    const Row table[] = {{0.0f, 0.0f, 1.0f, 0.0f},    {0.0f, 0.7f, 1.0f, 0.0f},
                         {0.25f, 0.0f, 0.75f, 0.25f}, {0.25f, 1.0f, 1.0f, 0.5f},
                         {0.5f, 0.0f, 0.5f, 0.5f},    {0.5f, 1.0f, 1.0f, 1.0f},
                         {1.0f, 0.0f, 0.0f, 1.0f},    {1.0f, 0.35f, 0.0f, 1.0f}};
    for (const Row& row : table) {
        EngineRig rig;
        Engine& e = rig.engine();
        restAt(rig, row.t, row.centerVol, 1.0f);
        float l[4] = {0.5f, 0.5f, 0.5f, 0.5f};  // mono sum 1.0 on both sides
        float r[4] = {0.5f, 0.5f, 0.5f, 0.5f};
        e.processReplacing(l, r, l, r, 4);
        EXPECT_FLOAT_EQ(l[3], row.left) << row.t << " " << row.centerVol;
        EXPECT_FLOAT_EQ(r[3], row.right) << row.t << " " << row.centerVol;
    }
}

// The gains are kept from block to block; whatever moves the pan position or
// a control in between, the next block follows the law.
TEST(PanLaw, KeptGainsFollowChangesBetweenBlocks) {
    EngineRig rig;
    Engine& e = rig.engine();
    const float settings[][3] = {{0.25f, 1.0f, 1.0f}, {0.25f, 0.0f, 1.0f}, {0.25f, 0.0f, 0.5f},
                                 {0.75f, 0.0f, 0.5f}, {0.75f, 0.0f, 0.5f}, {0.25f, 1.0f, 1.0f}};
    for (const auto& [t, centerVol, dryWet] : settings) {
        restAt(rig, t, centerVol, dryWet);
        float l[4] = {0.5f, 0.5f, 0.5f, 0.5f};
        float r[4] = {0.5f, 0.5f, 0.5f, 0.5f};
        e.processReplacing(l, r, l, r, 4);
        const float w = centerVol + 1.0f;
        const float left = 1.0f - dryWet * std::max(0.0f, 1.0f - (1.0f - t) * w);
        const float right = 1.0f - dryWet * std::max(0.0f, 1.0f - t * w);
        EXPECT_FLOAT_EQ(l[0], left) << t << " " << centerVol << " " << dryWet;
        EXPECT_FLOAT_EQ(r[0], right) << t << " " << centerVol << " " << dryWet;
    }
}

TEST(PanLaw, DryWetScalesTheAttenuation) {
    for (float wet : {0.0f, 0.5f}) {
        EngineRig rig;
        Engine& e = rig.engine();
        restAt(rig, 0.0f, 0.35f, wet);
        float l[2] = {0.5f, 0.5f};
        float r[2] = {0.5f, 0.5f};
        e.processReplacing(l, r, l, r, 2);
        EXPECT_FLOAT_EQ(l[1], 1.0f);
        EXPECT_FLOAT_EQ(r[1], 1.0f - wet);
    }
}

TEST(Mix, MonoSumWithTheInputGainAndTheStereoBlend) {
    EngineRig rig;
    Engine& e = rig.engine();
    restAt(rig, 0.5f, 1.0f, 1.0f);  // both gains 1: outputs show the channels
    e.inputGain = 0.5f;
    float l[1] = {1.0f};
    float r[1] = {0.0f};
    e.processReplacing(l, r, l, r, 1);
    EXPECT_EQ(l[0], 0.5f);
    EXPECT_EQ(r[0], 0.5f);

    rig.set(kStereo, 1.0f);
    e.stereo = 1.0f;
    l[0] = 1.0f;
    r[0] = 0.0f;
    e.processReplacing(l, r, l, r, 1);
    EXPECT_EQ(l[0], 1.0f);
    EXPECT_EQ(r[0], 0.0f);
}

TEST(Mix, OutputControlsSlewTowardTheirTargets) {
    EngineRig rig;
    Engine& e = rig.engine();
    restAt(rig, 0.5f, 1.0f, 0.0f);
    rig.set(kDryWet, 1.0f);
    std::vector<float> l(50, 0.5f), r(50, 0.5f);
    e.processReplacing(l.data(), r.data(), l.data(), r.data(), 50);
    EXPECT_NEAR(e.dryWet, 0.5f, 1e-6f);  // 50 steps of 0.01
}

class Blocks : public ::testing::Test {
  protected:
    void SetUp() override {
        host.recordReports = false;
        host.time = HostTime{0.5, 30.0, 0.0, 4};  // slow: no line within the first block
    }
    FakeHost host;
};

TEST_F(Blocks, InPlaceMatchesSeparateBuffersAndSplittingChangesNothing) {
    for (int32_t program = 0; program < kNumFactoryRows; ++program) {
        const std::vector<float> inL = burstSignal(4000, 1), inR = burstSignal(4000, 2);

        EngineRig wholeRig(&host, 44100.0f, program);
        Engine& whole = wholeRig.engine();
        std::vector<float> outL(4000), outR(4000);
        whole.processReplacing(inL.data(), inR.data(), outL.data(), outR.data(), 4000);

        EngineRig inPlace(&host, 44100.0f, program);
        std::vector<float> l = inL, r = inR;
        run(inPlace.engine(), l, r, 4000);
        EXPECT_EQ(l, outL);
        EXPECT_EQ(r, outR);

        EngineRig splitRig(&host, 44100.0f, program);
        Engine& split = splitRig.engine();
        l = inL;
        r = inR;
        run(split, l, r, 1);
        EXPECT_EQ(l, outL);
        EXPECT_EQ(r, outR);
        EXPECT_EQ(split.panPosition, whole.panPosition);
        EXPECT_EQ(split.samplesSinceTrigger, whole.samplesSinceTrigger);
    }
}

TEST_F(Blocks, EmptyOrNegativeCountsStillRunTheBlockStart) {
    EngineRig rig(&host);
    Engine& e = rig.engine();
    float l[1] = {0.25f};
    float r[1] = {0.25f};
    e.processReplacing(l, r, l, r, 0);
    e.processReplacing(l, r, l, r, -5);
    EXPECT_EQ(host.timeRequests, 1);
    EXPECT_TRUE(e.timeInfoCurrent);
    EXPECT_EQ(l[0], 0.25f);
}

TEST_F(Blocks, MissingBuffersGiveSilenceWhereThereIsSomewhereToWrite) {
    EngineRig rig(&host);
    Engine& e = rig.engine();
    float l[3] = {1.0f, 1.0f, 1.0f};
    float r[3] = {1.0f, 1.0f, 1.0f};
    e.processReplacing(nullptr, r, l, r, 3);
    EXPECT_EQ(l[2], 0.0f);
    EXPECT_EQ(r[2], 0.0f);
    e.processReplacing(l, r, l, nullptr, 3);  // nothing to crash on
}

TEST_F(Blocks, CounterSinceTriggerFoldsBackBeforeItCanOverflow) {
    EngineRig rig(&host);
    Engine& e = rig.engine();
    e.samplesSinceTrigger = 4999999;
    std::vector<float> l(2, 0.1f), r(2, 0.1f);
    run(e, l, r, 2);
    EXPECT_EQ(e.samplesSinceTrigger, 500001);
}

// The chain works on its own copy of the envelope position for a run of
// samples. A "Start=End" write from the setter's thread meanwhile must stand;
// without one, the run's position is published.
TEST(SharedPosition, AWriteDuringARunStandsAndOtherwiseTheRunsIsKept) {
    EngineRig rig;
    Engine& e = rig.engine();
    const Settings s(e);
    for (bool written : {false, true}) {
        e.envelopePosition = 0.2f;
        Voice v(e, s);
        v.envelopePosition = 0.3f;               // the run moved it
        if (written) e.envelopePosition = 0.5f;  // the setter centred it meanwhile
        v.store(e);
        EXPECT_EQ(float{e.envelopePosition}, written ? 0.5f : 0.3f);
    }
}

TEST(Reports, PanPositionEveryTenMillisecondsAndANewTraceAtATrigger) {
    FakeHost host;
    EngineRig rig(&host);
    Engine& e = rig.engine();
    std::vector<float> l(2000, 0.1f), r(2000, 0.1f);
    e.midiTriggerPending = true;
    run(e, l, r, 2000);
    std::vector<FakeHost::Report> pans;
    for (const auto& report : host.reports) {
        if (report.index == kReportPanPosition) pans.push_back(report);
    }
    // The trigger on the first sample reports at once, with the 99 mark;
    // then every 440 samples from there.
    ASSERT_EQ(pans.size(), 1u + 1999 / 440);
    EXPECT_GE(pans[0].value, 99.0f);
    for (size_t i = 1; i < pans.size(); ++i) EXPECT_LE(pans[i].value, 1.0f);
    EXPECT_EQ(host.count(kReportSilence), 0);
}

TEST(Reports, DigitalSilenceClearsOnceAndEndsTheSweep) {
    FakeHost host;
    EngineRig rig(&host);
    Engine& e = rig.engine();
    rig.set(kDecay, 1.0f);
    std::vector<float> l(1000, 0.3f), r(1000, 0.3f);
    l.resize(3000, 0.0f);
    r.resize(3000, 0.0f);
    e.midiTriggerPending = true;
    run(e, l, r, 64);
    EXPECT_EQ(host.count(kReportSilence), 1);
    EXPECT_FALSE(e.signalPresent);
    EXPECT_GE(e.samplesSinceTrigger, 500000);
    const size_t before = host.reports.size();
    std::vector<float> quiet(1000, 0.0f), quietR(1000, 0.0f);
    run(e, quiet, quietR, 64);
    EXPECT_EQ(host.reports.size(), before);  // silent: no pan reports either

    // Without an attached editor nothing is reported, and the sweep runs on.
    FakeHost other;
    EngineRig detachedRig(&other);
    Engine& detached = detachedRig.engine();
    detached.displayAttached = false;
    l.assign(1000, 0.3f);
    l.resize(3000, 0.0f);
    r = l;
    detached.midiTriggerPending = true;
    run(detached, l, r, 64);
    EXPECT_TRUE(other.reports.empty());
    EXPECT_LT(detached.samplesSinceTrigger, 500000);
}

// Input that is not finite is taken as silence: the frame is silent and the
// engine runs on exactly as if the samples had been zeros.
TEST(BadInput, NonFiniteSamplesActAsSilenceAndLeaveNoTrace) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int32_t program : {0, 7, 8}) {
        FakeHost hostA, hostB;
        hostA.recordReports = hostB.recordReports = false;
        std::vector<float> cleanL = burstSignal(30000, 3), cleanR = burstSignal(30000, 4);
        std::vector<float> badL = cleanL, badR = cleanR;
        for (size_t i = 100; i < 30000; i += 997) {
            badL[i] = (i % 3 == 0) ? nan : inf;
            cleanL[i] = 0.0f;
            cleanR[i] = 0.0f;
        }
        badR[5000] = -inf;
        cleanL[5000] = cleanR[5000] = 0.0f;
        badL[7000] = badR[7000] = 3.0e38f;  // the mono sum overflows
        cleanL[7000] = cleanR[7000] = 0.0f;

        EngineRig rigA(&hostA, 44100.0f, program), rigB(&hostB, 44100.0f, program);
        Engine& a = rigA.engine();
        Engine& b = rigB.engine();
        run(a, badL, badR, 256);
        run(b, cleanL, cleanR, 256);
        EXPECT_EQ(badL, cleanL);
        EXPECT_EQ(badR, cleanR);
        for (float s : badL) ASSERT_TRUE(std::isfinite(s));
        EXPECT_EQ(a.panPosition, b.panPosition);
        EXPECT_EQ(a.detEnvelope, b.detEnvelope);
    }
}

#ifdef TAVOLU_HAS_MXCSR
class MxcsrSpy final : public EngineHost {
  public:
    unsigned seen = 0;
    bool readHostTime(HostTime&) override {
        seen = _mm_getcsr();
        return false;
    }
    void report(int32_t, float) override {}
};

TEST(Denormals, FlushedDuringTheBlockAndTheCallersModeRestored) {
    MxcsrSpy spy;
    EngineRig rig(&spy);
    Engine& e = rig.engine();
    e.displayAttached = false;
    const unsigned original = _mm_getcsr();
    float l[8] = {}, r[8] = {};
    e.processReplacing(l, r, l, r, 8);
    EXPECT_EQ(_mm_getcsr(), original);
    const unsigned flags =
        ScopedDenormalFlush::kFlushToZero | ScopedDenormalFlush::kDenormalsAreZero;
    EXPECT_EQ(spy.seen & flags, flags);

    _mm_setcsr(original | ScopedDenormalFlush::kFlushToZero);  // a host that set FTZ itself
    e.requestTimeInfo();
    e.processReplacing(l, r, l, r, 8);
    EXPECT_EQ(_mm_getcsr(), original | ScopedDenormalFlush::kFlushToZero);
    _mm_setcsr(original);
}

TEST(Denormals, DenormalNoiseInTheInputIsSilence) {
    const float tiny = std::numeric_limits<float>::denorm_min() * 1000.0f;
    ASSERT_GT(tiny, 0.0f);
    ASSERT_LT(tiny, std::numeric_limits<float>::min());
    for (int32_t program : {0, 4}) {
        std::vector<float> cleanL = burstSignal(40000, 5), cleanR = burstSignal(40000, 6);
        std::vector<float> noisyL = cleanL, noisyR = cleanR;
        for (size_t i = 0; i < cleanL.size(); ++i) {
            if (cleanL[i] == 0.0f) noisyL[i] = (i & 1) ? tiny : -tiny;
            if (cleanR[i] == 0.0f) noisyR[i] = (i & 2) ? tiny : -tiny;
        }
        FakeHost hostA, hostB;
        EngineRig rigA(&hostA, 44100.0f, program), rigB(&hostB, 44100.0f, program);
        Engine& a = rigA.engine();
        Engine& b = rigB.engine();
        run(a, noisyL, noisyR, 512);
        run(b, cleanL, cleanR, 512);
        EXPECT_EQ(noisyL, cleanL);
        EXPECT_EQ(noisyR, cleanR);
        EXPECT_EQ(hostA.count(kReportSilence), hostB.count(kReportSilence));
        EXPECT_GT(hostB.count(kReportSilence), 0);
    }
}
#endif

}  // namespace
}  // namespace tavolu::testing
