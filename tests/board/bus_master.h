#pragma once
// The board's side of the socket, played by hand: bit-banged I2C, Microwire and SPI
// masters that drive a chip model's pins at a chosen pace.

#include "board/chip_model.h"

#include <vector>

namespace kestro::board::test {

struct Master {
    ChipModel& chip;
    Nanos step = 5000; // between pin changes: 100 kHz I2C, slow enough for every chip
    Nanos t = 0;
    SocketPins p{};

    explicit Master(ChipModel& c, bool org = true) : chip(c) {
        p.org = org;
        chip.pins(p, t);
    }
    void settle() {
        t += step;
        chip.pins(p, t);
    }
    void wait(Nanos d) {
        t += d;
        chip.pins(p, t);
    }

    // I2C: the board releases a line or pulls it low.
    bool sda() const { return p.sdaFree && !chip.pullsSda(); }
    void start() {
        p.sdaFree = p.sclFree = true;
        settle();
        p.sdaFree = false;
        settle();
        p.sclFree = false;
        settle();
    }
    void stop() {
        p.sdaFree = false;
        settle();
        p.sclFree = true;
        settle();
        p.sdaFree = true;
        settle();
    }
    bool clockI2c(bool bit) {
        p.sdaFree = bit;
        settle();
        p.sclFree = true;
        settle();
        const bool seen = sda();
        p.sclFree = false;
        settle();
        return seen;
    }
    bool sendI2c(uint8_t byte) { // true when acknowledged
        for (int i = 7; i >= 0; --i)
            clockI2c((byte >> i) & 1);
        return !clockI2c(true);
    }
    uint8_t receiveI2c(bool ack) {
        uint8_t b = 0;
        for (int i = 0; i < 8; ++i)
            b = static_cast<uint8_t>(b << 1 | clockI2c(true));
        clockI2c(!ack);
        return b;
    }
    // START, device address with R/W, then the bytes; false at the first NACK.
    bool writeI2c(uint8_t device, const std::vector<uint8_t>& bytes, bool stopAfter = true) {
        start();
        bool ok = sendI2c(device);
        for (size_t i = 0; ok && i < bytes.size(); ++i)
            ok = sendI2c(bytes[i]);
        if (stopAfter || !ok) stop();
        return ok;
    }
    std::vector<uint8_t> readI2c(uint8_t device, size_t n) {
        std::vector<uint8_t> v;
        start();
        if (sendI2c(static_cast<uint8_t>(device | 1)))
            for (size_t i = 0; i < n; ++i)
                v.push_back(receiveI2c(i + 1 < n));
        stop();
        return v;
    }

    // Microwire and SPI: one clock with DI = bit; DO as it stands after the rising edge.
    bool clock(bool bit) {
        p.di = bit;
        settle();
        p.sk = true;
        settle();
        const bool out = chip.dataOut();
        p.sk = false;
        settle();
        return out;
    }
    uint32_t shift(uint32_t value, int bits) {
        uint32_t in = 0;
        for (int i = bits - 1; i >= 0; --i)
            in = in << 1 | clock((value >> i) & 1);
        return in;
    }
    void select(bool level) {
        p.cs = level;
        settle();
    }
};

} // namespace kestro::board::test
