#pragma once
// What the link keeps between exchanges, and what the adapter reported in the handshake.

#include "link/protocol.h"

#include <array>
#include <cstdint>
#include <string>

namespace kestro {

struct LinkState {
    std::string portName;  // "COM1".."COM4"; empty until start-up names it
    bool portOpen = false;
    uint8_t readStatus = 0; // of the last single-byte read: 0 a byte came, 3 nothing came
    // The command packet as last sent. Bytes 4..15 (indexes 3..14) are long-lived: only
    // the transfer range, the serial parameters and the hardware test rewrite them.
    std::array<uint8_t, kPacketSize> packet{};
    int32_t blockCountMinus1 = 0; // of the last transfer range, for the block loops
    uint8_t lastBlockLength = 0;
};

struct AdapterState {
    std::array<uint8_t, 8> capabilityMap{};
    std::array<bool, 256> allowed{}; // by device index: the adapter serves it
    std::array<std::string, 4> infoLines; // up to 32 characters each, as sent
    uint8_t socketVariant = 4;
    bool serialAdapter = false;
};

} // namespace kestro
