// Reading text files line by line: line ends, decoding, block boundaries,
// files that are not plain files, and the errors a caller gets.
#include "Exceptions.h"
#include "FolderItem.h"
#include "TextInputStream.h"
#include "TextInputStreamTuning.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "velto-stream-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
    }
    ~TempFolder() { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return Path(name);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

private:
    fs::path dir_;
};

Ref<FolderItem> Item(const std::string& path) { return New<FolderItem>(String(path)); }

// Every line as a caller that stops at EndOfFile sees it; afterwards the
// stream must stay at its end.
std::vector<std::string> ReadAll(const std::string& path)
{
    auto stream = TextInputStream::Open(Item(path));
    std::vector<std::string> lines;
    while (!stream->EndOfFile())
        lines.push_back(stream->ReadLine().ToStdString());
    EXPECT_EQ(stream->ReadLine().ToStdString(), "");
    EXPECT_TRUE(stream->EndOfFile());
    return lines;
}

// Shrinks the stream's sizes for one test.
class TuningScope {
public:
    explicit TuningScope(TextInputStreamTuning tuning) { StreamTuning(tuning); }
    ~TuningScope() { StreamTuning(TextInputStreamTuning::Default()); }
};

const std::string kFFFD = "\xEF\xBF\xBD";

// The text as a UTF-16 file with its byte-order mark.
std::string Utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string { high, low } : std::string { low, high };
    }
    return bytes;
}

struct LinesCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

const LinesCase kLinesCases[] = {
    { "LF", "one\ntwo\nthree", { "one", "two", "three" } },
    { "CRLF", "one\r\ntwo\r\n", { "one", "two" } },
    { "CR", "one\rtwo\r", { "one", "two" } },
    { "Mixed", "a\r\nb\nc\rd", { "a", "b", "c", "d" } },
    // LF then CR is two line ends, not one.
    { "EmptyLines", "a\n\n\r\n\rb\n\rc", { "a", "", "", "", "b", "", "c" } },
    { "TrailingLineEndStartsNoLine", "a\nb\n", { "a", "b" } },
    { "OnlyALineEnd", "\r\n", { "" } },
    { "EmptyFile", "", { "" } },
    { "CRAtTheEndOfABlock", "abc\r\ndef", { "abc", "def" } },
    { "ByteOrderMarkDropped", "\xEF\xBB\xBF" "caf\xC3\xA9\r\nx", { "caf\xC3\xA9", "x" } },
    { "ByteOrderMarkOnly", "\xEF\xBB\xBF", { "" } },
    { "ByteOrderMarkLaterKept", "a\n\xEF\xBB\xBF" "b", { "a", "\xEF\xBB\xBF" "b" } },
    { "MultiByteCharacters", "\xE2\x82\xAC\n\xF0\x9F\x98\x80x\xC3\xA4", { "\xE2\x82\xAC", "\xF0\x9F\x98\x80x\xC3\xA4" } },
    { "NulBytes", std::string("a\0b\n\0", 5), { std::string("a\0b", 3), std::string("\0", 1) } },
    { "LoneContinuationByte", "a\x80" "b\n", { "a" + kFFFD + "b" } },
    { "BadLeadBytes", "\xC0\xAF|\xFF|\xF5\x80", { kFFFD + kFFFD + "|" + kFFFD + "|" + kFFFD + kFFFD } },
    // A cut sequence is one replacement, and the line end after it stays.
    { "SequenceCutByLineEnd", "x\xE2\x82\ny", { "x" + kFFFD, "y" } },
    { "SequenceCutByEndOfFile", "ok\n\xF0\x9F\x98", { "ok", kFFFD } },
    { "PartialByteOrderMark", "\xEF\xBBz", { kFFFD + "z" } },
    { "Surrogate", "\xED\xA0\x80z", { kFFFD + kFFFD + kFFFD + "z" } },
    { "AboveTheLastCodePoint", "\xF4\x90\x80\x80", { kFFFD + kFFFD + kFFFD + kFFFD } },
    { "OverlongThreeBytes", "\xE0\x9F\xBF", { kFFFD + kFFFD + kFFFD } },
    { "BadLineBetweenGoodOnes", "good\nb\xFF" "d\ngood again\n", { "good", "b" + kFFFD + "d", "good again" } },
    { "Utf16LittleEndian", Utf16(u"one\r\ntwo\rthree\nvier,f\u00FCnf", false), { "one", "two", "three", "vier,f\xC3\xBCnf" } },
    { "Utf16BigEndian", Utf16(u"\u20AC;euro\r\n\u0416,zhe\n", true), { "\xE2\x82\xAC;euro", "\xD0\x96,zhe" } },
    { "Utf16OutsideTheBasicPlane", Utf16(u"\U0001F600,smile", false), { "\xF0\x9F\x98\x80,smile" } },
    { "Utf16LoneSurrogates", Utf16(std::u16string { 0xD83D, u'a', u'\n', 0xDE00, u'b', 0xD83D }, true),
      { kFFFD + "a", kFFFD + "b" + kFFFD } },
    { "Utf16OddLastByte", Utf16(u"ab", false) + "c", { "ab" + kFFFD } },
    { "Utf16NulKept", Utf16(std::u16string(u"a\0b", 3), false), { std::string("a\0b", 3) } },
    { "Utf16MarkOnly", Utf16(u"", true), { "" } },
    // Only a mark at the very start says UTF-16.
    { "Utf16MarkLaterIsBytes", "a\n\xFF\xFE" "b", { "a", kFFFD + kFFFD + "b" } },
};

