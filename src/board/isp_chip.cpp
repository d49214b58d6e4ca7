#include "board/isp_chip.h"

#include "devices/catalogue.h"
#include "devices/signatures.h"
#include "sim/sim_chip.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace kestro::board {

namespace {

constexpr Nanos kMicrosecond = 1000;

// Lock bits as the chip holds them, 0 = programmed: LB1 in bit 0, LB2 in bit 1, LB3 in
// bit 2 (the ATmega's lock byte keeps its own order, whose low two are LB1 and LB2).
constexpr uint8_t kLb1 = 0x01, kLb2 = 0x02, kLb3 = 0x04;
constexpr uint8_t kAt89sEnableAnswer = 0x69;
constexpr uint32_t kAt89sPage = 256;

struct PartRow {
    std::string_view name;
    IspShape shape;
};

// From the parts' serial programming characteristics: the wait after each write (the
// ATmega8515 has no RDY/BSY instruction; the others poll the written byte).
constexpr PartRow kParts[] = {
    {"ATMEGA8515",
     {.format = IspFormat::AvrPaged,
      .pageWords = 32,
      .flashWrite = 4500 * kMicrosecond,
      .eepromWrite = 9 * kMillisecond,
      .erase = 9 * kMillisecond,
      .fuseWrite = 4500 * kMicrosecond,
      .enableDelay = 20 * kMillisecond}},
    {"AT90S2313",
     {.format = IspFormat::AvrByte,
      .flashWrite = 4 * kMillisecond,
      .eepromWrite = 4 * kMillisecond,
      .erase = 9 * kMillisecond,
      .fuseWrite = 4 * kMillisecond,
      .enableDelay = 20 * kMillisecond,
      .flashBusyRead = 0x7F,
      .eepromBusyRead = 0x80}},
    {"AT89S52",
     {.format = IspFormat::At89s,
      .signature = {0x1E, 0x52, 0x06},
      .flashWrite = 500 * kMicrosecond,
      .erase = 500 * kMillisecond,
      .fuseWrite = 500 * kMicrosecond,
      .minSckCycles = 8,
      .sckCyclesExclusive = false}},
    {"AT89S8252",
     {.format = IspFormat::At89s8252,
      .hasSignature = false,
      .flashWrite = 2500 * kMicrosecond,
      .eepromWrite = 2500 * kMicrosecond,
      .erase = 16 * kMillisecond,
      .fuseWrite = 2500 * kMicrosecond,
      .minSckCycles = 8,
      .sckCyclesExclusive = false}},
};

std::string hex(uint32_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "%04X", v);
    return s;
}

} // namespace

bool ispShapeOf(int device, IspShape& out) {
    const CatalogueRow& row = chipRow(device);
    for (const PartRow& p : kParts) {
        if (p.name != row.name) continue;
        out = p.shape;
        out.flash = row.programSize;
        out.eeprom = row.dataSize;
        Signature s;
        if (signatureOf(device, s)) out.signature = {s.manufacturer, s.device, s.variant};
        return true;
    }
    return false;
}

IspChip::IspChip(const IspShape& shape, SimChip& chip) : shape_(shape), chip_(chip) {
    switch (shape_.format) {
    case IspFormat::AvrPaged: // as delivered: 1 MHz internal RC, SPIEN programmed
        fuseLow_ = 0xE1;
        fuseHigh_ = 0xD9;
        page_.assign(shape_.pageWords * 2, 0xFF);
        break;
    case IspFormat::AvrByte: // SPIEN (bit 5) programmed, FSTRT (bit 0) not
        fuseLow_ = 0xDF;
        break;
    case IspFormat::At89s8252: // the serial programming enable fuse, programmed
        fuseLow_ = 0xFE;
        break;
    case IspFormat::At89s:
        break;
    }
    publish();
}

uint32_t IspChip::clockHz(const SocketPins& p) const {
    if (shape_.format == IspFormat::AvrPaged) {
        const unsigned cksel = fuseLow_ & 0x0F; // 1..4: the internal RC at 1, 2, 4, 8 MHz
        if (cksel >= 1 && cksel <= 4) return 1'000'000u << (cksel - 1);
    }
    return p.xtalHz;
}

bool IspChip::writeLocked() const {
    const uint8_t mask = shape_.format == IspFormat::At89s || shape_.format == IspFormat::At89s8252
                             ? kLb1 | kLb2 | kLb3
                             : kLb1 | kLb2;
    return (lockBits_ & mask) != mask;
}

