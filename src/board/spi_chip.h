#pragma once
// SPI serial EEPROMs (25Cxx) in mode 0: /CS low selects, SI is taken on the rising
// SCK, SO changes on the falling one. WREN sets the write-enable latch, a WRITE
// without it is ignored, the page buffer wraps within the page, /CS rising after
// whole bytes starts the self-timed write, which clears the latch when done; while it
// runs only RDSR (WIP, WEL) answers. One address byte up to 512 bytes (A8 in the
// opcode), two from the 25C160 on.

#include "board/chip_model.h"

namespace kestro::board {

struct SpiChipShape {
    uint32_t size = 0;
    int addressBytes = 1;
    uint32_t page = 16;
    Nanos writeTime = 5 * kMillisecond;
    Nanos minHigh = 150, minLow = 150; // SCK, 3 MHz class
};

class SpiChip : public ChipModel {
  public:
    SpiChip(const SpiChipShape& shape, std::vector<uint8_t>& memory)
        : shape_(shape), mem_(memory), loaded_(shape.page) {}
    void pins(const SocketPins& p, Nanos now) override;
    bool dataOut() const override { return so_; }

  private:
    enum class Phase { Deselected, Opcode, Address, ReadOut, StatusOut, DataIn, Ignore };
    void byteIn(Nanos now);
    void deselect(Nanos now);
    uint8_t status(Nanos now) const;

    SpiChipShape shape_;
    std::vector<uint8_t>& mem_;
    bool cs_ = true, sck_ = false, so_ = true, wel_ = false, writing_ = false;
    Phase phase_ = Phase::Deselected;
    int bits_ = 0, addressLeft_ = 0;
    uint8_t shift_ = 0, out_ = 0;
    uint32_t address_ = 0;
    unsigned outBits_ = 0;
    PageBuffer loaded_;
    Nanos busyUntil_ = 0, lastRise_ = 0, lastFall_ = 0;
};

} // namespace kestro::board
