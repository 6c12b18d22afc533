// A small driver for instruction counts: runs the starting program (program
// 8, the user-program settings, selected as a host selects it) over a looped signal of noise bursts
// in blocks of 512 at 44,100 Hz. Run it under callgrind twice, with a short and a long frame count;
// the difference of the totals over the difference of the frames is the cost per stereo frame, with
// the set-up subtracted out.
//
//   valgrind --tool=callgrind engine_callgrind 51200
//   valgrind --tool=callgrind engine_callgrind 512000
#include <cstdlib>
#include <vector>

#include "bench/engine/bench_setup.h"

int main(int argc, char** argv) {
    using namespace tavolu;
    const long frames = argc > 1 ? std::atol(argv[1]) : 512000;
    const std::vector<float> l = testing::burstSignal(1 << 16, 1);
    const std::vector<float> r = testing::burstSignal(1 << 16, 2);
    std::vector<float> outL(l.size()), outR(r.size());
    bench::BenchRig bench(44100.0f, kInitialProgram);
    bench::process(bench.engine(), bench.host, l, r, outL, outR, frames, 512, false);
    return outL[100] > 10.0f ? 1 : 0;  // keeps the work observable
}
