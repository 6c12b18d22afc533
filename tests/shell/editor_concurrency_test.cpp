// The editor opened, idled and closed over and over on the UI thread while an
// audio thread processes and an automation thread writes parameters and
// switches programs, all through the loaded library's record, as a host with
// those three threads drives it. Run it in a ThreadSanitizer build
// (-DTAVOLU_TSAN=ON, ctest -L concurrency): nothing the three share may be
// touched unsynchronised. The audio thread counts its own allocations: while
// it reports meters, curve points, the tempo and silence to a window that
// comes and goes, it must make none.
//
// The window is off-screen (null parent): ThreadSanitizer cannot see inside
// the X library, which is not built for it.
//
// The threads run for TAVOLU_STRESS_SECONDS seconds (3 when unset), so a
// longer run is one environment variable away.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "tests/shell/test_host.h"
#include "tests/support/counting_allocator.h"
#include "tests/support/signals.h"

namespace tavolu::testing {
namespace {

using namespace vst2;
using Clock = std::chrono::steady_clock;

constexpr double kDefaultSeconds = 3.0;
constexpr int32_t kParameters = 20;
constexpr int32_t kPrograms = 16;
constexpr int32_t kFirstPresetCommand = 28;  // the preset buttons' editor indices
constexpr int32_t kPresetCommands = 8;
constexpr float kRate = 44100.0f;                     // Hz
constexpr int32_t kBlockSizes[] = {512, 64, 1, 300};  // frames
constexpr int32_t kMaxBlock = 512;                    // frames
// However slow the build, the run lasts until each thread has done this much.
constexpr long kLeastBlocks = 200;
constexpr long kLeastWrites = 2000;
constexpr long kLeastWindows = 8;

std::chrono::duration<double> stressDuration() {
    const char* text = std::getenv("TAVOLU_STRESS_SECONDS");
    const double seconds = text ? std::strtod(text, nullptr) : 0.0;
    return std::chrono::duration<double>(std::isfinite(seconds) && seconds > 0.0 ? seconds
                                                                                 : kDefaultSeconds);
}

// The transport `frames` frames into the song at 96 beats per minute, 4/4.
VstTimeInfo transportAt(int64_t frames) {
    VstTimeInfo t{};
    t.sampleRate = kRate;
    t.tempo = 96.0;
    t.ppqPos = 0.1 + static_cast<double>(frames) * t.tempo / 60.0 / kRate;
    t.barStartPos = std::floor(t.ppqPos / 4.0) * 4.0;
    t.timeSigNumerator = 4;
    t.timeSigDenominator = 4;
    t.flags =
        kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    return t;
}

TEST(EditorConcurrency, TheWindowComesAndGoesWhileAudioAndAutomationRun) {
    TestHost host;
    AEffect* effect = host.load();
    ASSERT_NE(effect, nullptr);
    host.dispatch(effOpen);  // from here the record knows its host
    host.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
    host.dispatch(effSetBlockSize, 0, kMaxBlock);
    host.dispatch(effMainsChanged, 0, 1);
    host.recordCalls(false);  // all three threads call back: the host only answers

    std::atomic<bool> stop{false};
    std::atomic<int> running{0};
    const auto startTogether = [&] {
        running.fetch_add(1);
        while (running.load() < 3) std::this_thread::yield();
    };

    // Bursts with digital silence between them: the detector's meters, the
    // pan positions and the silence reports all reach the editor.
    std::vector<float> input = burstSignal(1 << 16, 7);
    std::vector<float> outLeft(kMaxBlock), outRight(kMaxBlock);
    std::atomic<long> blocks{0};
    long audioAllocations = 0;
    bool finite = true;
    std::thread audio([&] {
        startTogether();
        startCountingAllocationsOnThisThread();
        int64_t frames = 0;
        size_t at = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            const int32_t size = kBlockSizes[blocks.load() % std::size(kBlockSizes)];
            if (at + size_t(size) > input.size()) at = 0;
            host.giveTimeInfo(transportAt(frames));  // read back on this thread only
            float* in[2] = {input.data() + at, input.data() + at};
            float* out[2] = {outLeft.data(), outRight.data()};
            effect->processReplacing(effect, in, out, size);
            finite = finite && std::isfinite(outLeft[0]) && std::isfinite(outRight[size - 1]);
            frames += size;
            at += size_t(size);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
        audioAllocations = stopCountingAllocationsOnThisThread();
    });

    // Writes of every parameter, program changes, and now and then a preset
    // button's command, which the UI thread carries out at its next idle.
    std::atomic<long> writes{0};
    std::thread automation([&] {
        startTogether();
        std::mt19937 rng(23);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        long n = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            const float value = rng() % 5 == 0 ? 1.0f : unit(rng);
            effect->setParameter(effect, VstInt32(rng() % kParameters), value);
            writes.store(++n, std::memory_order_relaxed);
            if (n % 97 == 0) {
                effect->dispatcher(effect, effSetProgram, 0, VstIntPtr(rng() % kPrograms), nullptr,
                                   0.0f);
            }
            if (n % 211 == 0) {
                effect->setParameter(effect,
                                     kFirstPresetCommand + VstInt32(rng() % kPresetCommands), 1.0f);
            }
        }
    });

    // The host's UI thread: the window opened, idled a while on a short
    // timer, and closed again; now and then closed by a second open.
    startTogether();
    std::mt19937 rng(5);
    long windows = 0;
    const auto until = Clock::now() + stressDuration();
    while (Clock::now() < until || windows < kLeastWindows || blocks.load() < kLeastBlocks ||
           writes.load() < kLeastWrites) {
        EXPECT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, nullptr, 0.0f), 1);
        const int idles = int(rng() % 20);
        for (int i = 0; i < idles; ++i) {
            effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        if (rng() % 4 != 0) effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        ++windows;
    }
    effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
    stop = true;
    audio.join();
    automation.join();

    EXPECT_EQ(audioAllocations, 0);
    EXPECT_TRUE(finite);
    for (int32_t i = 0; i < kParameters; ++i) EXPECT_TRUE(std::isfinite(host.getParameter(i)));
}

// One allocation and its release, which the compiler may not leave out.
void allocateOnce() {
    void* p = ::operator new(16);
    asm volatile("" : : "g"(p) : "memory");
    ::operator delete(p);
}

// The audio thread's zero above means something only if the count sees that
// thread's allocations and no other's.
TEST(EditorConcurrency, TheAudioThreadsCountIsItsOwn) {
    std::atomic<bool> go{false}, done{false};
    std::thread other([&] {
        while (!go.load()) std::this_thread::yield();
        for (int i = 0; i < 100; ++i) allocateOnce();
        done = true;
    });
    startCountingAllocationsOnThisThread();
    go = true;
    while (!done.load()) std::this_thread::yield();
    EXPECT_EQ(stopCountingAllocationsOnThisThread(), 0);
    other.join();

    startCountingAllocationsOnThisThread();
    allocateOnce();
    EXPECT_GE(stopCountingAllocationsOnThisThread(), 2);  // the C allocator may count too
}

}  // namespace
}  // namespace tavolu::testing
