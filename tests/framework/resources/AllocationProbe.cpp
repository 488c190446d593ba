#include "AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{

std::atomic<size_t> gLargest{0};
std::atomic<size_t> gLimit{SIZE_MAX};

void* Take(size_t bytes)
{
    size_t seen = gLargest.load();
    while (bytes > seen && !gLargest.compare_exchange_weak(seen, bytes))
    {
    }
    if (bytes > gLimit.load())
        return nullptr;
    return malloc(bytes ? bytes : 1);
}

void* TakeOrThrow(size_t bytes)
{
    void* p = Take(bytes);
    if (!p)
        throw std::bad_alloc();
    return p;
}

} // namespace

namespace AllocationProbe
{

void Reset(size_t limit)
{
    gLargest = 0;
    gLimit = limit;
}

size_t Largest()
{
    return gLargest.load();
}

} // namespace AllocationProbe

void* operator new(size_t bytes)
{
    return TakeOrThrow(bytes);
}
void* operator new[](size_t bytes)
{
    return TakeOrThrow(bytes);
}
void* operator new(size_t bytes, const std::nothrow_t&) noexcept
{
    return Take(bytes);
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept
{
    return Take(bytes);
}
void operator delete(void* p) noexcept
{
    free(p);
}
void operator delete[](void* p) noexcept
{
    free(p);
}
void operator delete(void* p, size_t) noexcept
{
    free(p);
}
void operator delete[](void* p, size_t) noexcept
{
    free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    free(p);
}