bool IspChip::readLocked() const {
    // LB2 (and on the 8051s LB3) disables verification.
    const bool at89 = shape_.format == IspFormat::At89s || shape_.format == IspFormat::At89s8252;
    return !(lockBits_ & kLb2) || (at89 && !(lockBits_ & kLb3));
}

void IspChip::publish() {
    std::fill(chip_.fuses.begin(), chip_.fuses.end(), 0xFF);
    if (shape_.format == IspFormat::AvrPaged) {
        chip_.fuses[0] = fuseLow_;
        chip_.fuses[1] = fuseHigh_;
        // As the program names it: 0xC0 and a set bit for each programmed lock bit.
        chip_.lockByte = static_cast<uint8_t>(0xC0 | (~lockBits_ & 0x3F));
        return;
    }
    if (shape_.format != IspFormat::At89s) chip_.fuses[0] = fuseLow_;
    chip_.lockByte = static_cast<uint8_t>(~lockBits_ & (kLb1 | kLb2 | kLb3));
}

size_t IspChip::instructionLength() const {
    if (shape_.format == IspFormat::At89s8252) return 3;
    if (shape_.format == IspFormat::At89s && !cmd_.empty() && (cmd_[0] == 0x30 || cmd_[0] == 0x50))
        return 2 + kAt89sPage;
    return 4;
}

void IspChip::takeReset(bool held, Nanos now) {
    resetHeld_ = held;
    enabled_ = false;
    cmd_.clear();
    bits_ = 0;
    misread_ = false;
    out_ = 0xFF;
    miso_ = true;
    resetSince_ = now;
    pageNamed_ = false;
    if (shape_.format == IspFormat::AvrPaged)
        std::fill(page_.begin(), page_.end(), 0xFF);
    else
        page_.clear();
    note(held ? "reset taken: serial programming may begin" : "reset released: the chip runs");
}

void IspChip::pins(const SocketPins& p, Nanos now) {
    const bool activeHigh =
        shape_.format == IspFormat::At89s || shape_.format == IspFormat::At89s8252;
    // Not driven, the AVR's pull-up keeps RESET high and the 8051's pull-down keeps RST low.
    const bool held = p.rstDriven && p.rst == activeHigh;
    if (held != resetHeld_) takeReset(held, now);
    const uint32_t hz = clockHz(p);
    const bool listening = resetHeld_ && hz > 0 && now - resetSince_ >= shape_.enableDelay;
    driving_ = listening;
    if (p.sk == sck_) return;
    sck_ = p.sk;
    const Nanos since = now - (sck_ ? lastFall_ : lastRise_);
    (sck_ ? lastRise_ : lastFall_) = now;
    if (!listening) return; // unclocked or running: SCK is just another port pin

    const Nanos least = shape_.minSckCycles * 1'000'000'000ull / hz;
    if (since < least || (shape_.sckCyclesExclusive && since == least)) {
        // A high phase cut short after an instruction's last bit comes too late to spoil it.
        if (sck_ || bits_ != 0 || !cmd_.empty()) misread_ = true;
        violation("SCK " + std::string(sck_ ? "low" : "high") + " for " + std::to_string(since) +
                  " ns, the chip at " + std::to_string(hz) + " Hz wants more than " +
                  std::to_string(least) + " ns");
    }
    if (sck_) {
        shift_ = static_cast<uint8_t>(shift_ << 1 | p.di);
        if (++bits_ == 8) {
            bits_ = 0;
            byteIn(shift_, now);
        }
        return;
    }
    miso_ = (out_ >> (7 - bits_)) & 1;
}

void IspChip::byteIn(uint8_t byte, Nanos now) {
    cmd_.push_back(byte);
    switch (shape_.format) {
    case IspFormat::AvrPaged:
    case IspFormat::AvrByte:
        out_ = avr(now);
        break;
    case IspFormat::At89s:
        out_ = at89s(now);
        break;
    case IspFormat::At89s8252:
        out_ = at89s8252(now);
        break;
    }
    if (misread_) out_ = 0xFF; // what a garbled instruction answers is no answer
    if (cmd_.size() >= instructionLength()) {
        if (trace && cmd_.size() <= 4) {
            std::string line = "instruction";
            for (uint8_t b : cmd_)
                line += " " + hex(b).substr(2);
            note(line);
        }
        cmd_.clear();
        misread_ = false;
    }
}

