// The editor as a host drives it through the record of the loaded library:
// open, idle and close in the orders hosts use them, the fresh time request
// an open makes, and the closed window, which must stay silent whatever it
// hears. The window is off-screen (null parent) here; the real X server is
// the editor tests' business. AddressSanitizer runs these too, for leaks.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/parameter_index.h"
#include "plugin_fixture.h"
#include "shell/programs.h"

namespace tavolu::testing {
namespace {

using namespace vst2;

constexpr float kRate = 44100.0f;            // Hz
constexpr double kTempo = 120.0;             // beats per minute: 22,050 samples a beat
constexpr int32_t kBlock = 64;               // frames; far from any bar or grid line
constexpr int32_t kFirstPresetCommand = 28;  // editor index of preset 0's button

// A host session: the library loaded and resumed, with a transport running.
struct Session {
    Session() {
        EXPECT_NE(host.load(), nullptr);
        host.dispatch(effOpen);
        host.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
        host.dispatch(effSetBlockSize, 0, kBlock);
        host.dispatch(effMainsChanged, 0, 1);
        host.clearCalls();
    }

    // One block at the transport's place: 120 bpm in 4/4, a quarter beat into
    // the song plus what was processed, so no line passes for 16,000 frames.
    void processBlock() {
        VstTimeInfo t{};
        t.sampleRate = kRate;
        t.tempo = kTempo;
        t.ppqPos = 0.25 + double(frames) * kTempo / 60.0 / kRate;
        t.timeSigNumerator = 4;
        t.timeSigDenominator = 4;
        t.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                  kVstTimeSigValid;
        host.giveTimeInfo(t);
        float* in[2] = {input.data(), input.data()};
        float* out[2] = {left.data(), right.data()};
        host.processReplacing(in, out, kBlock);
        frames += kBlock;
    }
    // The opcodes of the host calls one block makes.
    std::vector<VstInt32> callsOfOneBlock() {
        host.clearCalls();
        processBlock();
        std::vector<VstInt32> out;
        for (const HostCall& c : host.calls()) out.push_back(c.opcode);
        return out;
    }

    ERect rect() {
        ERect* r = nullptr;
        EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, &r), 1);
        return r ? *r : ERect{};
    }

    TestHost host;
    int64_t frames = 0;
    std::vector<float> input = std::vector<float>(kBlock, 0.25f);
    std::vector<float> left = std::vector<float>(kBlock);
    std::vector<float> right = std::vector<float>(kBlock);
};

// The audio trigger asks for time after a resume and after passed lines
// only; an open asks once more, on the next block and only there.
TEST(EditorThroughTheRecord, OpenMakesTheNextBlockAskForTimeOnceMore) {
    Session s;
    TestHost& host = s.host;
    const std::vector<VstInt32> oneRequest{audioMasterGetTime};
    EXPECT_EQ(s.callsOfOneBlock(), oneRequest);  // after the resume
    EXPECT_TRUE(s.callsOfOneBlock().empty());    // steady: nothing to ask

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 1);
        host.dispatch(effEditIdle);
        EXPECT_EQ(s.callsOfOneBlock(), oneRequest);
        EXPECT_TRUE(s.callsOfOneBlock().empty());
        host.dispatch(effEditIdle);
        EXPECT_TRUE(s.callsOfOneBlock().empty());  // idle asks for nothing
        host.dispatch(effEditClose);
        EXPECT_TRUE(s.callsOfOneBlock().empty());  // nor does close
    }
}

// Every order a host may send the editor requests in, with blocks processed
// between them so that reports reach the window while it is open and while
// it is not. Each sequence runs on a fresh effect; the last ones leave the
// window open for effClose. The rectangle never changes, and open, idle and
// close call the host for nothing.
TEST(EditorThroughTheRecord, EveryOrderOfOpenIdleAndCloseIsSafe) {
    // o open, i idle, c close, p process a block, x effClose.
    const char* sequences[] = {
        "oipicoipicx", "cx", "iix", "icicx", "ooipicx", "oipoipiccx", "oipix", "ox", "opcpoipx",
    };
    for (const std::string sequence : sequences) {
        SCOPED_TRACE(sequence);
        Session s;
        TestHost& host = s.host;
        for (char step : sequence) {
            const ERect r = s.rect();
            EXPECT_EQ(r.right - r.left, 465);
            EXPECT_EQ(r.bottom - r.top, 360);
            switch (step) {
                case 'o': EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 1); break;
                case 'i': EXPECT_EQ(host.dispatch(effEditIdle), 0); break;
                case 'c': EXPECT_EQ(host.dispatch(effEditClose), 0); break;
                case 'p': s.processBlock(); break;
                case 'x': EXPECT_EQ(host.close(), 1); break;
            }
        }
        for (const HostCall& c : host.calls()) EXPECT_EQ(c.opcode, audioMasterGetTime);
    }
}

