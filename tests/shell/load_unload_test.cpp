// The library's whole life, over and over in one process, as a host that
// scans, opens and closes plug-ins goes through it: dlopen, the entry point,
// open, resume, process, the editor opened into the host's window on a
// private X server, idled and closed, effClose, dlclose. And many instances
// alive at once, each processing in turn with its editor open. Nothing may
// be left behind: no leak (run the ASan build: LeakSanitizer checks at exit),
// and no growth of resident memory, file descriptors, X client connections
// or top-level windows between the end of a warm-up and the end of the run.
//
// 100 cycles and two rounds of 64 instances by default;
// TAVOLU_LOAD_CYCLES=1000 and TAVOLU_INSTANCE_ROUNDS=N for longer runs.
#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/shell/test_host.h"
#include "tests/support/signals.h"
#include "tests/support/x11_server.h"
#include "tests/support/xvfb_suite.h"

namespace tavolu::testing {
namespace {

using namespace vst2;

constexpr float kRate = 44100.0f;  // Hz
constexpr int32_t kBlock = 512;    // frames
constexpr int kWidth = 465;        // px, the editor's size
constexpr int kHeight = 360;       // px
constexpr int kInstances = 64;
constexpr long kRssToleranceKb = 2048;  // allocator pools settle in steps

#if defined(__SANITIZE_ADDRESS__)
// ASan's quarantine holds freed memory back on purpose: resident memory says
// nothing there, LeakSanitizer does.
constexpr bool kRssMeaningful = false;
#else
constexpr bool kRssMeaningful = true;
#endif

long fromEnvironment(const char* variable, long fallback) {
    const char* text = std::getenv(variable);
    const long value = text ? std::strtol(text, nullptr, 10) : 0;
    return value > 0 ? value : fallback;
}

// What the process and the X server hold.
struct Holdings {
    long rssKb = 0;       // VmRSS
    int descriptors = 0;  // entries of /proc/self/fd
    int serverSockets = 0;
    int topLevelWindows = 0;
};

// Resident memory once the allocator has handed its free pages back: what is
// left is memory in use, not pages glibc keeps for the next allocation.
long residentKb() {
    malloc_trim(0);
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return -1;
}

int openDescriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    int count = 0;
    while (const dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
    return count - 1;  // the directory's own descriptor
}

void print(const char* when, const Holdings& h) {
    std::printf("%-22s VmRSS %6ld kB  fds %3d  X server sockets %3d  top-level windows %3d\n", when,
                h.rssKb, h.descriptors, h.serverSockets, h.topLevelWindows);
}

void expectNoGrowth(const Holdings& start, const Holdings& end) {
    if (kRssMeaningful) {
        EXPECT_LE(end.rssKb, start.rssKb + kRssToleranceKb);
    }
    EXPECT_LE(end.descriptors, start.descriptors);
    EXPECT_LE(end.serverSockets, start.serverSockets);
    EXPECT_LE(end.topLevelWindows, start.topLevelWindows);
}

class LoadAndUnload : public XvfbSuite {
  protected:
    void SetUp() override { openDesktop(kWidth, kHeight); }

    Holdings holdings() {
        return {residentKb(), openDescriptors(), settledServerSockets(),
                int(desktop->topLevelWindows().size())};
    }
    // The server closes a departed client's socket in its own time: the count
    // once it has stayed the same for a few reads.
    int settledServerSockets() {
        int last = server->openSockets(), same = 0;
        for (int i = 0; i < 100 && same < 3; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            desktop->topLevelWindows();  // a round trip
            const int now = server->openSockets();
            same = now == last ? same + 1 : 0;
            last = now;
        }
        return last;
    }

