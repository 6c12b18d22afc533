// Host time information at a block start, and the bar and grid counters.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "engine/host_position.h"
#include "tests/engine/engine_fixture.h"

namespace tavolu::testing {
namespace {

class HostSync : public ::testing::Test {
  protected:
    void SetUp() override { host.time = HostTime{5.5, 120.0, 4.0, 4}; }
    // A quiet constant input: no onsets, but no digital silence either
    // (silence would end every sweep at once).
    void process(int frames) {
        std::vector<float> l(static_cast<size_t>(frames), 0.1f);
        std::vector<float> r(l);
        e.processReplacing(l.data(), r.data(), l.data(), r.data(), frames);
    }
    FakeHost host;
    EngineRig rig{&host};
    Engine& e = rig.engine();
};

TEST_F(HostSync, WorkedExampleQuarterNotes) {
    rig.set(kTrigSource, 0.4f);      // Quarter Note
    rig.set(kLfoFreqSource, 0.75f);  // Quarter Note: 0.5 cycles per beat
    e.blockStart();
    EXPECT_EQ(e.samplesPerBeat, 22050.0);
    EXPECT_EQ(e.samplesPerBar, 88200.0);
    EXPECT_EQ(e.samplesToNextBar, 55125.0);
    EXPECT_EQ(e.samplesToNextGridLine, 11025.0);
    EXPECT_NEAR(e.lfoPhaseStep, 0.00014248f, 1e-8f);
    EXPECT_TRUE(e.hostSyncValid);
    EXPECT_TRUE(e.timeInfoCurrent);
    ASSERT_EQ(host.count(kReportTempo), 1);
    EXPECT_EQ(host.reports.back().value, 120.0f);
}

// Each note value of "LFO Freq Source" makes one half period of the LFO last
// that note at the host's tempo, set at the block start.
TEST_F(HostSync, NoteValueLfoRatesFollowTheTempo) {
    const std::pair<float, double> sources[] = {
        {0.25f, 4.0}, {0.5f, 2.0}, {0.75f, 1.0}, {1.0f, 0.5}};  // Whole .. Eighth Note: beats
    for (double tempo : {120.0, 97.0}) {
        for (const auto& [value, beats] : sources) {
            rig.set(kLfoFreqSource, value);
            host.time.tempo = tempo;
            e.requestTimeInfo();
            e.blockStart();
            const double halfPeriod = 3.141592653589793 / double{e.lfoPhaseStep};  // samples
            EXPECT_NEAR(halfPeriod / e.samplesPerBeat, beats, beats * 1e-6)
                << value << " at " << tempo << " BPM";
        }
    }
}

TEST_F(HostSync, GridAndBarLinesFireAndAskForFreshTime) {
    rig.set(kTrigSource, 0.4f);
    process(11025);  // up to the grid line
    EXPECT_EQ(host.timeRequests, 1);
    EXPECT_FALSE(e.gridPending);
    process(1);  // the line passes on this sample and triggers the sweep
    EXPECT_EQ(e.samplesSinceTrigger, 0);
    EXPECT_FALSE(e.timeInfoCurrent);
    host.time.ppqPos = 6.0 + 1.0 / 22050.0;  // the transport moved on, one sample past the line
    process(1);
    EXPECT_EQ(host.timeRequests, 2);
    EXPECT_TRUE(e.timeInfoCurrent);
}

TEST_F(HostSync, InvalidTimeFallsBackAndAsksAgainAfterATenthOfASecond) {
    rig.set(kTrigSource, 0.4f);
    host.valid = false;
    process(1);
    EXPECT_FALSE(e.hostSyncValid);
    EXPECT_EQ(host.reports.back().index, kReportTempo);
    EXPECT_EQ(host.reports.back().value, 0.0f);
    EXPECT_EQ(e.samplesToNextBar, 44100.0 * double{0.1f} - 1.0);
    process(1);                           // the grid counter started at 0 and asked once more
    const int early = host.timeRequests;  // that block start restarted the bar counter
    for (int i = 0; i < 4409; ++i) process(1);
    EXPECT_EQ(host.timeRequests, early);
    process(1);  // the bar counter runs out 0.1 s after the last request ...
    EXPECT_EQ(host.timeRequests, early);
    process(1);  // ... and the next block asks again
    EXPECT_EQ(host.timeRequests, early + 1);
    EXPECT_FALSE(e.barPending);
    EXPECT_FALSE(e.gridPending);
    EXPECT_NE(e.samplesSinceTrigger, 0);  // no grid trigger without valid time
}

TEST_F(HostSync, UnusableNumbersCountAsNoTimeInformation) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const HostTime bad[] = {{5.5, 0.0, 4.0, 4},        {5.5, -120.0, 4.0, 4}, {5.5, nan, 4.0, 4},
                            {5.5, inf, 4.0, 4},        {nan, 120.0, 4.0, 4},  {5.5, 120.0, inf, 4},
                            {1e308, 120.0, -1e308, 4}, {5.5, 1e300, 4.0, 4},  {5.5, 1e-12, 4.0, 4}};
    for (const HostTime& t : bad) {
        host.time = t;
        host.reports.clear();
        e.requestTimeInfo();
        e.blockStart();
        EXPECT_FALSE(e.hostSyncValid) << t.ppqPos << " " << t.tempo << " " << t.barStartPos;
        EXPECT_TRUE(std::isfinite(e.samplesPerBeat));
        EXPECT_TRUE(std::isfinite(e.samplesToNextBar));
        EXPECT_EQ(host.reports.back().value, 0.0f);
    }
}

TEST_F(HostSync, TimeSignatureOfZeroMeansFourBeats) {
    host.time = HostTime{0.0, 120.0, 0.0, 0};
    e.blockStart();
    EXPECT_EQ(e.samplesPerBar, 88200.0);
    host.time = HostTime{0.0, 120.0, 0.0, 3};
    e.lastPpqPos = -1.0;
    e.blockStart();
    EXPECT_EQ(e.samplesPerBar, 66150.0);
}

TEST_F(HostSync, AtTheBarStartTheLinesAreAWholeStepAway) {
    rig.set(kTrigSource, 0.4f);
    host.time = HostTime{8.0, 120.0, 8.0, 4};
    e.blockStart();
    EXPECT_EQ(e.samplesToNextBar, 88200.0);
    EXPECT_EQ(e.samplesToNextGridLine, 22050.0);

    // Exactly on a grid line inside the bar: that line is due at once.
    host.time = HostTime{10.0, 120.0, 8.0, 4};
    e.blockStart();
    EXPECT_EQ(e.samplesToNextGridLine, 0.0);
    process(1);
    EXPECT_EQ(e.samplesSinceTrigger, 0);
}

TEST_F(HostSync, StoppedTransportKeepsTheLinesComing) {
    host.time = HostTime{4.0, 120.0, 4.0, 4};
    process(1);
    const int startRequests = host.timeRequests;
    // Three bars and a block: the position never moves, yet every beat line
    // passes at the last tempo and asks the host again once.
    for (int block = 0; block < 3 * 88200 / 512 + 2; ++block) process(512);
    EXPECT_EQ(host.timeRequests - startRequests, 12);
    EXPECT_EQ(e.lastPpqPos, 4.0);
    EXPECT_EQ(e.samplesToNextBar, 88200.0 * 4.0 - 1.0 - (3 * 88200 / 512 + 2) * 512.0);
}

// The remainder-based reduction against the adding and subtracting loops it
// replaces, over positions a few bars either side of the bar start.
double loopPositionInBar(double pos, double beats) {
    while (pos < 0.0) pos += beats;
    while (pos >= beats) pos -= beats;
    return pos;
}
double loopPositionInGrid(double pos, double grid) {
    while (pos > grid) pos -= grid;
    return pos;
}

TEST(HostPosition, RemainderMatchesTheLoopsNearTheBar) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> offset(-40.0, 40.0);
    std::vector<double> positions = {
        0.0, -0.0, 4.0, -4.0,  8.0, -1e-20, 1e-20, 3.9999999999999996, -3.9999999999999996,
        2.0, 0.25, 1.5, -12.0, 7.75};
    for (int i = 0; i < 20000; ++i) positions.push_back(offset(rng));
    for (int i = -160; i <= 160; ++i) positions.push_back(i * 0.25);
    for (int beats = 1; beats <= 7; ++beats) {
        for (double pos : positions) {
            const double inBar = positionInBar(pos, beats);
            ASSERT_EQ(inBar, loopPositionInBar(pos, beats)) << pos << " / " << beats;
            for (double grid : {2.0, 1.0, 0.5, 0.25}) {
                ASSERT_EQ(positionInGrid(inBar, grid), loopPositionInGrid(inBar, grid))
                    << inBar << " / " << grid;
            }
        }
    }
}

TEST(HostPosition, FarPositionsReduceWithoutLooping) {
    EXPECT_EQ(positionInBar(1.0e15 + 2.0, 4.0), 2.0);
    EXPECT_EQ(positionInBar(-1.0e15 - 1.0, 4.0), 3.0);
    const double far = positionInBar(1.0e300, 3.0);
    EXPECT_GE(far, 0.0);
    EXPECT_LT(far, 3.0);
    EXPECT_EQ(positionInGrid(3.0, 1.0), 1.0);
    EXPECT_EQ(positionInGrid(0.0, 1.0), 0.0);
    EXPECT_EQ(positionInGrid(2.5, 0.0), 2.5);  // no grid: left as it is
}

}  // namespace
}  // namespace tavolu::testing
