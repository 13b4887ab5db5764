#include "TextInputStream.h"

#include "Exceptions.h"
#include "TextInputStreamTuning.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
// A file whose size the OS does not tell (pipes, devices, /proc) starts small.
constexpr std::size_t kProbeSize = 4096;
// Blocks from here on are filled by one read() of a plain file; see Prefault.
constexpr std::size_t kPrefaultFrom = 256 << 10;

TextInputStreamTuning& CurrentTuning()
{
    static TextInputStreamTuning tuning = TextInputStreamTuning::Default();
    return tuning;
}

std::string Quoted(const FolderItem& file) { return "\"" + file.NativePath().ToStdString() + "\""; }

std::string SizeText(std::size_t bytes)
{
    constexpr std::size_t kMiB = std::size_t(1) << 20;
    return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB" : std::to_string(bytes) + " bytes";
}

[[noreturn]] void RaiseOpenFailure(FolderItem& file, int error, const char* reason = nullptr)
{
    file.LastErrorCode(error);
    Raise<IOException>("Cannot open " + Quoted(file) + ": " + (reason ? reason : std::strerror(error)), error);
}

// The length of the valid UTF-8 sequence at p (p < end), or 0 when the bytes
// there are not one; then bad is the length of their maximal subpart, which
// becomes one U+FFFD. Bytes cut short by end count as not valid.
int Sequence(const unsigned char* p, const unsigned char* end, int& bad)
{
    unsigned c = p[0];
    if (c < 0x80)
        return 1;
    int need;
    unsigned lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;   // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;   // nothing above U+10FFFF
    } else {
        bad = 1;
        return 0;
    }
    for (int k = 1; k <= need; ++k) {
        if (p + k >= end || p[k] < lo || p[k] > hi) {
            bad = k;
            return 0;
        }
        lo = 0x80;
        hi = 0xBF;
    }
    return need + 1;
}

// The end of the valid UTF-8 that starts at from, scanning no further than to.
std::size_t ValidUpTo(const char* data, std::size_t from, std::size_t to)
{
    auto* p = reinterpret_cast<const unsigned char*>(data) + from;
    auto* end = reinterpret_cast<const unsigned char*>(data) + to;
    while (p < end) {
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull)
                break;
            p += 8;
        }
        if (p == end)
            break;
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int bad;
        int n = Sequence(p, end, bad);
        if (n == 0)
            break;
        p += n;
    }
    return static_cast<std::size_t>(p - reinterpret_cast<const unsigned char*>(data));
}

// A block that read() is about to fill gets its pages in one call instead of
// a page fault for each page, which is much of the cost of keeping a large
// file's lines. Only a hint: a kernel without it just faults as usual.
void Prefault(char* data, std::size_t size)
{
#ifdef MADV_POPULATE_WRITE
    constexpr std::uintptr_t kPage = 4096;
    auto begin = (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kPage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)size;
#endif
}

