// Writes a file the safe way: into a hidden temporary file in the target's
// folder, renamed over the target only once complete. A run that fails or is
// abandoned leaves the target as it was and removes the temporary file.
#pragma once

#include <string>

namespace tavolu::host {

// [UI thread] Whether a file could be created at target: its folder exists
// and takes new files. Lets a run fail before the work, not after it.
bool canCreate(const std::string& target, std::string& error);

class ReplacingFile {
  public:
    ReplacingFile() = default;
    ~ReplacingFile();  // removes the temporary file unless committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // [UI thread] Creates the temporary file; returns its descriptor (still
    // owned by this object unless released) or -1 with a reason.
    int open(const std::string& target, std::string& error);
    // The writer took the descriptor over and closes it itself.
    void releaseDescriptor() { fd_ = -1; }
    // [UI thread] Closes and renames the temporary file onto the target.
    bool commit(std::string& error);

  private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
};

}  // namespace tavolu::host
