#include "link/port_access.h"

#include <grp.h>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

namespace {

// A group whose members may do anything on the machine is no group to join for a port.
bool privilegedGroup(std::string_view name) {
    return name == "root" || name == "sudo" || name == "wheel" || name == "adm";
}

std::string modeText(mode_t m) {
    std::string t = S_ISCHR(m) ? "c" : S_ISDIR(m) ? "d" : "-";
    const char* rwx = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i) t += (m & (0400 >> i)) ? rwx[i] : '-';
    return t;
}

} // namespace

std::string permissionAdvice(const std::string& device, const std::string& user) {
    struct stat sb {};
    if (::stat(device.c_str(), &sb) != 0) return "You may not use " + device + ".";
    const struct group* g = ::getgrgid(sb.st_gid);
    const std::string groupName = g ? g->gr_name : std::to_string(sb.st_gid);
    const bool groupMay = (sb.st_mode & S_IRGRP) && (sb.st_mode & S_IWGRP);
    if (groupMay && !privilegedGroup(groupName))
        return "You may not use " + device + ". Members of the group '" + groupName +
               "' may; to become one (Debian): sudo adduser " + user + " " + groupName +
               ", then log out and in again.";
    const passwd* owner = ::getpwuid(sb.st_uid);
    return "You may not use " + device + ": it belongs to " + (owner ? owner->pw_name : std::to_string(sb.st_uid)) +
           ":" + groupName + " with mode " + modeText(sb.st_mode) +
           ". Serial ports are usually given to the group 'dialout' (a udev rule can do that for the "
           "adapter; see the README); to become a member: sudo adduser " + user + " dialout, then log out and in again.";
}

std::string loginName() {
    const passwd* pw = ::getpwuid(::getuid());
    return pw ? pw->pw_name : "$USER";
}

} // namespace kestro