// Writes UTF-16 as UTF-8 at out, or only counts the bytes when out is null.
// A surrogate without its partner, and an odd last byte, become U+FFFD.
std::size_t Utf16ToUtf8(std::string_view raw, bool bigEndian, char* out)
{
    auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(raw[i]), b = static_cast<unsigned char>(raw[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    std::size_t size = 0;
    auto put = [&](char32_t cp) {
        const std::size_t n = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        if (out) {
            static constexpr unsigned char kLead[] = { 0, 0, 0xC0, 0xE0, 0xF0 };
            for (std::size_t k = n - 1; k > 0; --k, cp >>= 6)
                out[size + k] = static_cast<char>(0x80 | (cp & 0x3F));
            out[size] = static_cast<char>(kLead[n] | cp);
        }
        size += n;
    };
    std::size_t i = 0;
    for (; i + 1 < raw.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < raw.size()) {
            const char32_t v = unit(i + 2);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                put(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                i += 2;
                continue;
            }
        }
        put(u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
    }
    if (i < raw.size())
        put(0xFFFD);
    return size;
}

// The next position of one byte in the buffer, remembering what it has
// searched so that neither short lines nor a long line growing over many
// reads make it search a byte twice.
struct ByteFinder {
    char byte;
    std::size_t found = kNone;
    std::size_t searched = 0;   // no byte in what was searched, up to here

    std::size_t Next(const char* data, std::size_t pos, std::size_t end)
    {
        if (found != kNone && found >= pos)
            return found;
        std::size_t from = std::max(pos, searched);
        if (from < end) {
            if (auto* hit = static_cast<const char*>(std::memchr(data + from, byte, end - from))) {
                found = static_cast<std::size_t>(hit - data);
                return found;
            }
        }
        found = kNone;
        searched = end;
        return end;
    }

    void Shift(std::size_t by)
    {
        found = found != kNone && found >= by ? found - by : kNone;
        searched = searched > by ? searched - by : 0;
    }
};

} // namespace

TextInputStreamTuning TextInputStreamTuning::Default()
{
    // A little under 4 MiB, so that a block with its header fills two huge pages.
    return { (std::size_t(4) << 20) - 64, std::numeric_limits<std::uint32_t>::max(), kLargestFile };
}

TextInputStreamTuning StreamTuning() { return CurrentTuning(); }

void StreamTuning(TextInputStreamTuning tuning)
{
    tuning.blockSize = std::max<std::size_t>(tuning.blockSize, 1);
    tuning.longestLine = std::clamp<std::size_t>(tuning.longestLine, 1, TextInputStreamTuning::Default().longestLine);
    CurrentTuning() = tuning;
}

// The bytes read so far live in one String block; lines are handed out as
// slices of it. When the block is full, the unfinished line moves to the
// front of a new block, which the lines already handed out do not share.
struct TextInputStream::Impl {
    Impl(Ref<FolderItem> file, int fd, const struct stat& info)
        : file_(std::move(file))
        , fd_(fd)
        , tuning_(StreamTuning())
    {
        // Files in /proc claim a size of 0 and still have text.
        if (S_ISREG(info.st_mode) && info.st_size > 0)
            size_ = static_cast<std::size_t>(info.st_size);
    }

    ~Impl() { Close(); }

    void Close() noexcept
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        String::ReleaseBlock(block_);
        block_ = nullptr;
        data_ = nullptr;
        capacity_ = pos_ = end_ = validUpTo_ = 0;
        lf_ = { '\n' };
        cr_ = { '\r' };
        atEnd_ = true;
        readAny_ = true;
    }

    // The usual line, ending in LF in text already checked, is handed out
    // here; everything else takes the road below. Kept small, so that it
    // inlines into its caller.
    String ReadLine(bool raise)
    {
        readAny_ = true;
        if (markChecked_) {
            const std::size_t eol = std::min(lf_.Next(data_, pos_, end_), cr_.Next(data_, pos_, end_));
            if (eol < end_ && eol <= validUpTo_ && data_[eol] == '\n') {
                const std::size_t begin = pos_;
                pos_ = eol + 1;
                return String::Slice(block_, begin, eol - begin);
            }
        }
        return ReadAnyLine(raise);
    }

    // A file always has one line, even an empty one; a line end as the last
    // bytes does not begin another.
    bool EndOfFile(bool raise)
    {
        if (pos_ < end_ || !readAny_)
            return false;
        while (pos_ == end_ && !atEnd_)
            Fill(raise);
        return pos_ == end_;
    }

private:
    [[gnu::noinline]] String ReadAnyLine(bool raise)
    {
        if (!markChecked_)
            TakeByteOrderMark(raise);
        for (;;) {
            std::size_t eol = std::min(lf_.Next(data_, pos_, end_), cr_.Next(data_, pos_, end_));
            if (eol < end_) {
                std::size_t next = eol + 1;
                if (data_[eol] == '\r') {
                    // A CR at the end of what was read may be the first half of a CRLF.
                    if (next == end_ && !atEnd_) {
                        Fill(raise);
                        continue;
                    }
                    if (next < end_ && data_[next] == '\n')
                        ++next;
                }
                std::size_t begin = pos_;
                pos_ = next;
                return Line(begin, eol, raise);
            }
            if (atEnd_) {
                std::size_t begin = pos_;
                pos_ = end_;
                return Line(begin, end_, raise);
            }
            Fill(raise);
        }
    }

    enum class Mark { kNone, kUndecided, kUtf8, kUtf16LE, kUtf16BE };

    // What the first bytes say of the encoding; undecided while they could
    // still be the start of a byte-order mark.
    static Mark MarkAt(const unsigned char* p, std::size_t n, bool atEnd)
    {
        if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
            return Mark::kUtf8;
        if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE)
            return Mark::kUtf16LE;
        if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF)
            return Mark::kUtf16BE;
        if (atEnd)
            return Mark::kNone;
        const bool utf8Start = n < 3 && (n < 1 || p[0] == 0xEF) && (n < 2 || p[1] == 0xBB);
        const bool utf16Start = n < 2 && (n < 1 || p[0] == 0xFF || p[0] == 0xFE);
        return utf8Start || utf16Start ? Mark::kUndecided : Mark::kNone;
    }

    // A UTF-8 mark is dropped; a UTF-16 one makes the rest of the file UTF-16.
    void TakeByteOrderMark(bool raise)
    {
        markChecked_ = true;
        auto mark = [&] { return MarkAt(reinterpret_cast<const unsigned char*>(data_) + pos_, end_ - pos_, atEnd_); };
        Mark found;
        while ((found = mark()) == Mark::kUndecided)
            Fill(raise);
        switch (found) {
        case Mark::kUtf8:
            pos_ += 3;
            break;
        case Mark::kUtf16LE:
        case Mark::kUtf16BE:
            pos_ += 2;
            DecodeUtf16(found == Mark::kUtf16BE, raise);
            break;
        default:
            break;
        }
    }

    // UTF-16 files are rare and small: the rest of the file is read whole and
    // becomes one block of UTF-8, from which lines are handed out as from
    // any other.
    void DecodeUtf16(bool bigEndian, bool raise)
    {
        std::string raw;
        for (;;) {
            raw.append(data_ + pos_, end_ - pos_);
            pos_ = end_;
            if (atEnd_)
                break;
            Fill(raise);
        }
        const std::size_t size = Utf16ToUtf8(raw, bigEndian, nullptr);
        String::Block* block = String::NewBlock(size);
        Utf16ToUtf8(raw, bigEndian, String::BlockData(block));
        String::ReleaseBlock(block_);
        block_ = block;
        data_ = String::BlockData(block);
        capacity_ = end_ = validUpTo_ = size;
        pos_ = 0;
        lf_ = { '\n' };
        cr_ = { '\r' };
    }

    // Reads what the OS gives at once after the bytes buffered; sets atEnd_
    // when there is nothing more, or when reading failed.
    void Fill(bool raise)
    {
        if (atEnd_)
            return;
        if (end_ == capacity_)
            NewBlock(raise);
        if (atEnd_)
            return;
        for (;;) {
            ssize_t n = ::read(fd_, data_ + end_, capacity_ - end_);
            if (n > 0) {
                bytesRead_ += static_cast<std::size_t>(n);
                if (bytesRead_ > tuning_.largestFile) {
                    pos_ = end_;
                    return Fail(EFBIG, "it is longer than " + SizeText(tuning_.largestFile), raise);
                }
                end_ += static_cast<std::size_t>(n);
                return;
            }
            if (n == 0) {
                atEnd_ = true;
                return;
            }
            int error = errno;
            if (error != EINTR)
                return Fail(error, std::strerror(error), raise);
        }
    }

    void NewBlock(bool raise)
    {
        std::size_t carry = end_ - pos_;
        if (carry >= tuning_.longestLine)
            return TooLong(raise);
        // A block of blockSize bytes, carry included; a long line at least
        // doubles its block, which keeps its copying linear.
        std::size_t grow = std::max(tuning_.blockSize, 2 * carry) - carry;
        if (!block_ && size_ == kNone)
            grow = std::min(grow, kProbeSize);
        // One byte over what remains lets the next read see the end in place.
        if (size_ != kNone && size_ > bytesRead_)
            grow = std::min(grow, size_ - bytesRead_ + 1);
        std::size_t capacity = carry + std::min(grow, tuning_.longestLine - carry);
        String::Block* block;
        try {
            block = String::NewBlock(capacity);
        } catch (const OutOfBoundsException&) {
            return TooLong(raise);
        }
        char* data = String::BlockData(block);
        if (size_ != kNone && capacity - carry >= kPrefaultFrom)
            Prefault(data + carry, capacity - carry);
        if (carry > 0)
            std::memcpy(data, data_ + pos_, carry);
        lf_.Shift(pos_);
        cr_.Shift(pos_);
        validUpTo_ = validUpTo_ > pos_ ? validUpTo_ - pos_ : 0;
        String::ReleaseBlock(block_);
        block_ = block;
        data_ = data;
        capacity_ = capacity;
        end_ = carry;
        pos_ = 0;
    }

    void TooLong(bool raise)
    {
        // The line cannot be handed out whole; the rest of the file cannot be
        // told apart from it, so the stream ends here.
        pos_ = end_;
        Fail(EOVERFLOW, "a line is longer than " + std::to_string(tuning_.longestLine) + " bytes", raise);
    }

    void Fail(int error, const std::string& reason, bool raise)
    {
        atEnd_ = true;
        file_->LastErrorCode(error);
        if (raise)
            Raise<IOException>("Cannot read " + Quoted(*file_) + ": " + reason, error);
    }

    String Line(std::size_t begin, std::size_t end, bool raise)
    {
        if (begin == end)
            return {};
        std::size_t from = std::max(validUpTo_, begin);
        if (from < end)
            validUpTo_ = ValidUpTo(data_, from, end_);
        if (validUpTo_ >= end)
            return String::Slice(block_, begin, end - begin);
        return Repaired(begin, end, raise);
    }

    // The slow road, for lines with bytes that are not UTF-8.
    String Repaired(std::size_t begin, std::size_t end, bool raise)
    {
        static constexpr char kReplacement[] = "\xEF\xBF\xBD";
        auto* first = reinterpret_cast<const unsigned char*>(data_) + begin;
        auto* last = reinterpret_cast<const unsigned char*>(data_) + end;
        std::size_t size = 0;
        for (auto* p = first; p < last;) {
            int bad;
            int n = Sequence(p, last, bad);
            size += n ? n : 3;
            p += n ? n : bad;
        }
        if (size > tuning_.longestLine) {
            TooLong(raise);
            return {};
        }
        String::Block* block = String::NewBlock(size);
        char* out = String::BlockData(block);
        for (auto* p = first; p < last;) {
            int bad;
            int n = Sequence(p, last, bad);
            if (n) {
                std::memcpy(out, p, n);
                out += n;
                p += n;
            } else {
                std::memcpy(out, kReplacement, 3);
                out += 3;
                p += bad;
            }
        }
        String line = String::Slice(block, 0, size);
        String::ReleaseBlock(block);
        return line;
    }

    Ref<FolderItem> file_;
    int fd_;
    TextInputStreamTuning tuning_;
    std::size_t size_ = kNone;   // from the OS, when it knows
    std::size_t bytesRead_ = 0;

    String::Block* block_ = nullptr;
    char* data_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t pos_ = 0;         // the next line starts here
    std::size_t end_ = 0;         // bytes read into the block
    std::size_t validUpTo_ = 0;   // bytes from a line start up to here are valid UTF-8
    ByteFinder lf_ { '\n' };
    ByteFinder cr_ { '\r' };
    bool atEnd_ = false;          // nothing more comes from the file
    bool markChecked_ = false;
    bool readAny_ = false;
};

