// A child window of the host's X11 window, on a connection of its own. Drawing
// goes to one back buffer that present() copies out with XPutImage, through a
// shared-memory segment when the server offers it.
#pragma once

#include <memory>

#include "toolkit/platform/platform_window.h"

namespace tavolu {

// Null when there is no display or the window cannot be made; nothing is left
// open in that case. Without `useSharedMemory` every copy goes through the
// connection, as it does anyway when the server is remote. [UI thread]
std::unique_ptr<PlatformWindow> createX11Window(uint64_t parent, int32_t width, int32_t height,
                                                bool useSharedMemory = true);

}  // namespace tavolu