// Each file is read with tiny blocks as well as the real size, so that every
// line end, CRLF pair and multi-byte sequence falls across a block boundary
// in some run.
class LinesTest : public testing::TestWithParam<std::tuple<LinesCase, std::size_t>> { };

TEST_P(LinesTest, FileGivesItsLines)
{
    const auto& [c, blockSize] = GetParam();
    TuningScope tuning({ blockSize, TextInputStreamTuning::Default().longestLine });
    TempFolder folder;
    EXPECT_EQ(ReadAll(folder.Write("lines.txt", c.bytes)), c.lines);
}

INSTANTIATE_TEST_SUITE_P(Files, LinesTest,
                         testing::Combine(testing::ValuesIn(kLinesCases),
                                          testing::Values(1, 2, 3, 4, 7, TextInputStreamTuning::Default().blockSize)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_Block"
                                 + std::to_string(std::get<1>(info.param));
                         });

TEST(TextInputStream, LongLinesAcrossManyBlocksComeWholeAndLinesAfterThemToo)
{
    TuningScope tuning({ 16, TextInputStreamTuning::Default().longestLine });
    TempFolder folder;
    const std::string longLine(1000, 'x'), other = "\xC3\xA4" + std::string(300, 'y');
    EXPECT_EQ(ReadAll(folder.Write("long.txt", longLine + "\r\n" + other + "\rz")),
              (std::vector<std::string> { longLine, other, "z" }));
}

// The largest file there may be, all one line without a line end.
TEST(TextInputStream, ALineAsLongAsTheLargestFileIsOneLine)
{
    TempFolder folder;
    const std::size_t size = TextInputStreamTuning::kLargestFile;
    const std::string path = folder.Path("big.txt");
    {
        std::ofstream out(path, std::ios::binary);
        const std::string chunk(1 << 20, 'x');
        for (std::size_t written = 0; written < size; written += chunk.size())
            out << chunk;
    }
    auto stream = TextInputStream::Open(Item(path));
    String line = stream->ReadLine();
    ASSERT_EQ(line.ByteCount(), size);
    EXPECT_EQ(line.View().find_first_not_of('x'), std::string_view::npos);
    EXPECT_TRUE(stream->EndOfFile());
}

TEST(TextInputStream, PlainFilesThatReportNoSizeAreReadToTheirEnd)
{
    // /proc reports a size of 0 for text that is there.
    if (fs::exists("/proc/sys/kernel/ostype")) {
        EXPECT_EQ(ReadAll("/proc/sys/kernel/ostype"), (std::vector<std::string> { "Linux" }));
    }
}

