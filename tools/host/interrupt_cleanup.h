// Ctrl-C or a SIGTERM while a file is being written would leave its hidden
// temporary file behind (tens of MB for a long render). The temporaries in
// progress are registered here; the handler removes them and then lets the
// signal end the process as it would have.
#pragma once

#include <string>

namespace tavolu::host {

constexpr int kMaxTemporaries = 8;  // files being written at once, far above what a run needs

// [UI thread] Installs the handler for SIGINT, SIGTERM and SIGHUP. Called
// once by main(); without it, registration is harmless and does nothing more.
void removeTemporariesOnInterrupt();

// [UI thread] Remembers path for the handler; returns the slot to release,
// or -1 when every slot is taken (the file is then only removed on the
// ordinary ways out).
int registerTemporary(const std::string& path);

// [UI thread] Once the file is renamed or removed. A slot of -1 is ignored.
void releaseTemporary(int slot);

}  // namespace tavolu::host
