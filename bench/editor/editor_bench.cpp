// The editor's costs on a real effect, its window off-screen: the host's idle
// while the audio runs (settled, and with the pan moving), a full redraw,
// opening and closing the window, what the window holds in memory, and what
// a report from the audio thread costs the audio thread.
//
// The idles are timed by hand around the effEditIdle call alone: the audio a
// host processes between two idles runs untimed, so each idle finds what that
// audio reported. A /30 or /60 in a name is the host's idle rate (Hz); the
// others idle at 30 Hz. Counters: mean99_ns is the mean idle leaving out the
// slowest 1% (the Time column is the plain mean), frame_ppm the same in
// millionths of the time between two idles; rects and px are what an idle put
// on the screen, curve the share of idles that put all of the curve view there.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <numeric>
#include <vector>

#include "bench/editor/editor_rig.h"
#include "editor/curve_view.h"

namespace tavolu::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kSignalFrames = 1 << 18;  // about 6 s, looped
constexpr int kWarmUpPeriods = 60;         // 2 s of audio and idles
constexpr int kTimedPeriods = 3000;        // 100 s of audio and idles
constexpr int kRedraws = 2000;             // full redraws timed
constexpr int kPostsPerBatch = 256;        // half the curve queue: none is dropped
constexpr int kPostBatches = 20000;        // batches timed

const Signal& reporting() {
    static const Signal s = reportingSignal(kSignalFrames);
    return s;
}

const Signal& silence() {
    static const Signal s = silentSignal(kSignalFrames);
    return s;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The mean of `values` (reordered) without the slowest 1%: on a busy
// machine a few timings are preempted, and those would swamp a plain mean.
double trimmedMean(std::vector<double>& values) {
    if (values.empty()) return 0.0;
    const auto kept = std::ptrdiff_t(values.size() - values.size() / 100);
    std::nth_element(values.begin(), values.begin() + kept - 1, values.end());
    return std::accumulate(values.begin(), values.begin() + kept, 0.0) / double(kept);
}

// Bytes the C allocator (behind operator new too) has handed out and not got
// back: chunks in its arenas and chunks it mapped on their own.
int64_t heapBytesInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

// The idles of one benchmark run: how long each took and what it presented.
class IdleTally {
  public:
    explicit IdleTally(benchmark::State& state) : state(state) {
        seconds.reserve(size_t(state.max_iterations));
    }

    // `before` runs untimed, then the idle alone is timed.
    template <class Before>
    void timeIdle(EditorRig& rig, Before&& before) {
        before();
        OffscreenWindow& window = rig.window();
        window.clearPresentedRects();
        const Clock::time_point start = Clock::now();
        rig.idle();
        const double took = secondsSince(start);
        state.SetIterationTime(took);
        seconds.push_back(took);
        const CRect curve = rig.editor().getCurveView()->getViewSize();
        for (const CRect& r : window.presentedRects()) {
            ++rects;
            pixels += int64_t{r.width()} * r.height();
            if (r.intersection(curve) == curve) ++curveRedraws;
        }
    }

    void report(double idlePeriod) {
        if (seconds.empty()) return;
        const auto idles = double(seconds.size());
        const double typical = trimmedMean(seconds);
        state.counters["mean99_ns"] = 1e9 * typical;
        state.counters["frame_ppm"] = 1e6 * typical / idlePeriod;
        state.counters["rects"] = double(rects) / idles;
        state.counters["px"] = double(pixels) / idles;
        state.counters["curve"] = double(curveRedraws) / idles;
    }

  private:
    benchmark::State& state;
    std::vector<double> seconds;  // of each idle
    int64_t rects = 0;
    int64_t pixels = 0;
    int64_t curveRedraws = 0;
};

// Idle with the audio running into silence: after the clear, only the host's
// tempo comes in, the same each time, and the meters have fallen.
void idleSettled(benchmark::State& state) {
    EditorRig rig;
    rig.open();
    rig.run(reporting(), kWarmUpPeriods);
    rig.run(silence(), kWarmUpPeriods);
    IdleTally tally(state);
    for (auto _ : state) tally.timeIdle(rig, [&] { rig.playPeriod(silence()); });
    tally.report(rig.idlePeriod());
}
BENCHMARK(idleSettled)->Name("idle/settled")->UseManualTime()->Iterations(kTimedPeriods);

// Idle with the pan moving: a curve point every 10 ms, meter levels 80 times
// a second, the tempo at every beat. state.range(0) is the host's idle rate (Hz).
void idleMovingPan(benchmark::State& state) {
    EditorRig rig(double(state.range(0)));
    rig.open();
    rig.run(reporting(), kWarmUpPeriods);
    IdleTally tally(state);
    for (auto _ : state) tally.timeIdle(rig, [&] { rig.playPeriod(reporting()); });
    tally.report(rig.idlePeriod());
    state.counters["dropped"] = double(rig.editor().droppedCurvePoints());
}
BENCHMARK(idleMovingPan)
    ->Name("idle/moving_pan")
    ->UseManualTime()
    ->Iterations(kTimedPeriods)
    ->Arg(30)
    ->Arg(60);

// The whole 465 x 360 window drawn and presented, as after an expose of all of it.
void fullRedraw(benchmark::State& state) {
    EditorRig rig;
    rig.open();
    rig.run(reporting(), kWarmUpPeriods);  // traces and meters to draw
    IdleTally tally(state);
    for (auto _ : state) tally.timeIdle(rig, [&] { rig.editor().getFrame()->invalidateAll(); });
    tally.report(rig.idlePeriod());
}
BENCHMARK(fullRedraw)->Name("idle/full_redraw")->UseManualTime()->Iterations(kRedraws);

// effEditOpen (38 bitmaps decoded, 32 controls built, every value read) and
// effEditClose; with `draw`, the first idle too, which draws everything.
void openClose(benchmark::State& state, bool draw) {
    EditorRig rig;
    for (auto _ : state) {
        rig.open();
        if (draw) rig.idle();
        rig.close();
    }
}
BENCHMARK_CAPTURE(openClose, open_close, false)->Name("window/open_close");
BENCHMARK_CAPTURE(openClose, open_draw_close, true)->Name("window/open_first_idle_close");

// Heap the open window holds (open_B right after effEditOpen, drawn_B after
// its first idle) and what is still held after effEditClose, against the heap
// before the first open: after_first_close_B and after_last_close_B should be 0.
void windowMemory(benchmark::State& state) {
    EditorRig rig;
    int64_t baseline = 0;
    int64_t opened = 0;
    int64_t drawn = 0;
    int64_t afterFirstClose = 0;
    int64_t afterClose = 0;
    for (auto _ : state) {
        const int64_t before = heapBytesInUse();
        if (state.iterations() == 0) baseline = before;
        rig.open();
        opened = heapBytesInUse() - before;
        rig.idle();
        drawn = heapBytesInUse() - before;
        rig.close();
        afterClose = heapBytesInUse() - baseline;
        if (state.iterations() == 0) afterFirstClose = afterClose;
    }
    state.counters["open_B"] = double(opened);
    state.counters["drawn_B"] = double(drawn);
    state.counters["after_first_close_B"] = double(afterFirstClose);
    state.counters["after_last_close_B"] = double(afterClose);
}
BENCHMARK(windowMemory)->Name("window/memory")->Iterations(10);

// Heap the open window gains over 100 s of audio and idles with the pan
// moving, scaled to an hour (0 for a window that keeps its size).
void windowGrowth(benchmark::State& state) {
    EditorRig rig;
    rig.open();
    rig.run(reporting(), kWarmUpPeriods);
    rig.window().clearPresentedRects();
    const int64_t before = heapBytesInUse();
    for (auto _ : state) rig.run(reporting(), kTimedPeriods);
    const double hours = double(state.iterations()) * kTimedPeriods * rig.idlePeriod() / 3600.0;
    state.counters["grown_B_per_hour"] = double(heapBytesInUse() - before) / hours;
}
BENCHMARK(windowGrowth)->Name("window/heap_growth")->Iterations(1)->Unit(benchmark::kMillisecond);

// The parameter-update handler as the engine calls it from the audio thread,
// in batches of posts timed together; each batch is drained by an untimed
// idle, as the UI thread would. per_post_ns is the cost of one call (batches
// averaged as the idles are); audio_ppm what `postsPerSecond` of them take of the audio thread's
// time.
template <class Post>
void handlerPosts(benchmark::State& state, bool windowOpen, double postsPerSecond, Post&& post) {
    EditorRig rig;
    if (windowOpen) rig.open();
    AEffEditor& handler = rig.editor();
    std::vector<double> batches;
    batches.reserve(size_t(state.max_iterations));
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kPostsPerBatch; ++i) post(handler, i);
        const double took = secondsSince(start);
        state.SetIterationTime(took);
        batches.push_back(took);
        rig.idle();
    }
    const double perPost = trimmedMean(batches) / kPostsPerBatch;
    state.counters["per_post_ns"] = 1e9 * perPost;
    state.counters["audio_ppm"] = 1e6 * perPost * postsPerSecond;
    state.counters["dropped"] = double(rig.editor().droppedCurvePoints());
}

