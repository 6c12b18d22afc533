// Writes a file the safe way: into a hidden temporary file in the target's
// folder, put in the target's place only once complete. A run that fails, is
// abandoned or is interrupted by a signal leaves the target as it was and
// removes the temporary file.
//
// What stands at the target decides how it is put in place:
// - nothing, or a plain file with a single name: the temporary file is
//   renamed over it, with the old file's mode (and owner, where allowed);
// - a plain file with more than one name (hard links): the finished contents
//   are copied into it, so every name still shows the same file;
// - a symbolic link: everything above applies to the file it leads to, and
//   the link stays;
// - a device or a pipe: written directly, as nothing can be put in its place;
// - a folder, or a plain file without write permission: refused.
#pragma once

#include <string>

namespace tavolu::host {

// [UI thread] Whether target can be written as above: checked before the
// work, so a run fails at once instead of after a long render.
bool canCreate(const std::string& target, std::string& error);

class ReplacingFile {
  public:
    ReplacingFile() = default;
    ~ReplacingFile();  // removes the temporary file unless committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // [UI thread] Creates the temporary file (or opens the device); returns
    // its descriptor (still owned by this object unless released) or -1 with
    // a reason.
    int open(const std::string& target, std::string& error);
    // The writer took the descriptor over and closes it itself.
    void releaseDescriptor() { fd_ = -1; }
    // [UI thread] Closes the temporary file and puts it in the target's place.
    bool commit(std::string& error);

  private:
    enum class Placing { Rename, CopyInto, Direct };

    void discardTemporary();
    bool copyIntoTarget(std::string& error);

    std::string name_;    // as the user gave it, for messages
    std::string target_;  // the file itself, symbolic links followed
    std::string temp_;
    int fd_ = -1;
    int slot_ = -1;  // registration with the interrupt handler
    Placing placing_ = Placing::Rename;
};

}  // namespace tavolu::host
