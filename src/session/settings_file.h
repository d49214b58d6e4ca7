#pragma once
// The settings file as data, for any front end: reading it changes nothing on disk.

#include "devices/device_state.h"
#include "session/state.h"

#include <filesystem>

namespace kestro {

// <config folder>/kestro.cfg
std::filesystem::path settingsPath();

// Reads the settings file into `settings` and the device index. A line that is not
// understood leaves its value as it was; the device lines are matched by running the
// catalogue lookup over `dev`, whose fields are left as that search leaves them. False
// (and nothing changed) when there is no readable file.
bool readSettingsFile(Settings& settings, SelectedDevice& dev);

// Writes them, the folder created first; false when the file could not be written.
bool writeSettingsFile(const Settings& settings, const SelectedDevice& dev);

} // namespace kestro
