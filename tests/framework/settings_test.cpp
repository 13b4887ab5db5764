// Settings batches: the byte layout of each type, decoding by key type, the
// refusal of malformed batches, and SetProperties applying all or nothing.
#include "Exceptions.h"
#include "Object.h"
#include "Settings.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

const std::map<std::string, SettingType> kTypes = {
    { "Left", SettingType::Int32 },  { "Visible", SettingType::Boolean }, { "BackColor", SettingType::Colour },
    { "Title", SettingType::String }, { "Top", SettingType::Int32 },
};

SettingType TypeOf(const std::string& key)
{
    auto it = kTypes.find(key);
    if (it == kTypes.end())
        Raise<KeyNotFoundException>("no type for " + key);
    return it->second;
}

TEST(SettingsBatch, EachTypeIsLaidOutBigEndianAfterItsKeyAndOneSpace)
{
    struct Case {
        const char* what;
        std::function<void(SettingsBatch&)> add;
        std::string bytes;
    };
    const std::string longText(300, 'x');
    const Case cases[] = {
        { "int32", [](SettingsBatch& b) { b.Int32Entry("Left", 20); }, "Left " + Bytes({ 0, 0, 0, 0x14 }) },
        { "int32 over bytes", [](SettingsBatch& b) { b.Int32Entry("Left", 0x01020304); },
          "Left " + Bytes({ 1, 2, 3, 4 }) },
        { "int32 minimum", [](SettingsBatch& b) { b.Int32Entry("Left", INT32_MIN); },
          "Left " + Bytes({ 0x80, 0, 0, 0 }) },
        { "int32 -1", [](SettingsBatch& b) { b.Int32Entry("Left", -1); }, "Left " + Bytes({ 0xFF, 0xFF, 0xFF, 0xFF }) },
        { "true", [](SettingsBatch& b) { b.BooleanEntry("Visible", true); }, "Visible " + Bytes({ 1 }) },
        { "false", [](SettingsBatch& b) { b.BooleanEntry("Visible", false); }, "Visible " + Bytes({ 0 }) },
        { "colour", [](SettingsBatch& b) { b.ColourEntry("BackColor", { 0x12, 0x34, 0xFE }); },
          "BackColor " + Bytes({ 0x12, 0x34, 0xFE }) },
        { "empty string", [](SettingsBatch& b) { b.StringEntry("Title", ""); }, "Title " + Bytes({ 0, 0, 0, 0 }) },
        { "string", [](SettingsBatch& b) { b.StringEntry("Title", "Velto"); }, "Title " + Bytes({ 0, 0, 0, 5 }) + "Velto" },
        // The count is of UTF-8 bytes, not characters.
        { "non-ASCII string", [](SettingsBatch& b) { b.StringEntry("Title", "\xC3\xA9"); },
          "Title " + Bytes({ 0, 0, 0, 2, 0xC3, 0xA9 }) },
        { "long string", [&](SettingsBatch& b) { b.StringEntry("Title", longText); },
          "Title " + Bytes({ 0, 0, 1, 0x2C }) + longText },
        { "two entries back to back",
          [](SettingsBatch& b) { b.BooleanEntry("Visible", true).Int32Entry("Top", 7); },
          "Visible " + Bytes({ 1 }) + "Top " + Bytes({ 0, 0, 0, 7 }) },
    };
    for (const Case& c : cases) {
        SettingsBatch batch;
        c.add(batch);
        EXPECT_EQ(batch.Build().ToStdString(), c.bytes) << c.what;
    }
}

TEST(SettingsBatch, AKeyMustBeOneWord)
{
    for (const char* key : { "", "Two words" })
        ExpectRaise<UnsupportedOperationException>([&] { SettingsBatch().Int32Entry(key, 1); },
                                                   "A settings key must be one word, not \"" + std::string(key) + "\"");
}

TEST(DecodeSettingsBatch, GivesBackEveryEntryInOrderWithItsValue)
{
    String batch = SettingsBatch()
                       .StringEntry("Title", "Vocabulary \xE2\x9C\x93")
                       .Int32Entry("Left", INT32_MIN)
                       .BooleanEntry("Visible", true)
                       .ColourEntry("BackColor", { 1, 2, 3 })
                       .StringEntry("Title", "")
                       .Int32Entry("Top", 2147483647)
                       .Build();
    auto decoded = DecodeSettingsBatch(batch.View(), TypeOf);
    ASSERT_EQ(decoded.size(), 6u);
    EXPECT_EQ(decoded[0].first, "Title");
    EXPECT_EQ(decoded[0].second.AsString(), String("Vocabulary \xE2\x9C\x93"));
    EXPECT_EQ(decoded[1].first, "Left");
    EXPECT_EQ(decoded[1].second.AsInt32(), INT32_MIN);
    EXPECT_TRUE(decoded[2].second.AsBoolean());
    EXPECT_EQ(decoded[3].second.AsColour(), (Colour { 1, 2, 3 }));
    EXPECT_TRUE(decoded[4].second.AsString().IsEmpty());
    EXPECT_EQ(decoded[5].first, "Top");
    EXPECT_EQ(decoded[5].second.AsInt32(), 2147483647);
    EXPECT_TRUE(DecodeSettingsBatch("", TypeOf).empty());
}

