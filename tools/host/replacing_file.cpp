#include "tools/host/replacing_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "tools/host/interrupt_cleanup.h"

namespace tavolu::host {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinkDepth = 40;            // as the kernel's own limit
constexpr std::size_t kCopyChunk = 1 << 16;  // bytes

fs::path folderOf(const fs::path& target) {
    const fs::path folder = target.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The path with symbolic links followed to their end, even to a file that
// does not exist yet (a dangling link is written through, not replaced).
fs::path followLinks(const std::string& name) {
    fs::path p(name);
    std::error_code ec;
    for (int i = 0; i < kMaxLinkDepth && fs::is_symlink(p, ec); ++i) {
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : folderOf(p) / next;
    }
    return p;
}

std::string failure(const std::string& name, const std::string& why) {
    return "cannot write " + name + ": " + why;
}

// A plain file nobody may write: root could, but the mode says it is kept.
bool readOnly(const std::string& path, const struct stat& st) {
    return (st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool canCreate(const std::string& name, std::string& error) {
    if (name.empty()) {
        error = "an output file name is empty";
        return false;
    }
    if (name.back() == '/') {
        error = failure(name, "the name ends in '/', which names a folder");
        return false;
    }
    const fs::path target = followLinks(name);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            error = failure(name, "it is a folder");
            return false;
        }
        if (S_ISREG(st.st_mode) && readOnly(target, st)) {
            error = failure(name, "the file is read-only");
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            if (access(target.c_str(), W_OK) == 0) return true;
            error = failure(name, std::strerror(errno));
            return false;
        }
    }
    const fs::path folder = folderOf(target);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = failure(name, "no folder " + folder.string());
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        error = failure(name, std::strerror(errno));
        return false;
    }
    return true;
}

ReplacingFile::~ReplacingFile() {
    if (fd_ >= 0) ::close(fd_);
    discardTemporary();
}

void ReplacingFile::discardTemporary() {
    if (!temp_.empty()) std::remove(temp_.c_str());
    temp_.clear();
    releaseTemporary(slot_);
    slot_ = -1;
}

int ReplacingFile::open(const std::string& name, std::string& error) {
    if (!canCreate(name, error)) return -1;
    name_ = name;
    target_ = followLinks(name).string();
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        placing_ = Placing::Direct;
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) error = failure(name, std::strerror(errno));
        return fd_;
    }
    placing_ = exists && st.st_nlink > 1 ? Placing::CopyInto : Placing::Rename;
    std::string hidden(".");
    hidden += fs::path(target_).filename().string();
    hidden += ".XXXXXX";
    const std::string pattern = (folderOf(target_) / hidden).string();
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    fd_ = mkostemp(temp.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error = failure(name, std::strerror(errno));
        return -1;
    }
    temp_ = temp.data();
    slot_ = registerTemporary(temp_);
    if (exists) {
        // The new file takes the old one's place: same owner when we may give
        // it (root replacing a user's file; otherwise it stays ours), then the
        // same permissions, set after the owner as chown clears set-id bits.
        const bool ownerKept = fchown(fd_, st.st_uid, st.st_gid) == 0;
        static_cast<void>(ownerKept);
        fchmod(fd_, st.st_mode & 07777);
    } else {
        // mkstemp makes the file private; give it the mode a plain create would.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd_, 0666 & ~mask);
    }
    return fd_;
}

bool ReplacingFile::commit(std::string& error) {
    if (fd_ >= 0) {
        // On disk before it takes the target's name: a late write error (a full
        // disk seen only at flush) fails the run instead of leaving a short file.
        // Devices need not support fsync, and have nothing to lose to it.
        const bool stored = placing_ == Placing::Direct || ::fsync(fd_) == 0;
        const int storeError = errno;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!stored || !closed) {
            error = failure(name_, std::strerror(stored ? errno : storeError));
            return false;
        }
    }
    if (placing_ == Placing::Direct) return true;
    if (placing_ == Placing::CopyInto) {
        const bool copied = copyIntoTarget(error);
        discardTemporary();
        return copied;
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        error = failure(name_, std::strerror(errno));
        return false;  // the destructor removes the temporary file
    }
    temp_.clear();
    releaseTemporary(slot_);
    slot_ = -1;
    return true;
}

// The target keeps its inode. Signals wait until the copy is over: a file
// half old and half new would be worse than either.
bool ReplacingFile::copyIntoTarget(std::string& error) {
    sigset_t block, previous;
    sigemptyset(&block);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&block, s);
    pthread_sigmask(SIG_BLOCK, &block, &previous);
    const int in = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = in < 0 ? -1 : ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    bool ok = in >= 0 && out >= 0;
    std::vector<char> buffer(ok ? kCopyChunk : 0);
    while (ok) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = writeAll(out, buffer.data(), static_cast<std::size_t>(n));
    }
    if (ok) ok = ::fsync(out) == 0;
    const int why = errno;
    if (out >= 0 && ::close(out) != 0) ok = false;
    if (in >= 0) ::close(in);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (!ok) error = failure(name_, std::strerror(why));
    return ok;
}

}  // namespace tavolu::host
