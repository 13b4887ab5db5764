#include "String.h"

#include "Exceptions.h"
#include "LargeMemory.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

struct String::Block {
    std::size_t refs;
    std::size_t capacity;
    char data[1];
};

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

char* String::BlockData(Block* block) noexcept { return block->data; }

void String::ReleaseBlock(Block* block) noexcept
{
    if (block && --block->refs == 0)
        FreeMemory(block, offsetof(Block, data) + block->capacity + 1);
}

String String::Slice(Block* block, std::size_t offset, std::size_t length)
{
    String s;
    if (length == 0)
        return s;
    ++block->refs;
    s.block_ = block;
    s.offset_ = static_cast<std::uint32_t>(offset);
    s.length_ = static_cast<std::uint32_t>(length);
    return s;
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
    length_ = static_cast<std::uint32_t>(utf8.size());
}

String::String(const String& other) noexcept
    : block_(other.block_)
    , offset_(other.offset_)
    , length_(other.length_)
{
    if (block_)
        ++block_->refs;
}

String::String(String&& other) noexcept
    : block_(other.block_)
    , offset_(other.offset_)
    , length_(other.length_)
{
    other.block_ = nullptr;
    other.offset_ = other.length_ = 0;
}

String& String::operator=(const String& other) noexcept
{
    if (this != &other) {
        String copy(other);
        *this = std::move(copy);
    }
    return *this;
}

String& String::operator=(String&& other) noexcept
{
    if (this != &other) {
        ReleaseBlock(block_);
        block_ = other.block_;
        offset_ = other.offset_;
        length_ = other.length_;
        other.block_ = nullptr;
        other.offset_ = other.length_ = 0;
    }
    return *this;
}

String::~String() { ReleaseBlock(block_); }

std::string_view String::View() const noexcept
{
    if (!block_)
        return {};
    return { block_->data + offset_, length_ };
}

String String::SubBytes(std::size_t offset, std::size_t length) const
{
    if (offset == 0 && length == length_)
        return *this;
    if (length == 0)
        return {};
    return Slice(block_, offset_ + offset, length);
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

} // namespace

String Trim(const String& text)
{
    std::string_view bytes = text.View();
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        char32_t cp;
        std::size_t n = DecodeAt(bytes, begin, cp);
        if (!IsWhiteSpace(cp))
            break;
        begin += n;
    }
    std::size_t end = bytes.size();
    while (end > begin) {
        std::size_t start = end - 1;
        while (start > begin && IsContinuation(static_cast<unsigned char>(bytes[start])))
            --start;
        char32_t cp;
        DecodeAt(bytes, start, cp);
        if (!IsWhiteSpace(cp))
            break;
        end = start;
    }
    return text.SubBytes(begin, end - begin);
}

String Left(const String& text, Int32 count)
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

Int32 Len(const String& text)
{
    Int32 count = 0;
    for (char c : text.View())
        count += !IsContinuation(static_cast<unsigned char>(c));
    return count;
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
