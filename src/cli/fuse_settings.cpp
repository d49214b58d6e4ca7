#include "cli/fuse_settings.h"

#include "devices/traits.h"
#include "fuses/fuse_codec.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

namespace kestro::cli {

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A group caption without its colon: "Oscillator:" is "Oscillator".
std::string_view bareCaption(std::string_view caption) {
    while (!caption.empty() && (caption.back() == ':' || caption.back() == ' ')) caption.remove_suffix(1);
    return caption;
}

// A group caption as a name: "Oscillator:" is "oscillator".
std::string groupName(std::string_view caption) { return lower(bareCaption(caption)); }

std::string settingName(const Setting& s) {
    switch (s.kind) {
    case SettingKind::List: return groupName(s.group);
    case SettingKind::Id: return "id";
    default: return lower(s.caption);
    }
}

// The name with its group, as the panel shows them: "Write Protect:ON 0200h-1FFFh".
std::string qualifiedName(const Setting& s) {
    if (s.kind == SettingKind::List || s.kind == SettingKind::Id) return settingName(s);
    return groupName(s.group) + ":" + settingName(s);
}

// "group : item" and "group:item" are the same name.
std::string nameKey(std::string_view name) {
    std::string n = lower(name);
    if (const size_t colon = n.find(':'); colon != std::string::npos) {
        size_t a = colon, b = colon + 1;
        while (a > 0 && n[a - 1] == ' ') --a;
        while (b < n.size() && n[b] == ' ') ++b;
        n = n.substr(0, a) + ":" + n.substr(b);
    }
    return n;
}

// Each setting's name, with its group where the name alone is shared.
std::vector<std::string> uniqueNames(const std::vector<Setting>& settings) {
    std::vector<std::string> names;
    for (const Setting& s : settings) {
        const auto same = std::count_if(settings.begin(), settings.end(),
                                        [&](const Setting& x) { return settingName(x) == settingName(s); });
        names.push_back(same == 1 ? settingName(s) : qualifiedName(s));
    }
    return names;
}

// As the panel shows it: "Write Protect:ON 0200h-1FFFh".
std::string shownName(const Setting& s) {
    if (s.kind == SettingKind::List || s.kind == SettingKind::Id) return settingName(s);
    return std::string(bareCaption(s.group)) + ":" + std::string(s.caption);
}

std::optional<bool> onOff(std::string_view v) {
    const std::string l = lower(v);
    if (l == "1" || l == "on" || l == "yes" || l == "true") return true;
    if (l == "0" || l == "off" || l == "no" || l == "false") return false;
    return std::nullopt;
}

// An item by its text (any case) or its number from 0.
std::optional<int> choice(const Setting& s, std::string_view v) {
    for (size_t i = 0; i < s.choices.size(); ++i)
        if (lower(s.choices[i]) == lower(v)) return static_cast<int>(i);
    int n = -1;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec == std::errc() && end == v.data() + v.size() && n >= 0 &&
        static_cast<size_t>(n) < s.choices.size())
        return n;
    return std::nullopt;
}

struct Change {
    Setting setting;
    int index = -1; // list entry
    bool on = false;
    std::string id;
};

