// Drawing costs of the toolkit, off-screen: a whole 465 x 360 panel of about
// forty controls, and an idle that finds nothing to draw.
#include <benchmark/benchmark.h>

#include <memory>

#include "sample_panel.h"
#include "toolkit/platform/offscreen_window.h"

namespace {

using namespace tavolu;

struct Bench {
    Bench() {
        auto owned = std::make_unique<OffscreenWindow>(int32_t(sample::kPanelRect.right),
                                                       int32_t(sample::kPanelRect.bottom));
        frame = std::make_unique<CFrame>(sample::kPanelRect, std::move(owned));
        panel = sample::buildPanel(*frame, nullptr);
        frame->idle();
    }
    std::unique_ptr<CFrame> frame;
    sample::Panel panel;
};

void fullRedraw(benchmark::State& state) {
    Bench b;
    for (auto _ : state) {
        b.frame->invalidateAll();
        b.frame->idle();
    }
    state.counters["controls"] = b.panel.controlCount;
}
BENCHMARK(fullRedraw);

void idleWithNothingToDraw(benchmark::State& state) {
    Bench b;
    for (auto _ : state) b.frame->idle();
}
BENCHMARK(idleWithNothingToDraw);

void idleWithOneSliderMoved(benchmark::State& state) {
    Bench b;
    float value = 0.0f;
    for (auto _ : state) {
        value = value > 0.99f ? 0.0f : value + 0.01f;
        b.panel.verticalSlider->setValue(value);
        b.frame->idle();
    }
}
BENCHMARK(idleWithOneSliderMoved);

}  // namespace

BENCHMARK_MAIN();
