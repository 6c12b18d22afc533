// The cost per frame of the first and the last minute of a long render, at
// 44.1 and 192 kHz, with every setting cycling on a one-minute schedule
// (tests/support/long_run.h): the ratio shows whether anything in the state
// drifts into slow arithmetic over time. The first argument is the length in
// seconds (an hour when absent).
//
//     build/bench/engine/engine_long_run 3600
#include "tests/support/long_run.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    using namespace tavolu::testing;
    const double seconds = argc > 1 ? std::strtod(argv[1], nullptr) : 3600.0;  // s
    if (!(seconds >= 60.0)) {
        std::fprintf(stderr, "usage: %s [seconds of audio, at least 60]\n", argv[0]);
        return 2;
    }
    int status = 0;
    for (const float rate : {44100.0f, 192000.0f}) {
        LongRunHost host(rate);
        EngineRig rig(&host, rate);
        const LongRunResult r = renderLongRun(rig, host, rate, seconds);
        const auto drifted = driftedStateFields(rig.engine());
        std::printf(
            "%6.0f Hz  %6.0f s of audio  ns/frame: first minute %.2f (median block %.2f), "
            "last minute %.2f (%.2f), last/first %.3f (medians %.3f)  bad outputs %lld  "
            "drifted state fields %zu\n",
            rate, r.seconds, r.firstMinuteNs, r.firstMinuteMedianNs, r.lastMinuteNs,
            r.lastMinuteMedianNs, r.lastMinuteNs / r.firstMinuteNs,
            r.lastMinuteMedianNs / r.firstMinuteMedianNs, r.badOutputs, drifted.size());
        for (const char* name : drifted) std::printf("    %s\n", name);
        if (r.badOutputs != 0 || !drifted.empty()) status = 1;
    }
    return status;
}
