// The LV2 build sounds exactly like the VST 2.4 build: the same input, song
// position and note-ons give the same samples, bit for bit.
#include <gtest/gtest.h>

#include <cstring>

#include "common/parameter_index.h"
#include "tests/lv2/render_rig.h"
#include "tools/host/demo_signal.h"

namespace tavolu::testing {
namespace {

// The first frame where the two differ, or -1.
long firstDifference(const StereoRender& a, const StereoRender& b) {
    if (a.left.size() != b.left.size()) return 0;
    for (std::size_t i = 0; i < a.left.size(); ++i) {
        if (std::memcmp(&a.left[i], &b.left[i], sizeof(float)) != 0 ||
            std::memcmp(&a.right[i], &b.right[i], sizeof(float)) != 0) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

const host::Audio& drums() {
    static const host::Audio loop = host::demoDrumLoop();
    return loop;
}

void expectSameSound(const RenderCase& c, const std::string& what) {
    const StereoRender vst = renderVst(drums(), c);
    const StereoRender lv2 = renderLv2(drums(), c);
    ASSERT_FALSE(vst.left.empty());
    EXPECT_EQ(firstDifference(vst, lv2), -1) << what << ", block " << c.blockSize;
}

TEST(Lv2Sound, EveryFactoryPresetAndTheInitialProgramAtThreeBlockSizes) {
    for (int block : {64, 512, 4096}) {
        for (int program = 0; program <= 8; ++program) {
            RenderCase c;
            c.program = program;
            c.blockSize = block;
            expectSameSound(c, "program " + std::to_string(program));
        }
    }
}

TEST(Lv2Sound, EveryTriggerSourceFollowsTheSongPosition) {
    const float sources[] = {0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f};
    for (int block : {100, 512}) {
        for (float source : sources) {
            RenderCase c;
            c.program = 0;
            c.blockSize = block;
            c.settings = {{kThreshold, 1.0f}, {kTrigSource, source}};
            c.transport.tempo = 96.0;
            c.transport.startPpq = 2.5;
            expectSameSound(c, "trig source " + std::to_string(source));
        }
    }
}

// A VST program change writes "LFO Sync Flip" too, and every write of it turns
// the direction the LFO restarts in; an LV2 preset writes only what changes.
// So the synced LFO is compared from the plug-in's own start in both.
TEST(Lv2Sound, TempoLockedLfoStoppedTransportAndNoTime) {
    RenderCase locked;
    locked.program = -1;
    locked.settings = {{kLfoMod, 1.0f}, {kLfoFreqSource, 0.75f}, {kLfoSync, 1.0f}};
    locked.transport.timeSigNumerator = 3;
    expectSameSound(locked, "LFO a quarter note, synced to the bar, 3/4");

    RenderCase stopped;
    stopped.settings = {{kTrigSource, 0.4f}, {kThreshold, 1.0f}};
    stopped.transport.running = false;
    stopped.transport.startPpq = 7.25;
    expectSameSound(stopped, "stopped transport");

    RenderCase none = stopped;
    none.timeInfo = false;
    expectSameSound(none, "no time information");
}

TEST(Lv2Sound, MidiNoteOnsTriggerAsInTheVst) {
    RenderCase c;
    c.program = 3;
    c.settings = {{kThreshold, 1.0f}};
    c.noteOns = {1000, 22050, 22051, 44100 * 3 + 17};
    for (int block : {64, 512}) {
        c.blockSize = block;
        expectSameSound(c, "note-ons");
    }
}

}  // namespace
}  // namespace tavolu::testing
