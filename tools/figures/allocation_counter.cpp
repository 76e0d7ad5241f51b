#include "tools/figures/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<long> gAllocations{0};
} // namespace

void* operator new(std::size_t size)
{
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
    {
        return p;
    }
    throw std::bad_alloc();
}

// The replacement pair is matched (malloc and free); GCC cannot see that across the operators.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace yumo
{

long CountedAllocations() { return gAllocations.load(std::memory_order_relaxed); }

} // namespace yumo
