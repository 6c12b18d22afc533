// A render holds a few blocks, never the file: memory stays flat whatever
// the length, running out of it is an error like any other, and Ctrl-C or
// SIGTERM in the middle of a write leaves no temporary file behind.
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/tools/host_test_support.h"

extern char** environ;

using namespace hosttest;

namespace {

constexpr int kRate = 8000;  // Hz

struct Finished {
    int status = 0;
    long peakKiB = 0;  // resident set at its largest
};

pid_t spawnHost(const std::vector<std::string>& args) {
    std::vector<std::string> all = {TAVOLU_HOST_EXE, "--plugin", FAKE_PLUGIN};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    // The signals at their defaults, even if whoever runs the tests ignores them.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, s);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, &attr, argv.data(), environ), 0);
    posix_spawnattr_destroy(&attr);
    return pid;
}

Finished waitFor(pid_t pid) {
    Finished f;
    rusage usage{};
    EXPECT_EQ(wait4(pid, &f.status, 0, &usage), pid);
    f.peakKiB = usage.ru_maxrss;
    return f;
}

Finished runToEnd(const std::vector<std::string>& args) {
    return waitFor(spawnHost(args));
}

bool hiddenFileIn(const TempDir& dir) {
    for (const std::string& name : dir.entries())
        if (name[0] == '.') return true;
    return false;
}

}  // namespace

// Ten minutes of audio would take 58 MB held whole (input and output as
// floats); streamed, the long render peaks where the short one does.
TEST(Streaming, MemoryStaysFlatForALongFile) {
    TempDir dir;
    constexpr long kShort = 10L * kRate, kLong = 600L * kRate;
    writeFile(dir.file("short.wav"), makeAudio(1, kRate, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kShort));
    writeFile(dir.file("long.wav"), makeAudio(1, kRate, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kLong));
    const auto render = [&](const std::string& name) {
        const Finished f = runToEnd({dir.file(name), "-o", dir.file("out-" + name), "--plot",
                                     dir.file(name + ".png"), "--block", "4096"});
        EXPECT_TRUE(WIFEXITED(f.status) && WEXITSTATUS(f.status) == 0) << name;
        return f.peakKiB;
    };
    const long shortPeak = render("short.wav");
    const long longPeak = render("long.wav");
    EXPECT_LT(longPeak - shortPeak, 8 * 1024) << "KiB: " << shortPeak << " then " << longPeak;
    EXPECT_EQ(readFile(dir.file("out-long.wav")).frames(), kLong);
}

// The host reports running out of memory like any failure, and the file it
// was writing goes; an uncaught std::bad_alloc would abort and leave it.
TEST(Streaming, RunningOutOfMemoryIsAnError) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve address space a limit would refuse";
#else
    TempDir dir;
    writeFile(dir.file("in.wav"), makeAudio(2, kRate, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1000));
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        malloc_trim(0);  // what earlier tests freed must not count as room
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        constexpr rlim_t kHeadroom = 16 << 20;  // bytes; far below a block of a million frames
        const rlim_t limit = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + kHeadroom;
        const rlimit cap{limit, limit};
        setrlimit(RLIMIT_AS, &cap);
        const RunResult r =
            runHost({dir.file("in.wav"), "-o", dir.file("o.wav"), "--block", "1048576"});
        const bool reported = r.code == 1 && r.err == "tavolu-host: error: out of memory\n";
        _exit(reported ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.wav"});
#endif
}

// The input comes through a pipe the test holds, so the host is caught
// mid-render, its temporary file open, when the signal arrives.
TEST(Streaming, AnInterruptRemovesTheTemporaryFile) {
    TempDir source;
    writeFile(source.file("whole.wav"),
              makeAudio(2, kRate, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 60L * kRate));
    std::vector<char> head(100000);
    std::ifstream(source.file("whole.wav"), std::ios::binary).read(head.data(), head.size());

    for (int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        TempDir dir;
        const std::string pipe = dir.file("in.wav");
        ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
        const pid_t pid = spawnHost({pipe, "-o", dir.file("o.wav")});
        int fd = -1;
        using std::chrono::milliseconds;
        for (int i = 0; i < 1000 && fd < 0; ++i) {  // until the host opens its end
            fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd < 0) std::this_thread::sleep_for(milliseconds(10));
        }
        ASSERT_GE(fd, 0);
        fcntl(fd, F_SETFL, 0);
        ASSERT_EQ(write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
        for (int i = 0; i < 1000 && !hiddenFileIn(dir); ++i)
            std::this_thread::sleep_for(milliseconds(10));
        EXPECT_TRUE(hiddenFileIn(dir));

        kill(pid, sig);
        const Finished f = waitFor(pid);
        close(fd);
        EXPECT_TRUE(WIFSIGNALED(f.status) && WTERMSIG(f.status) == sig) << f.status;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.wav"});
    }
}
