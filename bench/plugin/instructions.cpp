// Drives a VST 2.4 plug-in the way a host does (dlopen, entry point,
// processReplacing) over 5 s of noise bursts at 44.1 kHz, with callgrind's
// instrumentation on only around the processing, so that callgrind's total is
// the plug-in's cost for those frames (with the host's few instructions per
// block). bench/instructions.sh runs it for every case and makes the table.
//
//   valgrind --tool=callgrind --instr-atstart=no plugin_instructions PLUGIN PROGRAM BLOCK
//
// PROGRAM -1 keeps the plug-in's own start.
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/plugin/bench_drive.h"

int main(int argc, char** argv) {
    using namespace tavolu;
    using namespace tavolu::bench;
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PLUGIN PROGRAM BLOCK\n", argv[0]);
        return 2;
    }
    const int program = std::atoi(argv[2]);
    const int block = std::atoi(argv[3]);
    host::PluginHost plugin;
    std::string error;
    if (block < 1 || !startPlugin(plugin, argv[1], program, block, error)) {
        std::fprintf(stderr, "%s\n", block < 1 ? "BLOCK must be positive" : error.c_str());
        return 1;
    }
    BurstInput input(block);
    std::vector<float> outL(block), outR(block);
    float* outs[2] = {outL.data(), outR.data()};
    CALLGRIND_START_INSTRUMENTATION;
    for (int at = 0; at < kFrames; at += block) {
        float* ins[2] = {input.left.data() + at, input.right.data() + at};
        plugin.process(ins, outs, block, at);
    }
    CALLGRIND_STOP_INSTRUMENTATION;
    std::printf("frames %d\n", framesPerPass(block));
    std::fflush(stdout);
    // Leaves without unloading the plug-in, so that callgrind still knows its
    // debug information and callgrind_annotate can name the source lines.
    std::_Exit(outL[0] > 100.0f);  // keeps the work observable
}
