// The editor's mailbox under load: two threads post everything at once, as
// the audio thread and a host's second thread may, while the UI thread drains
// in a loop. Run it in a ThreadSanitizer build (-DTAVOLU_TSAN=ON, ctest -L
// concurrency): no access may race. And posting allocates nothing, even on a
// full queue.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "editor/display_mailbox.h"
#include "tests/support/counting_allocator.h"

namespace tavolu::test {
namespace {

constexpr uint32_t kProducers = 2;
// A point carries its producer and sequence number as the whole number
// sequence * 2 + producer, exact in a float below 2^24.
constexpr uint32_t kMaxSequence = 1u << 22;
constexpr float kMeterSteps = 1024.0f;  // levels are whole 1/1024ths
constexpr float kLowestTempo = 40.0f;   // beats per minute; tempos are whole, 40 to 239

bool isWhole(float x, float below) {
    return x >= 0.0f && x < below && x == std::floor(x);
}

// Checks every call of a drain as it comes, without allocating.
struct Checker : DisplaySink {
    void loadPreset(int32_t k) override { torn += k < 0 || k >= DisplayMailbox::kPresetCount; }
    void refreshParameter(int32_t index) override {
        if (index < 0 || index >= DisplayMailbox::kParameterCount) return void(++torn);
        ++refreshes[static_cast<std::size_t>(index)];
    }
    void addCurvePoint(float value) override {
        if (!isWhole(value, kMaxSequence * kProducers)) return void(++torn);
        const auto number = static_cast<uint32_t>(value);
        const uint32_t producer = number % kProducers, sequence = number / kProducers;
        outOfOrder += points[producer] > 0 && sequence <= lastSequence[producer];
        lastSequence[producer] = sequence;
        ++points[producer];
    }
    void clearCurve() override { ++clears; }
    void setMeter(Meter, float level) override { torn += !isWhole(level * kMeterSteps, 1024.0f); }
    void setTempo(float bpm) override { torn += !isWhole(bpm - kLowestTempo, 200.0f); }

    std::array<long, kProducers> points{};
    std::array<uint32_t, kProducers> lastSequence{};
    std::array<long, DisplayMailbox::kParameterCount> refreshes{};
    long clears = 0, torn = 0, outOfOrder = 0;
};

struct Posted {
    uint32_t points = 0, clears = 0;
};

// One producer's round: a point with its next sequence number, a meter level
// and a parameter, and now and then a tempo, a preset request and a clear.
void postRound(DisplayMailbox& mailbox, uint32_t producer, Posted& posted) {
    const uint32_t n = posted.points++;
    mailbox.postCurvePoint(static_cast<float>(n * kProducers + producer));
    mailbox.postMeter(n % 2 ? Meter::selectivity : Meter::triggerLevel,
                      static_cast<float>(n % 1024) / kMeterSteps);
    mailbox.postParameter(static_cast<int32_t>(n % DisplayMailbox::kParameterCount));
    if (n % 16 == 0) mailbox.postTempo(kLowestTempo + static_cast<float>(n / 16 % 200));
    if (n % 8 == 0) mailbox.postPreset(static_cast<int32_t>(n / 8 % 8));
    if (n % 512 == 256 * producer) {
        mailbox.postCurveClear();
        ++posted.clears;
    }
}

TEST(DisplayMailboxConcurrency, TwoProducersAndADrainingConsumerLoseNothingUncounted) {
    auto mailbox = std::make_unique<DisplayMailbox>();
    std::atomic<bool> stop{false};
    std::array<Posted, kProducers> posted{};
    std::array<std::thread, kProducers> producers;
    for (uint32_t p = 0; p < kProducers; ++p) {
        producers[p] = std::thread([&, p] {
            while (!stop.load(std::memory_order_relaxed) && posted[p].points < kMaxSequence) {
                postRound(*mailbox, p, posted[p]);
                if (posted[p].points % 64 == 0) std::this_thread::yield();
            }
        });
    }
    Checker checker;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) {
        mailbox->drain(checker);
    }
    stop = true;
    for (std::thread& t : producers) t.join();
    mailbox->drain(checker);  // everything is written now: one drain takes the rest

    EXPECT_EQ(checker.torn, 0);
    EXPECT_EQ(checker.outOfOrder, 0);
    EXPECT_GT(checker.points[0], 0);
    EXPECT_GT(checker.points[1], 0);
    EXPECT_EQ(uint64_t(checker.points[0] + checker.points[1]) + mailbox->droppedCurvePoints(),
              uint64_t{posted[0].points} + posted[1].points);
    // Clears are never dropped; two that met a full queue at one place merge.
    EXPECT_GE(checker.clears, 1);
    EXPECT_LE(checker.clears, long{posted[0].clears} + posted[1].clears);
    for (long n : checker.refreshes) EXPECT_GT(n, 0);
}

TEST(DisplayMailboxAllocation, PostingAllocatesNothingEvenOnAFullQueue) {
    auto mailbox = std::make_unique<DisplayMailbox>();
    std::array<Posted, kProducers> posted{};
    tavolu::testing::startCountingAllocations();
    // Three times round the queue without a drain: points dropped, clears
    // waiting for room, and indices out of range.
    for (uint32_t n = 0; n < 3 * DisplayMailbox::kCurveCapacity; ++n) {
        postRound(*mailbox, n % kProducers, posted[n % kProducers]);
        mailbox->postParameter(-1);
        mailbox->postPreset(99);
    }
    EXPECT_EQ(tavolu::testing::stopCountingAllocations(), 0);
    EXPECT_GT(mailbox->droppedCurvePoints(), 0u);
}

}  // namespace
}  // namespace tavolu::test
