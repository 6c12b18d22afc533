#include "tools/host/replacing_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace tavolu::host {

namespace {

std::filesystem::path folderOf(const std::string& target) {
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace

bool canCreate(const std::string& target, std::string& error) {
    const std::filesystem::path folder = folderOf(target);
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        error = "cannot write " + target + ": no folder " + folder.string();
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write " + target + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

ReplacingFile::~ReplacingFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) std::remove(temp_.c_str());
}

int ReplacingFile::open(const std::string& target, std::string& error) {
    const std::filesystem::path path(target);
    const std::string pattern =
        (folderOf(target) / ("." + path.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = mkstemp(name.data());
    if (fd_ < 0) {
        error = "cannot write " + target + ": " + std::strerror(errno);
        return -1;
    }
    // mkstemp makes the file private; give it the mode a plain create would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
    target_ = target;
    temp_ = name.data();
    return fd_;
}

bool ReplacingFile::commit(std::string& error) {
    if (fd_ >= 0) {
        // On disk before it takes the target's name: a late write error (a full
        // disk seen only at flush) fails the run instead of leaving a short file.
        const bool stored = ::fsync(fd_) == 0;
        const int storeError = errno;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!stored || !closed) {
            error = "cannot write " + target_ + ": " + std::strerror(stored ? errno : storeError);
            return false;
        }
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        error = "cannot write " + target_ + ": " + std::strerror(errno);
        return false;
    }
    temp_.clear();
    return true;
}

}  // namespace tavolu::host