void IspChip::startWrite(Nanos duration, Nanos now, const char* what) {
    busyUntil_ = now + duration;
    note(std::string(what) + ": busy for " + std::to_string(duration / kMicrosecond) + " us");
}

uint8_t IspChip::readFlash(uint32_t address, Nanos now) const {
    if (readLocked()) return 0xFF; // verification disabled: the chip reads as erased
    if (busy(now) && busyFlash_ && address >= busyFrom_ && address < busyTo_) return busyValue_;
    return chip_.memory[address];
}

uint8_t IspChip::readEeprom(uint32_t address, Nanos now) const {
    if (readLocked()) return 0xFF;
    if (busy(now) && !busyFlash_ && address >= busyFrom_ && address < busyTo_) return busyValue_;
    return chip_.data[address];
}

void IspChip::writeFlash(uint32_t address, uint8_t value, Nanos now) {
    // Programming only clears bits: a byte not erased before keeps its zeros.
    chip_.memory[address] &= value;
    busyFlash_ = true;
    busyFrom_ = address;
    busyTo_ = address + 1;
    busyValue_ = shape_.format == IspFormat::AvrByte ? shape_.flashBusyRead
                                                     : static_cast<uint8_t>(value ^ 0x80);
    startWrite(shape_.flashWrite, now, ("flash " + hex(address)).c_str());
}

void IspChip::writeEeprom(uint32_t address, uint8_t value, Nanos now) {
    chip_.data[address] = value; // the EEPROM erases the byte in the same cycle
    busyFlash_ = false;
    busyFrom_ = address;
    busyTo_ = address + 1;
    busyValue_ = shape_.format == IspFormat::At89s8252 ? static_cast<uint8_t>(value ^ 0x80)
                                                       : shape_.eepromBusyRead;
    startWrite(shape_.eepromWrite, now, ("EEPROM " + hex(address)).c_str());
}

void IspChip::chipErase(Nanos now) {
    std::fill(chip_.memory.begin(), chip_.memory.end(), 0xFF);
    const bool eesave = shape_.format == IspFormat::AvrPaged && !(fuseHigh_ & 0x08);
    if (!eesave) std::fill(chip_.data.begin(), chip_.data.end(), 0xFF);
    lockBits_ = 0xFF;
    busyFlash_ = true;
    busyFrom_ = busyTo_ = 0;
    publish();
    startWrite(shape_.erase, now, eesave ? "chip erase (EEPROM kept: EESAVE)" : "chip erase");
}

bool IspChip::complete(bool programmingEnable) {
    if (misread_) {
        note("instruction misread (SCK too fast): ignored");
        return false;
    }
    if (!programmingEnable) return true;
    if (!enabled_) note("programming enabled");
    enabled_ = true;
    return false;
}

