// Flush-to-zero and denormals-are-zero for the duration of one block.
//
// Very small numbers (a decaying detector level, a sweep ending a hair away
// from its target, a host feeding denormal noise) are slow on x86 when the
// FPU handles them in microcode. Values that small are silence to us, so the
// block runs with them read and written as zero; normal-range results are
// unchanged. The caller's control word is restored when the block ends.
#pragma once

#if defined(__SSE__) || defined(__x86_64__)
#include <emmintrin.h>
#define TAVOLU_HAS_MXCSR 1
#endif

namespace tavolu {

class ScopedDenormalFlush {
  public:
#ifdef TAVOLU_HAS_MXCSR
    static constexpr unsigned kFlushToZero = 0x8000;       // MXCSR.FTZ
    static constexpr unsigned kDenormalsAreZero = 0x0040;  // MXCSR.DAZ

    ScopedDenormalFlush() noexcept : saved_(_mm_getcsr()) {
        _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero);
    }
    ~ScopedDenormalFlush() {
        _mm_setcsr(saved_);
    }

  private:
    unsigned saved_;
#else
    ScopedDenormalFlush() noexcept {}
#endif

  public:
    ScopedDenormalFlush(const ScopedDenormalFlush&) = delete;
    ScopedDenormalFlush& operator=(const ScopedDenormalFlush&) = delete;
};

}  // namespace tavolu
