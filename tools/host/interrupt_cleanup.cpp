#include "tools/host/interrupt_cleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace tavolu::host {
namespace {

// A signal handler can reach nothing but static storage, so this is the one
// place the host keeps state outside its objects. The paths are written
// before the slot is armed and the handler only reads armed slots, with
// unlink() and raise(), which are safe in a handler.
struct Slot {
    std::atomic<bool> taken{false};  // owned by a file (UI thread only)
    std::atomic<bool> armed{false};  // path is complete and the file exists
    char path[PATH_MAX];
};
static_assert(std::atomic<bool>::is_always_lock_free);

Slot slots[kMaxTemporaries];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onInterrupt(int signal) {
    for (Slot& s : slots)
        if (s.armed.load(std::memory_order_acquire)) unlink(s.path);
    // End the way the signal would have, so the caller sees it in the status.
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(signal, &plain, nullptr);
    raise(signal);
}

}  // namespace

void removeTemporariesOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals) sigaddset(&action.sa_mask, s);  // one handler at a time
    for (int s : kSignals) {
        struct sigaction old {};
        sigaction(s, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;  // e.g. started with nohup: stay deaf
        sigaction(s, &action, nullptr);
    }
}

int registerTemporary(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kMaxTemporaries; ++i) {
        bool expected = false;
        if (!slots[i].taken.compare_exchange_strong(expected, true)) continue;
        std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
        slots[i].armed.store(true, std::memory_order_release);
        return i;
    }
    return -1;
}

void releaseTemporary(int slot) {
    if (slot < 0 || slot >= kMaxTemporaries) return;
    slots[slot].armed.store(false, std::memory_order_release);
    slots[slot].taken.store(false, std::memory_order_release);
}

}  // namespace tavolu::host
