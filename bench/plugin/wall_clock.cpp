// Wall-clock time per frame of VST 2.4 plug-ins driven as a host drives them
// (dlopen, entry point, processReplacing), over 5 s of noise bursts at
// 44.1 kHz in blocks of 64 and 512 frames: the built tavolu.so with
// programs 8 and 5, and, when Debian's dpf-plugins-vst is installed, the
// PingPongPan auto-panner, in one run so that their ratio means something.
//
//   plugin_wall_clock [--benchmark_filter=...]   (TAVOLU_PLUGIN names tavolu.so)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/plugin/bench_drive.h"

namespace {

constexpr const char* kPeer = "/usr/lib/vst/PingPongPan-vst.so";

void process(benchmark::State& state, const std::string& path, int program) {
    using namespace tavolu;
    using namespace tavolu::bench;
    const int block = static_cast<int>(state.range(0));
    host::PluginHost plugin;
    std::string error;
    if (!startPlugin(plugin, path, program, block, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    BurstInput input(block);
    std::vector<float> outL(block), outR(block);
    float* outs[2] = {outL.data(), outR.data()};
    int64_t frames = 0;
    for (auto _ : state) {
        for (int at = 0; at < kFrames; at += block) {
            float* ins[2] = {input.left.data() + at, input.right.data() + at};
            plugin.process(ins, outs, block, at);
        }
        benchmark::DoNotOptimize(outL.data());
        frames += framesPerPass(block);
    }
    // Seconds per frame (Google Benchmark shows it with its own prefix).
    state.counters["per_frame"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::string tavoluPath() {
    const char* path = std::getenv("TAVOLU_PLUGIN");
    return path != nullptr ? path : TAVOLU_PLUGIN_PATH;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string tavolu = tavoluPath();
    for (int program : {8, 5}) {
        benchmark::RegisterBenchmark(
            ("Tavolu/program" + std::to_string(program)).c_str(),
            [tavolu, program](benchmark::State& s) { process(s, tavolu, program); })
            ->Arg(64)
            ->Arg(512)
            ->Unit(benchmark::kMillisecond);
    }
    if (access(kPeer, R_OK) == 0) {
        benchmark::RegisterBenchmark("PingPongPan",
                                     [](benchmark::State& s) { process(s, kPeer, -1); })
            ->Arg(64)
            ->Arg(512)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
