#pragma once
// hwtest/ owns the hardware test: the pin pattern the user sets and the bytes that
// carry it to the adapter.

#include "link/link_state.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kestro {

// Items of the "VPP Connect To:" list for the adapter's socket variant (4 or 5; any
// other value is taken as the start value 4).
std::span<const std::string_view> vppPinItems(uint8_t socketVariant);
inline constexpr std::array<std::string_view, 4> kVppLevelItems{"5V", "12V", "21V", "25V"};
inline constexpr std::array<std::string_view, 2> kVceLevelItems{"5V", "6V"};

struct DriveBytes {
    uint8_t a, b, c;
};
// The drive bytes for the chosen VPP pin, VPP level and VCE level (list indexes).
DriveBytes driveBytes(uint8_t socketVariant, int pin, int vpp, int vce);

// Ports P0..P2 and the drive bytes into packet bytes 4 to 9, where a transfer keeps
// its start address and block length; they stay until the next transfer range.
void storeTestPattern(LinkState& link, const std::array<uint8_t, 3>& ports, DriveBytes d);

// Packet bytes 4 to 9 in words: the port lines set high, the VPP pin and level and the
// VCE level they stand for ("P0: none, P1: none, P2: P2.0-P2.7; VPP 5V on IC32/pin 1,
// VCE 5V").
std::string describeTestPattern(std::span<const uint8_t, 6> bytes, uint8_t socketVariant);

} // namespace kestro
