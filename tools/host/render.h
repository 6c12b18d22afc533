// The offline render: the input through the plug-in, block by block, read,
// processed and written one block at a time, with MIDI note-ons handed over
// before the block that holds them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/host/audio_file.h"
#include "tools/host/plugin_host.h"
#include "tools/host/progress.h"

namespace tavolu::host {

struct RenderSettings {
    int blockSize = 512;          // frames per processing call
    std::vector<double> noteOns;  // seconds; those past the end are dropped
    // [UI thread] Called after every block with the seconds rendered so far:
    // the render is offline, so the editor's idle runs between blocks.
    std::function<void(double seconds)> afterBlock;
    // [UI thread] Each block's frames as read and as written (stereo), for
    // whatever is gathered on the way (the plot's envelopes).
    std::function<void(const float* input, int inputChannels, const float* output, long frames)>
        onBlock;
};

constexpr int kNoteOnVelocity = 100;
constexpr int kNoteOnKey = 60;  // middle C, channel 1

// Frame of each note-on, sorted, past-the-end ones dropped.
std::vector<long> noteOnFrames(const std::vector<double>& seconds, int sampleRate, long frames);

// [UI thread] The plug-in must be started (sample rate, block size, resume).
// Mono input feeds both inputs; the result is stereo. Renders until the
// input has no more frames; whether that was all it promised is the caller's
// to judge. False only when the plug-in cannot be fed or a write fails.
bool render(PluginHost& plugin, AudioReader& input, AudioWriter& output,
            const RenderSettings& settings, Progress& progress, std::string& error);

}  // namespace tavolu::host
