#pragma once

#include <cstdint>

// Heap allocations of the whole process (Qt and the program included), counted
// by the benchmark programs' own malloc, calloc and realloc, which forward to
// the C library's. Aligned allocations are not counted. A sanitizer build
// keeps the sanitizer's allocator and counts nothing.
#if defined(__SANITIZE_ADDRESS__)
#define MORVANE_BENCH_COUNT_ALLOCATIONS 0
#else
#define MORVANE_BENCH_COUNT_ALLOCATIONS 1
#endif

uint64_t AllocationCount();
uint64_t AllocatedBytes();
