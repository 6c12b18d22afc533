// The block routine against the plain sample-by-sample model: identical
// outputs, reports and end state, whatever the settings, signal, block size
// and host transport.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <type_traits>
#include <vector>

#include "tests/engine/engine_fixture.h"
#include "tests/engine/reference_model.h"

namespace tavolu::testing {
namespace {

// Equal values; the sign of a zero may differ where a step is skipped because
// it could not change a value (adding a zero), and never reaches a result.
template <class T>
bool same(T a, T b) {
    if constexpr (std::is_floating_point_v<T>) {
        if (std::isnan(a) && std::isnan(b)) return true;
    }
    return a == b;
}

// Every field the block routine may touch.
void expectSameState(const Engine& a, const Engine& b) {
#define SAME(field) \
    EXPECT_TRUE(same(a.field, b.field)) << #field << " " << a.field << " " << b.field
    SAME(detEnvelope);
    SAME(detSegmentCounter);
    SAME(detSegmentPeak);
    SAME(detReference);
    SAME(detRising);
    SAME(detDisplayLevel);
    SAME(detDisplayStep);
    SAME(detMinimum);
    SAME(detArmed);
    SAME(detTriggered);
    SAME(detRise);
    SAME(lfoSin);
    SAME(lfoCos);
    SAME(lfoPrevSin);
    SAME(lfoOutput);
    SAME(lfoHeldOutput);
    SAME(lfoBlend);
    SAME(lfoDelayRamp);
    SAME(lfoDelayLevel);
    SAME(lfoOffset);
    SAME(lfoCrossed);
    SAME(barPending);
    SAME(gridPending);
    SAME(samplesSinceTrigger);
    SAME(activeHoldEnd);
    SAME(activeDecayEnd);
    SAME(flipState);
    SAME(startTarget);
    SAME(attackStep);
    SAME(decayStep);
    SAME(rawPan);
    SAME(panPosition);
    SAME(samplesToNextBar);
    SAME(samplesToNextGridLine);
    SAME(samplesPerBeat);
    SAME(samplesPerBar);
    SAME(lastPpqPos);
    SAME(hostSyncValid);
    SAME(updateCounter);
    SAME(traceRestart);
    SAME(signalPresent);
    SAME(centerVol);
    SAME(dryWet);
    SAME(stereo);
#undef SAME
    EXPECT_EQ(float{a.envelopePosition}, float{b.envelopePosition});
    EXPECT_EQ(float{a.endTarget}, float{b.endTarget});
    EXPECT_EQ(float{a.lfoDirection}, float{b.lfoDirection});
    EXPECT_EQ(bool{a.midiTriggerPending}, bool{b.midiTriggerPending});
    EXPECT_EQ(bool{a.timeInfoCurrent}, bool{b.timeInfoCurrent});
}

struct Twin {
    explicit Twin(float rate = 44100.0f, int32_t program = kInitialProgram)
        : rig(&host, rate, program) {}
    FakeHost host;
    EngineRig rig;
    Engine& engine = rig.engine();
};

void runBoth(Twin& fast, Twin& model, std::vector<float> l, std::vector<float> r, int block) {
    std::vector<float> l2 = l, r2 = r;
    const int32_t n = static_cast<int32_t>(l.size());
    for (int32_t at = 0; at < n; at += block) {
        const int32_t len = std::min(block, n - at);
        fast.engine.processReplacing(l.data() + at, r.data() + at, l.data() + at, r.data() + at,
                                     len);
        reference::processReplacing(model.engine, l2.data() + at, r2.data() + at, l2.data() + at,
                                    r2.data() + at, len);
    }
    for (size_t i = 0; i < l.size(); ++i) {
        ASSERT_TRUE(same(l[i], l2[i])) << i << ": " << l[i] << " " << l2[i];
        ASSERT_TRUE(same(r[i], r2[i])) << i << ": " << r[i] << " " << r2[i];
    }
}

void expectSameReports(const FakeHost& a, const FakeHost& b) {
    ASSERT_EQ(a.reports.size(), b.reports.size());
    for (size_t i = 0; i < a.reports.size(); ++i) {
        ASSERT_EQ(a.reports[i].index, b.reports[i].index) << i;
        ASSERT_TRUE(same(a.reports[i].value, b.reports[i].value)) << i;
    }
}

TEST(Equivalence, FactoryPresetsOnBurstsWithTheTransportRunning) {
    for (int32_t p = 0; p < kNumFactoryRows; ++p) {
        for (int block : {1, 64, 512, 4096}) {
            Twin fast(44100.0f, p), model(44100.0f, p);
            fast.host.time = model.host.time = HostTime{2.75, 128.0, 0.0, 3};
            runBoth(fast, model, burstSignal(30000, 1), burstSignal(30000, 2), block);
            expectSameReports(fast.host, model.host);
            expectSameState(fast.engine, model.engine);
        }
    }
}

// Every trigger source on every preset. The reports are compared too: the
// block routine once reported a new trace's first position 3e-5 off the
// model's after an LFO-crossing trigger, with the audio the same.
TEST(Equivalence, EveryTriggerSourceOnEveryPreset) {
    for (int32_t p = 0; p < kNumFactoryRows; ++p) {
        for (float source : {0.0f, 0.4f, 0.8f, 1.0f}) {
            Twin fast(44100.0f, p), model(44100.0f, p);
            for (Twin* twin : {&fast, &model}) twin->rig.set(kTrigSource, source);
            fast.host.time = model.host.time = HostTime{0.75, 120.0, 0.0, 4};
            runBoth(fast, model, burstSignal(30000, 1), burstSignal(30000, 2), 512);
            expectSameReports(fast.host, model.host);
            expectSameState(fast.engine, model.engine);
        }
    }
}

TEST(Equivalence, BarSyncedLfoRestartsFromTheRightValue) {
    for (float depth : {0.0f, 0.7f}) {
        for (int block : {1, 300, 2048}) {
            Twin fast, model;
            for (Twin* twin : {&fast, &model}) {
                twin->rig.set(kLfoSync, 1.0f);  // Host, Bar
                twin->rig.set(kLfoFreq, 1.0f);
                twin->rig.set(kLfoMod, depth);
                twin->rig.set(kLfoSyncFlip, 1.0f);
                twin->host.time = HostTime{0.3, 240.0, 0.0, 1};  // a bar every 11025 samples
            }
            runBoth(fast, model, burstSignal(60000, 4), burstSignal(60000, 5), block);
            expectSameReports(fast.host, model.host);
            expectSameState(fast.engine, model.engine);
        }
    }
}

// The transport runs on between blocks as a host's does, so the counters are
// reset at block starts that may fall on, or a hair beside, a line.
TEST(Equivalence, RollingTransportWithGridLinesOnBlockStarts) {
    for (int block : {1, 100, 441, 4096}) {
        for (double tempo : {120.0, 133.0, 240.0}) {
            Twin fast(44100.0f, 0), model(44100.0f, 0);
            std::vector<float> l = burstSignal(100000, 6), r = burstSignal(100000, 7);
            std::vector<float> l2 = l, r2 = r;
            for (Twin* twin : {&fast, &model}) twin->rig.set(kTrigSource, 0.9f);  // sixteenths
            for (int32_t at = 0; at < 100000; at += block) {
                const double ppq = at / 44100.0 * tempo / 60.0;
                fast.host.time = model.host.time =
                    HostTime{ppq, tempo, std::floor(ppq / 4.0) * 4.0, 4};
                const int32_t len = std::min(block, 100000 - at);
                fast.engine.processReplacing(l.data() + at, r.data() + at, l.data() + at,
                                             r.data() + at, len);
                reference::processReplacing(model.engine, l2.data() + at, r2.data() + at,
                                            l2.data() + at, r2.data() + at, len);
            }
            ASSERT_EQ(l, l2) << block << " " << tempo;
            ASSERT_EQ(r, r2) << block << " " << tempo;
            expectSameReports(fast.host, model.host);
            expectSameState(fast.engine, model.engine);
        }
    }
}

TEST(Equivalence, RandomSettingsSignalsAndTransport) {
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int trial = 0; trial < 40; ++trial) {
        const float rate = trial % 3 == 0 ? 96000.0f : 44100.0f;
        Twin fast(rate, trial % kNumFactoryRows), model(rate, trial % kNumFactoryRows);
        fast.engine.inputGain = model.engine.inputGain = trial % 2 ? 0.5f : 1.0f;
        for (int round = 0; round < 12; ++round) {
            const int index = static_cast<int>(rng() % kNumParameters);
            const float value = rng() % 3 == 0 ? 1.0f : unit(rng);
            fast.rig.set(index, value);
            model.rig.set(index, value);
            if (rng() % 3 == 0) {
                const HostTime t{unit(rng) * 40.0 - 8.0, 40.0 + unit(rng) * 200.0,
                                 std::floor(unit(rng) * 8.0), static_cast<int32_t>(rng() % 7)};
                fast.host.time = model.host.time = t;
                fast.host.valid = model.host.valid = rng() % 4 != 0;
            }
            if (rng() % 4 == 0) {
                fast.engine.midiMessage(0x90, 1, 100);
                model.engine.midiMessage(0x90, 1, 100);
            }
            std::vector<float> l = burstSignal(6000, rng(), unit(rng));
            std::vector<float> r = burstSignal(6000, rng(), unit(rng));
            if (rng() % 5 == 0) std::fill(l.begin() + 1000, l.begin() + 5000, 0.0f);
            if (rng() % 7 == 0) l[100] = std::nanf("");
            const int block = 1 + static_cast<int>(rng() % 1500);
            runBoth(fast, model, l, r, block);
            if (::testing::Test::HasFatalFailure()) return;
        }
        expectSameReports(fast.host, model.host);
        expectSameState(fast.engine, model.engine);
    }
}

}  // namespace
}  // namespace tavolu::testing
