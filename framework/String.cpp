#include "String.h"

#include "Exceptions.h"
#include "LargeMemory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

String::Block* String::NewBlock(std::size_t capacity)
{
    if (capacity > std::numeric_limits<std::uint32_t>::max())
        Raise<OutOfBoundsException>("A text of " + std::to_string(capacity) + " bytes is longer than 4 GiB");
    void* memory = AllocateMemory(offsetof(Block, data) + capacity + 1);
    auto* block = static_cast<Block*>(memory);
    block->refs = 1;
    block->capacity = capacity;
    return block;
}

void String::FreeBlock(Block* block) noexcept
{
    FreeMemory(block, offsetof(Block, data) + block->capacity + 1);
}

String::String(const char* utf8)
    : String(std::string_view(utf8 ? utf8 : ""))
{
}

String::String(std::string_view utf8)
{
    if (utf8.empty())
        return;
    Block* block = NewBlock(utf8.size());
    std::memcpy(block->data, utf8.data(), utf8.size());
    block_ = block;
    range_ = Range(0, utf8.size());
}

String operator+(const String& a, const String& b)
{
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    std::size_t total = a.ByteCount() + b.ByteCount();
    String::Block* block = String::NewBlock(total);
    std::memcpy(block->data, a.View().data(), a.ByteCount());
    std::memcpy(block->data + a.ByteCount(), b.View().data(), b.ByteCount());
    String result = String::Slice(block, 0, total);
    String::ReleaseBlock(block);
    return result;
}

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes the code point that starts at bytes[i]; returns its byte length.
std::size_t DecodeAt(std::string_view bytes, std::size_t i, char32_t& cp)
{
    auto c = static_cast<unsigned char>(bytes[i]);
    std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (i + n > bytes.size())
        n = 1;
    if (n == 1) {
        cp = c;
        return 1;
    }
    cp = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    return n;
}

bool IsWhiteSpace(char32_t cp)
{
    switch (cp) {
    case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20:
    case 0x85: case 0xA0: case 0x1680: case 0x2028: case 0x2029:
    case 0x202F: case 0x205F: case 0x3000: case 0xFEFF:
        return true;
    default:
        return cp >= 0x2000 && cp <= 0x200A;
    }
}

// ASCII, nearly every character of a vocabulary file, is told at once;
// only other characters are decoded.
bool IsWhiteSpaceAt(std::string_view bytes, std::size_t i, std::size_t& length)
{
    auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
        length = 1;
        return c == ' ' || (c >= 0x09 && c <= 0x0D);
    }
    char32_t cp;
    length = DecodeAt(bytes, i, cp);
    return IsWhiteSpace(cp);
}

} // namespace

String detail::TrimSpace(const String& text)
{
    std::string_view bytes = text.View();
    std::size_t begin = 0, n;
    while (begin < bytes.size() && IsWhiteSpaceAt(bytes, begin, n))
        begin += n;
    std::size_t end = bytes.size();
    while (end > begin) {
        std::size_t start = end - 1;
        while (start > begin && IsContinuation(static_cast<unsigned char>(bytes[start])))
            --start;
        if (!IsWhiteSpaceAt(bytes, start, n))
            break;
        end = start;
    }
    return text.SubBytes(begin, end - begin);
}

String detail::LeftDecoded(const String& text, Int32 count)
{
    if (count <= 0)
        return {};
    std::string_view bytes = text.View();
    std::size_t i = 0;
    for (Int32 seen = 0; i < bytes.size() && seen < count; ++seen) {
        char32_t cp;
        i += DecodeAt(bytes, i, cp);
    }
    return text.SubBytes(0, i);
}

// Text in UTF-8 has as many characters as bytes that are not continuation
// bytes (10xxxxxx). Most lines are ASCII, told eight bytes at a time (the
// last eight overlapping the others), and need no count at all.
Int32 Len(const String& text)
{
    const std::string_view bytes = text.View();
    const std::size_t n = bytes.size();
    auto word = [&](std::size_t i) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + i, 8);
        return w;
    };
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    std::size_t continuations = 0;
    if (n >= 8) {
        std::uint64_t any = word(n - 8);
        for (std::size_t i = 0; i + 8 < n; i += 8)
            any |= word(i);
        if (!(any & kHighBits))
            return static_cast<Int32>(n);
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            // One bit per continuation byte, at its bit 0; the multiply adds the bytes.
            const std::uint64_t w = word(i), marks = (w & ~(w << 1) & kHighBits) >> 7;
            continuations += static_cast<std::size_t>((marks * 0x0101010101010101ull) >> 56);
        }
        for (; i < n; ++i)
            continuations += IsContinuation(static_cast<unsigned char>(bytes[i]));
    } else {
        for (char c : bytes)
            continuations += IsContinuation(static_cast<unsigned char>(c));
    }
    return static_cast<Int32>(n - continuations);
}

String Str(std::int64_t value) { return String(std::to_string(value)); }

String EndOfLine()
{
#ifdef _WIN32
    return "\r\n";
#else
    return "\n";
#endif
}
