#pragma once
// Reading JSON in tests: a conforming parser's result as a plain tree; a duplicate key
// is refused as well.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::test {

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<JsonValue> array;
    std::map<std::string, JsonValue> object;

    bool has(const std::string& key) const { return type == Type::Object && object.count(key); }
    const JsonValue& operator[](const std::string& key) const { return object.at(key); }
    int64_t integer() const { return static_cast<int64_t>(number); }
};

// The whole text must be one JSON value (surrounding blanks allowed).
std::optional<JsonValue> parseJson(std::string_view text);

// Each line of a JSON Lines text; nothing when any line is not JSON.
std::optional<std::vector<JsonValue>> parseJsonLines(std::string_view text);

} // namespace kestro::test
