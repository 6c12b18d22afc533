// The LV2 plug-in as a host drives it: controls handed on change, couplings
// told to the UI, reports on the notify port, the song position carried
// forward, hostile input, and no allocation in run.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "engine/engine.h"
#include "tests/lv2/plugin_rig.h"
#include "tests/support/counting_allocator.h"

namespace tavolu::testing {
namespace {

using lv2::Message;
using lv2::MessageKind;

int count(const std::vector<Message>& ms, MessageKind kind, int32_t index) {
    int n = 0;
    for (const Message& m : ms) n += m.kind == kind && m.index == index;
    return n;
}

// The first message of this kind and index, if any.
std::optional<Message> find(const std::vector<Message>& ms, MessageKind kind, int32_t index) {
    for (const Message& m : ms)
        if (m.kind == kind && m.index == index) return m;
    return std::nullopt;
}

TEST(Lv2Plugin, RefusesHostsWithoutAMapAndRatesItCannotRun) {
    const LV2_Feature* none[] = {nullptr};
    EXPECT_EQ(lv2::Plugin::create(44100.0, none), nullptr);
    EXPECT_EQ(lv2::Plugin::create(44100.0, nullptr), nullptr);
    EXPECT_FALSE(PluginRig(79.0).valid());
    EXPECT_FALSE(PluginRig(std::numeric_limits<double>::quiet_NaN()).valid());
    EXPECT_FALSE(PluginRig(2e6).valid());
    EXPECT_TRUE(PluginRig(80.0).valid());
    EXPECT_TRUE(PluginRig(1536000.0).valid());
}

TEST(Lv2Plugin, HandsOnlyChangedControlsToTheParameterSetter) {
    PluginRig rig;
    rig.run();
    const float direction = rig->effect().engineState().lfoDirection;
    // Every write of "LFO Sync Flip" turns the LFO round: an unchanged port
    // must not be written again at each run.
    rig.controls[kLfoSyncFlip] = 1.0f;
    rig.run();
    rig.run();
    rig.run();
    EXPECT_EQ(rig->effect().engineState().lfoDirection, -direction);
    EXPECT_EQ(rig->effect().getParameter(kLfoSyncFlip), 1.0f);

    // Not a number: refused by the setter, and not tried again and again.
    rig.controls[kCenterVol] = std::numeric_limits<float>::quiet_NaN();
    rig.run();
    rig.run();
    EXPECT_EQ(rig->effect().getParameter(kCenterVol), 0.35f);
    rig.controls[kCenterVol] = 0.8f;
    rig.run();
    EXPECT_EQ(rig->effect().getParameter(kCenterVol), 0.8f);
}

TEST(Lv2Plugin, TellsTheUiWhatACouplingMoved) {
    PluginRig rig;
    rig.controls[kStart] = 0.2f;
    rig.run();
    EXPECT_EQ(count(rig.messages(), MessageKind::parameter, kStart), 0) << "the host shows its own";

    rig.controls[kStartEqualsEnd] = 1.0f;  // centres both ends
    rig.run();
    const std::optional<Message> start = find(rig.messages(), MessageKind::parameter, kStart);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->value, 0.5f);
    EXPECT_EQ(count(rig.messages(), MessageKind::parameter, kEnd), 0) << "End was 0.5 already";

    rig.controls[kLfoFreqSource] = 0.75f;
    rig.run();
    rig.controls[kLfoFreq] = 0.3f;  // back to the manual rate
    rig.run();
    const std::optional<Message> source =
        find(rig.messages(), MessageKind::parameter, kLfoFreqSource);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->value, 0.0f);

    rig.controls[kAttack] = 1.0f;  // a quarter second pushes Hold out
    rig.run();
    const std::optional<Message> hold = find(rig.messages(), MessageKind::parameter, kHold);
    ASSERT_TRUE(hold);
    EXPECT_EQ(hold->value, 0.25f);
}

TEST(Lv2Plugin, AnswersTheUisRequestWithEveryValueAndTheTempo) {
    PluginRig rig;
    rig.clearEvents();
    rig.addPosition(0, {.bpm = 97.0});
    rig.endEvents();
    rig.run(0.5f);
    rig.clearEvents();
    rig.addPatchGet();
    rig.endEvents();
    rig.run(0.5f);
    const std::vector<Message> ms = rig.messages();
    for (int32_t i = 0; i < kNumParameters; ++i) {
        const std::optional<Message> m = find(ms, MessageKind::parameter, i);
        ASSERT_TRUE(m) << i;
        EXPECT_EQ(m->value, rig->effect().getParameter(i)) << i;
    }
    const std::optional<Message> tempo = find(ms, MessageKind::report, kReportTempo);
    ASSERT_TRUE(tempo);
    EXPECT_EQ(tempo->value, 97.0f);
}

