#include "board/spi_chip.h"

namespace kestro::board {

namespace {
constexpr uint8_t kWrsr = 0x01, kWrite = 0x02, kRead = 0x03, kWrdi = 0x04, kRdsr = 0x05,
                  kWren = 0x06;
constexpr uint8_t kWip = 0x01, kWel = 0x02;
} // namespace

uint8_t SpiChip::status(Nanos now) const {
    const bool busy = now < busyUntil_;
    return static_cast<uint8_t>((busy ? kWip : 0) | (busy || wel_ ? kWel : 0));
}

void SpiChip::pins(const SocketPins& p, Nanos now) {
    if (now >= busyUntil_ && writing_) {
        writing_ = false;
        wel_ = false; // a finished write leaves the chip write-protected again
    }
    if (p.cs != cs_) {
        cs_ = p.cs;
        if (cs_) {
            deselect(now);
        } else {
            phase_ = Phase::Opcode;
            bits_ = 0;
        }
    }
    if (p.sk == sck_) return;
    sck_ = p.sk;
    if (!cs_) {
        const Nanos since = now - (sck_ ? lastFall_ : lastRise_);
        if (since < (sck_ ? shape_.minLow : shape_.minHigh))
            violation("SCK " + std::string(sck_ ? "low" : "high") + " for " +
                      std::to_string(since) + " ns");
    }
    (sck_ ? lastRise_ : lastFall_) = now;
    if (cs_) return;
    if (sck_) {
        shift_ = static_cast<uint8_t>(shift_ << 1 | p.di);
        if (++bits_ == 8) {
            bits_ = 0;
            byteIn(now);
        }
        return;
    }
    if (phase_ != Phase::ReadOut && phase_ != Phase::StatusOut) return;
    const unsigned bit = outBits_++ % 8;
    if (bit == 0 && outBits_ > 1) {
        if (phase_ == Phase::ReadOut) address_ = (address_ + 1) % shape_.size;
        out_ = phase_ == Phase::ReadOut ? mem_[address_] : status(now);
    }
    so_ = (out_ >> (7 - bit)) & 1;
}

void SpiChip::byteIn(Nanos now) {
    switch (phase_) {
    case Phase::Opcode: {
        const bool busy = now < busyUntil_;
        // Up to 512 bytes the address's ninth bit rides in the opcode's bit 3.
        const bool a8 = shape_.addressBytes == 1;
        const uint8_t op = a8 ? shift_ & 0xF7 : shift_;
        address_ = a8 ? (shift_ >> 3 & 1u) << 8 : 0;
        phase_ = Phase::Ignore;
        if (busy && op != kRdsr) {
            note("busy: instruction ignored");
            break;
        }
        switch (op) {
        case kWren:
            wel_ = true;
            break;
        case kWrdi:
            wel_ = false;
            break;
        case kRdsr:
            phase_ = Phase::StatusOut;
            out_ = status(now);
            outBits_ = 0;
            break;
        case kRead:
        case kWrite:
            if (op == kWrite && !wel_) {
                note("WRITE refused: write enable latch not set");
                break;
            }
            writing_ = false;
            phase_ = Phase::Address;
            addressLeft_ = shape_.addressBytes;
            out_ = op;
            break;
        case kWrsr:
            note("WRSR ignored: the socket ties /WP high, block protection stays off");
            break;
        default:
            note("unknown instruction");
            break;
        }
        break;
    }
    case Phase::Address:
        address_ = shape_.addressBytes == 2 ? address_ << 8 | shift_ : address_ | shift_;
        if (--addressLeft_ > 0) break;
        address_ %= shape_.size;
        if (out_ == kRead) {
            phase_ = Phase::ReadOut;
            out_ = mem_[address_];
            outBits_ = 0;
        } else {
            phase_ = Phase::DataIn;
            loaded_.clear();
        }
        break;
    case Phase::DataIn:
        address_ = loaded_.load(address_, shift_);
        break;
    default:
        break;
    }
}

void SpiChip::deselect(Nanos now) {
    so_ = true;
    if (phase_ == Phase::DataIn && !loaded_.empty()) {
        if (bits_ == 0) {
            note("write of " + std::to_string(loaded_.size()) + " bytes started");
            loaded_.burn(mem_);
            busyUntil_ = now + shape_.writeTime;
            writing_ = true;
        } else {
            note("write abandoned: /CS rose inside a byte");
        }
        loaded_.clear();
    }
    phase_ = Phase::Deselected;
}

} // namespace kestro::board
