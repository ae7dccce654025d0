#include "AllocationCounting.h"

#include <atomic>
#include <cstddef>

namespace {

std::atomic<uint64_t> g_allocations{0};
std::atomic<uint64_t> g_allocatedBytes{0};

[[maybe_unused]] void CountAllocation(std::size_t bytes)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    g_allocatedBytes.fetch_add(bytes, std::memory_order_relaxed);
}

} // namespace

uint64_t AllocationCount()
{
    return g_allocations.load(std::memory_order_relaxed);
}

uint64_t AllocatedBytes()
{
    return g_allocatedBytes.load(std::memory_order_relaxed);
}

#if MORVANE_BENCH_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
}

extern "C" void* malloc(std::size_t size) noexcept
{
    CountAllocation(size);
    return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size) noexcept
{
    CountAllocation(count * size);
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, std::size_t size) noexcept
{
    CountAllocation(size);
    return __libc_realloc(block, size);
}
#endif
