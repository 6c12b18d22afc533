// Real-time safety through the plug-in's entry, the way a host drives it: the
// built library is loaded, set up and resumed, and then blocks, MIDI events
// and parameter writes arrive while every allocation in the process is
// counted and every call back into the host is logged. The audio path may
// allocate nothing and may call the host only for its time information, once
// at the start of a block that follows a passed bar or grid line (or a reset).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "editor/tavolu_edit.h"
#include "shell/parameter_table.h"
#include "shell/programs.h"
#include "shell/tavolu.h"
#include "tests/shell/test_host.h"
#include "tests/support/counting_allocator.h"
#include "tests/support/signals.h"

namespace tavolu::testing {
namespace {

using namespace vst2;

constexpr float kRate = 44100.0f;           // Hz
constexpr double kTempo = 120.0;            // beats per minute: 22,050 samples a beat
constexpr int32_t kMaxBlock = 4096;         // frames
constexpr std::size_t kCallRoom = 1 << 16;  // host calls the log holds without growing

// Block sizes as hosts send them, small and large, odd and empty, in an order
// that repeats.
constexpr int32_t kBlockSizes[] = {512, 64, 1, 1000, 4096, 37, 0, 256, 128, 2048, 480, 333};

// A host session with the library loaded, resumed at 44,100 Hz, and with
// buffers, a transport and note-on lists ready before anything is counted.
class RealTimeEntry : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(host.load(), nullptr);
        host.dispatch(effOpen);
        host.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
        host.dispatch(effSetBlockSize, 0, kMaxBlock);
        host.dispatch(effMainsChanged, 0, 1);
        host.reserveCalls(kCallRoom);
        host.clearCalls();
        for (int k = 0; k < 2; ++k) {
            notes[k].type = kVstMidiType;
            notes[k].byteSize = sizeof(VstMidiEvent);
            notes[k].deltaFrames = 3 * k;
            notes[k].midiData[0] = static_cast<char>(0x90);
            notes[k].midiData[1] = static_cast<char>(60 + k);
            notes[k].midiData[2] = 100;
            noteOns.events[k] = reinterpret_cast<VstEvent*>(&notes[k]);
        }
        noteOns.numEvents = 2;
        emptyList.numEvents = 0;
    }

    // The transport running at `tempo` and standing `frames` frames after ppq
    // position `startPpq`, in 4/4.
    void transportAt(int64_t frames, double startPpq = 0.25) {
        VstTimeInfo t{};
        t.samplePos = static_cast<double>(frames);
        t.sampleRate = kRate;
        t.tempo = kTempo;
        t.ppqPos = startPpq + static_cast<double>(frames) * kTempo / 60.0 / kRate;
        t.barStartPos = std::floor(t.ppqPos / 4.0) * 4.0;
        t.timeSigNumerator = 4;
        t.timeSigDenominator = 4;
        t.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                  kVstTimeSigValid;
        host.giveTimeInfo(t);
    }

    // One block of `frames` from the input signal; the host calls it made.
    std::size_t processBlock(int32_t frames) {
        const std::size_t before = host.calls().size();
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        host.processReplacing(in, out, frames);
        return host.calls().size() - before;
    }

    struct Session {
        long allocations = 0;
        int blocks = 0;
        std::size_t mostCallsInABlock = 0;
        std::size_t timeRequests = 0;
        std::size_t otherCalls = 0;
    };

    // `blocks` blocks of the repeating sizes, with note-on lists (and empty
    // lists) between some of them and the transport running or absent.
    Session run(int blocks, bool transport) {
        host.clearCalls();
        Session s;
        int64_t frames = 0;
        startCountingAllocations();
        for (int b = 0; b < blocks; ++b) {
            if (transport) transportAt(frames);
            if (b % 5 == 0) host.dispatch(effProcessEvents, 0, 0, &noteOns);
            if (b % 7 == 3) host.dispatch(effProcessEvents, 0, 0, &emptyList);
            const int32_t size = kBlockSizes[b % std::size(kBlockSizes)];
            s.mostCallsInABlock = std::max(s.mostCallsInABlock, processBlock(size));
            frames += size;
        }
        s.allocations = stopCountingAllocations();
        s.blocks = blocks;
        for (const HostCall& c : host.calls()) {
            (c.opcode == audioMasterGetTime ? s.timeRequests : s.otherCalls) += 1;
        }
        return s;
    }

    TestHost host;
    std::vector<float> inL = burstSignal(kMaxBlock, 1);
    std::vector<float> inR = burstSignal(kMaxBlock, 2);
    std::vector<float> outL = std::vector<float>(kMaxBlock);
    std::vector<float> outR = std::vector<float>(kMaxBlock);
    VstMidiEvent notes[2] = {};
    VstEvents noteOns{};
    VstEvents emptyList{};
};

