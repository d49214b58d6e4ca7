#pragma once
// Every test runs with its own empty config folder ($XDG_CONFIG_HOME), so no test
// reads or writes the user's settings, and no test sees another's settings file.

#include <filesystem>
#include <string>

namespace kestro::test {

std::filesystem::path testConfigDir(); // the folder's kestro/ subfolder
void writeSettingsFile(const std::string& text);
std::string readSettingsFile();

} // namespace kestro::test