class LayoutFuseSettings : public FuseSettings {
public:
    bool set(State& st, std::string_view name, std::string_view value, std::string& error) override {
        const std::vector<Setting> settings = settingsOf(st.device.index);
        if (settings.empty()) {
            error = std::string("--fuse: the ") + st.device.name + " has no fuse settings";
            return false;
        }
        // By its own name, or by group and name where the name alone is not unique.
        std::vector<const Setting*> found;
        const std::string key = nameKey(name);
        for (const Setting& x : settings)
            if (settingName(x) == key || qualifiedName(x) == key) found.push_back(&x);
        if (found.empty()) {
            error = "--fuse: no setting '" + std::string(name) + "'; the " + st.device.name + " has:";
            for (const std::string& n : uniqueNames(settings)) error += " '" + n + "'";
            return false;
        }
        if (found.size() > 1) {
            error = "--fuse: '" + std::string(name) + "' names " + std::to_string(found.size()) +
                    " settings of the " + st.device.name + "; name one with its group:";
            for (const Setting* x : found) error += " '" + shownName(*x) + "'";
            return false;
        }
        const Setting* s = found.front();
        Change c{*s, -1, false, {}};
        switch (s->kind) {
        case SettingKind::List:
            if (const auto k = choice(*s, value)) c.index = *k;
            else return bad(error, name, value, "one of its items or its number");
            break;
        case SettingKind::Id: {
            const IdWidth width = picCoreOf(st.device.index) == PicCore::Pic18 ? IdWidth::Pic18 : IdWidth::Pic16;
            // Exactly what the panel's field takes: as many hex digits as it holds.
            const size_t digits = 2 * static_cast<size_t>(width);
            const bool hex = std::all_of(value.begin(), value.end(),
                                         [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)) != 0; });
            if (value.size() != digits || !hex || !parseIdField(value, width))
                return bad(error, name, value.size() > 40 ? value.substr(0, 40) : value,
                           std::to_string(digits) + " hex digits");
            c.id = std::string(value);
            break;
        }
        default:
            if (const auto on = onOff(value)) c.on = *on;
            else return bad(error, name, value, "on or off");
        }
        keep(std::move(c));
        return true;
    }

    bool setConfiguration(State& st, std::string_view hex, std::string& error, std::string& notice) override {
        const bool pic18 = picCoreOf(st.device.index) == PicCore::Pic18;
        const size_t bytes = pic18 ? 14 : 2;
        if (hex.size() != 2 * bytes || !std::all_of(hex.begin(), hex.end(), [](char ch) {
                return std::isxdigit(static_cast<unsigned char>(ch)) != 0;
            })) {
            error = "--config wants " + std::to_string(2 * bytes) + " hex digits: " +
                    (pic18 ? "configuration bytes 0 to 13 in order" : "the configuration word, high byte first");
            return false;
        }
        std::array<uint8_t, 14> v{};
        for (size_t k = 0; k < bytes; ++k)
            std::from_chars(hex.data() + 2 * k, hex.data() + 2 * k + 2, v[k], 16);
        auto& config = st.images.configBlock;
        if (pic18) std::copy_n(v.begin(), 14, config.begin());
        else config[1] = v[0], config[0] = v[1];
        notice = forcedBits(st, hex, bytes);
        return true;
    }

    bool setLockLevel(State& st, std::string_view level, std::string& error) override {
        for (const Setting& s : settingsOf(st.device.index)) {
            if (s.kind != SettingKind::List || !groupName(s.group).starts_with("lock")) continue;
            const auto k = choice(s, level);
            if (!k) {
                error = "--lock: '" + std::string(level) + "' is not one of the lock list's items or its number";
                return false;
            }
            keep(Change{s, *k, false, {}});
            return true;
        }
        error = std::string("--lock: the ") + st.device.name + " has no lock list";
        return false;
    }

    void apply(int, FuseValues& v) const override {
        for (const Change& c : changes_) {
            const Setting& s = c.setting;
            switch (s.kind) {
            case SettingKind::List: v.list[static_cast<size_t>(s.control)] = c.index; break;
            case SettingKind::Box: v.box[static_cast<size_t>(s.control)] = c.on; break;
            case SettingKind::Item: v.setChecked(s.control, s.item, c.on); break;
            case SettingKind::Id: v.id = c.id; break;
            }
        }
    }

private:
    // What the panel would make of the bytes: bits its layout fixes, said as the
    // configuration the part is then programmed with.
    static std::string forcedBits(const State& st, std::string_view hex, size_t bytes) {
        FuseBytes b;
        b.config = st.images.configBlock;
        b.id = st.images.idBlock;
        FuseBytes out = b;
        if (encode(st.device.index, decode(st.device.index, b), out) != ReadBack::Ok) return {};
        const bool pic18 = bytes == 14;
        std::string shown, mask;
        bool differs = false;
        char t[3];
        for (size_t k = 0; k < bytes; ++k) {
            const size_t i = pic18 ? k : 1 - k; // the word high byte first
            std::snprintf(t, sizeof t, "%02X", out.config[i]);
            shown += t;
            std::snprintf(t, sizeof t, "%02X", static_cast<unsigned>(out.config[i] ^ b.config[i]));
            mask += t;
            differs |= out.config[i] != b.config[i];
        }
        if (!differs) return {};
        return "--config " + std::string(hex) + " is programmed as " + shown + " on the " + st.device.name +
               ": its layout fixes the bits " + mask;
    }
    static bool bad(std::string& error, std::string_view name, std::string_view value, const std::string& wants) {
        error = "--fuse " + std::string(name) + ": '" + std::string(value) + "' is not " + wants;
        return false;
    }
    // A setting given again replaces the earlier value.
    void keep(Change c) {
        std::erase_if(changes_, [&](const Change& x) {
            return x.setting.kind == c.setting.kind && x.setting.control == c.setting.control &&
                   x.setting.item == c.setting.item;
        });
        changes_.push_back(std::move(c));
    }

    std::vector<Change> changes_;
};

} // namespace

std::vector<std::string> fuseSettingNames(int device) {
    const std::vector<Setting> settings = settingsOf(device);
    const std::vector<std::string> names = uniqueNames(settings);
    std::vector<std::string> lines;
    for (size_t k = 0; k < settings.size(); ++k) {
        const Setting& s = settings[k];
        std::string line = names[k];
        switch (s.kind) {
        case SettingKind::List:
            line += "=";
            for (size_t i = 0; i < s.choices.size(); ++i) line += (i ? "|" : "") + std::string(s.choices[i]);
            break;
        case SettingKind::Id:
            line += "=" + std::to_string(2 * static_cast<int>(picCoreOf(device) == PicCore::Pic18 ? IdWidth::Pic18
                                                                                                 : IdWidth::Pic16)) +
                    " hex digits";
            break;
        default: line += "=on|off"; break;
        }
        lines.push_back(line);
    }
    return lines;
}

std::unique_ptr<FuseSettings> layoutFuseSettings() { return std::make_unique<LayoutFuseSettings>(); }

} // namespace kestro::cli
