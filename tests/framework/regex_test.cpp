// RegEx through the real module: the quiz's split of a line into its two
// words, searching and sub-expressions, the options, replacing, and the
// refusal of bad patterns, targets and positions.
#include "Exceptions.h"
#include "Plugin.h"
#include "RegEx.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class RegExTest : public testing::Test {
protected:
    static void SetUpTestSuite() { InstallRegExModule(); }

    Ref<RegEx> re = New<RegEx>();
};

// The start of each match and its text, as Search() goes on.
std::vector<std::pair<Int32, std::string>> AllMatches(RegEx& re, const String& target)
{
    std::vector<std::pair<Int32, std::string>> found;
    for (Ref<RegExMatch> m = re.Search(target); m && found.size() < 20; m = re.Search())
        found.emplace_back(m->SubExpressionStartB(0), m->SubExpressionString(0).ToStdString());
    return found;
}

TEST_F(RegExTest, TheQuizPatternsSplitALineAtItsFirstAndLastSeparator)
{
    struct Case {
        std::string line, left, right;
    };
    const Case cases[] = {
        { "Haus", "Haus", "Haus" },
        { "", "", "" },
        { "a;b;c", "a", "c" },
        { "house, Haus", "house", " Haus" },
        { "house ,Haus", "house ", "Haus" },
        { ",Haus", "", "Haus" },
        { "house;", "house", "" },
        { ",", "", "" },
        { "a,b", "a", "b" },
        { "a;b", "a", "b" },
        { "a\tb", "a", "b" },
        { "a,b;c\td", "a", "d" },
        { "a\t;b", "a", "b" },
        { "Straße,улица", "Straße", "улица" },
        { "日本語;にほんご", "日本語", "にほんご" },
        // The pattern's \t is TAB, not a backslash and a t.
        { "test\\two", "test\\two", "test\\two" },
        { " spaced out ", " spaced out ", " spaced out " },
    };
    // One RegEx for every line with the two patterns in turn, as the quiz
    // uses it.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        re->SearchPattern("[,;\\t].*");
        String left = re->Replace(c.line);
        re->SearchPattern(".*[,;\\t]");
        String right = re->Replace(c.line);
        EXPECT_EQ(left.View(), c.left);
        EXPECT_EQ(right.View(), c.right);
        EXPECT_EQ(re->SearchPattern().View(), ".*[,;\\t]");
    }
}

TEST_F(RegExTest, SearchGivesTheMatchAndItsSubExpressionsWithByteOffsets)
{
    re->SearchPattern("(\\d+)-(\\d+)");
    Ref<RegExMatch> m = re->Search("tel 12-345, 6-7");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->SubExpressionCount(), 3);
    const std::pair<std::string, Int32> expected[] = { { "12-345", 4 }, { "12", 4 }, { "345", 7 } };
    for (Int32 i = 0; i < 3; ++i) {
        EXPECT_EQ(m->SubExpressionString(i).View(), expected[i].first);
        EXPECT_EQ(m->SubExpressionStartB(i), expected[i].second);
    }
    ExpectRaise<OutOfBoundsException>([&] { m->SubExpressionString(3); },
                                      "Sub-expression 3 does not exist: the match has sub-expressions 0 to 2");
    ExpectRaise<OutOfBoundsException>([&] { m->SubExpressionStartB(-1); },
                                      "Sub-expression -1 does not exist: the match has sub-expressions 0 to 2");

    // Search() goes on after the previous match, and stays nil at the end.
    Ref<RegExMatch> next = re->Search();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->SubExpressionString(0).View(), "6-7");
    EXPECT_EQ(next->SubExpressionStartB(2), 14);
    EXPECT_FALSE(re->Search());
    EXPECT_FALSE(re->Search());

    // A match keeps its own target, after its RegEx is gone too.
    EXPECT_EQ(m->SubExpressionString(2).View(), "345");
    re.Release();
    EXPECT_EQ(next->SubExpressionString(1).View(), "6");
}

TEST_F(RegExTest, SearchDetails)
{
    // Offsets count bytes: "Straße " is 8 bytes.
    re->SearchPattern("u\\w+");
    Ref<RegExMatch> m = re->Search("Straße ulica");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->SubExpressionStartB(0), 8);
    EXPECT_EQ(m->SubExpressionString(0).View(), "ulica");

    // A start position is a byte offset; the part before it is not searched.
    re->SearchPattern("\\d");
    m = re->Search("1a2b", 1);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->SubExpressionStartB(0), 2);
    EXPECT_FALSE(re->Search("1a2b", 3));
    EXPECT_FALSE(re->Search("1a2b", 4));

    // A sub-expression that took no part is empty and starts nowhere.
    re->SearchPattern("(a)|(b)");
    m = re->Search("b");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->SubExpressionString(1).View(), "");
    EXPECT_EQ(m->SubExpressionStartB(1), -1);
    EXPECT_EQ(m->SubExpressionStartB(2), 0);

    // The empty pattern of a new RegEx matches the empty text at the start.
    Ref<RegEx> fresh = New<RegEx>();
    m = fresh->Search("xyz");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->SubExpressionStartB(0), 0);
    EXPECT_EQ(m->SubExpressionString(0).View(), "");

    // Empty matches move on by one character each; Search() never repeats one.
    re->SearchPattern("x*");
    using Found = std::vector<std::pair<Int32, std::string>>;
    EXPECT_EQ(AllMatches(*re, "axb"), (Found{ { 0, "" }, { 1, "x" }, { 2, "" }, { 3, "" } }));
    EXPECT_EQ(AllMatches(*re, "äx"), (Found{ { 0, "" }, { 2, "x" }, { 3, "" } }));
}