const ClassRecord& TextInputStream::Class()
{
    static const ClassRecord& record
        = ClassRegistry::Register(ClassRecordBuilder("TextInputStream", &Object::Class()).Build());
    return record;
}

TextInputStream::TextInputStream(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl))
{
}

TextInputStream::~TextInputStream() = default;

Ref<TextInputStream> TextInputStream::Open(const Ref<FolderItem>& file)
{
    FolderItem& item = file.Get();
    std::string path = item.NativePath().ToStdString();
    if (path.find('\0') != std::string::npos)
        RaiseOpenFailure(item, EINVAL);
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        RaiseOpenFailure(item, errno);
    struct stat info;
    int error = ::fstat(fd, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
    if (error != 0) {
        ::close(fd);
        RaiseOpenFailure(item, error);
    }
    // A pipe, a terminal or a device may never end or never answer; only
    // plain files are read. (Opening without blocking kept a pipe with no
    // writer from stopping the program right here.)
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        RaiseOpenFailure(item, EINVAL, "it is not a plain file");
    }
    if (const std::size_t largest = StreamTuning().largestFile; static_cast<std::uintmax_t>(info.st_size) > largest) {
        ::close(fd);
        RaiseOpenFailure(item, EFBIG, ("it is larger than " + SizeText(largest)).c_str());
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto stream = New<TextInputStream>(std::make_unique<Impl>(file, fd, info));
    stream->UseIOExceptions(true);
    return stream;
}

String TextInputStream::ReadLine() { return impl_->ReadLine(useIOExceptions_); }

bool TextInputStream::EndOfFile() const { return impl_->EndOfFile(useIOExceptions_); }

void TextInputStream::Close() { impl_->Close(); }