TEST_F(RealTimeEntry, EveryProgramAndTriggerSourceWithAndWithoutHostTime) {
    for (int32_t program = 0; program <= kInitialProgram; ++program) {
        for (int source = 0; source <= 5; ++source) {
            for (bool transport : {true, false}) {
                SCOPED_TRACE(::testing::Message() << "program " << program << ", trigger source "
                                                  << source << (transport ? "" : ", no time"));
                if (!transport) host.withholdTimeInfo();
                host.dispatch(effSetProgram, 0, program);
                host.setParameter(kTrigSource, 0.2f * static_cast<float>(source));
                const Session s = run(60, transport);
                EXPECT_EQ(s.allocations, 0);
                EXPECT_EQ(s.otherCalls, 0u);
                EXPECT_LE(s.mostCallsInABlock, 1u);
                // The source write asked for fresh time, so the first block asks.
                EXPECT_GE(s.timeRequests, 1u);
                EXPECT_LT(s.timeRequests, static_cast<std::size_t>(s.blocks));
            }
        }
    }
}

// With valid time and the audio trigger only the passing grid and bar lines
// make the engine ask again: the test works out where the lines fall.
TEST_F(RealTimeEntry, AsksForTimeOnlyAfterTheLinesThatPass) {
    constexpr double kSamplesPerBeat = 60.0 / kTempo * kRate;
    // From ppq 0.25 the beat lines fall half a sample off the sample grid, so
    // the sample each passes on is beyond doubt: 16,537, then every 22,050.
    const auto lineSample = [&](int n) {
        return static_cast<int64_t>((n - 0.25) * kSamplesPerBeat);
    };

    // Blocks that stay short of the first line: the one request after resume.
    host.dispatch(effSetProgram, 0, kInitialProgram);  // "Audio"
    host.dispatch(effMainsChanged, 0, 1);
    host.clearCalls();
    int64_t frames = 0;
    int blocks = 0;
    startCountingAllocations();
    while (frames + 1000 < lineSample(1)) {
        transportAt(frames);
        processBlock(1000);
        frames += 1000;
        ++blocks;
    }
    EXPECT_EQ(stopCountingAllocations(), 0);
    EXPECT_GT(blocks, 10);
    EXPECT_EQ(host.calls().size(), 1u);
    EXPECT_EQ(host.callsOf(audioMasterGetTime).size(), 1u);

    // On across many lines in blocks of every size: one request after each
    // block in which a line passed.
    host.clearCalls();
    std::size_t expected = 0;
    bool linePassed = false;
    int next = 1;
    startCountingAllocations();
    for (int b = 0; b < 400; ++b) {
        const int32_t size = kBlockSizes[b % std::size(kBlockSizes)];
        if (linePassed) ++expected;
        transportAt(frames);
        processBlock(size);
        linePassed = false;
        while (lineSample(next) < frames + size) {
            linePassed = linePassed || lineSample(next) >= frames;
            ++next;
        }
        frames += size;
    }
    EXPECT_EQ(stopCountingAllocations(), 0);
    EXPECT_GT(next, 10);
    EXPECT_EQ(host.calls().size(), expected);
    EXPECT_EQ(host.callsOf(audioMasterGetTime).size(), expected);
}

// A parameter write may come on the audio thread: it allocates nothing,
// whatever it drags along, with the library's editor there and open.
TEST_F(RealTimeEntry, ParameterWritesAndProgramChangesAllocateNothing) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (bool open : {false, true}) {
        SCOPED_TRACE(open ? "editor open" : "editor closed");
        if (open) {
            ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 1);
        }
        host.clearCalls();
        startCountingAllocations();
        for (int k = 0; k < 2000; ++k) {
            host.setParameter(static_cast<VstInt32>(rng() % (kNumParameters + 4)),
                              rng() % 4 == 0 ? 1.0f : unit(rng));
            if (k % 100 == 0) host.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(rng() % 16));
        }
        EXPECT_EQ(stopCountingAllocations(), 0);
        EXPECT_FALSE(host.callsOf(audioMasterAutomate).empty());  // couplings were exercised
        if (open) host.dispatch(effEditClose);
    }
}

// The same writes through the record of an effect built here, without and with
// its editor.
VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}
AEffEditor* noEditor(EditorHost&) {
    return nullptr;
}
TEST(RealTimeEffect, ParameterWritesAllocateNothingWithoutAndWithAnEditor) {
    for (Tavolu::EditorFactory factory : {&noEditor, &TavoluEdit::create}) {
        Tavolu effect(&quietHost, factory);
        ASSERT_EQ(effect.getEditor() != nullptr, factory != &noEditor);
        AEffect* record = effect.getAeffect();
        std::mt19937 rng(3);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        startCountingAllocations();
        for (int k = 0; k < 2000; ++k) {
            record->setParameter(record, static_cast<VstInt32>(rng() % kNumParameters), unit(rng));
        }
        EXPECT_EQ(stopCountingAllocations(), 0);
    }
}

// The counter must see the library's own allocator calls, or the zeros above
// would prove nothing: closing the effect deletes it inside the library.
TEST(RealTimeCounter, SeesTheLibrarysOwnAllocations) {
    TestHost host;
    ASSERT_NE(host.load(), nullptr);
    startCountingAllocations();
    host.close();
    EXPECT_GE(stopCountingAllocations(), 1);
}

}  // namespace
}  // namespace tavolu::testing
