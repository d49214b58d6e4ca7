#pragma once
// The Intel HEX dialect shared by the reader and the writer: record types and the
// file byte addresses of the PIC upper areas.

#include <cstddef>
#include <cstdint>

namespace kestro::hex {

inline constexpr uint8_t kTypeData = 0x00;
inline constexpr uint8_t kTypeEnd = 0x01;
inline constexpr uint8_t kTypeSegment = 0x02;
inline constexpr uint8_t kTypeLinear = 0x04;
inline constexpr uint8_t kTypeStartLinear = 0x05;

// 12-bit and 14-bit PIC: a word is two file bytes, low byte first.
inline constexpr uint32_t kPicIdAddress = 0x4000;      // ID words 0x2000..0x2003
inline constexpr uint32_t kPicConfigAddress = 0x400E;  // configuration word 0x2007
inline constexpr uint32_t kPicEepromFirst = 0x4200;    // data EEPROM from word 0x2100
inline constexpr uint32_t kPicEepromLast = 0x43FF;     // 256 data bytes, one word each
inline constexpr uint32_t k12BitConfigAddress = 0x1FFE; // word 0xFFF
inline constexpr size_t kPicIdFirst = 8;               // ID words land in ID block bytes 8..11

// PIC18: upper addresses of the ID, configuration and data EEPROM areas.
inline constexpr uint8_t kPic18IdUpper = 0x20;
inline constexpr uint8_t kPic18ConfigUpper = 0x30;
inline constexpr uint8_t kPic18EepromUpper = 0xF0;
inline constexpr uint32_t kPic18IdAddress = uint32_t{kPic18IdUpper} << 16;
inline constexpr uint32_t kPic18ConfigAddress = uint32_t{kPic18ConfigUpper} << 16;
inline constexpr uint32_t kPic18EepromAddress = uint32_t{kPic18EepromUpper} << 16;
inline constexpr size_t kPic18IdBytes = 8;
inline constexpr size_t kPic18ConfigBytes = 14;
inline constexpr uint32_t kPic18DeviceIdAddress = 0x3FFFFE; // two bytes, read-only in the chip

} // namespace kestro::hex
