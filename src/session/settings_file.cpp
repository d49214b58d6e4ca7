// The settings file: port, device, the two Setup toggles and the last file name,
// one whitespace-separated word per line.

#include "buffers/atomic_file.h"
#include "buffers/regular_file.h"
#include "devices/catalogue.h"
#include "link/config_dir.h"
#include "session/settings_file.h"

#include <climits>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kestro {

namespace {

constexpr size_t kWordLimit = 39; // words of lines 1 to 4; longer ones are cut

std::string nextWord(std::istream& in) {
    std::string w;
    if (!(in >> w)) return {};
    if (w.size() > kWordLimit) w.resize(kWordLimit);
    return w;
}

// A name a file can have and the settings file can hold on one line.
bool usableFileName(const std::string& name) {
    return name.size() < PATH_MAX && name.find_first_of(std::string("\0\n", 2)) == std::string::npos;
}

// Line 5, the last file name, whole, so a path with spaces survives. Read no further
// than a usable name can go: a name that is too long is dropped, never cut to another.
std::string lastFileLine(std::istream& in) {
    in >> std::ws;
    std::string name;
    for (char c; name.size() < PATH_MAX && in.get(c) && c != '\n';) name += c;
    while (!name.empty() && (name.back() == '\r' || name.back() == ' ')) name.pop_back();
    return usableFileName(name) ? name : std::string();
}

// A settings file kept elsewhere (a dotfiles folder) is written through its link;
// a link to anything that does not read as settings is left alone.
bool linkTargetIsSettings(const std::string& path) {
    std::vector<uint8_t> head;
    if (!readRegularFile(path, head, 64)) return false;
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    const size_t first = text.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos || text.substr(first).starts_with("Serialport:");
}

} // namespace

std::filesystem::path settingsPath() { return configDir() / "kestro.cfg"; }

bool readSettingsFile(Settings& settings, SelectedDevice& dev) {
    const std::filesystem::path path = settingsPath();
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, ec)) in.open(path);
    if (!in.is_open()) return false;
    const std::string port = nextWord(in);
    for (int i = 0; i < 4; ++i)
        if (port == "Serialport:COM" + std::to_string(i + 1)) settings.portIndex = i;
    if (settings.portIndex > 3) settings.portIndex = 0;

    const std::string device = nextWord(in);
    int found = 0;
    for (int i = 0; i < kDeviceCount; ++i) {
        dev.index = i;
        catalogueLookup(dev);
        if (device == "Device:" + dev.name) {
            found = i;
            break;
        }
    }
    dev.index = found;

    const std::string verify = nextWord(in);
    if (verify == "Verify:Disabled") settings.verifyAfterProgram = false;
    if (verify == "Verify:Enabled") settings.verifyAfterProgram = true;
    const std::string data = nextWord(in);
    if (data == "DataProg:Disabled") settings.autoDataMemory = false;
    if (data == "DataProg:Enabled") settings.autoDataMemory = true;

    settings.lastFileName = lastFileLine(in);
    return true;
}

bool writeSettingsFile(const Settings& settings, const SelectedDevice& dev) {
    const std::filesystem::path path = settingsPath();
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::string text = "Serialport:COM";
    text += static_cast<char>('1' + settings.portIndex);
    text += "\nDevice:";
    text += dev.name;
    text += settings.verifyAfterProgram ? "\nVerify:Enabled\n" : "\nVerify:Disabled\n";
    text += settings.autoDataMemory ? "DataProg:Enabled\n" : "DataProg:Disabled\n";
    if (usableFileName(settings.lastFileName)) text += settings.lastFileName;
    AtomicFile out;
    bool ok = out.create(path.string(), linkTargetIsSettings);
    if (ok) {
        out.write(text.data(), text.size());
        ok = out.commit();
    }
    return ok;
}

} // namespace kestro
