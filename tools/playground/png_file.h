// Writes what an off-screen window shows to a PNG file.
#pragma once

#include "toolkit/platform/offscreen_window.h"

namespace tavolu::playground {

// False when the file cannot be written.
bool writePng(const char* path, const OffscreenWindow& window);

}  // namespace tavolu::playground
