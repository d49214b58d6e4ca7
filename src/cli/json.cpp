#include "cli/json.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace kestro::cli {

std::string jsonQuoted(std::string_view text) {
    // Every line must be UTF-8 (RFC 8259): a byte that is not becomes U+FFFD.
    return nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool isUtf8(std::string_view text) {
    try {
        (void)nlohmann::json(std::string(text)).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
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

JsonObject& JsonObject::path(std::string_view k, std::string_view value) {
    str(k, value);
    if (isUtf8(value)) return *this;
    JsonArray bytes;
    for (char c : value) bytes.num(static_cast<unsigned char>(c));
    return raw(std::string(k) + "_bytes", bytes.text());
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
