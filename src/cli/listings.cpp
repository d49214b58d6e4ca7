#include "cli/listings.h"

#include "devices/catalogue.h"
#include "devices/device_names.h"
#include "devices/selection_rules.h"
#include "devices/socket_pictures.h"
#include "devices/traits.h"
#include "link/handshake.h"
#include "link/port_path.h"
#include "link/serial_devices.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fnmatch.h>
#include <fstream>
#include <grp.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro::cli {

namespace {

std::string upperCase(std::string_view s) {
    std::string u(s);
    std::transform(u.begin(), u.end(), u.begin(), [](unsigned char c) { return std::toupper(c); });
    return u;
}

std::string size(uint32_t bytes) { return bytes ? std::to_string(bytes) : "-"; }

std::string family(int index) {
    const std::string_view menu = deviceMenuCaption(traitsOf(index).menu);
    if (!menu.empty()) return std::string(menu);
    return "family " + std::to_string(code(chipRow(index).family));
}

std::string socket(int index, uint8_t variant) {
    const CatalogueRow& row = chipRow(index);
    const std::string_view picture = socketPictureName(row.socketPicture, variant);
    const SocketPictureShape* desc = picture.empty() ? nullptr : socketPictureShape(picture);
    std::string text = desc ? std::to_string(desc->chipPins) + " in " + std::to_string(desc->socketPins) : "";
    if (needsExtensionSocket(index, row.family == Family::Pic, variant)) text += text.empty() ? "extension" : " + extension";
    return text.empty() ? "-" : text;
}

std::string pad(std::string s, size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s;
}

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// Why this user may not open a device, or empty when he may.
std::string refusal(const std::filesystem::path& path) {
    if (::access(path.c_str(), R_OK | W_OK) == 0) return {};
    const int e = errno;
    if (e == EACCES) {
        struct stat sb{};
        if (::stat(path.c_str(), &sb) == 0)
            if (const group* g = ::getgrgid(sb.st_gid)) return std::string("no permission (group ") + g->gr_name + ")";
        return "no permission";
    }
    return std::strerror(e);
}

PortEntry entryFor(std::string name, const std::filesystem::path& path) {
    PortEntry p;
    p.name = std::move(name);
    p.path = path.string();
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto target = std::filesystem::canonical(path, ec);
        p.device = ec ? std::filesystem::read_symlink(path, ec).string() + " (missing)" : target.string();
    }
    p.note = refusal(path);
    p.usable = p.note.empty();
    return p;
}

} // namespace

bool partMatches(std::string_view name, std::string_view pattern) {
    if (pattern.empty()) return true;
    const std::string n = upperCase(name), p = upperCase(pattern);
    if (p.find_first_of("*?[") != std::string::npos) return ::fnmatch(p.c_str(), n.c_str(), 0) == 0;
    return n.find(p) != std::string::npos;
}

bool listParts(Console& console, const std::string& pattern, const AdapterState* adapter) {
    const uint8_t variant = adapter ? adapter->socketVariant : 4;
    std::vector<std::string> rows;
    std::set<std::string_view> shown;
    for (int i = 0; i < kDeviceCount; ++i) {
        const std::string_view name = menuName(i); // as the window's menu shows it
        if (!partMatches(name, pattern) || !shown.insert(name).second) continue;
        const CatalogueRow& row = chipRow(i);
        const bool served = adapter && isAllowed(*adapter, i);
        if (console.json()) {
            JsonObject o;
            o.str("name", name).num("program_size", row.programSize).num("data_size", row.dataSize)
                .str("family", family(i)).str("socket", socket(i, variant));
            if (adapter) o.boolean("served", served);
            console.event("part", o);
        }
        // Columns a blank wider than their widest value (1048576 is seven digits).
        rows.push_back(trimmed(pad(std::string(name), 12) + pad(size(row.programSize), 9) +
                               pad(size(row.dataSize), 9) + pad(family(i), 15) +
                               pad(socket(i, variant), 22) + (adapter ? (served ? "yes" : "no") : "")));
    }
    if (rows.empty()) return false;
    console.data(trimmed(pad("PART", 12) + pad("PROGRAM", 9) + pad("DATA", 9) + pad("FAMILY", 15) +
                         pad("SOCKET", 22) + (adapter ? "SERVED" : "")));
    for (const std::string& row : rows) console.data(row);
    return true;
}

std::vector<PortEntry> scanPorts(const SerialRoots& roots) {
    std::vector<PortEntry> ports;
    for (int i = 0; i < 4; ++i) {
        const std::string name = portNameOfIndex(i);
        ports.push_back(entryFor(name, portDevicePath(name)));
    }
    for (const SerialDevice& d : listSerialDevices(roots)) {
        const bool listed = std::any_of(ports.begin(), ports.end(), [&](const PortEntry& p) {
            return p.path == d.path && !p.name.empty();
        });
        if (listed) continue;
        PortEntry e = entryFor({}, d.path);
        e.description = d.description;
        ports.push_back(std::move(e));
    }
    return ports;
}

void listPorts(Console& console, const std::vector<PortEntry>& ports) {
    std::vector<std::string> where;
    size_t wide = std::string_view("DEVICE").size();
    for (const PortEntry& p : ports) {
        where.push_back(p.device.empty() ? p.path : p.path + " -> " + p.device);
        wide = std::max(wide, where.back().size());
    }
    // Each column a blank wider than its widest value, however long a path is.
    if (!console.json()) console.data(trimmed(pad("PORT", 6) + pad("DEVICE", wide + 2) + pad("ACCESS", 36) + "DESCRIPTION"));
    for (size_t i = 0; i < ports.size(); ++i) {
        const PortEntry& p = ports[i];
        if (console.json()) {
            JsonObject o;
            o.str("name", p.name).str("path", p.path).str("device", p.device).boolean("usable", p.usable)
                .str("note", p.note).str("description", p.description);
            console.event("port", o);
            continue;
        }
        const std::string access = p.usable ? "yes" : "no: " + p.note;
        console.data(trimmed(pad(p.name.empty() ? "-" : p.name, 6) + pad(where[i], wide + 2) +
                             pad(access, std::max<size_t>(36, access.size() + 1)) + p.description));
    }
}

} // namespace kestro::cli
