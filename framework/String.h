#pragma once

#include "Relocatable.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

using Int32 = std::int32_t;

// An immutable, reference-counted UTF-8 text. Copies share one buffer, and
// Trim and Left hand out slices of it, so reading a large file line by line
// costs one buffer per block read, not one allocation per line.
// The framework runs on one thread, so the count is not atomic.
class String {
public:
    String() noexcept = default;
    String(const char* utf8);
    String(std::string_view utf8);
    String(const std::string& utf8) : String(std::string_view(utf8)) { }

    // Copies and views are inline: loading a file makes several per line.
    String(const String& other) noexcept : block_(other.block_), range_(other.range_)
    {
        if (block_)
            ++block_->refs;
    }
    String(String&& other) noexcept : block_(other.block_), range_(other.range_)
    {
        other.block_ = nullptr;
        other.range_ = 0;
    }
    String& operator=(const String& other) noexcept
    {
        String copy(other);
        Swap(copy);
        return *this;
    }
    String& operator=(String&& other) noexcept
    {
        String taken(std::move(other));
        Swap(taken);
        return *this;
    }
    ~String() { ReleaseBlock(block_); }

    std::string_view View() const noexcept
    {
        return block_ ? std::string_view(block_->data + Offset(), ByteCount()) : std::string_view();
    }
    std::string ToStdString() const { return std::string(View()); }
    std::size_t ByteCount() const noexcept { return range_ >> 32; }
    bool IsEmpty() const noexcept { return ByteCount() == 0; }

    friend String operator+(const String& a, const String& b);
    friend bool operator==(const String& a, const String& b) noexcept { return a.View() == b.View(); }
    // Compares without building a String, so tests in loops cost nothing.
    friend bool operator==(const String& a, const char* b) noexcept { return a.View() == std::string_view(b); }

    // Texts over byte ranges of one shared block: how a stream hands out
    // the lines of what it read without copying them.
    struct Block {
        std::size_t refs;
        std::size_t capacity;
        char data[1];
    };
    static Block* NewBlock(std::size_t capacity);
    static char* BlockData(Block* block) noexcept { return block->data; }
    static String Slice(Block* block, std::size_t offset, std::size_t length) noexcept
    {
        String s;
        if (length == 0)
            return s;
        ++block->refs;
        s.block_ = block;
        s.range_ = Range(offset, length);
        return s;
    }
    static void ReleaseBlock(Block* block) noexcept
    {
        if (block && --block->refs == 0)
            FreeBlock(block);
    }
    String SubBytes(std::size_t offset, std::size_t length) const noexcept
    {
        if (offset == 0 && length == ByteCount())
            return *this;
        return Slice(block_, Offset() + offset, length);
    }

private:
    static void FreeBlock(Block* block) noexcept;
    static std::uint64_t Range(std::size_t offset, std::size_t length) noexcept
    {
        return static_cast<std::uint32_t>(offset) | std::uint64_t(length) << 32;
    }
    std::size_t Offset() const noexcept { return static_cast<std::uint32_t>(range_); }
    void Swap(String& other) noexcept
    {
        std::swap(block_, other.block_);
        std::swap(range_, other.range_);
    }

    Block* block_ = nullptr;
    // The byte offset in the block (low half) and the length (high half), in
    // one word: a String handed back in memory is written and read whole, so
    // reading it back right away never stalls on two half-width stores.
    std::uint64_t range_ = 0;
};

// A String is a pointer and two numbers, with no pointer back into itself.
template <>
inline constexpr bool kTriviallyRelocatable<String> = true;

namespace detail {
String TrimSpace(const String& text);
String LeftDecoded(const String& text, Int32 count);
} // namespace detail

// The text without white space (Unicode's, line ends included) at either end.
// The usual line begins and ends with visible ASCII and comes back as it is,
// without touching its block's count when it was a temporary.
inline String Trim(String text)
{
    const std::string_view bytes = text.View();
    if (!bytes.empty()) {
        const auto first = static_cast<unsigned char>(bytes.front()), last = static_cast<unsigned char>(bytes.back());
        if (first > ' ' && first < 0x80 && last > ' ' && last < 0x80)
            return text;
    }
    return detail::TrimSpace(text);
}
// The first count characters (code points), or the whole text.
inline String Left(const String& text, Int32 count)
{
    const std::string_view bytes = text.View();
    if (count == 1 && !bytes.empty() && static_cast<unsigned char>(bytes.front()) < 0x80)
        return text.SubBytes(0, 1);
    return detail::LeftDecoded(text, count);
}
// Number of characters (code points), not bytes.
Int32 Len(const String& text);
// Plain decimal digits.
String Str(std::int64_t value);
// The platform's line end.
String EndOfLine();
