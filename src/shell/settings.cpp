// The settings file: port, device, the two Setup toggles and the last file name,
// one whitespace-separated word per line.

#include "devices/catalogue.h"
#include "shell/paths.h"
#include "shell/tmyform.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <system_error>

namespace kestro {

namespace {

constexpr size_t kWordLimit = 39; // words of lines 1 to 4; longer ones are cut

std::string nextWord(std::istream& in) {
    std::string w;
    if (!(in >> w)) return {};
    if (w.size() > kWordLimit) w.resize(kWordLimit);
    return w;
}

std::filesystem::path settingsPath() { return configDir() / "kestro.cfg"; }

} // namespace

int TMyForm::readSettings() {
    const std::filesystem::path path = settingsPath();
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, ec)) in.open(path);
    if (!in.is_open()) {
        st.settings.portIndex = 0;
        st.device.index = 0;
        st.settings.verifyAfterProgram = 0;
        st.settings.autoDataMemory = 0;
        writeSettings();
        return -1;
    }
    const std::string port = nextWord(in);
    for (int i = 0; i < 4; ++i)
        if (port == "Serialport:COM" + std::to_string(i + 1)) st.settings.portIndex = i;
    if (st.settings.portIndex > 3) st.settings.portIndex = 0;

    const std::string device = nextWord(in);
    int found = 0;
    char formatted[40];
    for (int i = 0; i < kDeviceCount; ++i) {
        st.device.index = i;
        catalogueLookup(st.device);
        std::snprintf(formatted, sizeof formatted, "Device:%s", st.device.name);
        if (device == formatted) {
            found = i;
            break;
        }
    }
    st.device.index = found;

    const std::string verify = nextWord(in);
    if (verify == "Verify:Disabled") st.settings.verifyAfterProgram = 0;
    if (verify == "Verify:Enabled") st.settings.verifyAfterProgram = 1;
    const std::string data = nextWord(in);
    if (data == "DataProg:Disabled") st.settings.autoDataMemory = 0;
    if (data == "DataProg:Enabled") st.settings.autoDataMemory = 1;

    // The last line is the whole rest of the file, so a path with spaces survives.
    st.settings.lastFileName.clear();
    in >> std::ws;
    std::getline(in, st.settings.lastFileName);
    while (!st.settings.lastFileName.empty() &&
           (st.settings.lastFileName.back() == '\r' || st.settings.lastFileName.back() == ' '))
        st.settings.lastFileName.pop_back();
    return 0;
}

void TMyForm::writeSettings() {
    const std::filesystem::path path = settingsPath();
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    const std::filesystem::path tmp = path.string() + ".tmp";
    bool ok = false;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (out) {
            out << "Serialport:COM" << static_cast<char>('1' + st.settings.portIndex) << "\n"
                << "Device:" << st.device.name << "\n"
                << (st.settings.verifyAfterProgram ? "Verify:Enabled\n" : "Verify:Disabled\n")
                << (st.settings.autoDataMemory ? "DataProg:Enabled\n" : "DataProg:Disabled\n")
                << st.settings.lastFileName;
            out.flush();
            ok = static_cast<bool>(out);
        }
    }
    if (ok) {
        std::filesystem::rename(tmp, path, ec);
        ok = !ec;
    }
    if (!ok) {
        std::filesystem::remove(tmp, ec);
        showMessage("Can't Write ConfigFile!");
    }
}

} // namespace kestro