TEST(DecodeSettingsBatch, AMalformedBatchIsRefusedNamingTheKeyAndOffset)
{
    const std::string first = "Visible " + Bytes({ 1 });   // 9 bytes
    const struct {
        std::string batch;
        std::string message;
    } cases[] = {
        { "Left " + Bytes({ 0, 0 }),
          "Settings batch is cut short in the 4-byte value of key \"Left\" (byte 0): 4 bytes wanted at byte 5, 2 left" },
        { first + "Top " + Bytes({ 0, 0, 7 }),
          "Settings batch is cut short in the 4-byte value of key \"Top\" (byte 9): 4 bytes wanted at byte 13, 3 left" },
        { "Visible ", "Settings batch is cut short in the boolean value of key \"Visible\" (byte 0): 1 bytes wanted at "
                      "byte 8, 0 left" },
        { "BackColor " + Bytes({ 1, 2 }), "Settings batch is cut short in the colour value of key \"BackColor\" (byte 0): "
                                          "3 bytes wanted at byte 10, 2 left" },
        { "Title " + Bytes({ 0, 0 }), "Settings batch is cut short in the 4-byte value of key \"Title\" (byte 0): 4 "
                                      "bytes wanted at byte 6, 2 left" },
        { first + "Title " + Bytes({ 0, 0, 0, 9 }) + "abc",
          "Settings batch: the string of key \"Title\" (byte 9) counts 9 bytes at byte 15, but only 3 are left" },
        // A count with the top bit set must not wrap into a small number.
        { "Title " + Bytes({ 0xFF, 0xFF, 0xFF, 0xFF }),
          "Settings batch: the string of key \"Title\" (byte 0) counts 4294967295 bytes at byte 6, but only 0 are left" },
        { first + "Left", "Settings batch ends inside the key \"Left\" at byte 9: no space follows it" },
        { first + " " + Bytes({ 0 }), "Settings batch has an empty key at byte 9" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ExpectRaise<UnsupportedOperationException>([&] { DecodeSettingsBatch(c.batch, TypeOf); }, c.message);
    }
}

TEST(SettingValue, ReadingAsAnotherTypeIsRefused)
{
    SettingValue flag { true };
    ExpectRaise<UnsupportedOperationException>([&] { flag.AsInt32(); }, "A setting of type Boolean was read as Int32");
    SettingValue text { String("x") };
    ExpectRaise<UnsupportedOperationException>([&] { text.AsColour(); }, "A setting of type String was read as Colour");
}

// A class with one key of its own and one of its base's, recording the order
// of what it is given.
class ProbeBase : public Object {
public:
    static const ClassRecord& Class()
    {
        static const ClassRecord& record = ClassRegistry::Register(
            ClassRecordBuilder("SettingsProbeBase", &Object::Class())
                .Setting("Left", SettingType::Int32,
                         [](Object& o, const SettingValue& v) {
                             static_cast<ProbeBase&>(o).log.push_back("Left=" + std::to_string(v.AsInt32()));
                         })
                .Build());
        return record;
    }
    const ClassRecord& ClassInfo() const override { return Class(); }
    std::vector<std::string> log;
};

class Probe : public ProbeBase {
public:
    static const ClassRecord& Class()
    {
        static const ClassRecord& record = ClassRegistry::Register(
            ClassRecordBuilder("SettingsProbe", &ProbeBase::Class())
                .Setting("Title", SettingType::String,
                         [](Object& o, const SettingValue& v) {
                             static_cast<Probe&>(o).log.push_back("Title=" + v.AsString().ToStdString());
                         })
                .Build());
        return record;
    }
    const ClassRecord& ClassInfo() const override { return Class(); }
};

TEST(SetProperties, SetsEachKeyInBatchOrderThroughTheClassAndItsBases)
{
    Ref<Probe> probe = New<Probe>();
    SetProperties(*probe, SettingsBatch().StringEntry("Title", "a").Int32Entry("Left", -3).StringEntry("Title", "b").Build());
    EXPECT_EQ(probe->log, (std::vector<std::string> { "Title=a", "Left=-3", "Title=b" }));
}

TEST(SetProperties, ABadBatchIsRefusedAndChangesNothing)
{
    const std::string good = SettingsBatch().StringEntry("Title", "a").Int32Entry("Left", 1).Build().ToStdString();
    Ref<Probe> probe = New<Probe>();
    ExpectRaise<KeyNotFoundException>(
        [&] { SetProperties(*probe, String(good + SettingsBatch().BooleanEntry("Visible", true).Build().ToStdString())); },
        "Class SettingsProbe has no settings key \"Visible\"");
    ExpectRaise<UnsupportedOperationException>(
        [&] { SetProperties(*probe, String(good + "Left " + Bytes({ 0 }))); },
        "Settings batch is cut short in the 4-byte value of key \"Left\" (byte 20): 4 bytes wanted at byte 25, 1 left");
    EXPECT_TRUE(probe->log.empty());
    // The base does not know its subclass's key.
    Ref<ProbeBase> base = New<ProbeBase>();
    ExpectRaise<KeyNotFoundException>([&] { SetProperties(*base, SettingsBatch().StringEntry("Title", "a").Build()); },
                                      "Class SettingsProbeBase has no settings key \"Title\"");
}

} // namespace
