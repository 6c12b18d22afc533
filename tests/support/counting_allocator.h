// Counts heap traffic in a test executable. Linking the object library
// tavolu_counting_allocator replaces the global operator new and delete (and
// malloc, free, calloc and realloc where no sanitizer owns the C allocator)
// with versions that count every call made while counting is on, on any
// thread or on one thread only, including calls from a plug-in library the
// executable loads.
#pragma once

namespace tavolu::testing {

// Every allocation and every release counts once.
void startCountingAllocations();  // from zero
long stopCountingAllocations();   // the count since the start
long countedAllocations();        // the count so far, counting or not

// The same for the calling thread alone: what other threads allocate
// meanwhile is not counted. One thread may count this way while another
// counts everything.
void startCountingAllocationsOnThisThread();  // from zero
long stopCountingAllocationsOnThisThread();   // this thread's count since the start

// Whether the C allocator is counted too (it is not under a sanitizer).
bool countsCAllocator();

}  // namespace tavolu::testing
