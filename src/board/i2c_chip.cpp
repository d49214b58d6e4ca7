#include "board/i2c_chip.h"

#include <cstdio>

namespace kestro::board {

namespace {
std::string hex(uint32_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "%04X", v);
    return s;
}
} // namespace

void I2cChip::pins(const SocketPins& p, Nanos now) {
    const bool scl = p.sclFree;
    const bool sda = p.sdaFree && !pull_;
    if (scl != scl_) {
        // Data must be stable before the clock rises; both at once is a setup violation.
        if (scl && sda != sda_ && phase_ != Phase::Idle) violation("SDA changed as SCL rose");
        scl_ = scl;
        if (scl)
            rise(sda, now);
        else
            fall(now);
    } else if (scl && sda != sda_) {
        if (sda)
            stop(now);
        else
            start(now);
    }
    sda_ = p.sdaFree && !pull_;
}

void I2cChip::start(Nanos now) {
    // The datasheets' set-up times, by the clock's class: SCL high as long as a clock's
    // high phase before SDA falls, the bus free as long as a low phase since a STOP.
    if (now - lastRise_ < shape_.minHigh)
        violation("START " + std::to_string(now - lastRise_) + " ns after SCL rose");
    if (stopped_ && now - lastStop_ < shape_.minLow)
        violation("START " + std::to_string(now - lastStop_) + " ns after a STOP");
    startAt_ = now;
    holdingStart_ = true;
    if (!loaded_.empty()) note("page load abandoned by a repeated START");
    loaded_.clear();
    phase_ = Phase::Receive;
    expect_ = Expect::Device;
    reading_ = false;
    bits_ = 0;
    pull_ = false;
}

void I2cChip::stop(Nanos now) {
    if (now - lastRise_ < shape_.minHigh)
        violation("STOP " + std::to_string(now - lastRise_) + " ns after SCL rose");
    lastStop_ = now;
    stopped_ = true;
    if (!loaded_.empty()) {
        // The clock that carries a STOP has already sampled one bit.
        if (phase_ == Phase::Receive && bits_ <= 1) {
            note("write of " + std::to_string(loaded_.size()) + " bytes at " +
                 hex(loaded_.first()) + ", busy for the write cycle");
            loaded_.burn(mem_);
            busyUntil_ = now + shape_.writeTime;
        } else {
            note("write abandoned: STOP inside a byte");
        }
        loaded_.clear();
    }
    idle();
}

void I2cChip::rise(bool sda, Nanos now) {
    if (phase_ != Phase::Idle && now - lastFall_ < shape_.minLow) {
        violation("SCL low for " + std::to_string(now - lastFall_) + " ns, before bit " +
                  std::to_string(bits_ + 1) + " of a byte");
        idle();
    }
    lastRise_ = now;
    if (phase_ == Phase::Receive) {
        shift_ = static_cast<uint8_t>(shift_ << 1 | sda);
        ++bits_;
    } else if (phase_ == Phase::AckIn) {
        acked_ = !sda;
    }
}

void I2cChip::fall(Nanos now) {
    if (phase_ != Phase::Idle && now - lastRise_ < shape_.minHigh) {
        violation("SCL high for " + std::to_string(now - lastRise_) + " ns, after bit " +
                  std::to_string(bits_) + " of a byte");
        idle();
        return;
    }
    lastFall_ = now;
    if (holdingStart_ && now - startAt_ < shape_.minHigh)
        violation("SCL fell " + std::to_string(now - startAt_) + " ns after a START");
    holdingStart_ = false;
    switch (phase_) {
    case Phase::Idle:
        break;
    case Phase::Receive:
        if (bits_ == 8) byteReceived(now);
        break;
    case Phase::AckOut:
        pull_ = false;
        bits_ = 0;
        if (reading_) {
            out_ = mem_[address_];
            phase_ = Phase::Send;
            sendBit();
        } else {
            phase_ = Phase::Receive;
        }
        break;
    case Phase::Send:
        if (++bits_ < 8) {
            sendBit();
        } else {
            pull_ = false; // the master acknowledges
            phase_ = Phase::AckIn;
        }
        break;
    case Phase::AckIn:
        if (!acked_) {
            idle(); // the master wants no more: it sends STOP next
            break;
        }
        address_ = (address_ + 1) % shape_.size;
        out_ = mem_[address_];
        bits_ = 0;
        phase_ = Phase::Send;
        sendBit();
        break;
    }
}

void I2cChip::byteReceived(Nanos now) {
    bool ack = true;
    switch (expect_) {
    case Expect::Device: {
        const uint8_t pinsMask = static_cast<uint8_t>(0x0E & ~((1u << (shape_.blockBits + 1)) - 1));
        // A0..A2 are tied low on the socket.
        if ((shift_ >> 4) != 0b1010 || (shift_ & pinsMask) != 0) {
            ack = false;
        } else if (busy(now)) {
            ack = false; // the write cycle runs: no answer (ACK polling)
        } else {
            block_ = (shift_ >> 1) & ((1u << shape_.blockBits) - 1);
            reading_ = shift_ & 1;
            if (reading_) {
                if (shape_.blockBits) address_ = (block_ << 8 | (address_ & 0xFF)) % shape_.size;
            } else {
                expect_ = shape_.addressBytes == 2 ? Expect::AddressHigh : Expect::AddressLow;
            }
        }
        break;
    }
    case Expect::AddressHigh:
        high_ = shift_;
        expect_ = Expect::AddressLow;
        break;
    case Expect::AddressLow:
        address_ = ((shape_.blockBits ? block_ : high_) << 8 | shift_) % shape_.size;
        expect_ = Expect::Data;
        break;
    case Expect::Data:
        address_ = loaded_.load(address_, shift_);
        break;
    }
    bits_ = 0;
    if (ack) {
        phase_ = Phase::AckOut;
        pull_ = true;
    } else {
        idle();
    }
}

} // namespace kestro::board