constexpr double kCurvePointsPerSecond = 100.0;  // one every 10 ms
constexpr double kMeterLevelsPerSecond = 80.0;   // one per detector segment

// [audio thread] As the engine reports.
void postCurvePoint(AEffEditor& handler, int i) {
    handler.setParameter(25, float(i % 128) / 128.0f);
}
void postMeter(AEffEditor& handler, int i) {
    handler.setParameter(23, float(i % 128) / 128.0f);
}

void handlerCurvePoint(benchmark::State& state) {
    handlerPosts(state, true, kCurvePointsPerSecond, postCurvePoint);
}
BENCHMARK(handlerCurvePoint)
    ->Name("handler/curve_point")
    ->UseManualTime()
    ->Iterations(kPostBatches);

void handlerMeter(benchmark::State& state) {
    handlerPosts(state, true, kMeterLevelsPerSecond, postMeter);
}
BENCHMARK(handlerMeter)->Name("handler/meter")->UseManualTime()->Iterations(kPostBatches);

// The engine reports whether or not the window is open.
void handlerWindowClosed(benchmark::State& state) {
    handlerPosts(state, false, kCurvePointsPerSecond, postCurvePoint);
}
BENCHMARK(handlerWindowClosed)
    ->Name("handler/window_closed")
    ->UseManualTime()
    ->Iterations(kPostBatches);

}  // namespace
}  // namespace tavolu::bench

BENCHMARK_MAIN();
