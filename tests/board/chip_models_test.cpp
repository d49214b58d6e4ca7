// The chip models at their pins: each does what its datasheet's bus protocol says and
// refuses what the real chip refuses, so that a firmware fault shows.

#include "board/bus_master.h"
#include "board/chip_model.h"
#include "devices/catalogue.h"

#include <gtest/gtest.h>

#include <numeric>

namespace kestro::board {
namespace {

using test::Master;
using Bytes = std::vector<uint8_t>;

struct Socket {
    Bytes memory;
    std::unique_ptr<ChipModel> chip;
    explicit Socket(const char* name) {
        const CatalogueRow& row = chipRow(*findDeviceByName(name));
        memory.assign(row.dataSize, 0xFF);
        std::string why;
        chip = makeChipModel(*findDeviceByName(name), memory, why);
        EXPECT_TRUE(chip) << why;
    }
};

Bytes counting(size_t n, uint8_t from) {
    Bytes v(n);
    std::iota(v.begin(), v.end(), from);
    return v;
}

// ---- 24Cxx and PCF8582 ----

TEST(I2cChip, PageWriteWrapsWithinThePageAndTheWriteCycleIgnoresTheAddress) {
    Socket s("24C02");
    Master m(*s.chip);
    Bytes load{0x06};
    const Bytes data = counting(10, 0x40);
    load.insert(load.end(), data.begin(), data.end());
    ASSERT_TRUE(m.writeI2c(0xA0, load));
    // 8-byte pages: 06, 07, then back to 00..07; byte 08 untouched.
    EXPECT_EQ(s.memory[6], 0x48);
    EXPECT_EQ(s.memory[7], 0x49);
    EXPECT_EQ(s.memory[0], 0x42);
    EXPECT_EQ(s.memory[5], 0x47);
    EXPECT_EQ(s.memory[8], 0xFF);

    // ACK polling: no answer while the write cycle runs, then the chip is back.
    EXPECT_FALSE(m.writeI2c(0xA0, {}));
    m.wait(5 * kMillisecond);
    EXPECT_TRUE(m.writeI2c(0xA0, {0x06}, false));
    EXPECT_EQ(m.readI2c(0xA0, 3), (Bytes{0x48, 0x49, 0xFF}));
    EXPECT_EQ(s.chip->violations(), 0u);
}

TEST(I2cChip, AnswersOnlyItsOwnAddressAndTakesBlockBitsFromIt) {
    Socket small("24C02");
    Master m(*small.chip);
    EXPECT_FALSE(m.writeI2c(0xA2, {0x00})); // A0 is tied low on the socket
    EXPECT_FALSE(m.writeI2c(0xB0, {0x00}));

    Socket c16("24C16");
    Master b(*c16.chip);
    ASSERT_TRUE(b.writeI2c(0xA0 | 5 << 1, {0x10, 0x5A}));
    EXPECT_EQ(c16.memory[0x510], 0x5A);
    b.wait(5 * kMillisecond);
    // Random read: a dummy write sets the address, a repeated START reads.
    ASSERT_TRUE(b.writeI2c(0xA0 | 5 << 1, {0x10}, false));
    EXPECT_EQ(b.readI2c(0xA0 | 5 << 1, 1), Bytes{0x5A});

    Socket c04("24C04");
    Master four(*c04.chip);
    EXPECT_FALSE(four.writeI2c(0xA4, {0x00})); // A1 must match its pin, low
    EXPECT_TRUE(four.writeI2c(0xA2, {0x00, 0x11}));
    EXPECT_EQ(c04.memory[0x100], 0x11);
}

TEST(I2cChip, TwoAddressBytesFromThe24C32AndSequentialReadWrapsAtTheEnd) {
    Socket s("24C256");
    Master m(*s.chip);
    Bytes load{0x7F, 0xC0};
    const Bytes page = counting(64, 1);
    load.insert(load.end(), page.begin(), page.end());
    ASSERT_TRUE(m.writeI2c(0xA0, load));
    EXPECT_EQ(Bytes(s.memory.begin() + 0x7FC0, s.memory.end()), page);
    m.wait(5 * kMillisecond);
    ASSERT_TRUE(m.writeI2c(0xA0, {0x7F, 0xFE}, false));
    s.memory[0] = 0x99;
    EXPECT_EQ(m.readI2c(0xA0, 3), (Bytes{63, 64, 0x99}));
}

TEST(I2cChip, AStopInsideADataByteWritesNothing) {
    Socket s("24C02");
    Master m(*s.chip);
    m.start();
    m.sendI2c(0xA0);
    m.sendI2c(0x00);
    for (int i = 0; i < 4; ++i)
        m.clockI2c(false);
    m.stop();
    EXPECT_EQ(s.memory[0], 0xFF);
    EXPECT_TRUE(m.writeI2c(0xA0, {})); // and no write cycle started
}

TEST(I2cChip, StartsAndStopsNeedTheirSetUpAndHoldTimes) {
    Socket s("24C02");
    Master m(*s.chip);
    ASSERT_TRUE(m.writeI2c(0xA0, {0x00}));
    EXPECT_EQ(s.chip->violations(), 0u);
    m.p.sdaFree = false; // a START at once after the STOP: the bus was free 0 ns
    m.wait(0);
    EXPECT_EQ(s.chip->violations(), 1u);
    m.step = 400; // SCL falls 400 ns after it: a 400 kHz part wants 600 ns
    m.p.sclFree = false;
    m.settle();
    EXPECT_EQ(s.chip->violations(), 2u);
}

TEST(I2cChip, AClockFasterThanTheDatasheetIsAViolation) {
    Socket fast("24C02");
    Master m(*fast.chip);
    m.step = 500; // SCL high 500 ns: below the 600 ns of a 400 kHz part
    m.writeI2c(0xA0, {0x00, 0x12});
    EXPECT_GT(fast.chip->violations(), 0u);

    Socket pcf("PCF8582"); // a 100 kHz part
    Master p(*pcf.chip);
    p.step = 2000;
    p.writeI2c(0xA0, {0x00});
    EXPECT_GT(pcf.chip->violations(), 0u);
    Master slow(*pcf.chip);
    slow.t = p.t;
    ASSERT_TRUE(slow.writeI2c(0xA0, {0x04, 1, 2, 3, 4, 5})); // 8-byte pages
    EXPECT_EQ(Bytes(pcf.memory.begin() + 4, pcf.memory.begin() + 9), (Bytes{1, 2, 3, 4, 0xFF}));
    EXPECT_EQ(pcf.memory[0], 5);
}

// ---- 93Cxx and 59Cxx ----

// One Microwire instruction: CS high, start bit, opcode and address, then CS low.
uint32_t instruction(Master& m, uint32_t bits, int count, int readBits = 0) {
    m.select(true);
    m.clock(true);
    m.shift(bits, count);
    const uint32_t in = m.shift(0, readBits);
    m.select(false);
    return in;
}

TEST(MicrowireChip, WritesNeedEwenAndShowBusyOnDo) {
    Socket s("93C46_16");
    Master m(*s.chip, true);
    // WRITE (01) word 3 = 0xBEEF, refused without EWEN.
    instruction(m, 0b01'000011u << 16 | 0xBEEF, 8 + 16);
    EXPECT_EQ(s.memory[6], 0xFF);
    instruction(m, 0b00'110000, 8); // EWEN
    instruction(m, 0b01'000011u << 16 | 0xBEEF, 8 + 16);
    EXPECT_EQ(s.memory[6], 0xBE); // the high byte first
    EXPECT_EQ(s.memory[7], 0xEF);
    m.select(true);
    EXPECT_FALSE(s.chip->dataOut()); // busy
    EXPECT_EQ(s.chip->nextChange(), m.t - m.step + 5 * kMillisecond);
    m.wait(5 * kMillisecond);
    EXPECT_TRUE(s.chip->dataOut()); // ready
    m.select(false);
    // READ (10): the word, then the next one, each bit out on a rising SK...
    EXPECT_EQ(instruction(m, 0b10'000011, 8, 32), 0xBEEFFFFFu);
    // ... after the dummy 0 that the clock of the last address bit puts on DO.
    m.select(true);
    m.clock(true);
    m.shift(0b10'000011, 8);
    EXPECT_FALSE(s.chip->dataOut());
    m.select(false);
}

TEST(MicrowireChip, EightBitOrganisationTakesOneMoreAddressBit) {
    Socket s("93C46_8");
    Master m(*s.chip, false);
    instruction(m, 0b00'1100000, 9);
    instruction(m, 0b01'1111111u << 8 | 0x5A, 9 + 8);
    EXPECT_EQ(s.memory[127], 0x5A);
    m.wait(5 * kMillisecond);
    EXPECT_EQ(instruction(m, 0b10'1111111, 9, 8), 0x5Au);
}

TEST(MicrowireChip, EraseAllWriteAllAndEraseWithinTheirCycles) {
    Socket s("93C86");
    Master m(*s.chip, true);
    instruction(m, 0b00'11u << 8, 12);                // EWEN, 10-bit address field
    instruction(m, 0b00'01u << 24 | 0x1234, 12 + 16); // WRAL
    EXPECT_EQ(s.memory[2046], 0x12);
    EXPECT_EQ(s.memory[2047], 0x34);
    instruction(m, 0b00'10u << 8, 12); // ERAL while busy: ignored
    EXPECT_EQ(s.memory[0], 0x12);
    m.wait(15 * kMillisecond);
    instruction(m, 0b11'0000000001, 12); // ERASE word 1
    EXPECT_EQ(s.memory[2], 0xFF);
    EXPECT_EQ(s.memory[0], 0x12);
    m.wait(5 * kMillisecond);
    instruction(m, 0b00'10u << 8, 12); // ERAL
    EXPECT_EQ(s.memory[0], 0xFF);
    m.wait(10 * kMillisecond);
    instruction(m, 0b00'00u << 8, 12); // EWDS
    instruction(m, 0b01'0000000000u << 16, 12 + 16);
    EXPECT_EQ(s.memory[0], 0xFF);
}

TEST(MicrowireChip, The59C11TellsBusyOnlyOnItsOwnPinAndHasNoErase) {
    Socket s("59C11");
    Master m(*s.chip, true);
    instruction(m, 0b00'11000000, 10);
    instruction(m, 0b01'00000001u << 16 | 0xA55A, 10 + 16);
    EXPECT_EQ(s.memory[2], 0xA5);
    m.select(true);
    EXPECT_TRUE(s.chip->dataOut()); // DO floats: no status there
    m.select(false);
    instruction(m, 0b01'00000010u << 16 | 0x1111, 10 + 16); // busy: ignored
    EXPECT_EQ(s.memory[4], 0xFF);
    m.wait(10 * kMillisecond);
    instruction(m, 0b11'00000001, 10);
    EXPECT_EQ(s.memory[2], 0xA5);
}

// ---- 25Cxx ----

uint32_t spi(Master& m, const Bytes& out, int readBytes = 0) {
    m.select(false);
    for (uint8_t b : out)
        m.shift(b, 8);
    uint32_t in = 0;
    for (int i = 0; i < readBytes; ++i)
        in = in << 8 | m.shift(0, 8);
    m.select(true);
    return in;
}

TEST(SpiChip, WritesNeedWrenWhichTheWriteClearsAndThePageWraps) {
    Socket s("25C640");
    Master m(*s.chip);
    m.select(true);
    spi(m, {0x02, 0x00, 0x10, 0xAA}); // WRITE without WREN
    EXPECT_EQ(s.memory[0x10], 0xFF);
    EXPECT_EQ(spi(m, {0x05}, 1), 0x00u);
    spi(m, {0x06});
    EXPECT_EQ(spi(m, {0x05}, 1), 0x02u); // WEL
    Bytes load{0x02, 0x01, 0x1E};
    const Bytes data = counting(4, 1);
    load.insert(load.end(), data.begin(), data.end());
    spi(m, load);
    EXPECT_EQ(spi(m, {0x05}, 2), 0x0303u); // WIP and WEL, as often as asked
    EXPECT_EQ(s.memory[0x11E], 1);
    EXPECT_EQ(s.memory[0x11F], 2);
    EXPECT_EQ(s.memory[0x100], 3); // 32-byte pages
    EXPECT_EQ(s.memory[0x101], 4);
    spi(m, {0x03, 0x00, 0x00}); // READ while busy: ignored
    m.wait(5 * kMillisecond);
    EXPECT_EQ(spi(m, {0x05}, 1), 0x00u);
    EXPECT_EQ(spi(m, {0x03, 0x01, 0x1F}, 2), 0x02FFu);
    spi(m, {0x02, 0x00, 0x00, 0x77}); // WEL went with the write
    EXPECT_EQ(s.memory[0], 0xFF);
}

TEST(SpiChip, The25C040CarriesA8InTheOpcodeAndAByteCutShortWritesNothing) {
    Socket s("25C040");
    Master m(*s.chip);
    m.select(true);
    spi(m, {0x06});
    spi(m, {0x0A, 0x05, 0x66}); // WRITE with A8
    EXPECT_EQ(s.memory[0x105], 0x66);
    m.wait(5 * kMillisecond);
    EXPECT_EQ(spi(m, {0x0B, 0x05}, 1), 0x66u);
    EXPECT_EQ(spi(m, {0x03, 0x05}, 1), 0xFFu);

    spi(m, {0x06});
    m.select(false);
    m.shift(0x02, 8);
    m.shift(0x00, 8);
    m.shift(0x5, 4); // /CS rises after half a byte
    m.select(true);
    EXPECT_EQ(s.memory[0], 0xFF);
    EXPECT_EQ(spi(m, {0x05}, 1) & 1, 0u);
}

TEST(ChipModel, OnlyTheServedFamiliesHaveOne) {
    Bytes memory(8192, 0xFF);
    std::string why;
    EXPECT_FALSE(makeChipModel(*findDeviceByName("17C65"), memory, why));
    EXPECT_NE(why.find("17C65"), std::string::npos);
    EXPECT_FALSE(makeChipModel(*findDeviceByName("AT89C52"), memory, why));
    EXPECT_TRUE(makeChipModel(*findDeviceByName("24C64"), memory, why));
}

} // namespace
} // namespace kestro::board
