#pragma once
// The demo that scripts/run starts: one concrete chip in the simulated socket and a
// settings file that selects it, so Identify and Read of the device shown succeed
// on a first run.

#include "sim/sim_chip.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kestro {

inline constexpr std::string_view kDemoChipName = "AT89C52";

// The demo chip: its program memory holds the recognisable pattern.
SimChip demoChip();

// Settings selecting the demo chip on COM1.
std::string demoSettings();

// Writes demoSettings() as the settings file of `configDir` unless one is there (a
// later run keeps what the user chose). False with a reason when it cannot be written.
bool writeDemoSettings(const std::filesystem::path& configDir, std::string& error);

} // namespace kestro
