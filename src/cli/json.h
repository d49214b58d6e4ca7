#pragma once
// Writing JSON: objects and arrays built member by member into one line.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro::cli {

// A string as a JSON string literal, quotes included; bytes that are not UTF-8 are
// written as U+FFFD.
std::string jsonQuoted(std::string_view text);
bool isUtf8(std::string_view text);

class JsonObject {
public:
    JsonObject& str(std::string_view key, std::string_view value);
    // A file name: as str, and when it is not UTF-8 also KEY_bytes, its bytes as numbers.
    JsonObject& path(std::string_view key, std::string_view value);
    JsonObject& num(std::string_view key, int64_t value);
    JsonObject& real(std::string_view key, double value); // three decimals
    JsonObject& boolean(std::string_view key, bool value);
    JsonObject& null(std::string_view key);
    JsonObject& raw(std::string_view key, std::string_view json); // already JSON
    std::string text() const { return "{" + body_ + "}"; }

private:
    void key(std::string_view k);
    std::string body_;
};

class JsonArray {
public:
    JsonArray& raw(std::string_view json);
    JsonArray& str(std::string_view value) { return raw(jsonQuoted(value)); }
    JsonArray& num(int64_t value) { return raw(std::to_string(value)); }
    std::string text() const { return "[" + body_ + "]"; }
    bool empty() const { return body_.empty(); }

private:
    std::string body_;
};

} // namespace kestro::cli
