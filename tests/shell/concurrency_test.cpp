// Automation on one thread while another processes audio, both through the
// host record of the loaded library, as a host with a separate automation
// thread drives it. Run it in a ThreadSanitizer build (-DTAVOLU_TSAN=ON,
// ctest -L concurrency): every field the two threads share must be accessed
// whole, race-free.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "tests/shell/test_host.h"
#include "tests/support/signals.h"

namespace tavolu::testing {
namespace {

using namespace vst2;

constexpr int32_t kParameters = 20;
constexpr int32_t kPrograms = 16;
constexpr int kBlocks = 3000;
constexpr int32_t kBlockSizes[] = {256, 64, 512, 1, 300};  // frames

// The transport `frames` frames into the song at 132 beats per minute.
VstTimeInfo transportAt(int64_t frames) {
    VstTimeInfo t{};
    t.sampleRate = 48000.0;
    t.tempo = 132.0;
    t.ppqPos = 0.4 + static_cast<double>(frames) * t.tempo / 60.0 / t.sampleRate;
    t.barStartPos = std::floor(t.ppqPos / 3.0) * 3.0;
    t.timeSigNumerator = 3;
    t.timeSigDenominator = 4;
    t.flags =
        kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    return t;
}

TEST(Concurrency, AutomationAndProgramChangesWhileProcessing) {
    TestHost host;
    AEffect* effect = host.load();
    ASSERT_NE(effect, nullptr);
    host.dispatch(effOpen);  // from here the record knows its host
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    host.dispatch(effSetBlockSize, 0, 512);
    host.dispatch(effMainsChanged, 0, 1);
    // Both threads call back (automation of linked parameters, time requests):
    // the host only answers from now on.
    host.recordCalls(false);

    std::atomic<bool> writing{false};
    std::atomic<bool> audioDone{false};
    std::atomic<long> writes{0};
    std::thread automation([&] {
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        long n = 0;
        while ((!audioDone.load() || n < 5000) && n < 2000000) {
            const float value = rng() % 5 == 0 ? 1.0f : unit(rng);
            effect->setParameter(effect, static_cast<VstInt32>(rng() % kParameters), value);
            writing = true;
            if (++n % 97 == 0) {
                effect->dispatcher(effect, effSetProgram, 0,
                                   static_cast<VstIntPtr>(rng() % kPrograms), nullptr, 0.0f);
            }
        }
        writes = n;
    });

    std::vector<float> inL = burstSignal(1 << 15, 1), inR = burstSignal(1 << 15, 2);
    std::vector<float> outL(512), outR(512);
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 64;
    note.midiData[2] = 127;
    VstEvents notes{};
    notes.numEvents = 1;
    notes.events[0] = reinterpret_cast<VstEvent*>(&note);

    while (!writing.load()) std::this_thread::yield();  // the two run side by side
    bool finite = true;
    int64_t frames = 0;
    std::size_t at = 0;
    for (int b = 0; b < kBlocks && finite; ++b) {
        const int32_t size = kBlockSizes[b % std::size(kBlockSizes)];
        if (at + static_cast<std::size_t>(size) > inL.size()) at = 0;
        host.giveTimeInfo(transportAt(frames));
        if (b % 11 == 0) effect->dispatcher(effect, effProcessEvents, 0, 0, &notes, 0.0f);
        float* in[2] = {inL.data() + at, inR.data() + at};
        float* out[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, in, out, size);
        for (int32_t i = 0; i < size; ++i) {
            finite = finite && std::isfinite(outL[i]) && std::isfinite(outR[i]);
        }
        frames += size;
        at += static_cast<std::size_t>(size);
    }
    audioDone = true;
    automation.join();

    EXPECT_TRUE(finite);
    EXPECT_GE(writes.load(), 5000);
    for (int32_t i = 0; i < kParameters; ++i) EXPECT_TRUE(std::isfinite(host.getParameter(i)));
}

}  // namespace
}  // namespace tavolu::testing
