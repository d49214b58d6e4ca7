// The in-system programming driver against fake chips that answer its instructions
// as the datasheets have them: programming enable, signatures, byte and page writes
// with their polling, fuses in the program's order and sense, lock modes.

#include "firmware/fake_isp_chip.h"

#include "link/protocol.h"

extern "C" {
#include "buses.h"
}

#include <gtest/gtest.h>

#include <optional>

namespace kestro {
namespace {

using Bytes = std::vector<uint8_t>;
using Kind = test::FakeIspChip::Kind;

constexpr uint8_t kReadProgram = KP_CMD_READ_PROGRAM, kProgramData = KP_CMD_PROGRAM_DATA,
                  kProgramProgram = KP_CMD_PROGRAM_PROGRAM;

fw_part part(uint8_t device) {
    fw_part p{};
    EXPECT_TRUE(fw_find_part(device, &p));
    return p;
}

// A chip of that kind on the lines, the driver begun for a part and a command.
struct Isp {
    test::FakeIspChip chip;
    test::IspLineScope scope{chip};
    fw_part row;
    Isp(Kind kind, uint8_t device, size_t eeprom = 0)
        : chip(kind, part(device).size, eeprom), row(part(device)) {}
    uint8_t begin(uint8_t command = kReadProgram) {
        const uint8_t abcd[4] = {};
        return isp_driver.begin(&row, abcd, command);
    }
    Bytes read(uint16_t at, uint8_t n) {
        Bytes v(n);
        EXPECT_EQ(isp_driver.read(at, v.data(), n), 0);
        return v;
    }
    uint8_t write(uint16_t at, const Bytes& v) {
        return isp_driver.write(at, v.data(), static_cast<uint8_t>(v.size()));
    }
    // The instructions sent since the last call, opening with `first`.
    std::vector<Bytes> sent(std::optional<uint8_t> first = {}) {
        std::vector<Bytes> v;
        for (const auto& i : chip.instructions)
            if (!first || i[0] == *first) v.push_back(i);
        chip.instructions.clear();
        return v;
    }
};

constexpr uint8_t kAt89s52 = 11, kAt89s8252 = 13, kAt90s2313 = 15, kAttiny12 = 17,
                  kAt90s8515 = 25, kAtmega8515 = 27;

TEST(Isp, ProgrammingEnableHoldsResetAsThePartWantsAndFailsCleanlyWithoutAnEcho) {
    {
        Isp avr(Kind::Mega, kAtmega8515, 512);
        EXPECT_EQ(avr.begin(), 0);
        EXPECT_EQ(avr.chip.rstLevel, 0); // AVR RESET low
        EXPECT_GE(avr.chip.waitedMs, 20);
        EXPECT_GE(avr.chip.minHalfUs, 2); // > 1 us at a 2 MHz target clock
    }
    {
        Isp at89(Kind::At89, kAt89s52);
        EXPECT_EQ(at89.begin(), 0);
        EXPECT_EQ(at89.chip.rstLevel, 1); // 8051 RST high
        EXPECT_GE(at89.chip.minHalfUs * 2, 9); // slower than XTAL / 16
    }
    {
        Isp at89x(Kind::At89x, kAt89s8252, 2048);
        EXPECT_EQ(at89x.begin(), 0);
        EXPECT_EQ(at89x.chip.rstLevel, 1);
        EXPECT_GE(at89x.chip.minHalfUs * 2, 21); // slower than XTAL / 40
    }
    // An empty socket, and a chip that never answers (no clock): the AVR's resync
    // tries run out, bounded, and the operation fails.
    for (bool present : {false, true}) {
        Isp none(Kind::Mega, kAtmega8515, 512);
        none.chip.present = present;
        none.chip.answersEnable = false;
        EXPECT_EQ(none.begin(), 1);
        EXPECT_EQ(none.chip.enables, present ? 32 : 0);
    }
    Isp silent(Kind::At89, kAt89s52);
    silent.chip.answersEnable = false;
    EXPECT_EQ(silent.begin(), 1);
}

TEST(Isp, SignatureBytesComeFromTheChip) {
    Isp avr(Kind::Avr, kAt90s8515, 512);
    avr.chip.signature = {0x1E, 0x93, 0x01};
    ASSERT_EQ(avr.begin(), 0);
    uint8_t sig[3] = {};
    ASSERT_EQ(isp_driver.signature(sig), 0);
    EXPECT_EQ(Bytes(sig, sig + 3), (Bytes{0x1E, 0x93, 0x01}));
    EXPECT_EQ(avr.sent(0x30).size(), 3u);
    // The AT89S's serial instructions give none the program knows.
    Isp at89(Kind::At89x, kAt89s8252, 2048);
    ASSERT_EQ(at89.begin(), 0);
    EXPECT_NE(isp_driver.signature(sig), 0);
}

TEST(Isp, PageModeFlashLoadsWordsLowByteFirstWritesEachPageAndPollsIt) {
    Isp mega(Kind::Mega, kAtmega8515, 512);
    ASSERT_EQ(mega.begin(kProgramProgram), 0);
    mega.sent();
    // 128 bytes from 0x30: the end of page 0, all of page 1, the start of page 2.
    Bytes image(128);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
    ASSERT_EQ(mega.write(0x30, image), 0);
    EXPECT_EQ(mega.chip.pageWrites, 3);
    const auto pages = mega.sent(0x4C);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0], (Bytes{0x4C, 0x00, 0x00, 0x00})); // word addresses of the pages
    EXPECT_EQ(pages[1], (Bytes{0x4C, 0x00, 0x20, 0x00}));
    EXPECT_EQ(pages[2], (Bytes{0x4C, 0x00, 0x40, 0x00}));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), mega.chip.flash.begin() + 0x30));
    EXPECT_EQ(mega.read(0x30, 128), image);
    EXPECT_EQ(mega.chip.flash[0x2F], 0xFF); // before the range: untouched
    // A page of FFh reads so while busy as well: the longest write time instead.
    const int waited = mega.chip.waitedMs;
    ASSERT_EQ(mega.write(0x100, Bytes(64, 0xFF)), 0);
    EXPECT_GE(mega.chip.waitedMs, waited + 4);
    // The data EEPROM goes byte by byte, each read until it holds its value: one read
    // before, the busy ones, the last.
    ASSERT_EQ(mega.begin(kProgramData), 0);
    mega.sent();
    ASSERT_EQ(mega.write(0x1FE, {0x12, 0x34}), 0);
    EXPECT_EQ(mega.chip.eeprom[0x1FE], 0x12);
    EXPECT_EQ(mega.chip.eeprom[0x1FF], 0x34);
    EXPECT_EQ(mega.sent(0xA0).size(), 2u * (mega.chip.busyPolls + 2));
    // A chip that stays busy fails the write, bounded.
    mega.chip.busyPolls = 1 << 20;
    EXPECT_EQ(mega.write(0x10, {0x55}), 1);
}

