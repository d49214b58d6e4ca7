#pragma once
// A microcontroller behind the in-system programming lines, at the level of the
// bytes it shifts: the instruction sets of the AVRs (byte-mode AT90S and ATtiny,
// page-mode ATmega) and of the AT89S (four-byte AT89S51/52, three-byte AT89S53/8252),
// answering as the datasheets have them. It keeps what was written and how.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace kestro::test {

struct FakeIspChip {
    enum class Kind { Avr, Mega, At89, At89x };
    Kind kind = Kind::Avr;
    bool present = true;       // false: an empty socket, MISO pulled high
    bool answersEnable = true; // false: a chip that never gets into step (no clock)
    std::vector<uint8_t> flash, eeprom;
    std::array<uint8_t, 3> signature{0x1E, 0x93, 0x06};
    uint8_t lowFuse = 0xE1, highFuse = 0xD9, lockBits = 0xFF;
    int busyPolls = 2; // after a write: reads of the byte (or page) that still find it busy

    // What happened.
    bool enabled = false;
    int rstLevel = -1;   // RST as the last programming enable found it
    int enables = 0;     // programming enable instructions received
    int minHalfUs = 1000;
    int waitedMs = 0;
    int pageWrites = 0;
    int byteWrites = 0;
    std::vector<std::vector<uint8_t>> instructions; // every complete one, in order

    FakeIspChip(Kind k, size_t flashSize, size_t eepromSize);
    uint8_t transfer(uint8_t out, uint8_t halfUs);
    void rst(int level);

private:
    size_t length() const { return kind == Kind::At89x ? 3 : 4; }
    uint8_t answer(size_t pos);
    void execute();
    uint8_t readFlash(uint32_t at);
    uint8_t busyRead(uint32_t at, uint8_t value, bool data);
    void write(std::vector<uint8_t>& memory, uint32_t at, uint8_t value, bool data);

    std::vector<uint8_t> cmd_;
    std::map<uint32_t, uint8_t> page_; // the ATmega's page buffer, by byte address in page
    int busy_ = 0;
    uint32_t busyFrom_ = 0, busyTo_ = 0;
    bool busyData_ = false;
};

// The chip the isp_line functions reach while it lives (the one before it after).
struct IspLineScope {
    explicit IspLineScope(FakeIspChip& chip);
    ~IspLineScope();
    IspLineScope(const IspLineScope&) = delete;
    IspLineScope& operator=(const IspLineScope&) = delete;

private:
    FakeIspChip* previous_;
};

} // namespace kestro::test
