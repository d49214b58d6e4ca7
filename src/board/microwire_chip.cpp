#include "board/microwire_chip.h"

#include <algorithm>

namespace kestro::board {

uint16_t MicrowireChip::word(uint32_t w) const {
    if (!wide_) return mem_[w];
    return static_cast<uint16_t>(mem_[2 * w] << 8 | mem_[2 * w + 1]);
}

void MicrowireChip::setWord(uint32_t w, uint16_t v) {
    if (!wide_) {
        mem_[w] = static_cast<uint8_t>(v);
        return;
    }
    mem_[2 * w] = static_cast<uint8_t>(v >> 8);
    mem_[2 * w + 1] = static_cast<uint8_t>(v);
}

void MicrowireChip::pins(const SocketPins& p, Nanos now) {
    if (p.cs != cs_) {
        cs_ = p.cs;
        if (!cs_) {
            deselect(now);
        } else {
            wide_ = p.org;
            // Raised during the write cycle, CS asks for the status.
            const bool busy = now < busyUntil_;
            phase_ = busy && shape_.statusOnDo ? Phase::Status : Phase::WaitStart;
            if (busy && !shape_.statusOnDo) {
                note("busy: what follows until CS falls is ignored");
                phase_ = Phase::Done;
            }
        }
    }
    if (phase_ == Phase::Status) do_ = now >= busyUntil_;
    if (p.sk != sk_) {
        sk_ = p.sk;
        if (cs_ && phase_ != Phase::Deselected) {
            const Nanos since = now - (sk_ ? lastFall_ : lastRise_);
            if (since < (sk_ ? shape_.minLow : shape_.minHigh) && phase_ != Phase::WaitStart)
                violation("SK " + std::string(sk_ ? "low" : "high") + " for " +
                          std::to_string(since) + " ns");
        }
        (sk_ ? lastRise_ : lastFall_) = now;
        if (sk_ && cs_) rise(p.di, now);
    }
}

void MicrowireChip::deselect(Nanos now) {
    do_ = true; // DO floats: the pull-up
    phase_ = Phase::Deselected;
    if (pending_ == Pending::None) return;
    const Pending what = pending_;
    pending_ = Pending::None;
    if (!enabled_) {
        note("write refused: no EWEN");
        return;
    }
    switch (what) {
    case Pending::Write:
        setWord(address_, static_cast<uint16_t>(data_));
        busyUntil_ = now + shape_.writeTime;
        break;
    case Pending::Erase:
        setWord(address_, 0xFFFF);
        busyUntil_ = now + shape_.writeTime;
        break;
    case Pending::EraseAll:
        std::fill(mem_.begin(), mem_.end(), 0xFF);
        busyUntil_ = now + shape_.eraseAllTime;
        break;
    case Pending::WriteAll:
        for (uint32_t w = 0; w < words(); ++w)
            setWord(w, static_cast<uint16_t>(data_));
        busyUntil_ = now + shape_.writeAllTime;
        break;
    case Pending::None:
        break;
    }
    note("self-timed write started");
}

void MicrowireChip::rise(bool di, Nanos now) {
    switch (phase_) {
    case Phase::Status:
        if (!di || now < busyUntil_) break;
        do_ = true; // a start bit after "ready" opens the next instruction
        [[fallthrough]];
    case Phase::WaitStart:
        if (di) {
            phase_ = Phase::Instruction;
            bits_ = 0;
            shift_ = 0;
        }
        break;
    case Phase::Instruction:
        shift_ = shift_ << 1 | di;
        if (++bits_ == 2 + addressBits()) decode(now);
        break;
    case Phase::DataIn:
        data_ = data_ << 1 | di;
        if (++bits_ == wordBits()) {
            pending_ = dataFor_;
            phase_ = Phase::Done; // the write waits for CS to fall
        }
        break;
    case Phase::ReadOut:
        if (bits_ == wordBits()) { // sequential read: the next word follows
            address_ = (address_ + 1) % words();
            data_ = word(address_);
            bits_ = 0;
        }
        do_ = (data_ >> (wordBits() - 1 - bits_)) & 1;
        ++bits_;
        break;
    case Phase::Deselected:
    case Phase::Done:
        break;
    }
}

void MicrowireChip::decode(Nanos) {
    const int n = addressBits();
    const uint32_t opcode = shift_ >> n;
    const uint32_t field = shift_ & ((1u << n) - 1);
    address_ = field % words();
    phase_ = Phase::Done;
    bits_ = 0;
    data_ = 0;
    switch (opcode) {
    case 0b10: // READ: a dummy 0, then the word, most significant bit first
        do_ = false;
        data_ = word(address_);
        phase_ = Phase::ReadOut;
        break;
    case 0b01:
        dataFor_ = Pending::Write; // pending once all data bits are in
        phase_ = Phase::DataIn;
        break;
    case 0b11:
        if (shape_.hasErase)
            pending_ = Pending::Erase;
        else
            note("ERASE is no instruction of this chip");
        break;
    default:
        switch (field >> (n - 2)) {
        case 0b11:
            enabled_ = true;
            break;
        case 0b00:
            enabled_ = false;
            break;
        case 0b10:
            pending_ = Pending::EraseAll;
            break;
        case 0b01:
            dataFor_ = Pending::WriteAll;
            phase_ = Phase::DataIn;
            break;
        }
        break;
    }
}

} // namespace kestro::board