// A pipe with no writer would block for ever, /dev/zero never ends.
TEST(TextInputStream, PipesAndDevicesAreRefusedAtOnce)
{
    TempFolder folder;
    const std::string fifo = folder.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    for (const std::string& path : { fifo, std::string("/dev/zero"), std::string("/dev/null") }) {
        SCOPED_TRACE(path);
        auto file = Item(path);
        ExpectRaise<IOException>([&] { TextInputStream::Open(file); },
                                 "Cannot open \"" + path + "\": it is not a plain file");
        EXPECT_EQ(file->LastErrorCode(), EINVAL);
    }
}

struct OpenFailure {
    const char* name;
    int error;
    std::string (*make)(const TempFolder&);
};

const OpenFailure kOpenFailures[] = {
    { "Missing", ENOENT, [](const TempFolder& f) { return f.Path("missing.txt"); } },
    { "Folder", EISDIR, [](const TempFolder& f) { return f.Path(""); } },
    { "NoPermission", EACCES,
      [](const TempFolder& f) {
          std::string path = f.Write("secret.txt", "a\n");
          fs::permissions(path, fs::perms::none);
          return path;
      } },
    { "MissingFolderOnThePath", ENOENT, [](const TempFolder& f) { return f.Path("nowhere/x.txt"); } },
};

class OpenFailureTest : public testing::TestWithParam<OpenFailure> { };

TEST_P(OpenFailureTest, RaisesIOExceptionWithTheErrorNumberAndThePath)
{
    const OpenFailure& c = GetParam();
    if (c.error == EACCES && ::geteuid() == 0)
        GTEST_SKIP() << "root reads files without permission";
    TempFolder folder;
    auto file = Item(c.make(folder));
    try {
        TextInputStream::Open(file);
        FAIL() << "Open did not raise";
    } catch (const IOException& e) {
        EXPECT_STREQ(e.ClassName(), "IOException");
        EXPECT_EQ(e.ErrorNumber(), c.error);
        EXPECT_EQ(e.Message(), "Cannot open \"" + file->NativePath().ToStdString() + "\": " + std::strerror(c.error));
    }
    EXPECT_EQ(file->LastErrorCode(), c.error);
}

