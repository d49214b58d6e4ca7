#include "devices/serial_parameters.h"

#include "devices/index_ranges.h"

namespace kestro {
namespace {

using DeviceSet = IndexRange[3];

// A and B by access: three-wire EEPROMs get start bit, opcode and address field, the
// SPI EEPROMs their read 0x03 and write 0x02 opcodes.
struct InstructionRow {
    DeviceSet devices;
    uint8_t ab[3][2]; // {A, B} for erase, read data, program data
};
constexpr InstructionRow kInstructions[] = {
    {{{102, 102}, {104, 105}, kNoRange}, {{0x20, 0x01}, {0x80, 0x01}, {0x40, 0x01}}},
    {{{103, 103}, {109, 109}, kNoRange}, {{0x40, 0x02}, {0x00, 0x03}, {0x80, 0x02}}},
    {{{106, 106}, {137, 137}, kNoRange}, {{0x00, 0x09}, {0x00, 0x0C}, {0x00, 0x0A}}},
    {{{107, 108}, {110, 110}, {136, 136}}, {{0x80, 0x04}, {0x00, 0x06}, {0x00, 0x05}}},
    {{{111, 112}, {138, 138}, kNoRange}, {{0x00, 0x12}, {0x00, 0x18}, {0x00, 0x14}}},
    {{{130, 135}, kNoRange, kNoRange}, {{0x00, 0x00}, {0x03, 0x00}, {0x02, 0x00}}},
};

// C and D whatever the access: erase/write enable for the three-wire parts, write
// enable 0x06 for the SPI parts (D = 0xFF marks the three with two address bytes).
struct EnableRow {
    DeviceSet devices;
    uint8_t c, d;
};
constexpr EnableRow kEnables[] = {
    {{{102, 102}, {104, 105}, kNoRange}, 0x30, 0x01},
    {{{103, 103}, {109, 109}, kNoRange}, 0x60, 0x02},
    {{{106, 106}, {137, 137}, kNoRange}, 0x80, 0x09},
    {{{107, 108}, {110, 110}, {136, 136}}, 0xC0, 0x04},
    {{{111, 112}, {138, 138}, kNoRange}, 0x00, 0x13},
    {{{130, 132}, kNoRange, kNoRange}, 0x06, 0x00},
    {{{133, 135}, kNoRange, kNoRange}, 0x06, 0xFF},
};

} // namespace

SerialParameters serialParameters(int deviceIndex, SerialAccess access) {
    SerialParameters p;
    if (access != SerialAccess::Other) {
        const auto column = static_cast<size_t>(access);
        for (const InstructionRow& row : kInstructions) {
            if (!inRanges(row.devices, deviceIndex)) continue;
            p.a = row.ab[column][0];
            p.b = row.ab[column][1];
        }
    }
    for (const EnableRow& row : kEnables) {
        if (!inRanges(row.devices, deviceIndex)) continue;
        p.c = row.c;
        p.d = row.d;
    }
    return p;
}

} // namespace kestro
