// The editor opened, idled, clicked and closed over and over on the UI thread
// while an audio thread processes at the pace of a real sound card and two
// automation threads write parameters and switch programs, all through the
// loaded library's record, as a host with those four threads drives it. Run
// it in a ThreadSanitizer build (-DTAVOLU_TSAN=ON, ctest -L concurrency):
// nothing the threads share may be touched unsynchronised. The audio thread
// counts its own allocations: while it reports meters, curve points, the tempo
// and silence to a window that comes and goes, it must make none.
//
// Every other window opens in a private Xvfb, inside a host window, and is
// clicked, dragged and wheeled with real input (XTest); the others open
// off-screen (null parent) and get the host's key forwarding. Real input
// exercises what a user does: a control moved on the UI thread writes its
// parameter and tells the host while the automation threads write the same
// parameters. ThreadSanitizer cannot see inside the X library, which is not
// built for it, but only the UI thread ever calls it (the plug-in's own
// connection and the test's), so no access it hides is shared with another
// thread. Without Xvfb every window is off-screen.
//
// The threads run for TAVOLU_STRESS_SECONDS seconds (3 when unset), so a
// longer run is one environment variable away.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "tests/shell/test_host.h"
#include "tests/support/counting_allocator.h"
#include "tests/support/signals.h"
#include "tests/support/x11_server.h"

namespace tavolu::testing {
namespace {

using namespace vst2;
using Clock = std::chrono::steady_clock;

constexpr double kDefaultSeconds = 3.0;
constexpr int32_t kParameters = 20;
constexpr int32_t kPrograms = 16;
constexpr int32_t kFirstPresetCommand = 28;  // the preset buttons' editor indices
constexpr int32_t kPresetCommands = 8;
constexpr float kRate = 44100.0f;                          // Hz
constexpr int32_t kBlockSizes[] = {512, 64, 1, 300, 256};  // frames
constexpr int32_t kMaxBlock = 512;                         // frames
constexpr int kWindowWidth = 465;                          // px, the editor's size
constexpr int kWindowHeight = 360;                         // px
constexpr auto kIdlePeriod = std::chrono::microseconds(500);
// However slow the build, the run lasts until each thread has done this much.
constexpr long kLeastBlocks = 200;
constexpr long kLeastWrites = 2000;
constexpr long kLeastWindows = 8;
constexpr long kLeastClicks = 20;

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

// What the threads share besides the effect: when to stop and how far each got.
struct Stress {
    std::atomic<bool> stop{false};
    std::atomic<int> running{0};
    std::atomic<long> blocks{0};
    std::atomic<long> writes{0};
    static constexpr int kThreads = 4;

    void startTogether() {
        running.fetch_add(1);
        while (running.load() < kThreads) std::this_thread::yield();
    }
    bool stopping() const { return stop.load(std::memory_order_relaxed); }
};

// The audio thread: blocks of mixed sizes, each handed over no sooner than a
// sound card would ask for it. Bursts with digital silence between them: the
// detector's meters, the pan positions and the silence reports all reach the
// editor.
struct AudioThread {
    TestHost& host;
    AEffect* effect;
    Stress& stress;
    long allocations = 0;
    bool finite = true;