    // Loads the library and brings an effect up to processing.
    static AEffect* start(TestHost& host) {
        AEffect* effect = host.load();
        if (!effect) return nullptr;
        host.dispatch(effOpen);
        host.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
        host.dispatch(effSetBlockSize, 0, kBlock);
        host.dispatch(effMainsChanged, 0, 1);
        host.recordCalls(false);
        return effect;
    }
    void processBlocks(TestHost& host, int blocks) {
        for (int b = 0; b < blocks; ++b) {
            float* in[2] = {input.data() + b * kBlock, input.data() + b * kBlock};
            float* out[2] = {left.data(), right.data()};
            host.processReplacing(in, out, kBlock);
        }
    }
    // Opens the editor into `parent` and idles it; false when it did not come.
    bool openEditor(TestHost& host, HostWindow& parent) {
        if (host.dispatch(effEditOpen, 0, 0, parent.handle()) != 1) return false;
        for (int i = 0; i < 3; ++i) host.dispatch(effEditIdle);
        return parent.children().size() == 1;
    }

    // One whole life, from dlopen to dlclose.
    void oneLife() {
        TestHost host;
        ASSERT_NE(start(host), nullptr);
        processBlocks(host, 8);
        EXPECT_TRUE(openEditor(host, *desktop));
        processBlocks(host, 2);
        host.dispatch(effEditClose);
        EXPECT_TRUE(desktop->children().empty());
        host.dispatch(effMainsChanged, 0, 0);
        host.close();
    }  // the host's destructor closes the library

    // `kInstances` effects alive at once, each in its own host window with its
    // editor open, processing in turn; then all closed again.
    void manyAtOnce(Holdings& whileAlive) {
        std::vector<std::unique_ptr<TestHost>> hosts;
        std::vector<std::unique_ptr<HostWindow>> windows;
        for (int i = 0; i < kInstances; ++i) {
            hosts.push_back(std::make_unique<TestHost>());
            windows.push_back(std::make_unique<HostWindow>(server->name(), kWidth, kHeight));
            ASSERT_TRUE(windows.back()->connected());
            ASSERT_NE(start(*hosts.back()), nullptr);
            EXPECT_TRUE(openEditor(*hosts.back(), *windows.back()));
        }
        for (int turn = 0; turn < 4; ++turn) {
            for (auto& host : hosts) {
                processBlocks(*host, 1);
                host->dispatch(effEditIdle);
            }
        }
        whileAlive = holdings();
        for (auto& host : hosts) {
            host->dispatch(effEditClose);
            host->close();
        }
    }

    std::vector<float> input = burstSignal(size_t(kBlock) * 8, 3);
    std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);
};

TEST_F(LoadAndUnload, AThousandLivesInOneProcessLeaveNothingBehind) {
    const long cycles = fromEnvironment("TAVOLU_LOAD_CYCLES", 100);
    const long warmUp = std::max(5L, cycles / 10);
    for (long i = 0; i < warmUp; ++i) ASSERT_NO_FATAL_FAILURE(oneLife());
    const Holdings afterWarmUp = holdings();
    for (long i = warmUp; i < cycles; ++i) ASSERT_NO_FATAL_FAILURE(oneLife());
    const Holdings end = holdings();
    std::printf("%ld cycles\n", cycles);
    print("after warm-up", afterWarmUp);
    print("end", end);
    expectNoGrowth(afterWarmUp, end);

    // dlclose really let the library go: nothing in it pins it in memory.
    EXPECT_EQ(dlopen(TAVOLU_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr);
}

TEST_F(LoadAndUnload, SixtyFourInstancesWithTheirEditorsOpen) {
    const long rounds = std::max(2L, fromEnvironment("TAVOLU_INSTANCE_ROUNDS", 2));
    Holdings alive, afterWarmUp;
    ASSERT_NO_FATAL_FAILURE(manyAtOnce(alive));
    afterWarmUp = holdings();
    for (long r = 1; r < rounds; ++r) ASSERT_NO_FATAL_FAILURE(manyAtOnce(alive));
    const Holdings end = holdings();
    std::printf("%ld rounds of %d instances\n", rounds, kInstances);
    print("after the first round", afterWarmUp);
    print("all alive (last round)", alive);
    print("end", end);
    expectNoGrowth(afterWarmUp, end);
    EXPECT_GE(alive.serverSockets, afterWarmUp.serverSockets + kInstances);  // each editor's own
}

}  // namespace
}  // namespace tavolu::testing
