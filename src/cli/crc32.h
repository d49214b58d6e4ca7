#pragma once
// CRC-32 (the one of zip and Ethernet), to name an image in results and journals.

#include <cstdint>
#include <span>
#include <string>

namespace kestro::cli {

// `crc`: that of the bytes before, to go on over pieces.
uint32_t crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);
std::string crcText(uint32_t crc); // eight upper-case hex digits

} // namespace kestro::cli
