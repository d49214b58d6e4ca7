#pragma once
// ELF executables as the toolchains link them: the loadable contents placed in the
// images. AVR parts read avr-gcc's address spaces (flash from 0, EEPROM at 0x810000,
// fuses at 0x820000, lock at 0x830000, signature at 0x840000); every other part
// reads its segments by physical address with the conventions of its HEX files.

#include "buffers/image_state.h"
#include "buffers/load_report.h"
#include "devices/device_state.h"

#include <cstdint>
#include <span>
#include <string>

namespace kestro {

// Clears the images and loads the file. Empty on success; otherwise the reason,
// and the images are left as they were. A byte outside the part refuses the file;
// the report says where the others went.
std::string loadElf(const std::string& path, Images& img, const SelectedDevice& dev,
                    LoadReport* report = nullptr);
// The same for a file already in memory.
std::string loadElf(std::span<const uint8_t> file, Images& img, const SelectedDevice& dev,
                    LoadReport* report = nullptr);

} // namespace kestro