TEST(Isp, ByteModeWritesPollTheByteAndSkipWhatItHoldsAlready) {
    Isp avr(Kind::Avr, kAt90s2313, 128);
    ASSERT_EQ(avr.begin(kProgramProgram), 0);
    avr.chip.flash[1] = 0x00;
    avr.sent();
    ASSERT_EQ(avr.write(0, {0x12, 0x00, 0xFF, 0x34}), 0);
    EXPECT_EQ(Bytes(avr.chip.flash.begin(), avr.chip.flash.begin() + 4), (Bytes{0x12, 0x00, 0xFF, 0x34}));
    EXPECT_EQ(avr.chip.byteWrites, 2); // 00 and FF were there already
    std::vector<Bytes> writes;
    for (const Bytes& i : avr.sent())
        if ((i[0] & 0xF7) == 0x40) writes.push_back(i);
    EXPECT_EQ(writes, (std::vector<Bytes>{{0x40, 0x00, 0x00, 0x12},   // low byte of word 0
                                          {0x48, 0x00, 0x01, 0x34}})); // high byte of word 1
    EXPECT_EQ(avr.chip.waitedMs, 20); // no worst-case wait: polled
    ASSERT_EQ(avr.write(20, {0x00}), 0); // 00h the 2313 does not show while busy
    EXPECT_EQ(avr.chip.waitedMs, 20);
    // 7Fh is what the chip reads while busy: the longest write time first.
    ASSERT_EQ(avr.write(8, {0x7F}), 0);
    EXPECT_GE(avr.chip.waitedMs, 30);
    // A byte that never reads back fails the block.
    avr.chip.busyPolls = 1 << 20;
    EXPECT_EQ(avr.write(16, {0x42}), 1);
    // The data EEPROM takes each byte as it comes.
    ASSERT_EQ(avr.begin(kProgramData), 0);
    avr.chip.busyPolls = 2;
    ASSERT_EQ(avr.write(127, {0x5A}), 0);
    EXPECT_EQ(avr.chip.eeprom[127], 0x5A);
}

