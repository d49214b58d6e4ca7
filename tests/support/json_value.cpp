#include "support/json_value.h"

#include <nlohmann/json.hpp>

#include <set>

namespace kestro::test {

namespace {

using Json = nlohmann::json;

JsonValue fromJson(const Json& j) {
    JsonValue v;
    switch (j.type()) {
    case Json::value_t::boolean: v.type = JsonValue::Type::Bool, v.boolean = j.get<bool>(); break;
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float: v.type = JsonValue::Type::Number, v.number = j.get<double>(); break;
    case Json::value_t::string: v.type = JsonValue::Type::String, v.string = j.get<std::string>(); break;
    case Json::value_t::array:
        v.type = JsonValue::Type::Array;
        for (const Json& item : j) v.array.push_back(fromJson(item));
        break;
    case Json::value_t::object:
        v.type = JsonValue::Type::Object;
        for (const auto& [key, item] : j.items()) v.object.emplace(key, fromJson(item));
        break;
    default: break;
    }
    return v;
}

} // namespace

std::optional<JsonValue> parseJson(std::string_view text) {
    // Duplicate keys are an error here: the parser would keep the last silently.
    std::vector<std::set<std::string>> keys;
    bool duplicate = false;
    const auto watch = [&](int, Json::parse_event_t event, Json& parsed) {
        if (event == Json::parse_event_t::object_start) keys.emplace_back();
        if (event == Json::parse_event_t::object_end) keys.pop_back();
        if (event == Json::parse_event_t::key) duplicate |= !keys.back().insert(parsed.get<std::string>()).second;
        return true;
    };
    const Json j = Json::parse(text, watch, false);
    if (j.is_discarded() || duplicate) return std::nullopt;
    return fromJson(j);
}

std::optional<std::vector<JsonValue>> parseJsonLines(std::string_view text) {
    std::vector<JsonValue> lines;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        if (nl == std::string_view::npos) return std::nullopt; // every line ends with a newline
        auto v = parseJson(text.substr(0, nl));
        if (!v) return std::nullopt;
        lines.push_back(std::move(*v));
        text.remove_prefix(nl + 1);
    }
    return lines;
}

} // namespace kestro::test
