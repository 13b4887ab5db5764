#pragma once

#include <cstddef>
#include <new>

// Memory for big buffers (string blocks of a large file, arrays of a million
// lines). From 2 MiB on it comes as 2 MiB-aligned mappings marked for
// transparent huge pages, so filling it costs a fault per 2 MiB instead of
// one per 4 KiB page; smaller requests use malloc.
void* AllocateMemory(std::size_t bytes);
void FreeMemory(void* memory, std::size_t bytes) noexcept;

template <class T>
struct LargeMemoryAllocator {
    using value_type = T;
    LargeMemoryAllocator() noexcept = default;
    template <class U>
    LargeMemoryAllocator(const LargeMemoryAllocator<U>&) noexcept { }

    T* allocate(std::size_t n) { return static_cast<T*>(AllocateMemory(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { FreeMemory(p, n * sizeof(T)); }

    template <class U>
    friend bool operator==(const LargeMemoryAllocator&, const LargeMemoryAllocator<U>&) noexcept { return true; }
};
