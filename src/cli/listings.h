#pragma once
// The two listings that need no chip: the parts of the catalogue and the serial
// ports of the machine.

#include "cli/console.h"
#include "link/link_state.h"
#include "link/serial_devices.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kestro::cli {

// Catalogue names matching PATTERN: a pattern with * or ? matches the whole name,
// anything else is looked for inside it; case is ignored. An empty pattern matches all.
bool partMatches(std::string_view name, std::string_view pattern);

// Lists the parts; with `adapter` also whether it serves each. False when none matched.
bool listParts(Console& console, const std::string& pattern, const AdapterState* adapter);

struct PortEntry {
    std::string name;   // "COM1".."COM4", or empty for a device found on its own
    std::string path;   // what would be opened
    std::string device; // where a link leads; empty when `path` is the device
    bool usable = false; // this user may open it for reading and writing
    std::string note;   // why not, or what it is
    std::string description; // USB maker and product
};

// COM1..COM4 as the window opens them, then every other serial device of the machine
// as the window's device chooser lists it.
std::vector<PortEntry> scanPorts(const SerialRoots& roots = {});
void listPorts(Console& console, const std::vector<PortEntry>& ports);

} // namespace kestro::cli
