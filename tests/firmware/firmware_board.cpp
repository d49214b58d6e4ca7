#include "firmware/firmware_board.h"

#include "link/protocol.h"

extern "C" {
#include "board.h"
#include "chip.h"
#include "protocol.h"
}

#include <algorithm>
#include <cassert>

namespace kestro::test {

namespace {
FirmwareBoard* board = nullptr;
} // namespace

FirmwareBoard::FirmwareBoard(VirtualClock& c) : clock(c) {
    assert(!board);
    board = this;
    proto_reset();
}

FirmwareBoard::~FirmwareBoard() { board = nullptr; }

void FirmwareBoard::feed(uint8_t b) {
    received.push_back(b);
    proto_byte(b);
}

void FirmwareBoard::feed(const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) feed(b);
}

std::vector<uint8_t> FirmwareBoard::take() {
    std::vector<uint8_t> v(out.begin(), out.end());
    out.clear();
    return v;
}

bool FirmwarePort::writeByte(uint8_t b) {
    if (!open_) return false;
    board_.feed(b);
    return true;
}

size_t FirmwarePort::read(uint8_t* buf, size_t n) {
    if (!open_) return 0;
    const size_t got = std::min(n, board_.out.size());
    std::copy_n(board_.out.begin(), got, buf);
    board_.out.erase(board_.out.begin(), board_.out.begin() + static_cast<std::ptrdiff_t>(got));
    if (got == 0)
        board_.clock.advance(static_cast<uint64_t>(readBudgetMs(n)));
    else if (got < n)
        board_.clock.advance(kReadIntervalMs);
    return got;
}

} // namespace kestro::test

// The board and the chip the firmware's protocol is built against.
extern "C" {

void board_send(uint8_t b) { kestro::test::board->out.push_back(b); }

uint32_t board_ms(void) { return static_cast<uint32_t>(kestro::test::board->clock.nowMs); }

uint8_t chip_begin(const struct fw_part* part, const uint8_t* packet) {
    auto& chip = kestro::test::board->chip;
    ++chip.begins;
    chip.part = *part;
    chip.parameters.assign(packet + KP_POS_SERIAL_A, packet + KP_POS_SERIAL_D + 1);
    const uint8_t command = packet[KP_POS_COMMAND];
    chip.inData = command == KP_CMD_READ_DATA || command == KP_CMD_PROGRAM_DATA;
    return chip.present ? 0 : 1;
}

uint8_t chip_read(uint16_t at, uint8_t* buf, uint8_t n) {
    auto& chip = kestro::test::board->chip;
    auto& memory = chip.active();
    if (chip.failingReads.count(++chip.reads)) return 1;
    if (!chip.present || at + n > memory.size()) return 1;
    std::copy_n(memory.begin() + at, n, buf);
    return 0;
}

uint8_t chip_write(uint16_t at, const uint8_t* buf, uint8_t n) {
    auto& chip = kestro::test::board->chip;
    auto& memory = chip.active();
    if (!chip.present || at + n > memory.size()) return 1;
    if (chip.keepsWrites) std::copy_n(buf, n, memory.begin() + at);
    return 0;
}

namespace {
bool inSystem(const kestro::test::FakeChip& chip) {
    return chip.part && (chip.part->bus == BUS_AVR || chip.part->bus == BUS_AT89);
}
} // namespace

uint8_t chip_erase(void) {
    auto& chip = kestro::test::board->chip;
    // the three-wire parts and the microcontrollers have one
    if (!chip.part || (chip.part->bus != BUS_MICROWIRE && !inSystem(chip))) return 1;
    ++chip.erases;
    std::fill(chip.memory.begin(), chip.memory.end(), 0xFF);
    std::fill(chip.data.begin(), chip.data.end(), 0xFF);
    return 0;
}

uint8_t chip_signature(uint8_t* sig) {
    auto& chip = kestro::test::board->chip;
    if (!inSystem(chip) || !chip.signature) return 1;
    std::copy(chip.signature->begin(), chip.signature->end(), sig);
    return 0;
}

uint8_t chip_read_fuses(uint8_t* fuses) {
    auto& chip = kestro::test::board->chip;
    if (!inSystem(chip)) return 1;
    std::copy(chip.fuses.begin(), chip.fuses.end(), fuses);
    return 0;
}

uint8_t chip_write_fuses(const uint8_t* fuses) {
    auto& chip = kestro::test::board->chip;
    if (!inSystem(chip) || chip.refusesFuses) return 1;
    chip.fuseWrites.push_back({fuses[0], fuses[1], fuses[2], fuses[3]});
    return 0;
}

uint8_t chip_lock(uint8_t mode) {
    auto& chip = kestro::test::board->chip;
    if (!inSystem(chip)) return 1;
    chip.locks.push_back(mode);
    return 0;
}

void chip_end(void) {
    if (kestro::test::board) ++kestro::test::board->chip.ends;
}

} // extern "C"