TEST(Isp, TheAt89sFormatsCarryTheirAddressesAndPollByReadingBack) {
    Isp s52(Kind::At89, kAt89s52);
    ASSERT_EQ(s52.begin(kProgramProgram), 0);
    ASSERT_EQ(s52.write(0x1FFE, {0xA5, 0x3C}), 0);
    EXPECT_EQ(s52.chip.flash[0x1FFE], 0xA5);
    EXPECT_EQ(s52.chip.flash[0x1FFF], 0x3C);
    EXPECT_EQ(s52.sent(0x40).front(), (Bytes{0x40, 0x1F, 0xFE, 0xA5}));

    Isp s8252(Kind::At89x, kAt89s8252, 2048);
    ASSERT_EQ(s8252.begin(kProgramProgram), 0);
    s8252.sent();
    ASSERT_EQ(s8252.write(0x1234, {0x66}), 0);
    EXPECT_EQ(s8252.chip.flash[0x1234], 0x66);
    EXPECT_EQ(s8252.sent(0x92), (std::vector<Bytes>{{0x92, 0x34, 0x66}})); // A12..A8 on top, 010
    ASSERT_EQ(s8252.begin(kProgramData), 0);
    ASSERT_EQ(s8252.write(0x7FF, {0x99}), 0);
    EXPECT_EQ(s8252.chip.eeprom[0x7FF], 0x99);
    ASSERT_EQ(s8252.begin(KP_CMD_READ_DATA), 0);
    EXPECT_EQ(s8252.read(0x7FF, 1), Bytes{0x99});
}