    void operator()() {
        std::vector<float> input = burstSignal(1 << 16, 7);
        std::vector<float> outLeft(kMaxBlock), outRight(kMaxBlock);
        stress.startTogether();
        startCountingAllocationsOnThisThread();
        int64_t frames = 0;
        size_t at = 0;
        auto due = Clock::now();
        while (!stress.stopping()) {
            const int32_t size = kBlockSizes[stress.blocks.load() % std::size(kBlockSizes)];
            if (at + size_t(size) > input.size()) at = 0;
            host.giveTimeInfo(transportAt(frames));  // read back on this thread only
            float* in[2] = {input.data() + at, input.data() + at};
            float* out[2] = {outLeft.data(), outRight.data()};
            effect->processReplacing(effect, in, out, size);
            finite = finite && std::isfinite(outLeft[0]) && std::isfinite(outRight[size - 1]);
            frames += size;
            at += size_t(size);
            stress.blocks.fetch_add(1, std::memory_order_relaxed);
            // The next block is due when this one would have played out; a
            // slow build that falls behind catches up without waiting.
            due += std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(size / double(kRate)));
            std::this_thread::sleep_until(due);
        }
        allocations = stopCountingAllocationsOnThisThread();
    }
};

// An automation thread: writes of every parameter, program changes every
// `programEvery` writes, and now and then a preset button's command, which the
// UI thread carries out at its next idle.
void automate(AEffect* effect, Stress& stress, uint32_t seed, long programEvery) {
    stress.startTogether();
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    long n = 0;
    while (!stress.stopping()) {
        const float value = rng() % 5 == 0 ? 1.0f : unit(rng);
        effect->setParameter(effect, VstInt32(rng() % kParameters), value);
        stress.writes.fetch_add(1, std::memory_order_relaxed);
        ++n;
        if (n % programEvery == 0) {
            effect->dispatcher(effect, effSetProgram, 0, VstIntPtr(rng() % kPrograms), nullptr,
                               0.0f);
        }
        if (n % 211 == 0) {
            effect->setParameter(effect, kFirstPresetCommand + VstInt32(rng() % kPresetCommands),
                                 1.0f);
        }
        if (n % 16 == 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
        (void)effect->getParameter(effect, VstInt32(rng() % kParameters));
    }
}

// The host's UI thread and, when a private X server runs, its desktop.
class UiThread {
  public:
    explicit UiThread(AEffect* effect) : effect_(effect) {
        if (!server_.running()) return;
        // The editor opens its own connection, to the display named here;
        // set before any other thread starts.
        setenv("DISPLAY", server_.name().c_str(), 1);
        desktop_ = std::make_unique<HostWindow>(server_.name(), kWindowWidth, kWindowHeight);
        if (!desktop_->connected() || !desktop_->hasXTest()) desktop_.reset();
    }
    bool onScreen() const { return desktop_ != nullptr; }
    long clicks() const { return clicks_; }
    long windows() const { return windows_; }

    // One window: opened, idled a while on a short timer with input between
    // the idles, and closed again; now and then closed by the next open.
    void oneWindow() {
        const bool real = desktop_ && windows_ % 2 == 0;
        EXPECT_EQ(dispatch(effEditOpen, 0, 0, real ? desktop_->handle() : nullptr), 1);
        XWindowId editor = 0;
        if (real) {
            const std::vector<XWindowId> children = desktop_->children();
            EXPECT_EQ(children.size(), 1u);
            if (!children.empty()) editor = children.back();
        }
        const int idles = int(rng_() % 20);
        for (int i = 0; i < idles; ++i) {
            dispatch(effEditIdle);
            if (editor) {
                realInput(editor);
            } else {
                forwardKey();
            }
            std::this_thread::sleep_for(kIdlePeriod);
        }
        if (rng_() % 4 != 0) dispatch(effEditClose);
        ++windows_;
    }
    void closeLast() { dispatch(effEditClose); }

  private:
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr) {
        return effect_->dispatcher(effect_, opcode, index, value, ptr, 0.0f);
    }
    // A click, a drag or a turn of the wheel somewhere on the editor: on a
    // slider, a switch, a preset button or the background.
    void realInput(XWindowId editor) {
        const int x = int(rng_() % kWindowWidth), y = int(rng_() % kWindowHeight);
        desktop_->movePointer(editor, x, y);
        switch (rng_() % 3) {
            case 0:
                desktop_->leftButton(true);
                dispatch(effEditIdle);
                desktop_->leftButton(false);
                break;
            case 1:
                desktop_->leftButton(true);
                dispatch(effEditIdle);
                desktop_->movePointer(editor, x + int(rng_() % 41) - 20, y + int(rng_() % 41) - 20);
                dispatch(effEditIdle);
                desktop_->leftButton(false);
                break;
            default: desktop_->wheel(rng_() % 2 == 0); break;
        }
        ++clicks_;
    }
    // The host hands on a key press it got while the window had the focus.
    void forwardKey() {
        const VstInt32 character = rng_() % 2 ? VstInt32('a' + rng_() % 26) : 0;
        const VstIntPtr virtualKey = VstIntPtr(rng_() % 60);
        effect_->dispatcher(effect_, effEditKeyDown, character, virtualKey, nullptr,
                            float(rng_() % 4));
        effect_->dispatcher(effect_, effEditKeyUp, character, virtualKey, nullptr, 0.0f);
    }

    AEffect* effect_;
    XvfbServer server_;
    std::unique_ptr<HostWindow> desktop_;
    std::mt19937 rng_{5};
    long windows_ = 0;
    long clicks_ = 0;
};

TEST(EditorConcurrency, TheWindowComesAndGoesWhileAudioAndAutomationRun) {
    TestHost host;
    AEffect* effect = host.load();
    ASSERT_NE(effect, nullptr);
    host.dispatch(effOpen);  // from here the record knows its host
    host.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
    host.dispatch(effSetBlockSize, 0, kMaxBlock);
    host.dispatch(effMainsChanged, 0, 1);
    host.recordCalls(false);  // every thread calls back: the host only answers

    Stress stress;
    UiThread ui(effect);
    if (!ui.onScreen()) std::printf("no Xvfb: every window is off-screen\n");
    AudioThread audio{host, effect, stress};
    std::thread audioThread(std::ref(audio));
    std::thread automation1(automate, effect, std::ref(stress), 23u, 97L);
    std::thread automation2(automate, effect, std::ref(stress), 41u, 31L);

    stress.startTogether();
    const auto start = Clock::now();
    const auto until = start + stressDuration();
    while (Clock::now() < until || ui.windows() < kLeastWindows ||
           stress.blocks.load() < kLeastBlocks || stress.writes.load() < kLeastWrites ||
           (ui.onScreen() && ui.clicks() < kLeastClicks)) {
        ui.oneWindow();
    }
    ui.closeLast();
    stress.stop = true;
    audioThread.join();
    automation1.join();
    automation2.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%.1f s: %ld blocks, %ld writes, %ld windows, %ld clicks\n", seconds,
                stress.blocks.load(), stress.writes.load(), ui.windows(), ui.clicks());

    EXPECT_EQ(audio.allocations, 0);
    EXPECT_TRUE(audio.finite);
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
