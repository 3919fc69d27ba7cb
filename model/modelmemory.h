#pragma once

#include <cstddef>
#include <vector>

// Memory for the long lists of a model. A list of 2 MiB or more gets pages of its own, marked
// for transparent huge pages where the system has them, so that filling it takes one page fault
// per 2 MiB rather than one per 4 KiB.

// bytes of memory; throws std::bad_alloc when there is none.
void* allocateModelMemory(std::size_t bytes);
// Gives back what allocateModelMemory(bytes) returned, with the same bytes.
void releaseModelMemory(void* memory, std::size_t bytes);

template <typename T>
struct ModelAllocator
{
    using value_type = T;

    ModelAllocator() = default;
    template <typename U>
    ModelAllocator(const ModelAllocator<U>&)
    {}

    T* allocate(std::size_t count)
    {
        return static_cast<T*>(allocateModelMemory(count * sizeof(T)));
    }
    void deallocate(T* memory, std::size_t count) { releaseModelMemory(memory, count * sizeof(T)); }

    template <typename U>
    bool operator==(const ModelAllocator<U>&) const
    {
        return true;
    }
    template <typename U>
    bool operator!=(const ModelAllocator<U>&) const
    {
        return false;
    }
};

// A list of a model: a std::vector in every respect but where its memory comes from.
template <typename T>
using ModelList = std::vector<T, ModelAllocator<T>>;
