#include "Settings.h"

#include "Exceptions.h"

#include <iterator>

namespace {

const char* TypeName(std::size_t variantIndex)
{
    static const char* const names[] = { "Int32", "Boolean", "Colour", "String" };
    return variantIndex < std::size(names) ? names[variantIndex] : "unknown";
}

template <class T>
const T& Expect(const SettingValue& setting, const char* wanted)
{
    if (const T* value = std::get_if<T>(&setting.value))
        return *value;
    Raise<UnsupportedOperationException>(std::string("A setting of type ") + TypeName(setting.value.index())
                                         + " was read as " + wanted);
}

template <class T>
SettingValue Make(T value)
{
    return SettingValue { decltype(SettingValue::value)(std::in_place_type<T>, std::move(value)) };
}

void AppendBigEndian(std::string& bytes, std::uint32_t value)
{
    bytes.push_back(static_cast<char>(value >> 24));
    bytes.push_back(static_cast<char>(value >> 16));
    bytes.push_back(static_cast<char>(value >> 8));
    bytes.push_back(static_cast<char>(value));
}

// Reads the batch front to back; every failure names the key it was in and
// the byte offset where the trouble starts.
class BatchReader {
public:
    explicit BatchReader(std::string_view batch) : batch_(batch) { }

    bool AtEnd() const { return offset_ == batch_.size(); }

    std::string Key()
    {
        std::size_t start = offset_;
        std::size_t space = batch_.find(' ', start);
        if (space == std::string_view::npos)
            Raise<UnsupportedOperationException>("Settings batch ends inside the key \""
                                                 + std::string(batch_.substr(start)) + "\" at byte "
                                                 + std::to_string(start) + ": no space follows it");
        if (space == start)
            Raise<UnsupportedOperationException>("Settings batch has an empty key at byte " + std::to_string(start));
        key_ = std::string(batch_.substr(start, space - start));
        keyOffset_ = start;
        offset_ = space + 1;
        return key_;
    }

    SettingValue Value(SettingType type)
    {
        switch (type) {
        case SettingType::Int32:
            return Make<Int32>(static_cast<Int32>(BigEndian()));
        case SettingType::Boolean:
            return Make<bool>(Bytes(1, "boolean")[0] != 0);
        case SettingType::Colour: {
            std::string_view rgb = Bytes(3, "colour");
            return Make(Colour { static_cast<std::uint8_t>(rgb[0]), static_cast<std::uint8_t>(rgb[1]),
                                 static_cast<std::uint8_t>(rgb[2]) });
        }
        case SettingType::String: {
            std::size_t countAt = offset_;
            std::uint32_t count = BigEndian();
            if (count > batch_.size() - offset_)
                Raise<UnsupportedOperationException>(
                    "Settings batch: the string of key \"" + key_ + "\" (byte " + std::to_string(keyOffset_)
                    + ") counts " + std::to_string(count) + " bytes at byte " + std::to_string(countAt) + ", but only "
                    + std::to_string(batch_.size() - offset_) + " are left");
            return Make(String(Bytes(count, "string")));
        }
        }
        Raise<UnsupportedOperationException>("Settings key \"" + key_ + "\" has a type the decoder does not know");
    }

private:
    std::string_view Bytes(std::size_t count, const char* what)
    {
        if (count > batch_.size() - offset_)
            Raise<UnsupportedOperationException>("Settings batch is cut short in the " + std::string(what)
                                                 + " value of key \"" + key_ + "\" (byte "
                                                 + std::to_string(keyOffset_) + "): " + std::to_string(count)
                                                 + " bytes wanted at byte " + std::to_string(offset_) + ", "
                                                 + std::to_string(batch_.size() - offset_) + " left");
        std::string_view bytes = batch_.substr(offset_, count);
        offset_ += count;
        return bytes;
    }

    std::uint32_t BigEndian()
    {
        std::string_view b = Bytes(4, "4-byte");
        std::uint32_t value = 0;
        for (char c : b)
            value = (value << 8) | static_cast<std::uint8_t>(c);
        return value;
    }

    std::string_view batch_;
    std::size_t offset_ = 0;
    std::string key_;
    std::size_t keyOffset_ = 0;
};

} // namespace

Int32 SettingValue::AsInt32() const { return Expect<Int32>(*this, "Int32"); }
bool SettingValue::AsBoolean() const { return Expect<bool>(*this, "Boolean"); }
Colour SettingValue::AsColour() const { return Expect<Colour>(*this, "Colour"); }
const String& SettingValue::AsString() const { return Expect<String>(*this, "String"); }

void SettingsBatch::Key(std::string_view key)
{
    if (key.empty() || key.find(' ') != std::string_view::npos)
        Raise<UnsupportedOperationException>("A settings key must be one word, not \"" + std::string(key) + "\"");
    bytes_.append(key);
    bytes_.push_back(' ');
}

SettingsBatch& SettingsBatch::Int32Entry(std::string_view key, Int32 value)
{
    Key(key);
    AppendBigEndian(bytes_, static_cast<std::uint32_t>(value));
    return *this;
}

SettingsBatch& SettingsBatch::BooleanEntry(std::string_view key, bool value)
{
    Key(key);
    bytes_.push_back(value ? '\1' : '\0');
    return *this;
}

SettingsBatch& SettingsBatch::ColourEntry(std::string_view key, Colour value)
{
    Key(key);
    bytes_.push_back(static_cast<char>(value.red));
    bytes_.push_back(static_cast<char>(value.green));
    bytes_.push_back(static_cast<char>(value.blue));
    return *this;
}

SettingsBatch& SettingsBatch::StringEntry(std::string_view key, std::string_view value)
{
    Key(key);
    AppendBigEndian(bytes_, static_cast<std::uint32_t>(value.size()));
    bytes_.append(value);
    return *this;
}

std::vector<DecodedSetting> DecodeSettingsBatch(std::string_view batch,
                                                const std::function<SettingType(const std::string&)>& typeOf)
{
    std::vector<DecodedSetting> settings;
    BatchReader reader(batch);
    while (!reader.AtEnd()) {
        std::string key = reader.Key();
        SettingValue value = reader.Value(typeOf(key));
        settings.emplace_back(std::move(key), std::move(value));
    }
    return settings;
}

void SetProperties(Object& object, const String& batch)
{
    const ClassRecord& record = object.ClassInfo();
    auto entryOf = [&](const std::string& key) -> const PropertyEntry& {
        const PropertyEntry* entry = record.FindProperty(key);
        if (!entry)
            Raise<KeyNotFoundException>("Class " + record.name + " has no settings key \"" + key + "\"");
        return *entry;
    };
    // Everything is decoded before anything is set, so a bad batch changes nothing.
    auto settings = DecodeSettingsBatch(batch.View(), [&](const std::string& key) { return entryOf(key).type; });
    for (const auto& [key, value] : settings) {
        const PropertyEntry& entry = entryOf(key);
        if (entry.set)
            entry.set(object, value);
    }
}
