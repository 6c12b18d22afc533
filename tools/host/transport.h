// The song position the host reports to the plug-in: a fixed tempo and time
// signature, bars counted from song position 0, and a transport that either
// runs with the rendered samples or stands still.
#pragma once

#include "host_interface/vst2.h"

namespace tavolu::host {

struct TransportSettings {
    double sampleRate = 44100.0;  // Hz
    double tempo = 120.0;         // beats per minute
    int timeSigNumerator = 4;
    int timeSigDenominator = 4;
    double startPpq = 0.0;  // quarter notes at sample 0
    bool running = true;
};

// The record answered for a block that starts at samplePos (frames since the
// start of the render). firstBlock marks the transport change of the start.
vst2::VstTimeInfo timeInfoAt(const TransportSettings& t, double samplePos, bool firstBlock);

}  // namespace tavolu::host