TEST_F(RegExTest, EachOptionChangesTheMatchFromTheNextOperationOn)
{
    struct Case {
        const char* what;
        const char* pattern;
        std::string target;
        std::function<void(RegExOptions&)> set;
        std::string byDefault, withOption;  // the whole match, "-" for none
    };
    const Case cases[] = {
        { "CaseSensitive", "äpfel", "ÄPFEL", [](RegExOptions& o) { o.CaseSensitive(true); }, "ÄPFEL", "-" },
        { "Greedy", "a.*b", "a1b2b", [](RegExOptions& o) { o.Greedy(false); }, "a1b2b", "a1b" },
        { "DotMatchAll", "a.b", "a\nb", [](RegExOptions& o) { o.DotMatchAll(true); }, "-", "a\nb" },
        { "LineEndType LF", "a.b", "a\rb", [](RegExOptions& o) { o.LineEndType(2); }, "-", "a\rb" },
        { "LineEndType CR", "a$", "a\n", [](RegExOptions& o) { o.LineEndType(1); }, "a", "-" },
    };
    auto whole = [](const Ref<RegExMatch>& m) { return m ? m->SubExpressionString(0).ToStdString() : "-"; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Ref<RegEx> r = New<RegEx>();
        r->SearchPattern(c.pattern);
        EXPECT_EQ(whole(r->Search(c.target)), c.byDefault);
        // Changed after the pattern was compiled, through the RegEx's own
        // options object.
        c.set(*r->Options());
        EXPECT_EQ(whole(r->Search(c.target)), c.withOption);
        // A fresh options object brings the defaults back.
        r->Options(New<RegExOptions>());
        EXPECT_EQ(whole(r->Search(c.target)), c.byDefault);
    }

    Ref<RegExOptions> options = New<RegExOptions>();
    ExpectRaise<RegExException>([&] { options->LineEndType(9); },
                                "LineEndType 9 is not one of 0 (any), 1 (CR), 2 (LF), 3 (CRLF) or 4 (CR, LF or CRLF)");
    EXPECT_EQ(options->LineEndType(), 4);
    ExpectRaise<NilObjectException>([&] { re->Options(nullptr); }, "A nil object was used where an object was expected");
    EXPECT_TRUE(re->Options());
}

TEST_F(RegExTest, ReplaceChangesTheFirstMatchOrAllOfThem)
{
    struct Case {
        const char* pattern;
        const char* replacement;
        std::string target;
        std::string first, all;
    };
    const Case cases[] = {
        { "o", "0", "foo boo", "f0o boo", "f00 b00" },
        { "o", "0", "xyz", "xyz", "xyz" },
        { "o", "", "foo", "fo", "f" },
        { "(\\w+), (\\w+)", "\\2 \\1", "Haus, house", "house Haus", "house Haus" },
        { "(\\w+)=(\\w+)", "$2:$1", "a=1 b=2", "1:a b=2", "1:a 2:b" },
        { "(\\w)", "<\\0$0>", "ab", "<aa>b", "<aa><bb>" },
        { "x", "\\\\ $$ \\n $", "x", "\\ $ \\n $", "\\ $ \\n $" },
        { "(a)|(b)", "[\\2]", "ab", "[]b", "[][b]" },
        { "x*", "-", "axb", "-axb", "-a--b-" },
        { "ß", "ss", "Straße groß", "Strasse groß", "Strasse gross" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " -> " + c.replacement);
        re->SearchPattern(c.pattern);
        re->ReplacementPattern(c.replacement);
        re->Options()->ReplaceAllMatches(false);
        EXPECT_EQ(re->Replace(c.target).View(), c.first);
        re->Options()->ReplaceAllMatches(true);
        EXPECT_EQ(re->Replace(c.target).View(), c.all);
    }
}

