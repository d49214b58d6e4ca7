#include "support/json_value.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdlib>

namespace kestro::test {

namespace {

class Reader {
public:
    explicit Reader(std::string_view t) : t_(t) {}

    bool value(JsonValue& v) {
        blanks();
        if (i_ >= t_.size()) return false;
        const char c = t_[i_];
        if (c == '{') return object(v);
        if (c == '[') return array(v);
        if (c == '"') {
            v.type = JsonValue::Type::String;
            return string(v.string);
        }
        if (word("true")) return v.type = JsonValue::Type::Bool, v.boolean = true, true;
        if (word("false")) return v.type = JsonValue::Type::Bool, v.boolean = false, true;
        if (word("null")) return v.type = JsonValue::Type::Null, true;
        return number(v);
    }
    bool atEnd() {
        blanks();
        return i_ == t_.size();
    }

private:
    void blanks() {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\n' || t_[i_] == '\r')) ++i_;
    }
    bool word(std::string_view w) {
        if (t_.substr(i_, w.size()) != w) return false;
        i_ += w.size();
        return true;
    }
    bool number(JsonValue& v) {
        const size_t start = i_;
        if (i_ < t_.size() && t_[i_] == '-') ++i_;
        const size_t digits = i_;
        while (i_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[i_]))) ++i_;
        if (i_ == digits) return false;
        if (i_ < t_.size() && t_[i_] == '.') {
            ++i_;
            const size_t frac = i_;
            while (i_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[i_]))) ++i_;
            if (i_ == frac) return false;
        }
        v.type = JsonValue::Type::Number;
        v.number = std::strtod(std::string(t_.substr(start, i_ - start)).c_str(), nullptr);
        return true;
    }
    bool string(std::string& out) {
        ++i_; // the quote
        while (i_ < t_.size()) {
            const char c = t_[i_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= t_.size()) return false;
            const char e = t_[i_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                if (i_ + 4 > t_.size()) return false;
                const long code = std::strtol(std::string(t_.substr(i_, 4)).c_str(), nullptr, 16);
                i_ += 4;
                if (code < 0x80) out += static_cast<char>(code);
                else out += '?'; // tests only meet ASCII escapes
                break;
            }
            default: return false;
            }
        }
        return false;
    }
    bool array(JsonValue& v) {
        v.type = JsonValue::Type::Array;
        ++i_;
        blanks();
        if (i_ < t_.size() && t_[i_] == ']') return ++i_, true;
        for (;;) {
            JsonValue item;
            if (!value(item)) return false;
            v.array.push_back(std::move(item));
            blanks();
            if (i_ >= t_.size()) return false;
            if (t_[i_] == ']') return ++i_, true;
            if (t_[i_++] != ',') return false;
        }
    }
    bool object(JsonValue& v) {
        v.type = JsonValue::Type::Object;
        ++i_;
        blanks();
        if (i_ < t_.size() && t_[i_] == '}') return ++i_, true;
        for (;;) {
            blanks();
            std::string key;
            if (i_ >= t_.size() || t_[i_] != '"' || !string(key)) return false;
            blanks();
            if (i_ >= t_.size() || t_[i_++] != ':') return false;
            JsonValue item;
            if (!value(item) || v.object.count(key)) return false; // duplicate keys are an error here
            v.object.emplace(std::move(key), std::move(item));
            blanks();
            if (i_ >= t_.size()) return false;
            if (t_[i_] == '}') return ++i_, true;
            if (t_[i_++] != ',') return false;
        }
    }

    std::string_view t_;
    size_t i_ = 0;
};

} // namespace

std::optional<JsonValue> parseJson(std::string_view text) {
    Reader r(text);
    JsonValue v;
    if (!r.value(v) || !r.atEnd()) return std::nullopt;
    return v;
}

std::optional<std::vector<JsonValue>> parseJsonLines(std::string_view text) {
    std::vector<JsonValue> lines;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        if (nl == std::string_view::npos) return std::nullopt; // every line ends with a newline
        // Strict first: a line a conforming parser refuses (not UTF-8, ...) is no line.
        if (!nlohmann::json::accept(text.substr(0, nl))) return std::nullopt;
        auto v = parseJson(text.substr(0, nl));
        if (!v) return std::nullopt;
        lines.push_back(std::move(*v));
        text.remove_prefix(nl + 1);
    }
    return lines;
}

} // namespace kestro::test