// The AVRs: four bytes, each echoed one byte later; the fourth brings a read's data.
uint8_t IspChip::avr(Nanos now) {
    const size_t n = cmd_.size();
    const uint8_t c0 = cmd_[0];
    const bool paged = shape_.format == IspFormat::AvrPaged;
    if (n == 3) {
        if (!enabled_) return cmd_[2];
        const uint32_t a = static_cast<uint32_t>(cmd_[1]) << 8 | cmd_[2];
        if (c0 == 0x20 || c0 == 0x28)
            return readFlash(a % (shape_.flash / 2) * 2 + (c0 >> 3 & 1), now);
        if (c0 == 0xA0) return readEeprom(a % shape_.eeprom, now);
        if (c0 == 0x30) return (cmd_[2] & 3) < 3 ? shape_.signature[cmd_[2] & 3] : 0xFF;
        if (paged && c0 == 0x50 && cmd_[1] == 0x00) return fuseLow_;
        if (paged && c0 == 0x58 && cmd_[1] == 0x08) return fuseHigh_;
        if (paged && c0 == 0x58 && cmd_[1] == 0x00) return static_cast<uint8_t>(0xC0 | lockBits_);
        if (paged && c0 == 0x38) return 0xA0; // the RC calibration byte
        return cmd_[2];
    }
    if (n < 4) return cmd_[n - 1];
    const uint8_t echo = cmd_[3];
    const uint8_t c1 = cmd_[1], c3 = cmd_[3];
    const uint32_t a = static_cast<uint32_t>(c1) << 8 | cmd_[2];
    if (!complete(c0 == 0xAC && c1 == 0x53)) return echo;
    const bool write = c0 == 0xAC || c0 == 0x40 || c0 == 0x48 || c0 == 0x4C || c0 == 0xC0;
    if (!write) return echo;
    if (!enabled_) {
        note("write refused: no Programming Enable since reset");
        return echo;
    }
    const bool loadOnly = paged && (c0 == 0x40 || c0 == 0x48);
    if (busy(now) && !loadOnly) {
        note("busy: instruction ignored");
        return echo;
    }
    if (c0 == 0xAC && (c1 & 0xE0) == 0x80) {
        chipErase(now);
        return echo;
    }
    if (c0 == 0xAC && (c1 & 0xE0) == 0xE0) {
        // Lock bits are only ever programmed; a chip erase clears them.
        lockBits_ &=
            paged ? static_cast<uint8_t>(c3 | 0xC0) : static_cast<uint8_t>(0xFC | (c1 >> 1 & 3));
        publish();
        startWrite(shape_.fuseWrite, now, "lock bits");
        return echo;
    }
    if (writeLocked()) {
        note("write refused: the chip is locked");
        return echo;
    }
    if (paged && c0 == 0xAC && (c1 == 0xA0 || c1 == 0xA8)) {
        // SPIEN cannot be reached in serial programming.
        if (c1 == 0xA0)
            fuseLow_ = c3;
        else
            fuseHigh_ = static_cast<uint8_t>((c3 & ~0x20) | (fuseHigh_ & 0x20));
        publish();
        startWrite(shape_.fuseWrite, now, c1 == 0xA0 ? "fuse low" : "fuse high");
        return echo;
    }
    if (c0 == 0xC0) {
        writeEeprom(a % shape_.eeprom, c3, now);
        return echo;
    }
    if (!paged && (c0 == 0x40 || c0 == 0x48)) {
        writeFlash(a % (shape_.flash / 2) * 2 + (c0 >> 3 & 1), c3, now);
        return echo;
    }
    if (loadOnly) {
        const uint32_t word = a % shape_.pageWords;
        page_[word * 2 + (c0 >> 3 & 1)] = c3;
        // The bits above the page are don't-care; a firmware that fills them names a page.
        if (a >= shape_.pageWords) {
            loadedPage_ = a / shape_.pageWords;
            pageNamed_ = true;
        }
        return echo;
    }
    if (c0 == 0x4C) {
        const uint32_t page = a / shape_.pageWords;
        const uint32_t base = page * shape_.pageWords * 2;
        if (base >= shape_.flash) {
            note("page write refused: word " + hex(a) + " lies outside the flash");
            return echo;
        }
        if (pageNamed_ && page != loadedPage_)
            violation("page write at page " + std::to_string(page) + ", the loads named page " +
                      std::to_string(loadedPage_));
        for (size_t i = 0; i < page_.size(); ++i)
            chip_.memory[base + i] &= page_[i];
        std::fill(page_.begin(), page_.end(), 0xFF);
        pageNamed_ = false;
        busyFlash_ = true;
        busyFrom_ = base;
        busyTo_ = base + shape_.pageWords * 2;
        busyValue_ = 0xFF;
        startWrite(shape_.flashWrite, now, ("flash page at " + hex(base)).c_str());
    }
    return echo;
}

