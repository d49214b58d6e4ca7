// The microcontroller models at their ISP pins: programming enable and its answer,
// each memory's write and read, the write cycles a firmware must poll, fuses and lock
// bits, and what the chips refuse (no clock, a clock too fast, writes before enable or
// on a locked chip, a page write elsewhere than the loads named).

#include "board/bus_master.h"
#include "board/isp_chip.h"
#include "devices/catalogue.h"
#include "sim/sim_chip.h"

#include <gtest/gtest.h>

namespace kestro::board {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t k2MHz = 2'000'000;

struct Isp {
    SimChip chip;
    std::unique_ptr<ChipModel> model;
    test::Master m;
    bool activeHigh;

    static std::unique_ptr<ChipModel> make(SimChip& chip) {
        std::string why;
        auto model = makeChipModel(chip.device, chip, why);
        EXPECT_TRUE(model) << why;
        return model;
    }
    explicit Isp(const char* name, uint32_t xtal = k2MHz)
        : chip(SimChip::blank(*findDeviceByName(name))), model(make(chip)), m(*model),
          activeHigh(std::string_view(name).starts_with("AT89")) {
        m.p.xtalHz = xtal;
        m.p.rstDriven = true;
        m.p.rst = !activeHigh;
        m.settle();
    }
    // Takes the chip into reset (a positive pulse first) and waits out its start.
    void reset() {
        m.p.rst = !activeHigh;
        m.settle();
        m.p.rst = activeHigh;
        m.settle();
        m.wait(21 * kMillisecond);
    }
    Bytes send(const Bytes& bytes) {
        Bytes in;
        for (uint8_t b : bytes)
            in.push_back(static_cast<uint8_t>(m.shift(b, 8)));
        return in;
    }
    uint8_t last(const Bytes& bytes) { return send(bytes).back(); }
    void wait(Nanos d) { m.wait(d); }
};

// ---- the AVRs ----

TEST(IspAvr, EchoesTheEnableAfterTheResetDelayAndWritesNothingBeforeIt) {
    Isp s("ATMEGA8515");
    s.m.p.rst = false;
    s.m.settle();
    s.m.wait(5 * kMillisecond); // too soon: the chip does not listen yet
    EXPECT_EQ(s.send({0xAC, 0x53, 0x00, 0x00}), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    s.reset();
    s.send({0xC0, 0x00, 0x10, 0x42}); // before Programming Enable
    EXPECT_EQ(s.chip.data[0x10], 0xFF);
    EXPECT_EQ(s.send({0xAC, 0x53, 0x00, 0x00})[2], 0x53);
    EXPECT_EQ(s.send({0x30, 0x00, 0x00, 0x00})[3], 0x1E);
    EXPECT_EQ(s.send({0x30, 0x00, 0x01, 0x00})[3], 0x93);
    EXPECT_EQ(s.send({0x30, 0x00, 0x02, 0x00})[3], 0x06);
    // Releasing RESET ends programming: the enable is needed again.
    s.m.p.rst = true;
    s.m.settle();
    s.reset();
    s.send({0xC0, 0x00, 0x10, 0x42});
    EXPECT_EQ(s.chip.data[0x10], 0xFF);
    EXPECT_EQ(s.model->violations(), 0u);
}

TEST(IspAvr, PageWriteBurnsTheLoadedWordsAndReadsFFWhileItRuns) {
    Isp s("ATMEGA8515");
    s.reset();
    s.send({0xAC, 0x53, 0, 0});
    // Page 2 (words 0x40..0x5F): two words loaded, low byte first.
    s.send({0x40, 0x00, 0x01, 0x34});
    s.send({0x48, 0x00, 0x01, 0x12});
    s.send({0x40, 0x00, 0x1F, 0xCD});
    s.send({0x4C, 0x00, 0x40, 0x00});
    EXPECT_EQ(s.last({0x20, 0x00, 0x41, 0}), 0xFF) << "data polling: busy";
    s.wait(4500 * 1000);
    EXPECT_EQ(s.last({0x20, 0x00, 0x41, 0}), 0x34);
    EXPECT_EQ(s.last({0x28, 0x00, 0x41, 0}), 0x12);
    EXPECT_EQ(s.chip.memory[0x82], 0x34);
    EXPECT_EQ(s.chip.memory[0x83], 0x12);
    EXPECT_EQ(s.chip.memory[0xBE], 0xCD);
    EXPECT_EQ(s.chip.memory[0xBF], 0xFF);
    // Without an erase, programming clears bits only.
    s.send({0x40, 0x00, 0x01, 0xC3});
    s.send({0x4C, 0x00, 0x40, 0x00});
    s.wait(4500 * 1000);
    EXPECT_EQ(s.chip.memory[0x82], 0x00);
    // A write while the chip is busy is lost.
    s.send({0xC0, 0x00, 0x00, 0x11});
    s.send({0xC0, 0x00, 0x01, 0x22});
    s.wait(9 * kMillisecond);
    EXPECT_EQ(s.chip.data[0], 0x11);
    EXPECT_EQ(s.chip.data[1], 0xFF);
    EXPECT_EQ(s.model->violations(), 0u);
}

TEST(IspAvr, APageWriteOutsideTheFlashOrTheLoadedPageIsRefused) {
    Isp s("ATMEGA8515");
    s.reset();
    s.send({0xAC, 0x53, 0, 0});
    s.send({0x40, 0x00, 0x00, 0x00});
    s.send({0x4C, 0x10, 0x00, 0x00}); // word 0x1000: beyond the 4K words
    s.wait(5 * kMillisecond);
    EXPECT_EQ(s.chip.memory, Bytes(8192, 0xFF));
    // The loads name page 3 (word 0x60), the write page 4.
    s.send({0x40, 0x00, 0x60, 0x00});
    s.send({0x4C, 0x00, 0x80, 0x00});
    EXPECT_EQ(s.model->violations(), 1u);
}

TEST(IspAvr, FusesLockBitsAndChipErase) {
    Isp s("ATMEGA8515");
    s.reset();
    s.send({0xAC, 0x53, 0, 0});
    EXPECT_EQ(s.last({0x50, 0x00, 0, 0}), 0xE1);
    EXPECT_EQ(s.last({0x58, 0x08, 0, 0}), 0xD9);
    s.send({0xAC, 0xA0, 0, 0xE4}); // the internal RC at 8 MHz
    s.wait(5 * kMillisecond);
    s.send({0xAC, 0xA8, 0, 0xF7}); // SPIEN cannot be unprogrammed, EESAVE programmed
    s.wait(5 * kMillisecond);
    EXPECT_EQ(s.last({0x50, 0x00, 0, 0}), 0xE4);
    EXPECT_EQ(s.last({0x58, 0x08, 0, 0}), 0xD7);
    EXPECT_EQ(s.chip.fuses[0], 0xE4);
    EXPECT_EQ(s.chip.fuses[1], 0xD7);
    s.send({0xC0, 0x00, 0x05, 0x5A});
    s.wait(9 * kMillisecond);
    s.send({0x40, 0x00, 0x00, 0x12});
    s.send({0x4C, 0x00, 0x00, 0x00});
    s.wait(5 * kMillisecond);

    // LB1 and LB2: no more writes, and the memories read as erased.
    s.send({0xAC, 0xE0, 0, 0xFC});
    s.wait(5 * kMillisecond);
    EXPECT_EQ(s.last({0x58, 0x00, 0, 0}), 0xFC);
    EXPECT_EQ(s.chip.lockByte, 0xC3) << "LB1 and LB2, as the program names them";
    EXPECT_EQ(s.last({0x20, 0x00, 0x00, 0}), 0xFF);
    EXPECT_EQ(s.last({0xA0, 0x00, 0x05, 0}), 0xFF);
    s.send({0xAC, 0xA0, 0, 0xE1});
    s.wait(5 * kMillisecond);
    EXPECT_EQ(s.last({0x50, 0x00, 0, 0}), 0xE4);
    // Lock bits are never unprogrammed by a write; the chip erase does it, and
    // EESAVE keeps the EEPROM.
    s.send({0xAC, 0xE0, 0, 0xFF});
    s.wait(5 * kMillisecond);
    EXPECT_EQ(s.last({0x58, 0x00, 0, 0}), 0xFC);
    s.send({0xAC, 0x80, 0, 0});
    s.wait(9 * kMillisecond);
    EXPECT_EQ(s.last({0x58, 0x00, 0, 0}), 0xFF);
    EXPECT_EQ(s.chip.memory[0], 0xFF);
    EXPECT_EQ(s.chip.data[5], 0x5A);
    EXPECT_EQ(s.model->violations(), 0u);
}

TEST(IspAvr, TheChipRunsOnTheClockItsFusesChoose) {
    // As delivered, the ATmega8515 runs on its 1 MHz internal RC: no XTAL needed, and
    // SCK phases must be longer than 2 us.
    Isp s("ATMEGA8515", 0);
    s.reset();
    EXPECT_EQ(s.send({0xAC, 0x53, 0, 0})[2], 0x53);
    s.m.step = 2000;
    s.send({0xAC, 0x53, 0, 0});
    EXPECT_GT(s.model->violations(), 0u);
    s.m.step = 5000;
    s.send({0xAC, 0xA0, 0, 0xE0}); // external clock
    s.wait(5 * kMillisecond);
    s.reset();
    EXPECT_EQ(s.send({0xAC, 0x53, 0, 0}), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    s.m.p.xtalHz = k2MHz;
    s.reset();
    EXPECT_EQ(s.send({0xAC, 0x53, 0, 0})[2], 0x53);
}

TEST(IspAvr, The2313WritesBytesWithDataPollingAndHasTwoLockBits) {
    Isp s("AT90S2313");
    s.reset();
    EXPECT_EQ(s.send({0xAC, 0x53, 0, 0})[2], 0x53);
    EXPECT_EQ(s.last({0x30, 0x00, 0x01, 0}), 0x91);
    s.send({0x48, 0x00, 0x10, 0x9A}); // word 0x10, high byte
    EXPECT_EQ(s.last({0x28, 0x00, 0x10, 0}), 0x7F);
    s.wait(4 * kMillisecond);
    EXPECT_EQ(s.last({0x28, 0x00, 0x10, 0}), 0x9A);
    EXPECT_EQ(s.chip.memory[0x21], 0x9A);
    s.send({0xC0, 0x00, 0x7F, 0x33});
    EXPECT_EQ(s.last({0xA0, 0x00, 0x7F, 0}), 0x80);
    s.wait(4 * kMillisecond);
    EXPECT_EQ(s.last({0xA0, 0x00, 0x7F, 0}), 0x33);
    // No fuse instructions in serial mode: the saved fuse byte keeps SPIEN programmed.
    s.send({0xAC, 0xA0, 0, 0x00});
    s.wait(4 * kMillisecond);
    EXPECT_EQ(s.chip.fuses[0], 0xDF);
    s.send({0xAC, 0xFD, 0, 0}); // 1111 1101: LB1 programmed, LB2 not
    s.wait(4 * kMillisecond);
    EXPECT_EQ(s.chip.lockByte, 1);
    s.send({0xC0, 0x00, 0x00, 0x44});
    s.wait(4 * kMillisecond);
    EXPECT_EQ(s.chip.data[0], 0xFF);
    EXPECT_EQ(s.last({0x28, 0x00, 0x10, 0}), 0x9A) << "mode 2 still verifies";
    s.send({0xAC, 0xF8, 0, 0});
    s.wait(4 * kMillisecond);
    EXPECT_EQ(s.chip.lockByte, 3);
    EXPECT_EQ(s.last({0x28, 0x00, 0x10, 0}), 0xFF);
    EXPECT_EQ(s.model->violations(), 0u);
}

TEST(IspAvr, WithoutAClockOrWithRESETHighTheChipDoesNothing) {
    Isp s("AT90S2313", 0);
    s.reset();
    EXPECT_EQ(s.send({0xAC, 0x53, 0, 0}), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    s.send({0xC0, 0x00, 0x00, 0x44});
    s.wait(5 * kMillisecond);
    EXPECT_EQ(s.chip.data[0], 0xFF);
    Isp running("AT90S2313");
    running.m.p.rstDriven = false; // the pull-up holds RESET high
    running.m.wait(21 * kMillisecond);
    EXPECT_EQ(running.send({0xAC, 0x53, 0, 0}), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

// ---- the AT89S parts ----

TEST(IspAt89s, The52AnswersTheEnableWith69AndPollsTheWrittenByte) {
    Isp s("AT89S52");
    s.reset();
    s.send({0x40, 0x01, 0x23, 0x00}); // before the enable
    EXPECT_EQ(s.chip.memory[0x123], 0xFF);
    EXPECT_EQ(s.send({0xAC, 0x53, 0, 0})[3], 0x69);
    EXPECT_EQ(s.last({0x28, 0x00, 0x00, 0}), 0x1E);
    EXPECT_EQ(s.last({0x28, 0x01, 0x00, 0}), 0x52);
    EXPECT_EQ(s.last({0x28, 0x02, 0x00, 0}), 0x06);
    s.send({0x40, 0x1F, 0xFF, 0x5A}); // the last byte of the 8K
    EXPECT_EQ(s.last({0x20, 0x1F, 0xFF, 0}), 0xDA) << "bit 7 inverted while it burns";
    s.wait(500 * 1000);
    EXPECT_EQ(s.last({0x20, 0x1F, 0xFF, 0}), 0x5A);
    EXPECT_EQ(s.chip.memory[0x1FFF], 0x5A);

    // Page mode: 256 bytes after the opcode and the high address.
    Bytes page{0x50, 0x04};
    for (int i = 0; i < 256; ++i)
        page.push_back(static_cast<uint8_t>(i));
    s.send(page);
    s.wait(500 * 1000);
    EXPECT_EQ(s.chip.memory[0x400], 0x00);
    EXPECT_EQ(s.chip.memory[0x4FF], 0xFF);
    EXPECT_EQ(s.chip.memory[0x47F], 0x7F);
    Bytes readPage{0x30, 0x04};
    readPage.resize(2 + 256, 0);
    const Bytes back = s.send(readPage);
    EXPECT_EQ(back[2], 0x00);
    EXPECT_EQ(back[2 + 0x7F], 0x7F);
    EXPECT_EQ(s.model->violations(), 0u);
}

TEST(IspAt89s, The52LocksModeByModeAndOnlyAnEraseOpensIt) {
    Isp s("AT89S52");
    s.reset();
    s.send({0xAC, 0x53, 0, 0});
    s.send({0x40, 0x00, 0x00, 0x12});
    s.wait(kMillisecond);
    s.send({0xAC, 0xE1, 0, 0}); // mode 2: LB1
    s.wait(kMillisecond);
    EXPECT_EQ(s.last({0x24, 0, 0, 0}), 0x04);
    s.send({0x40, 0x00, 0x01, 0x34});
    s.wait(kMillisecond);
    EXPECT_EQ(s.chip.memory[1], 0xFF);
    EXPECT_EQ(s.last({0x20, 0x00, 0x00, 0}), 0x12);
    s.send({0xAC, 0xE2, 0, 0}); // mode 3: LB2, verification off
    s.wait(kMillisecond);
    EXPECT_EQ(s.last({0x24, 0, 0, 0}), 0x0C);
    EXPECT_EQ(s.chip.lockByte, 3);
    EXPECT_EQ(s.last({0x20, 0x00, 0x00, 0}), 0xFF);
    s.send({0xAC, 0x80, 0, 0});
    s.wait(500 * kMillisecond);
    EXPECT_EQ(s.last({0x24, 0, 0, 0}), 0x00);
    EXPECT_EQ(s.chip.memory[0], 0xFF);
    EXPECT_EQ(s.chip.lockByte, 0);
}

TEST(IspAt89s, SckFasterThanASixteenthOfXtalOrNoXtalIsRefused) {
    Isp s("AT89S52");
    s.m.step = 3000; // 3 us phases: the 2 MHz part wants 4 us
    s.reset();
    EXPECT_NE(s.send({0xAC, 0x53, 0, 0})[3], 0x69);
    s.send({0x40, 0x00, 0x00, 0x00});
    EXPECT_GT(s.model->violations(), 0u);
    EXPECT_EQ(s.chip.memory[0], 0xFF);
    Isp unclocked("AT89S52", 0);
    unclocked.reset();
    EXPECT_EQ(unclocked.send({0xAC, 0x53, 0, 0}), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    // RST low (its pull-down when not driven): the chip runs its program.
    Isp running("AT89S52");
    running.m.p.rstDriven = false;
    running.m.settle();
    EXPECT_EQ(running.send({0xAC, 0x53, 0, 0})[3], 0xFF);
}

TEST(IspAt89s, The8252TakesThreeBytesWithTheHighAddressInTheOpcode) {
    Isp s("AT89S8252");
    s.reset();
    s.send({0xAC, 0x53, 0x00});
    s.send({0xFA, 0x10, 0xA5}); // code 11111 010: A12..A8 = 1F, address 1F10
    EXPECT_EQ(s.last({0xF9, 0x10, 0}), 0x25) << "data polling";
    s.wait(2500 * 1000);
    EXPECT_EQ(s.last({0xF9, 0x10, 0}), 0xA5);
    EXPECT_EQ(s.chip.memory[0x1F10], 0xA5);
    s.send({0x3E, 0xFF, 0x77}); // data 00111 110: address 7FF, the last of 2 KiB
    s.wait(2500 * 1000);
    EXPECT_EQ(s.chip.data[0x7FF], 0x77);
    EXPECT_EQ(s.last({0x3D, 0xFF, 0}), 0x77);
    // LB1 and LB2 (bits 7 and 6 low): locked for writes and reads.
    s.send({0xAC, 0x3F, 0x00});
    s.wait(2500 * 1000);
    EXPECT_EQ(s.chip.lockByte, 3);
    EXPECT_EQ(s.last({0x3D, 0xFF, 0}), 0xFF);
    s.send({0x02, 0x00, 0x00});
    s.wait(2500 * 1000);
    EXPECT_EQ(s.chip.memory[0], 0xFF);
    EXPECT_EQ(s.chip.fuses[0], 0xFE) << "SPI enable, as Program Fuse sends it";
    s.send({0xAC, 0x04, 0x00});
    s.wait(16 * kMillisecond);
    EXPECT_EQ(s.chip.data[0x7FF], 0xFF);
    EXPECT_EQ(s.chip.lockByte, 0);
    EXPECT_EQ(s.model->violations(), 0u);
}

} // namespace
} // namespace kestro::board
