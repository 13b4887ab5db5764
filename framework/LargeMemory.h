#pragma once

#include <cstddef>

// Memory for big buffers (string blocks of a large file, arrays of a million
// lines). From 2 MiB on it comes as 2 MiB-aligned mappings marked for
// transparent huge pages, so filling it costs a fault per 2 MiB instead of
// one per 4 KiB page; smaller requests use malloc. All raise std::bad_alloc.
void* AllocateMemory(std::size_t bytes);
void FreeMemory(void* memory, std::size_t bytes) noexcept;
// Memory of newBytes holding the first oldBytes of memory (which may be
// null), as realloc does. Large memory grows by moving its pages, so the
// bytes are neither copied nor cleared again.
void* ReallocateMemory(void* memory, std::size_t oldBytes, std::size_t newBytes);
