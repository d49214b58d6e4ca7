#pragma once
// Command packet bytes 12..15 of the serial EEPROMs: the chips' own read, write and
// erase-all instructions and their enable instructions.

#include <cstdint>

namespace kestro {

// What the packet asks of a serial EEPROM.
enum class SerialAccess : uint8_t { Erase, ReadData, ProgramData, Other };

struct SerialParameters {
    uint8_t a = 0, b = 0, c = 0, d = 0;
};

// Bytes 12..15 for a serial EEPROM (zero where its tables name nothing).
SerialParameters serialParameters(int deviceIndex, SerialAccess access);

} // namespace kestro
