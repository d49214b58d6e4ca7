#pragma once
// The Intel HEX writer for PIC devices: program words without blank runs, the ID
// and configuration records, 14-bit data EEPROM, the PIC18 upper areas; and plain
// bytes at byte addresses for the command line's files of other parts.

#include "buffers/path_parts.h"
#include "buffers/image_state.h"
#include "devices/device_state.h"

#include <cstdint>
#include <span>
#include <string>

namespace kestro {

// The path the writer uses: the extension ".hex" unless it is ".hex" in any case.
std::string hexSavePath(const PathParts& path);

// The whole file for the selected PIC device, CR LF line ends; without the program
// memory when `withProgram` is false (a read of the data memory alone).
std::string intelHexText(const Images& img, const SelectedDevice& dev, bool withProgram = true);

// Writes the file; false when it could not be created or written completely, in
// which case any previous file of that name is left as it was and `reason`, when
// given, says why.
bool writeIntelHex(const std::string& path, const Images& img, const SelectedDevice& dev,
                   bool withProgram = true, std::string* reason = nullptr);

// Plain bytes at byte addresses from `first`: data records of up to 16 bytes, each
// within a 16-byte line, an extended linear address record wherever the upper 16
// bits change (none below 64 KiB), CR LF line ends.
std::string intelHexBytesText(std::span<const uint8_t> bytes, uint32_t first);
// Writes them as writeIntelHex writes its file.
bool writeIntelHexBytes(const std::string& path, std::span<const uint8_t> bytes, uint32_t first,
                        std::string* reason = nullptr);

} // namespace kestro
