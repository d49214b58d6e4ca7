#include "cli/json.h"

#include <cmath>
#include <cstdio>

namespace kestro::cli {

std::string jsonQuoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", u);
                out += esc;
            } else {
                out += c; // UTF-8 passes as it is
            }
        }
    }
    return out + "\"";
}

void JsonObject::key(std::string_view k) {
    if (!body_.empty()) body_ += ',';
    body_ += jsonQuoted(k);
    body_ += ':';
}

JsonObject& JsonObject::str(std::string_view k, std::string_view value) {
    key(k);
    body_ += jsonQuoted(value);
    return *this;
}

JsonObject& JsonObject::num(std::string_view k, int64_t value) {
    key(k);
    body_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::real(std::string_view k, double value) {
    key(k);
    if (!std::isfinite(value)) {
        body_ += "null";
        return *this;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.3f", value);
    body_ += text;
    return *this;
}

JsonObject& JsonObject::boolean(std::string_view k, bool value) {
    key(k);
    body_ += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::null(std::string_view k) {
    key(k);
    body_ += "null";
    return *this;
}

JsonObject& JsonObject::raw(std::string_view k, std::string_view json) {
    key(k);
    body_ += json;
    return *this;
}

JsonArray& JsonArray::raw(std::string_view json) {
    if (!body_.empty()) body_ += ',';
    body_ += json;
    return *this;
}

} // namespace kestro::cli
