// The same input through the VST 2.4 library (as the command-line host loads
// it) and through the LV2 bundle (as an LV2 host loads it), block by block,
// with the same song position and note-ons, so two renders can be compared
// sample for sample.
#pragma once

#include <string>
#include <vector>

#include "tools/host/audio_file.h"
#include "tools/host/transport.h"

namespace tavolu::testing {

struct RenderCase {
    // VST program; the LV2 preset of that name for 0..7. -1: the VST host
    // selects no program, as the LV2 host applies no preset.
    int program = 8;
    std::vector<std::pair<int, float>> settings;  // parameter index, value, after the program
    int blockSize = 512;
    bool timeInfo = true;
    host::TransportSettings transport;
    std::vector<long> noteOns;  // frames
};

struct StereoRender {
    std::vector<float> left, right;
};

// Mono input to both inputs of the plug-in; failures are gtest failures.
StereoRender renderVst(const host::Audio& input, const RenderCase& c);
StereoRender renderLv2(const host::Audio& input, const RenderCase& c);

}  // namespace tavolu::testing