// AT89S51/52: four bytes; the fourth answers 0x69 to Programming Enable and brings a
// read's data. The page modes stream 256 bytes after the opcode and the high address.
uint8_t IspChip::at89s(Nanos now) {
    const size_t n = cmd_.size();
    const uint8_t c0 = cmd_[0];
    const uint32_t high = n >= 2 ? (cmd_[1] & 0x1Fu) << 8 : 0;
    if (c0 == 0x30 || c0 == 0x50) { // page modes
        if (n < 2 || !enabled_) return 0xFF;
        if (c0 == 0x30)
            return n - 2 < kAt89sPage ? readFlash((high + n - 2) % shape_.flash, now) : 0xFF;
        if (n == 2) return 0xFF;
        page_.push_back(cmd_[n - 1]);
        if (n < instructionLength()) return 0xFF;
        if (misread_ || busy(now) || writeLocked()) {
            note("page write refused: misread, busy or locked");
        } else {
            for (uint32_t i = 0; i < kAt89sPage; ++i)
                chip_.memory[(high + i) % shape_.flash] &= page_[i];
            busyFlash_ = true;
            busyFrom_ = high;
            busyTo_ = high + kAt89sPage;
            busyValue_ = static_cast<uint8_t>(page_.back() ^ 0x80);
            startWrite(shape_.flashWrite, now, ("flash page at " + hex(high)).c_str());
        }
        page_.clear();
        return 0xFF;
    }
    if (n == 3) {
        if (c0 == 0xAC && cmd_[1] == 0x53) return kAt89sEnableAnswer;
        if (!enabled_) return 0xFF;
        const uint32_t a = high | cmd_[2];
        if (c0 == 0x20) return readFlash(a % shape_.flash, now);
        if (c0 == 0x24) return static_cast<uint8_t>((~lockBits_ & 7) << 2); // 1 = programmed
        if (c0 == 0x28) return (a & 0xFF) == 0 && a >> 8 < 3 ? shape_.signature[a >> 8] : 0xFF;
        return 0xFF;
    }
    if (n < 4) return 0xFF;
    const uint8_t c1 = cmd_[1];
    if (!complete(c0 == 0xAC && c1 == 0x53)) return 0xFF;
    const bool write = c0 == 0xAC || c0 == 0x40;
    if (!write) return 0xFF;
    if (!enabled_) {
        note("write refused: no Programming Enable since reset");
    } else if (busy(now)) {
        note("busy: instruction ignored");
    } else if (c0 == 0xAC && (c1 & 0xE0) == 0x80) {
        chipErase(now);
    } else if (c0 == 0xAC && (c1 & 0xFC) == 0xE0) {
        // B1 B2 = 01, 10, 11 program LB1, LB2, LB3.
        if (c1 & 3) lockBits_ &= static_cast<uint8_t>(~(1u << ((c1 & 3) - 1)));
        publish();
        startWrite(shape_.fuseWrite, now, "lock bits");
    } else if (c0 == 0x40 && !writeLocked()) {
        writeFlash((high | cmd_[2]) % shape_.flash, cmd_[3], now);
    } else if (c0 == 0x40) {
        note("write refused: the chip is locked");
    }
    return 0xFF;
}

// AT89S8252: three bytes; the opcode byte carries the high address bits above its
// three-bit code (001 read code, 010 write code, 101 read data, 110 write data).
uint8_t IspChip::at89s8252(Nanos now) {
    const size_t n = cmd_.size();
    const uint8_t c0 = cmd_[0];
    const uint8_t code = c0 & 7;
    const bool control = c0 == 0xAC;
    if (n == 2) {
        if (!enabled_ || control) return 0xFF;
        const uint32_t a = static_cast<uint32_t>(c0 >> 3) << 8 | cmd_[1];
        if (code == 1) return readFlash(a % shape_.flash, now);
        if (code == 5) return readEeprom(a % shape_.eeprom, now);
        return 0xFF;
    }
    if (n < 3) return 0xFF;
    const uint8_t c1 = cmd_[1];
    if (!complete(control && c1 == 0x53)) return 0xFF;
    const bool write = control || code == 2 || code == 6;
    if (!write) return 0xFF;
    const uint32_t a = static_cast<uint32_t>(c0 >> 3) << 8 | c1;
    if (!enabled_) {
        note("write refused: no Programming Enable since reset");
    } else if (busy(now)) {
        note("busy: instruction ignored");
    } else if (control && (c1 & 7) == 4) {
        chipErase(now);
    } else if (control && (c1 & 7) == 7) {
        // LB1 LB2 LB3 in bits 7, 6, 5; a 0 programs the bit.
        const uint8_t keep =
            static_cast<uint8_t>(0xF8 | (c1 >> 7 & 1) | (c1 >> 5 & 2) | (c1 >> 3 & 4));
        lockBits_ &= keep;
        publish();
        startWrite(shape_.fuseWrite, now, "lock bits");
    } else if (control) {
        note("unknown instruction");
    } else if (writeLocked()) {
        note("write refused: the chip is locked");
    } else if (code == 2) {
        writeFlash(a % shape_.flash, cmd_[2], now);
    } else {
        writeEeprom(a % shape_.eeprom, cmd_[2], now);
    }
    return 0xFF;
}

} // namespace kestro::board