TEST(Lv2Plugin, ReportsMetersAndPanPositionsWhileSoundPlays) {
    PluginRig rig;
    int meters = 0, positions = 0;
    for (int b = 0; b < 40; ++b) {
        rig.run(b % 10 == 0 ? 0.9f : 0.01f);
        meters += count(rig.messages(), MessageKind::report, kReportDetectorLevel);
        positions += count(rig.messages(), MessageKind::report, kReportPanPosition);
        for (const Message& m : rig.messages()) EXPECT_NE(m.kind, MessageKind::none);
    }
    EXPECT_GT(meters, 0);
    EXPECT_GT(positions, 0);
}

// A notify port too small for a block's reports keeps whole messages only.
TEST(Lv2Plugin, ASmallNotifyPortGetsWholeMessagesOnly) {
    for (uint32_t bytes :
         {16u, 24u, 24u + lv2::kMessageEventBytes, 24u + 3 * lv2::kMessageEventBytes}) {
        PluginRig rig(44100.0, bytes);
        rig.clearEvents();
        rig.addPatchGet();
        rig.endEvents();
        rig.run(0.9f);
        const std::vector<Message> ms = rig.messages();
        EXPECT_LE(ms.size(), (bytes - 16) / lv2::kMessageEventBytes) << bytes;
        for (const Message& m : ms) EXPECT_NE(m.kind, MessageKind::none) << bytes;
    }
}

// Some hosts put the atom ports 4 bytes past 8-byte alignment: read and
// written through copies, they work all the same (and UBSan stays quiet).
TEST(Lv2Plugin, AtomPortsWorkAtAnyAlignment) {
    for (uint32_t misalign : {1u, 4u}) {
        PluginRig rig(44100.0, 65536, misalign);
        rig.clearEvents();
        rig.addPosition(0, {.bpm = 111.0});
        rig.addNoteOn(3);
        rig.endEvents();
        rig.run(0.5f);
        rig.clearEvents();
        rig.addPatchGet();
        rig.endEvents();
        rig.run(0.5f);
        const std::optional<Message> tempo =
            find(rig.messages(), MessageKind::report, kReportTempo);
        ASSERT_TRUE(tempo) << misalign;
        EXPECT_EQ(tempo->value, 111.0f);
        EXPECT_EQ(count(rig.messages(), MessageKind::parameter, kStart), 1) << misalign;
    }
}

TEST(Lv2Plugin, CarriesTheSongPositionForwardAndKeepsItThroughATempoChange) {
    PluginRig rig;
    rig.controls[kTrigSource] = 0.4f;  // quarter notes
    rig.controls[kThreshold] = 1.0f;
    rig.clearEvents();
    rig.addPosition(0, {.bar = 2.0, .barBeat = 3.5, .bpm = 120.0});
    rig.endEvents();
    rig.run(0.3f);
    rig.clearEvents();
    rig.addTempoOnly(0, 60.0);
    rig.endEvents();
    rig.run(0.3f);
    rig.clearEvents();
    rig.addPatchGet();
    rig.endEvents();
    rig.run(0.3f);
    const std::optional<Message> tempo = find(rig.messages(), MessageKind::report, kReportTempo);
    ASSERT_TRUE(tempo);
    EXPECT_EQ(tempo->value, 60.0f);
}

TEST(Lv2Plugin, HostileEventsAndUnconnectedPortsDoNoHarm) {
    PluginRig rig;
    rig.clearEvents();
    rig.addPosition(std::numeric_limits<int64_t>::max(), {.beatUnit = 0.0});
    rig.addPosition(-5, {.beatsPerBar = 1e30, .bpm = std::nan("")});
    rig.addNoteOn(std::numeric_limits<int64_t>::min());
    rig.endEvents();
    rig.run(1e30f);
    for (uint32_t i = 0; i < PluginRig::kFrames; ++i) EXPECT_FALSE(std::isnan(rig.outLeft[i]));

    for (uint32_t port = 0; port <= lv2::kPortCount + 3; ++port) rig->connect(port, nullptr);
    rig.run(0.5f);  // nothing to read or write: silence nowhere, no crash
}

TEST(Lv2Plugin, RunAllocatesNothing) {
    PluginRig rig;
    rig.run(0.5f);
    startCountingAllocationsOnThisThread();
    for (int b = 0; b < 50; ++b) {
        rig.controls[kEnd] = b % 2 ? 0.2f : 0.8f;
        rig.controls[kStartEqualsEnd] = b % 7 == 0 ? 1.0f : 0.0f;
        rig.clearEvents();
        if (b % 5 == 0) rig.addPosition(b, {.bar = double(b), .bpm = 100.0 + b});
        if (b % 3 == 0) rig.addNoteOn(7);
        if (b % 11 == 0) rig.addPatchGet();
        rig.endEvents();
        rig.run(b % 4 ? 0.1f : 0.9f);
    }
    EXPECT_EQ(stopCountingAllocationsOnThisThread(), 0);
}

}  // namespace
}  // namespace tavolu::testing
