#pragma once

#include <type_traits>

// Types whose objects may be moved in memory with memmove, as Qt's
// relocatable types: the bytes carry the whole object and nothing points
// back into it. Arrays of them close a gap with one memmove.
template <class T>
inline constexpr bool kTriviallyRelocatable = std::is_trivially_copyable_v<T>;
