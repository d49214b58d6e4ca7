#include "link/serial_devices.h"

#include "link/port_path.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace kestro {

namespace fs = std::filesystem;

namespace {

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    return line;
}

// The USB device above a tty names its maker and product; a ttyUSB sits two levels
// below it, a ttyACM one.
std::string usbDescription(const fs::path& sysEntry) {
    std::error_code ec;
    fs::path dir = fs::canonical(sysEntry / "device", ec);
    for (int up = 0; !ec && up < 4 && !dir.empty(); ++up, dir = dir.parent_path()) {
        const std::string product = firstLine(dir / "product");
        const std::string maker = firstLine(dir / "manufacturer");
        if (product.empty() && maker.empty()) continue;
        return maker.empty() ? product : product.empty() ? maker : maker + " " + product;
    }
    return {};
}

// A 16550-style port the kernel found no hardware behind reports type 0.
bool realUart(const fs::path& sysEntry) {
    std::ifstream type(sysEntry / "type");
    int t = -1;
    return !(type >> t) || t != 0;
}

std::vector<fs::path> sortedEntries(const fs::path& dir) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) found.push_back(e.path());
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

std::vector<SerialDevice> listSerialDevices(const SerialRoots& roots) {
    std::vector<SerialDevice> devices;
    std::error_code ec;
    for (const fs::path& link : sortedEntries(roots.dev / "serial" / "by-id")) {
        const fs::path target = fs::weakly_canonical(link.parent_path() / fs::read_symlink(link, ec));
        if (ec) continue;
        const std::string tty = target.filename().string();
        devices.push_back({link.string(), target.string(), usbDescription(roots.sysTty / tty)});
    }
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        for (const fs::path& sysEntry : sortedEntries(roots.sysTty)) {
            const std::string tty = sysEntry.filename().string();
            if (tty.rfind(prefix, 0) != 0 || !fs::exists(roots.dev / tty, ec)) continue;
            if (std::string_view(prefix) == "ttyS" && !realUart(sysEntry)) continue;
            devices.push_back({(roots.dev / tty).string(), {}, usbDescription(sysEntry)});
        }
    }
    return devices;
}

std::string portLinkTarget(const std::string& portName) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(portLinkPath(portName), ec);
    return ec ? std::string() : target.string();
}

std::string bindPort(const std::string& portName, const std::string& device) {
    if (portIndexOfName(portName) < 0) return "no port named '" + portName + "'";
    const fs::path link = portLinkPath(portName);
    std::error_code ec;
    fs::create_directories(link.parent_path(), ec);
    if (ec) return link.parent_path().string() + ": " + ec.message();
    const auto type = fs::symlink_status(link, ec).type();
    if (type != fs::file_type::not_found && type != fs::file_type::symlink)
        return link.string() + " is no link; it is left as it is";
    // A new link beside the old one, renamed over it: COMn never goes missing.
    const fs::path fresh = link.string() + ".new";
    fs::remove(fresh, ec);
    if (::symlink(device.c_str(), fresh.c_str()) != 0) return fresh.string() + ": " + std::strerror(errno);
    if (::rename(fresh.c_str(), link.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        fs::remove(fresh, ec);
        return link.string() + ": " + why;
    }
    return {};
}

} // namespace kestro
