// The curve view's reports on their way to the UI thread: pan positions and
// clears, in the order they were posted.
//
// A bounded ring of cells, each with a sequence number that says whose turn
// the cell is. A producer claims the next position with a compare-and-swap on
// the tail, writes its item and publishes it by advancing the cell's sequence;
// the one consumer takes items in position order and hands each cell back to
// the producers one lap later. The audio thread posts here, and a host may
// call in with the same reports from a second thread at the same moment, so
// any number of producers may post at once. No producer ever waits: a point
// that finds the ring full is dropped and counted.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace tavolu {

struct CurveItem {
    enum class Kind : uint8_t { point, clear };
    Kind kind = Kind::point;
    float value = 0.0f;  // a point's pan position
};

class CurveQueue {
  public:
    // 5.12 s of pan reports at one per 10 ms, twice what an idle gap of a
    // busy host needs; the view keeps only about three traces of 101 points,
    // so a longer backlog would add nothing to what it shows.
    static constexpr uint64_t kCapacity = 512;  // items

    CurveQueue();
    CurveQueue(const CurveQueue&) = delete;
    CurveQueue& operator=(const CurveQueue&) = delete;

    // [any thread] Queues a point, or drops and counts it when the ring is full.
    void pushPoint(float value);
    // [any thread] Queues a clear. A clear is never dropped: a dropped one
    // would leave the old traces on screen until the next silence. When the
    // ring is full the clear is remembered at the position it would have
    // taken and comes out there, after everything queued before it.
    void pushClear();
    // [any thread] Points dropped on a full ring since construction.
    uint64_t droppedPoints() const { return dropped.load(std::memory_order_relaxed); }

    // [UI thread] Hands every item to `take` in queue order, only those posted
    // before the call began: producers that keep posting cannot keep the UI
    // thread here. An item a producer has claimed but not yet written ends the
    // call; it comes out at the next one.
    template <class Take>
    void consume(Take&& take);

  private:
    struct Cell {
        // The cell's position p while it waits for a producer, p + 1 once its
        // item is written, p + kCapacity once taken (the next lap's position).
        std::atomic<uint64_t> sequence;
        CurveItem item;
    };
    static constexpr uint64_t kMask = kCapacity - 1;
    static constexpr uint64_t kNoClear = UINT64_MAX;
    static_assert((kCapacity & kMask) == 0, "the ring's capacity is a power of two");
    static_assert(std::atomic<uint64_t>::is_always_lock_free, "producers must never lock");

    // [any thread] False when the ring is full at `fullAt`, the next free position.
    bool tryPush(CurveItem item, uint64_t& fullAt);
    // [any thread] Remembers a clear at `position`, keeping the latest of several.
    void deferClear(uint64_t position);
    // [UI thread] Takes the remembered clear if the consumer has reached it.
    bool takeClearDueAt(uint64_t position);
    // [UI thread] Takes the item at `head` if it has been written.
    bool takeNext(CurveItem& item);

    std::atomic<uint64_t> tail{0};                  // next position a producer claims
    std::atomic<uint64_t> deferredClear{kNoClear};  // position of a clear that found the ring full
    std::atomic<uint64_t> dropped{0};               // points
    uint64_t head = 0;                              // next position to take; the consumer's alone
    std::array<Cell, kCapacity> cells;
};

template <class Take>
void CurveQueue::consume(Take&& take) {
    const uint64_t end = tail.load(std::memory_order_acquire);
    CurveItem item;
    for (;;) {
        if (takeClearDueAt(head)) take(CurveItem{CurveItem::Kind::clear});
        if (head == end || !takeNext(item)) return;
        take(item);
    }
}

}  // namespace tavolu