INSTANTIATE_TEST_SUITE_P(Files, OpenFailureTest, testing::ValuesIn(kOpenFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextInputStream, NilFileRaisesNilObjectException)
{
    EXPECT_THROW(TextInputStream::Open(nullptr), NilObjectException);
}

// Reading /proc/self/mem at address 0 fails with EIO: a real failed read.
TEST(TextInputStream, AFailedReadRaisesOrEndsTheStreamAsUseIOExceptionsSays)
{
    auto file = Item("/proc/self/mem");
    Ref<TextInputStream> stream;
    try {
        stream = TextInputStream::Open(file);
    } catch (const IOException& e) {
        GTEST_SKIP() << e.Message();
    }
    ASSERT_TRUE(stream->UseIOExceptions());
    try {
        stream->ReadLine();
        FAIL() << "ReadLine did not raise";
    } catch (const IOException& e) {
        EXPECT_EQ(e.ErrorNumber(), EIO);
        EXPECT_EQ(e.Message(), std::string("Cannot read \"/proc/self/mem\": ") + std::strerror(EIO));
    }
    EXPECT_EQ(file->LastErrorCode(), EIO);

    auto quiet = TextInputStream::Open(file);
    quiet->UseIOExceptions(false);
    EXPECT_EQ(quiet->ReadLine().ToStdString(), "");
    EXPECT_TRUE(quiet->EndOfFile());
}

TEST(TextInputStream, ALineLongerThanAStringCanHoldRaises)
{
    TuningScope tuning({ 4, 64 });
    TempFolder folder;
    const std::string path = folder.Write("long.txt", "short\n" + std::string(63, 'y') + "\n" + std::string(100, 'x') + "\nafter\n");
    auto stream = TextInputStream::Open(Item(path));
    EXPECT_EQ(stream->ReadLine().ToStdString(), "short");
    EXPECT_EQ(stream->ReadLine().ToStdString(), std::string(63, 'y'));
    try {
        stream->ReadLine();
        FAIL() << "ReadLine did not raise";
    } catch (const IOException& e) {
        EXPECT_EQ(e.ErrorNumber(), EOVERFLOW);
        EXPECT_EQ(e.Message(), "Cannot read \"" + path + "\": a line is longer than 64 bytes");
    }
    EXPECT_TRUE(stream->EndOfFile());
}

TEST(TextInputStream, AFileLargerThanTheBoundIsRefusedWhenOpened)
{
    TempFolder folder;
    {
        TuningScope tuning({ 4, 64, 64 });
        EXPECT_EQ(ReadAll(folder.Write("bound.txt", std::string(63, 'x') + "\n")), (std::vector<std::string> { std::string(63, 'x') }));
        const std::string path = folder.Write("over.txt", std::string(65, 'x'));
        auto file = Item(path);
        try {
            TextInputStream::Open(file);
            FAIL() << "Open did not raise";
        } catch (const IOException& e) {
            EXPECT_EQ(e.ErrorNumber(), EFBIG);
            EXPECT_EQ(e.Message(), "Cannot open \"" + path + "\": it is larger than 64 bytes");
        }
        EXPECT_EQ(file->LastErrorCode(), EFBIG);
    }
    // An 8 GiB file with no blocks on disk: refused by its size, nothing read.
    const std::string huge = folder.Path("huge.bin");
    std::ofstream(huge, std::ios::binary).close();
    fs::resize_file(huge, std::uintmax_t(8) << 30);
    ExpectRaise<IOException>([&] { TextInputStream::Open(Item(huge)); },
                             "Cannot open \"" + huge + "\": it is larger than 64 MiB");
}

// /proc files say they are empty and go on; reading stops at the bound.
TEST(TextInputStream, ReadingStopsAtTheBoundWhenAFileIsLongerThanItsSizeSaid)
{
    TuningScope tuning({ 16, TextInputStreamTuning::Default().longestLine, 64 });
    auto stream = TextInputStream::Open(Item("/proc/self/maps"));
    try {
        while (!stream->EndOfFile())
            stream->ReadLine();
        FAIL() << "reading did not raise";
    } catch (const IOException& e) {
        EXPECT_EQ(e.ErrorNumber(), EFBIG);
        EXPECT_EQ(e.Message(), "Cannot read \"/proc/self/maps\": it is longer than 64 bytes");
    }
    EXPECT_TRUE(stream->EndOfFile());
}

TEST(TextInputStream, CloseEndsTheStream)
{
    TempFolder folder;
    auto stream = TextInputStream::Open(Item(folder.Write("a.txt", "a\nb\n")));
    EXPECT_EQ(stream->ReadLine().ToStdString(), "a");
    stream->Close();
    EXPECT_TRUE(stream->EndOfFile());
    EXPECT_EQ(stream->ReadLine().ToStdString(), "");
    stream->Close();
}

TEST(TextInputStream, LinesOutliveTheStream)
{
    TempFolder folder;
    std::vector<String> lines;
    {
        auto stream = TextInputStream::Open(Item(folder.Write("a.txt", "first\nsecond\xFF\nthird")));
        while (!stream->EndOfFile())
            lines.push_back(stream->ReadLine());
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].ToStdString(), "first");
    EXPECT_EQ(lines[1].ToStdString(), "second" + kFFFD);
    EXPECT_EQ(lines[2].ToStdString(), "third");
}

TEST(FolderItem, NameExistsAndDirectory)
{
    TempFolder folder;
    const std::string file = folder.Write("words.txt", "");
    const struct {
        std::string path, name;
        bool exists, directory;
    } cases[] = {
        { file, "words.txt", true, false },
        { folder.Path(""), fs::path(folder.Path("")).parent_path().filename().string(), true, true },
        { folder.Path("missing.txt"), "missing.txt", false, false },
        { "relative/name", "name", false, false },
        { "/", "/", true, true },
        { "", "", false, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        auto item = Item(c.path);
        EXPECT_EQ(item->Name().ToStdString(), c.name);
        EXPECT_EQ(item->Exists(), c.exists);
        EXPECT_EQ(item->Directory(), c.directory);
    }
}

TEST(FolderItem, DocumentsIsAnExistingFolder)
{
    auto documents = SpecialFolder::Documents();
    EXPECT_TRUE(documents->Directory()) << documents->NativePath().ToStdString();
}

} // namespace
