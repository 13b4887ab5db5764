#pragma once

#include "Relocatable.h"

#include <cstdint>
#include <string>
#include <string_view>

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

    String(const String& other) noexcept;
    String(String&& other) noexcept;
    String& operator=(const String& other) noexcept;
    String& operator=(String&& other) noexcept;
    ~String();

    std::string_view View() const noexcept;
    std::string ToStdString() const { return std::string(View()); }
    std::size_t ByteCount() const noexcept { return length_; }
    bool IsEmpty() const noexcept { return length_ == 0; }

    friend String operator+(const String& a, const String& b);
    friend bool operator==(const String& a, const String& b) noexcept { return a.View() == b.View(); }
    // Compares without building a String, so tests in loops cost nothing.
    friend bool operator==(const String& a, const char* b) noexcept { return a.View() == std::string_view(b); }

    // Builds a text over a byte range of a shared block (see TextBlock).
    struct Block;
    static Block* NewBlock(std::size_t capacity);
    static char* BlockData(Block* block) noexcept;
    static String Slice(Block* block, std::size_t offset, std::size_t length);
    static void ReleaseBlock(Block* block) noexcept;
    String SubBytes(std::size_t offset, std::size_t length) const;

private:
    Block* block_ = nullptr;
    std::uint32_t offset_ = 0;
    std::uint32_t length_ = 0;
};

// A String is a pointer and two numbers, with no pointer back into itself.
template <>
inline constexpr bool kTriviallyRelocatable<String> = true;

// The text without white space (Unicode's, line ends included) at either end.
String Trim(const String& text);
// The first count characters (code points), or the whole text.
String Left(const String& text, Int32 count);
// Number of characters (code points), not bytes.
Int32 Len(const String& text);
// Plain decimal digits.
String Str(std::int64_t value);
// The platform's line end.
String EndOfLine();
