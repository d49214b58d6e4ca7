#pragma once
// Microcontrollers programmed through their serial programming interface: the AVRs
// (ATmega8515 page mode, AT90S2313 byte mode) and the AT89S parts (AT89S52, and the
// AT89S8252 with its three-byte format and data EEPROM). The chip listens while its
// reset is held (low on the AVRs, high on the 8051s) and a clock runs: the board's
// XTAL output, or the ATmega's internal RC when its fuses choose it. MOSI is taken on
// the rising SCK, MISO changes on the falling one. Nothing is written before the
// Programming Enable instruction; a write cycle, a lock bit, a page write outside the
// flash and an SCK faster than the clock allows are held as the datasheet says.

#include "board/chip_model.h"

#include <array>

namespace kestro {
struct SimChip;
}

namespace kestro::board {

enum class IspFormat : uint8_t {
    AvrPaged, // flash loaded into a page buffer, burnt by Write Program Memory Page
    AvrByte,  // flash written a byte at a time, data polling
    At89s,    // four-byte instructions, 0x69 answers Programming Enable, page modes
    At89s8252 // three-byte instructions, the high address bits in the opcode byte
};

struct IspShape {
    IspFormat format = IspFormat::AvrPaged;
    uint32_t flash = 0, eeprom = 0; // bytes
    uint32_t pageWords = 0;         // AvrPaged
    std::array<uint8_t, 3> signature{0xFF, 0xFF, 0xFF};
    bool hasSignature = true; // the AT89S8252 reads it only in parallel mode
    Nanos flashWrite = 0, eepromWrite = 0, erase = 0, fuseWrite = 0;
    Nanos enableDelay = 0;          // after reset is taken, before Programming Enable
    unsigned minSckCycles = 2;      // each SCK phase at least this many target clocks
    bool sckCyclesExclusive = true; // AVR: "longer than" two cycles
    uint8_t flashBusyRead = 0xFF, eepromBusyRead = 0xFF; // read during its write cycle
};

class IspChip : public ChipModel {
  public:
    // The chip's memories, fuse bytes and lock byte live in `chip` (sized after the
    // catalogue) in the form kestro-sim saves them: the fuse bytes as Program Fuse sends
    // them, the lock byte as the lock mode the program sends (a set bit for each programmed
    // lock bit; on the ATmega above 0xC0).
    IspChip(const IspShape& shape, SimChip& chip);
    void pins(const SocketPins& p, Nanos now) override;
    bool dataOut() const override { return !driving_ || miso_; }

    // The target clock the chip runs on now (0: none).
    uint32_t clockHz(const SocketPins& p) const;
    bool enabled() const { return enabled_; }

  private:
    void takeReset(bool held, Nanos now);
    void byteIn(uint8_t byte, Nanos now);
    // At an instruction's last byte: whether it is to be carried out (not misread, and
    // not the Programming Enable, which this takes).
    bool complete(bool programmingEnable);
    uint8_t avr(Nanos now);
    uint8_t at89s(Nanos now);
    uint8_t at89s8252(Nanos now);
    bool busy(Nanos now) const { return now < busyUntil_; }
    void startWrite(Nanos duration, Nanos now, const char* what);
    uint8_t readFlash(uint32_t address, Nanos now) const;
    uint8_t readEeprom(uint32_t address, Nanos now) const;
    void writeFlash(uint32_t address, uint8_t value, Nanos now);
    void writeEeprom(uint32_t address, uint8_t value, Nanos now);
    void chipErase(Nanos now);
    bool writeLocked() const;
    bool readLocked() const;
    void publish(); // fuse and lock state into the saved fuse bytes and lock byte
    size_t instructionLength() const;

    IspShape shape_;
    SimChip& chip_;
    // The lock and fuse bits as the chip holds them (0 = programmed).
    uint8_t lockBits_ = 0xFF, fuseLow_ = 0xFF, fuseHigh_ = 0xFF;
    bool resetHeld_ = false, enabled_ = false, driving_ = false, miso_ = true;
    bool sck_ = false, misread_ = false;
    Nanos resetSince_ = 0, lastRise_ = 0, lastFall_ = 0, busyUntil_ = 0;
    uint8_t shift_ = 0, out_ = 0xFF, last_ = 0xFF;
    int bits_ = 0;
    std::vector<uint8_t> cmd_; // the instruction's bytes so far
    // What a write cycle in progress answers: the address and the value a read there gives.
    bool busyFlash_ = false;
    uint32_t busyFrom_ = 0, busyTo_ = 0;
    uint8_t busyValue_ = 0xFF;
    std::vector<uint8_t> page_; // AvrPaged: the page buffer, bytes as in the image
    uint32_t loadedPage_ = 0;
    bool pageNamed_ = false;
};

// The serial-programmed parts the board has a model of: their shape, or false.
bool ispShapeOf(int device, IspShape& out);

} // namespace kestro::board
