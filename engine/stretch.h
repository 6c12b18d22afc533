// A stretch of frames between the block routine's events (bar and grid
// lines, periodic updates, triggers): the mono sums, the pan chain and the
// pan law with the outputs.
#pragma once

#include <cstdint>
#include <limits>

#include "engine/engine.h"
#include "engine/voice.h"

namespace tavolu {

// The block's buffers and what stays fixed over it.
struct Stretch {
    const float* inLeft;
    const float* inRight;
    float* outLeft;
    float* outRight;
    bool exactGain;  // a gain of 1 or 1/2 scales exactly, so the sum can be formed in float
};

// The pan law's two channel gains, kept while the pan position and the
// output controls they come from stay put, from block to block too.
struct OutputStage {
    double left = 1.0;
    double right = 1.0;
    float pan = std::numeric_limits<float>::quiet_NaN();  // gains not yet made
    bool atRest = false;                                  // all three controls on their targets
    bool mono = false;  // "Stereo" at 0: both channels carry the mono sum

    // At a block start: the gains the last block left, if "Center Vol" and
    // "Dry-Wet" still stand where they were made.
    OutputStage(const ChainState& c, const Settings& s) {
        look(c, s);
        if (c.gainCenterVol == c.centerVol && c.gainDryWet == c.dryWet) {
            left = c.gainLeft;
            right = c.gainRight;
            pan = c.gainPan;
        }
    }

    // At a block end: what the next block may take over.
    void keep(ChainState& c) const {
        c.gainLeft = left;
        c.gainRight = right;
        c.gainPan = pan;
        c.gainCenterVol = c.centerVol;
        c.gainDryWet = c.dryWet;
    }

    // At a block start, and after every slewing step.
    void look(const ChainState& c, const Settings& s) {
        atRest = c.stereo == s.stereoTarget && c.dryWet == s.dryWetTarget &&
                 c.centerVol == s.centerVolTarget;
        mono = c.stereo == 0.0f;
    }

    void setPan(float t, const ChainState& c);
    void slewControls(ChainState& c, const Settings& s);
};

struct Ran {
    int32_t frames;
    bool fired;  // a trigger fired on the last of them
};

// [audio thread] Frames [begin, end) of the block, stopping after a frame on
// which a trigger fired. Nothing in the stretch may be an event but its last
// frame's end and, at its first frame, a pending bar line.
Ran runStretch(Engine& e, const Settings& s, OutputStage& out, const Stretch& b, int32_t begin,
               int32_t end);

}  // namespace tavolu
