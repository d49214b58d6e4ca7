#include "link/config_dir.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace kestro {

namespace {
std::filesystem::path homeDir() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}
} // namespace

std::filesystem::path configDir() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path base;
    if (xdg && *xdg && std::filesystem::path(xdg).is_absolute())
        base = xdg;
    else
        base = homeDir() / ".config";
    return base / "kestro";
}

} // namespace kestro
