#include "LargeMemory.h"

#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t Rounded(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

} // namespace

void* AllocateMemory(std::size_t bytes)
{
    if (bytes < kHugePage) {
        if (void* memory = std::malloc(bytes ? bytes : 1))
            return memory;
        throw std::bad_alloc();
    }
    // Map one huge page more than needed and cut the mapping down to an
    // aligned run.
    const std::size_t size = Rounded(bytes);
    void* raw = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    auto start = reinterpret_cast<std::uintptr_t>(raw);
    auto aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        ::munmap(raw, aligned - start);
    if (std::size_t tail = (start + size + kHugePage) - (aligned + size))
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
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
