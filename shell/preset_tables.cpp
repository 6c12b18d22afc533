// The factory presets, as the program bank and the editor's preset buttons
// read them.
#include "shell/programs.h"

namespace tavolu {

const char presetNames[kNumPresets][kPresetNameSize] = {
    "Ping Pong", "Crossover Pans", "Spread from Center", "Attack Decay",
    "LFO",       "Delayed LFO",    "Snare to Right",     "Random S&H",
};

// Columns: the presets 0..7, then the user starting set.
const float presetTable[kNumPresets + 1][kNumParameters] = {
    // S=E  End   Start Att   Hold  Decay SMode EMode Trig  Thr   Sel   LMod  LDel  LFreq LSrc LSync
    // Flip  CVol  DryW  Stereo
    {0.0f, 0.0f, 0.0f, 0.0f, 0.1f, 0.5f, 0.5f, 0.5f,  0.0f, 0.0f,
     0.3f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.3f, 0.5f, 0.5f,  0.0f, 0.0f,
     0.3f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 1.0f, 0.5f, 0.0f, 0.1f, 0.2f, 0.0f, 0.5f, 0.0f, 0.0f,
     0.3f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f},
    {0.0f, 1.0f, 0.0f, 0.4f, 0.1f, 0.2f, 0.0f, 0.0f,  0.0f, 0.0f,
     0.3f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,  0.0f, 0.0f,
     0.3f, 1.0f, 0.0f, 0.6f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,  0.0f, 0.0f,
     0.3f, 1.0f, 0.4f, 1.0f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 0.0f, 1.0f, 0.0f, 0.1f, 0.15f, 0.0f, 0.0f,  0.0f, 0.6f,
     0.3f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f,  0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 1.0f, 1.0f,  0.0f, 0.0f,
     0.3f, 1.0f, 0.0f, 0.9f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,  0.0f, 0.0f,
     0.3f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
};

}  // namespace tavolu
