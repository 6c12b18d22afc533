// A field that one thread writes and another reads, whole, without a lock.
//
// Parameter writes arrive on the host's automation or UI thread while the
// audio thread runs the engine; each such field is read and written whole,
// and a write takes effect at the next sample. A relaxed atomic says exactly
// that to the compiler (and to ThreadSanitizer) and compiles to the same plain
// load or store on the machines we build for.
#pragma once

#include <atomic>

namespace tavolu {

template <class T>
class Shared {
  public:
    static_assert(std::atomic<T>::is_always_lock_free, "a shared field must never lock");

    constexpr Shared(T initial = T{}) noexcept : value_(initial) {}
    Shared(const Shared&) = delete;

    operator T() const noexcept { return value_.load(std::memory_order_relaxed); }
    Shared& operator=(T next) noexcept {
        value_.store(next, std::memory_order_relaxed);
        return *this;
    }
    Shared& operator=(const Shared& other) noexcept { return *this = static_cast<T>(other); }

    // Read-modify-write as two separate steps, exactly like a plain field: a
    // concurrent write between them is lost, which the engine tolerates.
    Shared& operator+=(T delta) noexcept { return *this = static_cast<T>(*this + delta); }
    Shared& operator-=(T delta) noexcept { return *this = static_cast<T>(*this - delta); }

    // Writes `next` only if the field still holds `seen` (compared bit for
    // bit), that is, if no other thread wrote it since `seen` was read; a
    // write from elsewhere then stands. Lock-free, like every access here.
    bool replaceIfUnchanged(T seen, T next) noexcept {
        return value_.compare_exchange_strong(seen, next, std::memory_order_relaxed);
    }

  private:
    std::atomic<T> value_;
};

}  // namespace tavolu
