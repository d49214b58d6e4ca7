#include "firmware/fake_isp_chip.h"

extern "C" {
#include "isp_line.h"
}

#include <algorithm>

namespace kestro::test {

namespace {
FakeIspChip* line = nullptr;
constexpr uint8_t kAvrBusyRead = 0x7F; // data polling's value while a byte is written
} // namespace

FakeIspChip::FakeIspChip(Kind k, size_t flashSize, size_t eepromSize)
    : kind(k), flash(flashSize, 0xFF), eeprom(eepromSize, 0xFF) {}

void FakeIspChip::rst(int level) {
    rstLevel = level;
    const int held = kind == Kind::Avr || kind == Kind::Mega ? 0 : 1;
    if (level != held) enabled = false;
}

uint8_t FakeIspChip::transfer(uint8_t out, uint8_t halfUs) {
    minHalfUs = std::min<int>(minHalfUs, halfUs);
    if (!present) return 0xFF;
    cmd_.push_back(out);
    const size_t pos = cmd_.size() - 1;
    const bool avr = kind == Kind::Avr || kind == Kind::Mega;
    const int held = avr ? 0 : 1;
    if (pos == 1 && cmd_[0] == 0xAC && cmd_[1] == 0x53) {
        ++enables;
        if (answersEnable && rstLevel == held) enabled = true;
    }
    const uint8_t in = enabled ? answer(pos) : 0xFF;
    if (cmd_.size() == length()) {
        if (enabled) execute();
        instructions.push_back(cmd_);
        cmd_.clear();
    }
    return in;
}

uint8_t FakeIspChip::readFlash(uint32_t at) { return at < flash.size() ? flash[at] : 0xFF; }

uint8_t FakeIspChip::busyRead(uint32_t at, uint8_t value, bool data) {
    if (busy_ > 0 && at >= busyFrom_ && at < busyTo_ && data == busyData_) {
        --busy_;
        if (kind == Kind::Mega) return 0xFF; // the page, or the EEPROM byte, reads erased
        return kind == Kind::Avr ? kAvrBusyRead : static_cast<uint8_t>(~value);
    }
    return value;
}

uint8_t FakeIspChip::answer(size_t pos) {
    const auto& c = cmd_;
    switch (kind) {
    case Kind::Avr:
    case Kind::Mega: {
        if (pos < 3) return pos == 0 ? 0 : c[pos - 1]; // the byte before, shifted back
        const uint32_t word = static_cast<uint32_t>(c[1] << 8 | c[2]);
        switch (c[0]) {
        case 0x20:
        case 0x28: {
            const uint32_t at = word * 2 + (c[0] >> 3 & 1);
            return busyRead(at, readFlash(at), false);
        }
        case 0xA0: return busyRead(word, eeprom.at(word), true);
        case 0x30: return signature.at(c[2] & 3);
        case 0x50: return lowFuse;
        case 0x58: return c[1] == 0x08 ? highFuse : lockBits;
        default: return 0; // no RDY/BSY on these parts
        }
    }
    case Kind::At89: {
        if (pos < 3) return 0;
        if (c[0] == 0xAC && c[1] == 0x53) return 0x69;
        const uint32_t at = static_cast<uint32_t>(c[1] << 8 | c[2]);
        return c[0] == 0x20 ? busyRead(at, readFlash(at), false) : 0;
    }
    case Kind::At89x: {
        if (pos < 2) return 0;
        const uint8_t op = c[0] & 7;
        const uint32_t at = static_cast<uint32_t>((c[0] >> 3) << 8 | c[1]);
        if (op == 1) {
            const uint32_t code = at | (c[0] & 4u) << 11;
            return busyRead(code, readFlash(code), false);
        }
        if (op == 5) return busyRead(at, eeprom.at(at), true);
        return 0;
    }
    }
    return 0;
}

void FakeIspChip::write(std::vector<uint8_t>& memory, uint32_t at, uint8_t value, bool data) {
    // flash bits only go from 1 to 0 without an erase; an EEPROM byte erases itself
    memory.at(at) = data ? value : memory.at(at) & value;
    ++byteWrites;
    busy_ = busyPolls;
    busyFrom_ = at;
    busyTo_ = at + 1;
    busyData_ = data;
}

void FakeIspChip::execute() {
    const auto& c = cmd_;
    const auto eraseAll = [this] {
        std::fill(flash.begin(), flash.end(), 0xFF);
        std::fill(eeprom.begin(), eeprom.end(), 0xFF);
        lockBits = 0xFF;
    };
    switch (kind) {
    case Kind::Avr:
    case Kind::Mega: {
        const uint32_t word = static_cast<uint32_t>(c[1] << 8 | c[2]);
        const uint32_t high = c[0] >> 3 & 1;
        switch (c[0]) {
        case 0x40:
        case 0x48:
            if (kind == Kind::Mega)
                page_[(c[2] & 0x1Fu) * 2 + high] = c[3];
            else
                write(flash, word * 2 + high, c[3], false);
            break;
        case 0x4C: {
            const uint32_t base = (word & ~0x1Fu) * 2;
            for (const auto& [offset, value] : page_) flash.at(base + offset) &= value;
            page_.clear();
            ++pageWrites;
            busy_ = busyPolls;
            busyFrom_ = base;
            busyTo_ = base + 64;
            busyData_ = false;
            break;
        }
        case 0xC0: write(eeprom, word, c[3], true); break;
        case 0xAC:
            if (c[1] == 0x80) {
                eraseAll();
            } else if (c[1] == 0xA0) {
                lowFuse = c[3];
            } else if (c[1] == 0xA8) {
                highFuse = c[3];
            } else if (c[1] == 0xE0) {
                lockBits = c[3];
            } else if ((c[1] & 0xF9) == 0xF9) {
                lockBits = c[1];
            }
            break;
        default: break;
        }
        break;
    }
    case Kind::At89:
        if (c[0] == 0x40) write(flash, static_cast<uint32_t>(c[1] << 8 | c[2]), c[3], false);
        if (c[0] == 0xAC && c[1] == 0x80) eraseAll();
        if (c[0] == 0xAC && (c[1] & 0xFC) == 0xE0) lockBits = c[1];
        break;
    case Kind::At89x: {
        const uint8_t op = c[0] & 7;
        const uint32_t at = static_cast<uint32_t>((c[0] >> 3) << 8 | c[1]);
        if (c[0] == 0xAC) {
            if ((c[1] & 7) == 4) eraseAll();
            if ((c[1] & 7) == 7) lockBits = c[1];
        } else if (op == 2) {
            write(flash, at | (c[0] & 4u) << 11, c[2], false);
        } else if (op == 6) {
            write(eeprom, at, c[2], true);
        }
        break;
    }
    }
}

IspLineScope::IspLineScope(FakeIspChip& chip) : previous_(line) { line = &chip; }

IspLineScope::~IspLineScope() { line = previous_; }

} // namespace kestro::test

// The lines isp.c drives, reaching the fake chip.
extern "C" {

void isp_start(uint8_t rst_high) { kestro::test::line->rst(rst_high); }
void isp_rst(uint8_t high) { kestro::test::line->rst(high); }
uint8_t isp_transfer(uint8_t out, uint8_t half_us) {
    return kestro::test::line->transfer(out, half_us);
}
void isp_sck_pulse(uint8_t) {}
void isp_wait_us(uint16_t) {}
void isp_wait_ms(uint16_t ms) { kestro::test::line->waitedMs += ms; }

} // extern "C"
