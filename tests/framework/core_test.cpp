// The framework's core values: strings, arrays, references and class records.
#include "Array.h"
#include "Object.h"
#include "String.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(String, CountsAndCutsInCharactersNotBytes)
{
    const struct {
        const char* text;
        Int32 length;
        const char* firstTwo;
    } cases[] = {
        { "", 0, "" },
        { "a", 1, "a" },
        { "abc", 3, "ab" },
        { "äöü", 3, "äö" },
        { "日本語", 3, "日本" },
        { "🙂x", 2, "🙂x" },
        // Longer texts are counted eight bytes at a time: characters across
        // the word boundaries and in the tail.
        { "abcdefghij", 10, "ab" },
        { "Straße, улица!", 14, "St" },
        { "日本語のテキスト", 8, "日本" },
        { "🙂🙂🙂🙂x", 5, "🙂🙂" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Len(c.text), c.length);
        EXPECT_EQ(Left(c.text, 2), c.firstTwo);
    }
    EXPECT_EQ(Left("abc", 0), "");
    EXPECT_EQ(Left("abc", 9), "abc");
}

TEST(String, TrimTakesWhiteSpaceAtBothEndsOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        { "  word  ", "word" },
        { "\t a b \r\n", "a b" },
        { "\xC2\xA0" "no-break\xE3\x80\x80", "no-break" },   // U+00A0, U+3000
        { "   ", "" },
        { "", "" },
        { "inner  space", "inner  space" },
        { "ü ", "ü" },
        // One end visible ASCII, the other white space.
        { "word\xC2\xA0", "word" },
        { "\xE3\x80\x80word", "word" },
        { "a\t", "a" },
        { "\va", "a" },
    };
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(Trim(text), trimmed) << text;
}

TEST(String, ConcatenatesComparesAndFormatsNumbers)
{
    String a = "Last ";
    String b = a + "word" + EndOfLine();
    EXPECT_EQ(b, "Last word\n");
    EXPECT_EQ(a, "Last ");   // a new string; the old one is unchanged
    EXPECT_FALSE(String("a") == String("A"));
    EXPECT_EQ(Str(11) + "/" + Str(12), "11/12");
    EXPECT_EQ(Str(-2147483648LL), "-2147483648");

    // Slices keep their text when the original goes.
    String slice;
    {
        String whole = "  kept  ";
        slice = Trim(whole);
    }
    EXPECT_EQ(slice, "kept");
}

TEST(Array, IndexesFromZeroAndMovesLaterEntriesDownOnRemove)
{
    Array<String> list { "a", "b", "c", "d" };
    EXPECT_EQ(list.LastIndex(), 3);
    list.Remove(1);
    EXPECT_EQ(std::vector<String>(list.begin(), list.end()), (std::vector<String> { "a", "c", "d" }));
    list.Remove(2);
    list.Remove(0);
    EXPECT_EQ(std::vector<String>(list.begin(), list.end()), (std::vector<String> { "c" }));
    EXPECT_EQ(list.IndexOf("c"), 0);
    EXPECT_EQ(list.IndexOf("a"), -1);
    list.Insert(0, "z");
    EXPECT_EQ(list(0), "z");
    list.Clear();
    EXPECT_EQ(list.LastIndex(), -1);
    ExpectRaise<OutOfBoundsException>([&] { list(0); }, "Index 0 is outside the range 0 to -1");
    ExpectRaise<OutOfBoundsException>([&] { list.Remove(-1); }, "Index -1 is outside the range 0 to -1");

    Array<Int32> drawn;
    drawn.Append(7);
    drawn.Append(3);
    EXPECT_EQ(drawn.IndexOf(3), 1);
    EXPECT_EQ(drawn.IndexOf(4), -1);
}

TEST(Array, RemovingFromALargeListKeepsEveryOtherStringIntact)
{
    Array<String> list;
    for (int i = 0; i < 10000; ++i)
        list.Append(String("line " + std::to_string(i)));
    for (Int32 index : { 0, 5000, 9997, 1 })
        list.Remove(index);
    EXPECT_EQ(list.Count(), 9996);
    EXPECT_EQ(list(0), "line 1");
    EXPECT_EQ(list(1), "line 3");
    EXPECT_EQ(list(4998), "line 5000");
    EXPECT_EQ(list(4999), "line 5002");
    EXPECT_EQ(list.LastIndex(), 9995);
    EXPECT_EQ(list(9995), "line 9998");
}

