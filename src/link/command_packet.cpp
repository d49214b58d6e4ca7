// The command packet: its per-device serial parameters, the transfer range and the
// byte-by-byte echoed send, with the link's error messages.

#include "shell/index_ranges.h"
#include "shell/tmyform.h"

#include <cstdio>

namespace kestro {

namespace {

using DeviceSet = IndexRange[3];

// Serial parameters A and B (packet bytes 12, 13) by command: the chips' own read,
// write and erase-all instructions (three-wire EEPROMs: start bit, opcode, address
// field; SPI EEPROMs: the read 0x03 and write 0x02 opcodes).
int instructionColumn(Command command) {
    switch (command) {
    case Command::Erase: return 0;
    case Command::ReadData: return 1;
    case Command::ProgramData: return 2;
    default: return -1;
    }
}
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

// Serial parameters C and D (bytes 14, 15) whatever the command: erase/write enable
// for the three-wire parts, write enable 0x06 for the SPI parts (D = 0xFF marks the
// three with two address bytes).
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

constexpr DeviceSet kEpromFamilies = {{149, 163}, {177, 184}, kNoRange};
constexpr IndexRange kSerialEeproms{102, 143};

// Bytes 12..15 for the device and command. Devices outside the tables keep what the
// packet held before (the EPROM families rewrite only byte 12).
void applySerialParameters(LinkState& link, const SelectedDevice& dev, Command command) {
    auto& p = link.packet;
    const int i = dev.index;
    if (inRanges(kEpromFamilies, i)) p[kPosSerialA] = dev.epromClass;
    if (i < kSerialEeproms.first || i > kSerialEeproms.last) return;
    p[kPosSerialA] = p[kPosSerialB] = p[kPosSerialC] = p[kPosSerialD] = 0;
    if (const int column = instructionColumn(command); column >= 0) {
        for (const InstructionRow& row : kInstructions) {
            if (!inRanges(row.devices, i)) continue;
            p[kPosSerialA] = row.ab[column][0];
            p[kPosSerialB] = row.ab[column][1];
        }
    }
    for (const EnableRow& row : kEnables) {
        if (!inRanges(row.devices, i)) continue;
        p[kPosSerialC] = row.c;
        p[kPosSerialD] = row.d;
    }
}

} // namespace

void TMyForm::showLinkError(uint8_t code) {
    switch (code) {
    case kLinkEchoDiffered: showMessage("Communication Error !"); break;
    case kLinkInterrupted: showMessage("Operator Interrupt !"); break;
    case kLinkTimeout: showMessage("Serial Communication Timeout Error !"); break;
    default: break;
    }
}

int TMyForm::sendCommandPacket(Command command) {
    LinkState& link = st.link;
    if (st.hwTest.mode != 1) applySerialParameters(link, st.device, command);
    link.packet[kPosFamily] = st.device.family;
    link.packet[kPosDevice] = static_cast<uint8_t>(st.device.index & 0xFF);
    link.packet[kPosVoltage] = st.device.voltage;
    link.packet[kPosCommand] = static_cast<uint8_t>(command);
    link.packet[kPosTerminator] = kPacketTerminator;
    for (uint8_t b : link.packet) {
        if (const uint8_t r = exchange(b); r != kLinkOk) {
            showLinkError(r);
            return 1;
        }
    }
    return 0;
}

void TMyForm::computeTransferRange() {
    LinkState& link = st.link;
    MarkerArea& m = st.marker;
    int32_t countMinus1 = 0;
    uint32_t start = m.start;
    uint32_t end = m.end;
    if (m.set && wordAddressed(st.device.index, st.device.family)) {
        if (start & 1) m.start = --start;
        if (!(end & 1)) m.end = ++end;
        char text[kMessageTextSize];
        std::snprintf(text, sizeof text, "Marker Area  Start Address: %.6lXh  End Address: %.6lXh",
                      static_cast<unsigned long>(start), static_cast<unsigned long>(end));
        model.control("SLabel").caption = text;
        countMinus1 = static_cast<int32_t>((end - start) >> 7);
        link.lastBlockLength = static_cast<uint8_t>((end - start) % 128 + 1);
        start >>= 1;
    } else if (!m.set) {
        const uint32_t size =
            st.images.view == ProgramView ? st.device.programSize : st.device.dataSize;
        countMinus1 = static_cast<int32_t>(size / 128) - 1;
        link.lastBlockLength = 128;
    } else {
        countMinus1 = static_cast<int32_t>((end - start) >> 7);
        link.lastBlockLength = static_cast<uint8_t>((end - start) % 128 + 1);
    }
    if (countMinus1 == -1) countMinus1 = 0; // below one block: one short block
    link.blockCountMinus1 = countMinus1;
    link.packet[kPosCountLow] = static_cast<uint8_t>(countMinus1 & 0xFF);
    link.packet[kPosCountHigh] = static_cast<uint8_t>((countMinus1 >> 8) & 0xFF);
    link.packet[kPosStart0] = static_cast<uint8_t>(start & 0xFF);
    link.packet[kPosStart1] = static_cast<uint8_t>((start >> 8) & 0xFF);
    link.packet[kPosStart2] = static_cast<uint8_t>((start >> 16) & 0xFF);
    link.packet[kPosLastLength] = link.lastBlockLength;
}

} // namespace kestro
