// What the plug-in benchmarks share: a plug-in started as a host starts it,
// and the 5 s of noise bursts at 44.1 kHz that every figure is measured on.
#pragma once

#include <string>
#include <vector>

#include "tests/support/signals.h"
#include "tools/host/plugin_host.h"

namespace tavolu::bench {

constexpr float kRate = 44100.0f;  // Hz
constexpr int kFrames = 220500;    // 5 s

// [UI thread] Loads `path`, answers time information at 120 BPM, starts it
// for blocks of `block` frames and selects `program` (-1 keeps its own).
inline bool startPlugin(host::PluginHost& plugin, const std::string& path, int program, int block,
                        std::string& error) {
    if (!plugin.load(path, error)) return false;
    host::TransportSettings transport;
    transport.sampleRate = kRate;
    plugin.setTransport(transport, true);
    plugin.start(kRate, block);
    if (program >= 0) plugin.setProgram(program);
    return true;
}

// The measured signal, one block longer than kFrames so the last block is whole.
struct BurstInput {
    explicit BurstInput(int block)
        : left(testing::burstSignal(kFrames + block, 1)),
          right(testing::burstSignal(kFrames + block, 2)) {}
    std::vector<float> left;
    std::vector<float> right;
};

// Frames one pass over the signal processes.
inline int framesPerPass(int block) {
    return (kFrames + block - 1) / block * block;
}

}  // namespace tavolu::bench
