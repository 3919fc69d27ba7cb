#include "modelmemory.h"

#include <cstdint>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t hugePage = std::size_t(2) << 20;

std::size_t roundedUp(std::size_t bytes)
{
    return (bytes + hugePage - 1) / hugePage * hugePage;
}

} // namespace

#ifdef __linux__

void* allocateModelMemory(std::size_t bytes)
{
    if (bytes < hugePage)
        return ::operator new(bytes);
    // Map one huge page more than needed and cut the ends, so the block starts on a huge-page
    // boundary and every page of it can be a huge one.
    const std::size_t size = roundedUp(bytes);
    void* mapped =
        mmap(nullptr, size + hugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + hugePage - 1) / hugePage * hugePage;
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (const std::size_t tail = start + size + hugePage - (aligned + size))
        munmap(reinterpret_cast<void*>(aligned + size), tail);
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void releaseModelMemory(void* memory, std::size_t bytes)
{
    if (bytes < hugePage)
        ::operator delete(memory);
    else
        munmap(memory, roundedUp(bytes));
}

#else

void* allocateModelMemory(std::size_t bytes)
{
    return ::operator new(bytes);
}

void releaseModelMemory(void* memory, std::size_t)
{
    ::operator delete(memory);
}

#endif
