// The curve queue's producer and consumer steps.
#include "editor/curve_queue.h"

namespace tavolu {

CurveQueue::CurveQueue() {
    // Cell i waits for the producer of position i.
    for (uint64_t i = 0; i < kCapacity; ++i) cells[i].sequence.store(i, std::memory_order_relaxed);
}

// [any thread]
void CurveQueue::pushPoint(float value) {
    uint64_t fullAt = 0;
    if (!tryPush(CurveItem{CurveItem::Kind::point, value}, fullAt)) {
        dropped.fetch_add(1, std::memory_order_relaxed);
    }
}

// [any thread]
void CurveQueue::pushClear() {
    uint64_t fullAt = 0;
    if (!tryPush(CurveItem{CurveItem::Kind::clear}, fullAt)) deferClear(fullAt);
}

// [any thread] A claim fails only when another producer took the position
// first; the loop then moves on to the next one, so it never waits on anyone.
bool CurveQueue::tryPush(CurveItem item, uint64_t& fullAt) {
    uint64_t position = tail.load(std::memory_order_relaxed);
    for (;;) {
        Cell& cell = cells[position & kMask];
        const uint64_t sequence = cell.sequence.load(std::memory_order_acquire);
        const auto lag = static_cast<int64_t>(sequence - position);
        if (lag == 0) {
            if (tail.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                cell.item = item;
                cell.sequence.store(position + 1, std::memory_order_release);
                return true;
            }
        } else if (lag < 0) {
            // The cell still holds the item of the previous lap: the ring is
            // full and nothing can claim `position` until the consumer frees it.
            fullAt = position;
            return false;
        } else {
            position = tail.load(std::memory_order_relaxed);  // another producer was faster
        }
    }
}

// [any thread] Every clear that found the ring full lies at or after an
// earlier one; the latest is the one that decides what the view shows once
// the consumer has caught up.
void CurveQueue::deferClear(uint64_t position) {
    uint64_t seen = deferredClear.load(std::memory_order_relaxed);
    while ((seen == kNoClear || seen < position) &&
           !deferredClear.compare_exchange_weak(seen, position, std::memory_order_release,
                                                std::memory_order_relaxed)) {
    }
}

// [UI thread] A clear remembered at or before `position` is due: everything
// queued ahead of it has been taken.
bool CurveQueue::takeClearDueAt(uint64_t position) {
    uint64_t due = deferredClear.load(std::memory_order_acquire);
    while (due <= position) {
        if (deferredClear.compare_exchange_weak(due, kNoClear, std::memory_order_acq_rel,
                                                std::memory_order_acquire)) {
            return true;
        }
    }
    return false;
}

// [UI thread]
bool CurveQueue::takeNext(CurveItem& item) {
    Cell& cell = cells[head & kMask];
    if (cell.sequence.load(std::memory_order_acquire) != head + 1) return false;
    item = cell.item;
    cell.sequence.store(head + kCapacity, std::memory_order_release);
    ++head;
    return true;
}

}  // namespace tavolu
