#include "LargeMemory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t Rounded(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

// A run of size bytes (a multiple of 2 MiB) that starts on a 2 MiB boundary:
// one huge page more is mapped and the ends are cut off.
void* MapAligned(std::size_t size)
{
    void* raw = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    auto start = reinterpret_cast<std::uintptr_t>(raw);
    auto aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        ::munmap(raw, aligned - start);
    if (std::size_t tail = (start + size + kHugePage) - (aligned + size))
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    return reinterpret_cast<void*>(aligned);
}

void MarkHuge(void* memory, std::size_t size)
{
#ifdef MADV_HUGEPAGE
    ::madvise(memory, size, MADV_HUGEPAGE);
#else
    (void)memory;
    (void)size;
#endif
}

} // namespace

void* AllocateMemory(std::size_t bytes)
{
    if (bytes < kHugePage) {
        if (void* memory = std::malloc(bytes ? bytes : 1))
            return memory;
        throw std::bad_alloc();
    }
    const std::size_t size = Rounded(bytes);
    void* memory = MapAligned(size);
    MarkHuge(memory, size);
    return memory;
}

void* ReallocateMemory(void* memory, std::size_t oldBytes, std::size_t newBytes)
{
    if (!memory)
        return AllocateMemory(newBytes);
    if (oldBytes < kHugePage && newBytes < kHugePage) {
        if (void* grown = std::realloc(memory, newBytes ? newBytes : 1))
            return grown;
        throw std::bad_alloc();
    }
    if (oldBytes >= kHugePage && newBytes >= kHugePage) {
        const std::size_t oldSize = Rounded(oldBytes), newSize = Rounded(newBytes);
        if (newSize == oldSize)
            return memory;
        // The pages move to a new aligned run that replaces the one reserved
        // for them; both runs are aligned, so huge pages move whole.
        void* target = MapAligned(newSize);
        void* moved = ::mremap(memory, oldSize, newSize, MREMAP_MAYMOVE | MREMAP_FIXED, target);
        if (moved != MAP_FAILED)
            return moved;
        ::munmap(target, newSize);
    }
    void* moved = AllocateMemory(newBytes);
    std::memcpy(moved, memory, std::min(oldBytes, newBytes));
    FreeMemory(memory, oldBytes);
    return moved;
}

void FreeMemory(void* memory, std::size_t bytes) noexcept
{
    if (!memory)
        return;
    if (bytes < kHugePage)
        std::free(memory);
    else
        ::munmap(memory, Rounded(bytes));
}
