// The replaced global allocator behind counting_allocator.h. The definitions
// are exported explicitly: a plug-in library loaded at run time binds its
// allocation calls to them only if the executable offers them dynamically.
#include "tests/support/counting_allocator.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> calls{0};
std::atomic<bool> counting{false};
// Plain thread-locals with constant initialisers: reaching them allocates
// nothing, so the allocator itself may.
thread_local bool countingHere = false;
thread_local long callsHere = 0;

void note() {
    if (counting.load(std::memory_order_relaxed)) calls.fetch_add(1, std::memory_order_relaxed);
    if (countingHere) ++callsHere;
}

void* allocate(std::size_t size) {
    note();
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    note();
    const auto align = static_cast<std::size_t>(alignment);
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = (size + align - 1) / align * align;
    return std::aligned_alloc(align, rounded == 0 ? align : rounded);
}

void release(void* p) {
    note();
    std::free(p);
}

}  // namespace

namespace tavolu::testing {

void startCountingAllocations() {
    calls.store(0);
    counting.store(true);
}

long stopCountingAllocations() {
    counting.store(false);
    return calls.load();
}

long countedAllocations() {
    return calls.load();
}

void startCountingAllocationsOnThisThread() {
    callsHere = 0;
    countingHere = true;
}

long stopCountingAllocationsOnThisThread() {
    countingHere = false;
    return callsHere;
}

bool countsCAllocator() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return false;
#else
    return true;
#endif
}

}  // namespace tavolu::testing

// Our operator new takes its memory from malloc, so freeing it is the match
// GCC cannot see once the two are inlined into each other.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#define EXPORTED __attribute__((visibility("default")))

EXPORTED void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
EXPORTED void* operator new[](std::size_t size) {
    return operator new(size);
}
EXPORTED void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
EXPORTED void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
EXPORTED void* operator new(std::size_t size, std::align_val_t alignment) {
    if (void* p = allocateAligned(size, alignment)) return p;
    throw std::bad_alloc();
}
EXPORTED void* operator new[](std::size_t size, std::align_val_t alignment) {
    return operator new(size, alignment);
}
EXPORTED void* operator new(std::size_t size, std::align_val_t alignment,
                            const std::nothrow_t&) noexcept {
    return allocateAligned(size, alignment);
}
EXPORTED void* operator new[](std::size_t size, std::align_val_t alignment,
                              const std::nothrow_t&) noexcept {
    return allocateAligned(size, alignment);
}

EXPORTED void operator delete(void* p) noexcept {
    release(p);
}
EXPORTED void operator delete[](void* p) noexcept {
    release(p);
}
EXPORTED void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
EXPORTED void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
EXPORTED void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
EXPORTED void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}
EXPORTED void operator delete(void* p, std::align_val_t) noexcept {
    release(p);
}
EXPORTED void operator delete[](void* p, std::align_val_t) noexcept {
    release(p);
}
EXPORTED void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
EXPORTED void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
EXPORTED void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    release(p);
}
EXPORTED void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    release(p);
}

// The C allocator too, where no sanitizer owns it. Releasing null is no
// traffic and is not counted.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C" {
void* __libc_malloc(std::size_t);
void __libc_free(void*);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);

EXPORTED void* malloc(std::size_t size) {
    note();
    return __libc_malloc(size);
}
EXPORTED void free(void* p) {
    if (p != nullptr) note();
    __libc_free(p);
}
EXPORTED void* calloc(std::size_t n, std::size_t size) {
    note();
    return __libc_calloc(n, size);
}
EXPORTED void* realloc(void* p, std::size_t size) {
    note();
    return __libc_realloc(p, size);
}
EXPORTED void* aligned_alloc(std::size_t alignment, std::size_t size) {
    note();
    return __libc_memalign(alignment, size);
}
EXPORTED int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    note();
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *out = p;
    return 0;
}
}
#endif
