#pragma once
// Three-wire (Microwire) serial EEPROMs, 93Cxx and 59Cxx: CS high selects, a start bit
// (DI high on a rising SK) opens an instruction of two opcode bits and an address
// field as wide as the organisation the ORG pin chooses, and the falling CS starts a
// self-timed write. Writes need EWEN first. A 93Cxx shows busy low on DO when CS is
// raised during the write cycle, ready high; the 59Cxx tell it on their RDY/BSY pin,
// which the board does not wire, and have no ERASE instruction.

#include "board/chip_model.h"

namespace kestro::board {

struct MicrowireChipShape {
    uint32_t size = 0;      // bytes
    int addressBits16 = 6;  // address field in 16-bit organisation; one more for 8-bit
    bool statusOnDo = true; // 93Cxx: busy/ready on DO
    bool hasErase = true;   // the single-word ERASE instruction
    Nanos writeTime = 5 * kMillisecond;
    Nanos eraseAllTime = 10 * kMillisecond;
    Nanos writeAllTime = 15 * kMillisecond;
    Nanos minHigh = 250, minLow = 250; // SK, 2 MHz class
};

class MicrowireChip : public ChipModel {
  public:
    MicrowireChip(const MicrowireChipShape& shape, std::vector<uint8_t>& memory)
        : shape_(shape), mem_(memory) {}
    void pins(const SocketPins& p, Nanos now) override;
    bool dataOut() const override { return do_; }
    Nanos nextChange() const override { return phase_ == Phase::Status ? busyUntil_ : kNever; }

  private:
    enum class Phase { Deselected, WaitStart, Instruction, DataIn, ReadOut, Done, Status };
    enum class Pending { None, Write, Erase, EraseAll, WriteAll };
    void rise(bool di, Nanos now);
    void decode(Nanos now);
    void deselect(Nanos now);
    int addressBits() const { return shape_.addressBits16 + (wide_ ? 0 : 1); }
    int wordBits() const { return wide_ ? 16 : 8; }
    uint32_t words() const { return wide_ ? shape_.size / 2 : shape_.size; }
    uint16_t word(uint32_t w) const;
    void setWord(uint32_t w, uint16_t v);

    MicrowireChipShape shape_;
    std::vector<uint8_t>& mem_;
    bool cs_ = false, sk_ = false, do_ = true, wide_ = true, enabled_ = false;
    Phase phase_ = Phase::Deselected;
    Pending pending_ = Pending::None, dataFor_ = Pending::None;
    int bits_ = 0;
    uint32_t shift_ = 0, address_ = 0, data_ = 0;
    Nanos busyUntil_ = 0, lastRise_ = 0, lastFall_ = 0;
};

} // namespace kestro::board
