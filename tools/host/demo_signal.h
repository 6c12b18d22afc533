// The built-in demo: a drum loop synthesised in code, so the first run needs
// no audio file. The same samples come out on every run and every machine.
#pragma once

#include "tools/host/audio_file.h"

namespace tavolu::host {

constexpr int kDemoSampleRate = 44100;  // Hz
constexpr double kDemoTempo = 120.0;    // beats per minute
constexpr int kDemoBars = 4;            // of 4/4
constexpr int kDemoBeatsPerBar = 4;

// Kick, snare and hi-hats, four bars of 4/4 at 120 BPM, 16-bit WAV stereo
// with the same signal on both channels.
Audio demoDrumLoop();

}  // namespace tavolu::host
