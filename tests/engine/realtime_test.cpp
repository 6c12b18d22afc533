// The audio path allocates nothing and calls the host only for time
// information at the block starts that need it. This executable replaces the
// global allocator to count every allocation made while blocks are processed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "tests/engine/engine_fixture.h"

namespace {

std::atomic<long> allocations{0};
std::atomic<bool> counting{false};

void noteAllocation() {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
}

}  // namespace

// Our operator new takes its memory from malloc, so freeing it is the match
// GCC cannot see once the two are inlined into each other.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    noteAllocation();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    noteAllocation();
    std::free(p);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

// The C allocator too, where no sanitizer owns it.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C" {
void* __libc_malloc(std::size_t);
void __libc_free(void*);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);

void* malloc(std::size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
void free(void* p) {
    if (p != nullptr) noteAllocation();
    __libc_free(p);
}
void* calloc(std::size_t n, std::size_t size) {
    noteAllocation();
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
    noteAllocation();
    return __libc_realloc(p, size);
}
}
#endif

namespace tavolu::testing {
namespace {

// Counts what the engine asks of the host, and allocates nothing itself.
class CountingHost final : public EngineHost {
  public:
    long timeRequests = 0;
    long reports[64] = {};
    bool valid = true;
    HostTime time{3.25, 140.0, 0.0, 4};
    bool readHostTime(HostTime& out) override {
        ++timeRequests;
        out = time;
        return valid;
    }
    void report(int32_t index, float) override {
        if (index >= 0 && index < 64) ++reports[index];
    }
};

TEST(RealTime, ProcessingAllocatesNothingAndAsksTheHostOnlyAtBlockStarts) {
    for (int source = 0; source < 6; ++source) {
        CountingHost host;
        Engine e;
        e.resume(44100.0f);
        applyProgram(e, kFactory[source == 5 ? 7 : 0]);
        applyParameter(e, kTrigSource, 0.2f * static_cast<float>(source));
        applyParameter(e, kLfoFreqSource, 0.5f);
        e.host = &host;
        e.displayAttached = true;
        host.valid = source != 3;
        std::vector<float> inL = burstSignal(512 * 400, 9), inR = burstSignal(512 * 400, 10);
        std::vector<float> outL(inL.size()), outR(inR.size());

        long expectedRequests = 0;
        allocations = 0;
        counting = true;
        for (size_t at = 0; at < inL.size(); at += 512) {
            host.time.ppqPos = 3.25 + static_cast<double>(at) * 140.0 / 60.0 / 44100.0;
            expectedRequests += e.timeInfoCurrent ? 0 : 1;
            if (at % 4096 == 0) e.midiMessage(0x90, 60, 100);
            e.processReplacing(inL.data() + at, inR.data() + at, outL.data() + at, outR.data() + at,
                               512);
        }
        counting = false;
        EXPECT_EQ(allocations.load(), 0) << "trigger source " << source;
        EXPECT_EQ(host.timeRequests, expectedRequests) << "trigger source " << source;
        EXPECT_GT(host.timeRequests, 1);
        // Far fewer than one request per block: only after lines and resets.
        EXPECT_LT(host.timeRequests, 400);
        EXPECT_GT(host.reports[kReportPanPosition], 0);
    }
}

TEST(RealTime, TheCounterSeesAnAllocation) {
    allocations = 0;
    counting = true;
    auto* p = new std::vector<int>(100);
    counting = false;
    delete p;
    EXPECT_GE(allocations.load(), 2);
}

}  // namespace
}  // namespace tavolu::testing
