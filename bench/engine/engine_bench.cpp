// Cost per stereo frame of the engine's block routine, by trigger source and
// by factory preset, against two floors: a plain copy of the same buffers and
// a minimal sine auto-panner.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "bench/engine/bench_setup.h"

namespace tavolu::bench {
namespace {

constexpr size_t kSignalFrames = 1 << 16;

struct Signal {
    std::vector<float> l = testing::burstSignal(kSignalFrames, 1);
    std::vector<float> r = testing::burstSignal(kSignalFrames, 2);
    std::vector<float> outL = std::vector<float>(kSignalFrames);
    std::vector<float> outR = std::vector<float>(kSignalFrames);
};

Signal& signal() {
    static Signal s;
    return s;
}

void runEngine(benchmark::State& state, Engine& e, RunningHost& host, bool midi) {
    const int32_t block = static_cast<int32_t>(state.range(0));
    Signal& s = signal();
    for (auto _ : state) {
        process(e, host, s.l, s.r, s.outL, s.outR, block * 64, block, midi);
        benchmark::DoNotOptimize(s.outL.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * block * 64);
}

// The starting program with the trigger source chosen through "Trig Source".
void bySource(benchmark::State& state, Source source) {
    BenchRig bench(static_cast<float>(state.range(1)), kInitialProgram);
    chooseSource(bench.rig, source);
    runEngine(state, bench.engine(), bench.host, source == Source::kMidi);
}

// A factory preset, selected as the host selects a program.
void byPreset(benchmark::State& state, int32_t preset) {
    BenchRig bench(static_cast<float>(state.range(1)), preset);
    runEngine(state, bench.engine(), bench.host, false);
}

// Floor: copy the inputs to the outputs, block by block.
void copyFloor(benchmark::State& state) {
    const int32_t block = static_cast<int32_t>(state.range(0));
    Signal& s = signal();
    for (auto _ : state) {
        size_t at = 0;
        for (int n = 0; n < 64; ++n) {
            if (at + block > kSignalFrames) at = 0;
            std::copy_n(s.l.data() + at, block, s.outL.data() + at);
            std::copy_n(s.r.data() + at, block, s.outR.data() + at);
            benchmark::ClobberMemory();
            at += block;
        }
        benchmark::DoNotOptimize(s.outL.data());
    }
    state.SetItemsProcessed(state.iterations() * block * 64);
}

// Floor: the least an auto-panner does, a sine LFO and two gains per frame.
void sinePannerFloor(benchmark::State& state) {
    const int32_t block = static_cast<int32_t>(state.range(0));
    Signal& s = signal();
    float sine = 0.0f;
    float cosine = 1.0f;
    const float step = 0.00014f;
    for (auto _ : state) {
        size_t at = 0;
        for (int n = 0; n < 64; ++n) {
            if (at + block > kSignalFrames) at = 0;
            for (int32_t i = 0; i < block; ++i) {
                sine += cosine * step;
                cosine -= sine * step;
                const float pan = 0.5f + 0.5f * sine;
                const float mono = s.l[at + i] + s.r[at + i];
                s.outL[at + i] = mono * (1.0f - pan);
                s.outR[at + i] = mono * pan;
            }
            benchmark::ClobberMemory();
            at += block;
        }
        benchmark::DoNotOptimize(s.outL.data());
    }
    state.SetItemsProcessed(state.iterations() * block * 64);
}

void registerAll() {
    const std::vector<std::vector<int64_t>> sizes = {{64, 512}, {44100, 96000}};
    benchmark::RegisterBenchmark("floor/copy", copyFloor)->ArgsProduct(sizes);
    benchmark::RegisterBenchmark("floor/sine_panner", sinePannerFloor)->ArgsProduct(sizes);
    const std::pair<const char*, Source> sources[] = {{"source/audio", Source::kAudio},
                                                      {"source/quarter_note", Source::kQuarterNote},
                                                      {"source/from_lfo", Source::kFromLfo},
                                                      {"source/midi", Source::kMidi}};
    for (const auto& [name, source] : sources) {
        benchmark::RegisterBenchmark(name, bySource, source)->ArgsProduct(sizes);
    }
    for (int32_t preset = 0; preset < kNumPresets; ++preset) {
        const std::string name = "preset/" + std::to_string(preset);
        benchmark::RegisterBenchmark(name.c_str(), byPreset, preset)->ArgsProduct(sizes);
    }
}

}  // namespace
}  // namespace tavolu::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tavolu::bench::registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
