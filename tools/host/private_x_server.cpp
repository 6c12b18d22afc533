#include "tools/host/private_x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

namespace tavolu::host {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kStartTimeout = std::chrono::seconds(15);  // a loaded machine is slow
constexpr auto kStopTimeout = std::chrono::seconds(3);    // then it is killed outright
constexpr auto kStopPoll = std::chrono::milliseconds(5);
constexpr int kScreenDepth = 24;        // bits per pixel
constexpr int kExecFailed = 127;        // the child's exit status when exec fails
constexpr std::size_t kLogTail = 4096;  // bytes of the server's messages kept for an error

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The server's command line. It must not reset when the last client leaves
// (a connection made during a reset is refused), must not blank the screen
// however long the render takes, and draws no pointer over the editor.
std::vector<std::string> serverArguments(const std::string& program, int displayFd, int width,
                                         int height) {
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(kScreenDepth);
    return {program,     "-displayfd", std::to_string(displayFd),
            "-screen",   "0",          screen,
            "-nolisten", "tcp",        "-noreset",
            "-nocursor", "-s",         "0"};
}

// A file for the server's own messages, already unlinked: read back only to
// say why the server did not start.
int openLog() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavolu-xvfb-XXXXXX").string();
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) unlink(pattern.c_str());
    return fd;
}

// The last non-empty line the server wrote, or "".
std::string lastLogLine(int fd) {
    if (fd < 0) return "";
    const off_t size = lseek(fd, 0, SEEK_END);
    const off_t from = size > static_cast<off_t>(kLogTail) ? size - kLogTail : 0;
    std::string text(static_cast<std::size_t>(size - from), '\0');
    const ssize_t got = pread(fd, text.data(), text.size(), from);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    const auto newline = text.rfind('\n');
    return newline == std::string::npos ? text : text.substr(newline + 1);
}

// What the server writes to the display fd once it takes connections: its
// display number and a newline. "" if it ended or took too long.
std::string readDisplayNumber(int fd) {
    const auto deadline = Clock::now() + kStartTimeout;
    std::string number;
    while (number.empty() || number.back() != '\n') {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return "";
        pollfd waiting{fd, POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return "";
        char c = 0;
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got != 1) return "";  // the server closed it: it ended
        number += c;
    }
    number.pop_back();
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return "";
    return number;
}

// Sends signal, then waits for the child to end, killing it if it will not.
// True when status holds how it ended; false if it was not ours to wait for.
bool reap(pid_t pid, int signal, int& status) {
    if (signal) kill(pid, signal);
    const auto deadline = Clock::now() + kStopTimeout;
    while (true) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return true;
        if (done < 0 && errno != EINTR) return false;  // not our child any more
        if (Clock::now() >= deadline) break;
        std::this_thread::sleep_for(kStopPoll);
    }
    kill(pid, SIGKILL);
    pid_t done = -1;
    do {
        done = waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    return done == pid;
}

}  // namespace

std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const auto colon = dirs.find(':', start);
        const std::string dir = dirs.substr(start, colon - start);
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + program;
        if (isExecutableFile(candidate)) return candidate;
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return "";
}

PrivateXServer::~PrivateXServer() {
    stop();
}

bool PrivateXServer::start(const std::string& program, int width, int height, std::string& error) {
    stop();
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        error = std::string("cannot start the X server: ") + std::strerror(errno);
        return false;
    }
    const int log = openLog();
    // Everything the child needs is made before the fork: the plug-in may
    // run threads, so the child may only make plain system calls until exec.
    const std::vector<std::string> args = serverArguments(program, ready[1], width, height);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t host = getpid();

    const pid_t pid = fork();
    if (pid == 0) {
        // The server ends with the host even if the host is killed.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != host) _exit(kExecFailed);
        fcntl(ready[1], F_SETFD, 0);  // the one descriptor the server inherits
        if (log >= 0) {
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
        }
        execv(argv[0], argv.data());
        _exit(kExecFailed);
    }
    close(ready[1]);
    if (pid < 0) {
        error = std::string("cannot start the X server: ") + std::strerror(errno);
        close(ready[0]);
        if (log >= 0) close(log);
        return false;
    }
    const std::string number = readDisplayNumber(ready[0]);
    close(ready[0]);
    if (number.empty()) {
        int status = 0;
        const bool exited = reap(pid, SIGTERM, status);
        const std::string why = lastLogLine(log);
        if (exited && WIFEXITED(status) && WEXITSTATUS(status) == kExecFailed && why.empty())
            error = "cannot run the X server " + program;
        else
            error = "the X server " + program + " did not start" + (why.empty() ? "" : ": " + why);
        if (log >= 0) close(log);
        return false;
    }
    if (log >= 0) close(log);
    pid_ = pid;
    display_ = ":" + number;
    return true;
}

void PrivateXServer::stop() {
    if (pid_ > 0) {
        int status = 0;
        reap(pid_, SIGTERM, status);
    }
    pid_ = -1;
    display_.clear();
}

}  // namespace tavolu::host