// Host writes, program changes and editor commands while the window is closed
// (never opened, or opened and closed) make exactly the host calls the writes
// make themselves: no display refresh, no edit brackets, no preset loaded.
TEST(EditorThroughTheRecord, AClosedWindowAddsNoHostCalls) {
    TestHost host;
    TestHost reopened;
    ASSERT_NE(host.load(), nullptr);
    ASSERT_NE(reopened.load(), nullptr);
    reopened.dispatch(effEditOpen, 0, 0, nullptr);
    reopened.dispatch(effEditIdle);
    reopened.dispatch(effEditClose);
    host.clearCalls();
    reopened.clearCalls();

    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int k = 0; k < 600; ++k) {
        const auto index = VstInt32(rng() % 40);  // parameters and editor indices
        const float value = rng() % 4 == 0 ? 1.0f : unit(rng);
        host.setParameter(index, value);
        reopened.setParameter(index, value);
        if (k % 50 == 0) {
            host.dispatch(effSetProgram, 0, VstIntPtr(k / 50 % kNumPrograms));
            reopened.dispatch(effSetProgram, 0, VstIntPtr(k / 50 % kNumPrograms));
        }
        if (k % 7 == 0) reopened.dispatch(effEditIdle);
    }
    ASSERT_EQ(host.calls().size(), reopened.calls().size());
    EXPECT_FALSE(host.callsOf(audioMasterAutomate).empty());  // the writes' own
    for (size_t i = 0; i < host.calls().size(); ++i) {
        const HostCall& a = host.calls()[i];
        const HostCall& b = reopened.calls()[i];
        EXPECT_EQ(a.opcode, audioMasterAutomate) << i;
        EXPECT_EQ(b.opcode, a.opcode) << i;
        EXPECT_EQ(b.index, a.index) << i;
        EXPECT_EQ(b.opt, a.opt) << i;
    }
    for (int i = 0; i < kNumParameters; ++i) {
        EXPECT_EQ(reopened.getParameter(i), host.getParameter(i)) << i;
    }

    // Nothing heard while closed is carried into the next window.
    reopened.clearCalls();
    reopened.dispatch(effEditOpen, 0, 0, nullptr);
    reopened.dispatch(effEditIdle);
    reopened.dispatch(effEditClose);
    EXPECT_TRUE(reopened.calls().empty());
}

// The preset buttons' command index, written through the record while the
// window is open, loads the preset on the UI thread at the next idle: each
// value told to the host, then one display refresh. A request the window did
// not live to carry out is dropped, not left for the next window.
using EditorCommand = LoadedPlugin;

TEST_F(EditorCommand, PresetLoadsAtTheNextIdleOfItsOwnWindow) {
    constexpr int kPreset = 2;
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 1);
    host.setParameter(kFirstPresetCommand + kPreset, 1.0f);
    EXPECT_TRUE(host.calls().empty());  // posted, not yet carried out
    host.dispatch(effEditIdle);

    Automations expected;
    for (int i = 0; i < kNumParameters; ++i) expected.emplace_back(i, presetTable[kPreset][i]);
    EXPECT_EQ(automations(), expected);
    ASSERT_EQ(host.calls().size(), size_t(kNumParameters) + 1);
    EXPECT_EQ(host.calls().back().opcode, audioMasterUpdateDisplay);
    for (int i = 0; i < kNumParameters; ++i) {
        EXPECT_EQ(host.getParameter(i), presetTable[kPreset][i]) << i;
    }

    host.clearCalls();
    host.setParameter(kFirstPresetCommand + 5, 1.0f);
    host.dispatch(effEditClose);
    host.dispatch(effEditOpen, 0, 0, nullptr);
    host.dispatch(effEditIdle);
    host.dispatch(effEditClose);
    EXPECT_TRUE(host.calls().empty());
    EXPECT_EQ(host.getParameter(kLfoDelay), presetTable[kPreset][kLfoDelay]);  // not preset 5's
}

}  // namespace
}  // namespace tavolu::testing
