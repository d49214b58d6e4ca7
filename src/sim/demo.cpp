#include "sim/demo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kestro {

SimChip demoChip() {
    SimChip chip = SimChip::blank(*chipByName(kDemoChipName));
    fillPattern(chip.memory);
    return chip;
}

std::string demoSettings() {
    return "Serialport:COM1\nDevice:" + std::string(kDemoChipName) +
           "\nVerify:Disabled\nDataProg:Disabled\n";
}

bool writeDemoSettings(const std::filesystem::path& configDir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(configDir, ec);
    const std::filesystem::path path = configDir / "kestro.cfg";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) return true;
    const std::string text = demoSettings();
    const bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (!ok) error = path.string() + ": " + std::strerror(errno);
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        error = path.string() + ": " + std::strerror(errno);
        return false;
    }
    return ok;
}

} // namespace kestro
