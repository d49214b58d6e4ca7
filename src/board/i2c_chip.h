#pragma once
// Two-wire serial EEPROMs (24Cxx, PCF8582): device address 1010 A2 A1 A0 R/W (on the
// 24C04..24C16 block-select bits take the place of A0..A2), one or two word-address
// bytes, a page buffer whose address wraps within the page, and a self-timed write
// cycle during which the chip answers no address (ACK polling).

#include "board/chip_model.h"

namespace kestro::board {

struct I2cChipShape {
    uint32_t size = 0;
    int addressBytes = 1;
    int blockBits = 0; // device-address bits that carry the high address bits
    uint32_t page = 8;
    Nanos writeTime = 5 * kMillisecond;
    Nanos minLow = 1300, minHigh = 600; // SCL, 400 kHz class
};

class I2cChip : public ChipModel {
  public:
    I2cChip(const I2cChipShape& shape, std::vector<uint8_t>& memory)
        : shape_(shape), mem_(memory), loaded_(shape.page) {}
    void pins(const SocketPins& p, Nanos now) override;
    bool pullsSda() const override { return pull_; }
    Nanos nextChange() const override { return kNever; }
    bool busy(Nanos now) const { return now < busyUntil_; }

  private:
    enum class Phase { Idle, Receive, AckOut, Send, AckIn };
    enum class Expect { Device, AddressHigh, AddressLow, Data };
    void start(Nanos now);
    void stop(Nanos now);
    void rise(bool sda, Nanos now);
    void fall(Nanos now);
    void byteReceived(Nanos now);
    void sendBit() { pull_ = !((out_ >> (7 - bits_)) & 1); }
    void idle() {
        phase_ = Phase::Idle;
        pull_ = false;
    }

    I2cChipShape shape_;
    std::vector<uint8_t>& mem_;
    bool scl_ = true, sda_ = true, pull_ = false;
    Phase phase_ = Phase::Idle;
    Expect expect_ = Expect::Device;
    bool reading_ = false, acked_ = false;
    int bits_ = 0;
    uint8_t shift_ = 0, out_ = 0;
    uint32_t block_ = 0, high_ = 0, address_ = 0;
    PageBuffer loaded_;
    Nanos busyUntil_ = 0, lastRise_ = 0, lastFall_ = 0, lastStop_ = 0, startAt_ = 0;
    bool stopped_ = false, holdingStart_ = false;
};

} // namespace kestro::board
