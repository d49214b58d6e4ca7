#include "devices/serial_parameters.h"

#include "devices/catalogue.h"

#include <iterator>

namespace kestro {
namespace {

// A and B by access: three-wire EEPROMs get start bit, opcode and address field, the
// SPI EEPROMs their read 0x03 and write 0x02 opcodes. C and D whatever the access:
// erase/write enable for the three-wire parts, write enable 0x06 for the SPI parts
// (D = 0xFF marks those with two address bytes).
struct InstructionSet {
    uint8_t ab[3][2]; // {A, B} for erase, read data, program data
    uint8_t c, d;
};
// In the order of SerialSet, from As93C06 on.
constexpr InstructionSet kSets[] = {
    {{{0x20, 0x01}, {0x80, 0x01}, {0x40, 0x01}}, 0x30, 0x01}, // As93C06
    {{{0x40, 0x02}, {0x00, 0x03}, {0x80, 0x02}}, 0x60, 0x02}, // As93C46x8
    {{{0x00, 0x09}, {0x00, 0x0C}, {0x00, 0x0A}}, 0x80, 0x09}, // As93C56x8
    {{{0x80, 0x04}, {0x00, 0x06}, {0x00, 0x05}}, 0xC0, 0x04}, // As93C56x16
    {{{0x00, 0x12}, {0x00, 0x18}, {0x00, 0x14}}, 0x00, 0x13}, // As93C76
    {{{0x00, 0x00}, {0x03, 0x00}, {0x02, 0x00}}, 0x06, 0x00}, // As25C010
    {{{0x00, 0x00}, {0x03, 0x00}, {0x02, 0x00}}, 0x06, 0xFF}, // As25C160
};
static_assert(std::size(kSets) == static_cast<size_t>(SerialSet::As25C160));

} // namespace

SerialParameters serialParameters(int deviceIndex, SerialAccess access) {
    const SerialSet set = chipRow(deviceIndex).serial;
    if (set == SerialSet::None) return {};
    const InstructionSet& s = kSets[static_cast<size_t>(set) - 1];
    SerialParameters p;
    if (access != SerialAccess::Other) {
        const auto column = static_cast<size_t>(access);
        p.a = s.ab[column][0];
        p.b = s.ab[column][1];
    }
    p.c = s.c;
    p.d = s.d;
    return p;
}

} // namespace kestro