TEST(Isp, FusesTravelInTheProgramsOrderAndSense) {
    uint8_t f[4] = {};
    {
        Isp mega(Kind::Mega, kAtmega8515, 512);
        mega.chip.lowFuse = 0xE1;
        mega.chip.highFuse = 0xD9;
        ASSERT_EQ(mega.begin(), 0);
        ASSERT_EQ(isp_driver.read_fuses(f), 0);
        EXPECT_EQ(Bytes(f, f + 4), (Bytes{0xE1, 0xD9, 0xFF, 0xFF})); // low, high, the ID
        const uint8_t w[4] = {0xE4, 0xD1, 0xFF, 0xFF};
        ASSERT_EQ(isp_driver.write_fuses(w), 0);
        EXPECT_EQ(mega.chip.lowFuse, 0xE4);
        EXPECT_EQ(mega.chip.highFuse, 0xD1);
    }
    {
        Isp tiny(Kind::Avr, kAttiny12, 64);
        tiny.chip.lowFuse = 0x52;
        tiny.chip.lockBits = 0xF9; // lock bits 1 and 2 programmed
        ASSERT_EQ(tiny.begin(), 0);
        ASSERT_EQ(isp_driver.read_fuses(f), 0);
        EXPECT_EQ(Bytes(f, f + 4), (Bytes{0x52, 0xF9, 0xFF, 0xFF}));
        const uint8_t w[4] = {0x5C, 0x00, 0xFF, 0xFF};
        ASSERT_EQ(isp_driver.write_fuses(w), 0);
        EXPECT_EQ(tiny.chip.lowFuse, 0x5C);
        EXPECT_EQ(tiny.chip.lockBits, 0xF9); // byte 1 is not the lock
    }
    {
        // Out of reach of serial programming: SPI enable reads programmed (bit 5 set
        // on the AT90S, the opposite of the written sense); only that may be written.
        Isp at90s(Kind::Avr, kAt90s2313, 128);
        ASSERT_EQ(at90s.begin(), 0);
        ASSERT_EQ(isp_driver.read_fuses(f), 0);
        EXPECT_EQ(f[0], 0xFE);
        const uint8_t keep[4] = {0xDF, 0xFF, 0xFF, 0xFF}, change[4] = {0xDE, 0xFF, 0xFF, 0xFF};
        EXPECT_EQ(isp_driver.write_fuses(keep), 0);
        EXPECT_NE(isp_driver.write_fuses(change), 0);
        Isp at89x(Kind::At89x, kAt89s8252, 2048);
        ASSERT_EQ(at89x.begin(), 0);
        ASSERT_EQ(isp_driver.read_fuses(f), 0);
        EXPECT_EQ(f[0], 0xFF); // lock bits 7..5 unprogrammed, SPI enable read as 1
        const uint8_t spiOn[4] = {0xFE, 0xFF, 0xFF, 0xFF}, spiOff[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        EXPECT_EQ(isp_driver.write_fuses(spiOn), 0);
        EXPECT_NE(isp_driver.write_fuses(spiOff), 0);
    }
}

TEST(Isp, LockModesBecomeEachPartsLockBits) {
    struct Case {
        Kind kind;
        uint8_t device;
        uint8_t mode;
        std::vector<Bytes> instructions;
    };
    const Case cases[] = {
        {Kind::Avr, kAt90s2313, 1, {{0xAC, 0xFD, 0, 0}}}, // LB1
        {Kind::Avr, kAt90s8515, 3, {{0xAC, 0xF9, 0, 0}}}, // LB1 and LB2
        {Kind::Mega, kAtmega8515, 0xC3, {{0xAC, 0xE0, 0, 0xFC}}}, // a set bit: programmed
        {Kind::Mega, kAtmega8515, 0, {{0xAC, 0xE0, 0, 0xFF}}},
        {Kind::At89, kAt89s52, 7, {{0xAC, 0xE1, 0, 0}, {0xAC, 0xE2, 0, 0}, {0xAC, 0xE3, 0, 0}}},
        {Kind::At89, kAt89s52, 1, {{0xAC, 0xE1, 0, 0}}},
        {Kind::At89x, kAt89s8252, 3, {{0xAC, 0x3F, 0}}}, // LB1 LB2 LB3 in bits 7..5
        {Kind::At89x, kAt89s8252, 7, {{0xAC, 0x1F, 0}}},
    };
    for (const Case& c : cases) {
        Isp isp(c.kind, c.device, 2048);
        ASSERT_EQ(isp.begin(), 0);
        isp.sent();
        EXPECT_EQ(isp_driver.lock(c.mode), 0);
        EXPECT_EQ(isp.sent(0xAC), c.instructions) << int(c.device) << " mode " << int(c.mode);
    }
}

TEST(Isp, ChipEraseClearsBothMemoriesAndEntersProgrammingAgain) {
    Isp mega(Kind::Mega, kAtmega8515, 512);
    mega.chip.flash[5] = 0;
    mega.chip.eeprom[5] = 0;
    mega.chip.lockBits = 0xC0;
    ASSERT_EQ(mega.begin(), 0);
    const int enables = mega.chip.enables;
    ASSERT_EQ(isp_driver.erase(), 0);
    EXPECT_EQ(mega.chip.flash[5], 0xFF);
    EXPECT_EQ(mega.chip.eeprom[5], 0xFF);
    EXPECT_EQ(mega.chip.lockBits, 0xFF);
    EXPECT_EQ(mega.chip.enables, enables + 1);
}

} // namespace
} // namespace kestro
