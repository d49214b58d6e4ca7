#pragma once
// Why this user may not open a port's device, and what gives access: on Debian serial
// ports belong to a group whose members may use them.

#include <string>

namespace kestro {

// What to tell a user who may not open the port's device: the group to join when
// one that is no privileged group may use it, else its owner and mode and the
// dialout group.
std::string permissionAdvice(const std::string& device, const std::string& user);

// The login name of the user running the program; "$USER" when it has none.
std::string loginName();

} // namespace kestro
