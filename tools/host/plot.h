// The picture of a render: the input's envelope in grey on top, the left and
// right outputs' envelopes in two colours below, and a trace of where the
// sound sits between them, over a time axis in seconds.
#pragma once

#include <string>

#include "tools/host/audio_file.h"

namespace tavolu::host {

constexpr int kPlotWidth = 1200;  // pixels
constexpr int kPlotHeight = 620;  // pixels

// [UI thread] Writes the PNG through a temporary file that replaces path only
// when complete.
bool writePlot(const std::string& path, const std::string& title, const Audio& input,
               const Audio& output, std::string& error);

}  // namespace tavolu::host