// Growing moves the entries from malloc'd memory into large memory and then
// moves its pages; copies and inserts work on either.
TEST(Array, GrowingFarKeepsEveryEntryInPlaceAndCopiesStayApart)
{
    Array<Int32> numbers;
    const Int32 count = 3 << 20;   // 12 MiB of entries
    for (Int32 i = 0; i < count; ++i)
        numbers.Append(i);
    numbers.Insert(1, -1);
    Array<Int32> copy = numbers;
    copy.Remove(0);
    ASSERT_EQ(numbers.Count(), count + 1);
    EXPECT_EQ(numbers(0), 0);
    EXPECT_EQ(numbers(1), -1);
    EXPECT_EQ(copy(0), -1);
    bool inPlace = true;
    for (Int32 i = 1; i < count; ++i)
        inPlace = inPlace && numbers(i + 1) == i && copy(i) == i;
    EXPECT_TRUE(inPlace);

    Array<String> words { "a", "b" };
    Array<String> other = words;
    other.Set(0, "changed");
    EXPECT_EQ(words(0), "a");
    words = std::move(other);
    EXPECT_EQ(words(0), "changed");
    EXPECT_EQ(words.Count(), 2);
}

// A small class hierarchy with records, for the registry's rules.
std::vector<std::string> trace;

class Base : public Object {
public:
    static const ClassRecord& Class()
    {
        static const ClassRecord& record = ClassRegistry::Register(
            ClassRecordBuilder("CoreTest.Base", &Object::Class())
                .Initialiser([](Object&) { trace.push_back("init Base"); })
                .Finaliser([](Object&) { trace.push_back("fini Base"); })
                .AddVirtual("Greet", "()")
                .Event("Open", [](Object&, EventArgs&) { trace.push_back("Base Open"); return true; })
                .Build());
        return record;
    }
    const ClassRecord& ClassInfo() const override { return Class(); }
};

class Derived : public Base {
public:
    static const ClassRecord& Class()
    {
        static const ClassRecord& record = ClassRegistry::Register(
            ClassRecordBuilder("CoreTest.Derived", &Base::Class())
                .Initialiser([](Object&) { trace.push_back("init Derived"); })
                .Finaliser([](Object&) { trace.push_back("fini Derived"); })
                .Override("Greet", "()")
                .AddVirtual("Wave", "()")
                .Event("Close", [](Object&, EventArgs&) { trace.push_back("Derived Close"); return false; })
                .Method("Wave", Scope::Public, "()")
                .Method("Secret", Scope::Private, "()", true)
                .Build());
        return record;
    }
    const ClassRecord& ClassInfo() const override { return Class(); }
};

TEST(ClassRecords, InitialisersRunBaseFirstAndFinalisersDerivedFirst)
{
    trace.clear();
    Ref<Derived> object = New<Derived>();
    object.Release();
    EXPECT_EQ(trace, (std::vector<std::string> { "init Base", "init Derived", "fini Derived", "fini Base" }));
}

TEST(ClassRecords, EventsFallBackToTheBaseAndAnUnhandledOneGivesTheFallback)
{
    trace.clear();
    Ref<Derived> object = New<Derived>();
    EventArgs args;
    EXPECT_TRUE(object->RaiseEvent("Open", args));
    EXPECT_FALSE(object->RaiseEvent("Close", args, true));
    EXPECT_TRUE(object->RaiseEvent("Resized", args, true));
    EXPECT_EQ(trace, (std::vector<std::string> { "init Base", "init Derived", "Base Open", "Derived Close" }));
}

TEST(ClassRecords, RegistrationIsIdempotentAndSlotsFollowTheBase)
{
    const ClassRecord& record = Derived::Class();
    EXPECT_EQ(ClassRegistry::Find("CoreTest.Derived"), &record);
    EXPECT_EQ(&ClassRegistry::Register(ClassRecordBuilder("CoreTest.Derived", nullptr).Build()), &record);
    ASSERT_EQ(record.virtualOperations.size(), 2u);
    EXPECT_EQ(record.virtualOperations[0].definedBy, "CoreTest.Derived");
    EXPECT_EQ(record.virtualOperations[1].name, "Wave");
    EXPECT_EQ(ListMethods(record), (std::vector<std::string> { "Wave" }));
    EXPECT_TRUE(record.IsA(Base::Class()));
    EXPECT_FALSE(Base::Class().IsA(record));
    ExpectRaise<KeyNotFoundException>(
        [] { ClassRecordBuilder("CoreTest.Other", &Base::Class()).Override("Missing", "()"); },
        "Class CoreTest.Other overrides Missing(), which its base does not have");
}

TEST(Ref, UsingNilRaisesAndCastsAreChecked)
{
    Ref<Base> nil;
    ExpectRaise<NilObjectException>([&] { nil->ClassInfo(); }, "A nil object was used where an object was expected");
    Ref<Base> base = New<Base>();
    EXPECT_TRUE(RefCast<Derived>(base).IsNil());
    ExpectRaise<IllegalCastException>([&] { CastTo<Derived>(base); },
                                      "An object of class CoreTest.Base was used as a CoreTest.Derived");
    Ref<Base> derived = New<Derived>();
    EXPECT_EQ(CastTo<Derived>(derived), derived);
}

} // namespace