TEST_F(RegExTest, ReplaceFromAPositionAndOnThePreviousTarget)
{
    re->SearchPattern("a");
    re->ReplacementPattern("b");
    EXPECT_EQ(re->Replace("a-a-a", 1).View(), "a-b-a");
    EXPECT_EQ(re->Replace("a-a-a", 5).View(), "a-a-a");
    // Replace() takes the previous target again, from its start.
    EXPECT_EQ(re->Replace().View(), "b-a-a");
    re->SearchPattern("z");
    EXPECT_EQ(re->Replace().View(), "a-a-a");
    re->Options()->ReplaceAllMatches(true);
    re->SearchPattern("a");
    EXPECT_EQ(re->Replace("a-a-a", 2).View(), "a-b-b");
    // A Search() after a Replace starts at the target's beginning.
    Ref<RegExMatch> first = re->Search();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->SubExpressionStartB(0), 0);

    // A match's Replace fills the ReplacementPattern that the RegEx had at
    // the search, or the one given.
    re->SearchPattern("(\\w+)@(\\w+)");
    re->ReplacementPattern("\\2 for \\1");
    Ref<RegExMatch> m = re->Search("mail: anna@example");
    ASSERT_TRUE(m);
    re->ReplacementPattern("changed");
    EXPECT_EQ(m->Replace().View(), "example for anna");
    EXPECT_EQ(m->Replace("$1!").View(), "anna!");
}

TEST_F(RegExTest, BadPatternsTargetsAndPositionsRaiseAndKeepThePreviousState)
{
    re->SearchPattern("a");
    re->ReplacementPattern("b");
    struct Case {
        const char* pattern;
        std::string message;
    };
    const Case patterns[] = {
        { "(a", "The search pattern \"(a\" is not valid: missing closing parenthesis at offset 2" },
        { "[z-a]", "The search pattern \"[z-a]\" is not valid: range out of order in character class at offset 3" },
        { "a{2,1}", "The search pattern \"a{2,1}\" is not valid: numbers out of order in {} quantifier at offset 5" },
        { "x\\C", "The search pattern \"x\\C\" is not valid: using \\C is disabled by the application at offset 3" },
    };
    for (const auto& c : patterns) {
        SCOPED_TRACE(c.pattern);
        ExpectRaise<RegExException>([&] { re->SearchPattern(c.pattern); }, c.message);
        EXPECT_EQ(re->SearchPattern().View(), "a");
        EXPECT_EQ(re->Replace("cat").View(), "cbt");
    }

    ExpectRaise<RegExException>([&] { re->Replace(String(std::string_view("a\xff"))); },
                                "The target is not valid UTF-8: byte 1 does not begin a UTF-8 character");
    ExpectRaise<OutOfBoundsException>([&] { re->Replace("abc", 4); },
                                      "SearchStartPosition 4 is beyond the end of the target (3 bytes)");
    ExpectRaise<OutOfBoundsException>([&] { re->Search("abc", -1); },
                                      "SearchStartPosition -1 is before the start of the target");
    ExpectRaise<OutOfBoundsException>(
        [&] { re->Search("ßa", 1); },
        "SearchStartPosition 1 falls inside a character; it must be the byte offset of a character");
    // The failed calls left the previous target in place.
    EXPECT_EQ(re->Replace().View(), "cbt");

    re->SearchPattern("(a)");
    re->ReplacementPattern("\\2");
    ExpectRaise<RegExException>([&] { re->Replace("a"); },
                                "The replacement pattern refers to \\2, but the search pattern has only 1 sub-expression");
    re->SearchPattern("a");
    re->ReplacementPattern("$1");
    ExpectRaise<RegExException>([&] { re->Replace("a"); },
                                "The replacement pattern refers to $1, but the search pattern has no sub-expressions");

    Ref<RegEx> fresh = New<RegEx>();
    ExpectRaise<RegExException>([&] { fresh->Search(); },
                                "Search() without a target goes on with the previous target, but there is none");
    ExpectRaise<RegExException>([&] { fresh->Replace(); },
                                "Replace() without a target uses the previous target, but there is none");
    Ref<RegExMatch> empty = New<RegExMatch>();
    EXPECT_EQ(empty->SubExpressionCount(), 0);
    ExpectRaise<OutOfBoundsException>([&] { empty->SubExpressionString(0); },
                                      "Sub-expression 0 does not exist: this RegExMatch holds no match");
}

} // namespace

namespace {

// ".*[,;\t]" backtracks over the whole of a line without separator; PCRE2's
// default step limit gave up on lines of some ten million characters.
TEST(RegExLongLines, SplitAWholeLineOfTwelveMillionCharacters)
{
    InstallRegExModule();
    Ref<RegEx> re = New<RegEx>();
    const String line(std::string(12'000'000, 'x'));
    re->SearchPattern(".*[,;\\t]");
    EXPECT_EQ(re->Replace(line).ByteCount(), line.ByteCount());
    re->SearchPattern("[,;\\t].*");
    EXPECT_EQ(re->Replace(line + ",y").ByteCount(), line.ByteCount());
}

} // namespace
