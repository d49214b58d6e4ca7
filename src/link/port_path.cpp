#include "link/port_path.h"

#include "link/config_dir.h"

namespace kestro {

std::string portNameOfIndex(int portIndex) {
    if (portIndex < 0 || portIndex > 3) return {};
    return "COM" + std::to_string(portIndex + 1);
}

int portIndexOfName(const std::string& portName) {
    for (int i = 0; i < 4; ++i)
        if (portName == portNameOfIndex(i)) return i;
    return -1;
}

std::filesystem::path portLinkPath(const std::string& portName) {
    return configDir() / portName;
}

std::filesystem::path portDevicePath(const std::string& portName) {
    const int i = portIndexOfName(portName);
    if (i < 0) return portName;
    const std::filesystem::path link = portLinkPath(portName);
    std::error_code ec;
    const auto type = std::filesystem::symlink_status(link, ec).type();
    if (type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none)
        return link;
    return "/dev/ttyS" + std::to_string(i);
}

} // namespace kestro
