// PNG files of the host's pictures (the plot, the editor), written through a
// temporary file like every other output.
#pragma once

#include <string>

#include "tools/host/canvas.h"

namespace tavolu::host {

// [UI thread] Writes the canvas as an 8-bit RGB PNG; path is replaced only
// when the file is complete.
bool writePng(const std::string& path, const Canvas& canvas, std::string& error);

}  // namespace tavolu::host
