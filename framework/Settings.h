#pragma once

#include "Object.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

struct Colour {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

struct SettingValue {
    std::variant<Int32, bool, Colour, String> value;

    Int32 AsInt32() const;
    bool AsBoolean() const;
    Colour AsColour() const;
    const String& AsString() const;
};

// A settings batch: the entries of one object back to back, each
// "key", a space, and the value laid out by the key's type: int32 as 4 bytes
// big-endian, boolean as 1 byte, colour as 3 bytes (red, green, blue), string
// as a 4-byte big-endian byte count and its UTF-8 bytes. No count, no
// separator, no terminator: the batch's length is where it ends.
class SettingsBatch {
public:
    SettingsBatch& Int32Entry(std::string_view key, Int32 value);
    SettingsBatch& BooleanEntry(std::string_view key, bool value);
    SettingsBatch& ColourEntry(std::string_view key, Colour value);
    SettingsBatch& StringEntry(std::string_view key, std::string_view value);
    String Build() const { return String(bytes_); }

private:
    void Key(std::string_view key);
    std::string bytes_;
};

using DecodedSetting = std::pair<std::string, SettingValue>;

// Decodes a batch, taking each key's type from typeOf (which raises for an
// unknown key). Raises UnsupportedOperationException, naming the key and
// offset, for a batch that is cut short or malformed.
std::vector<DecodedSetting> DecodeSettingsBatch(std::string_view batch,
                                                const std::function<SettingType(const std::string&)>& typeOf);

// Decodes the batch by the key types of the object's class and sets each
// property; a key the class does not know raises KeyNotFoundException.
void SetProperties(Object& object, const String& batch);
