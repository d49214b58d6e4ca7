// The PIC12 and PIC16 layouts on the form: the configuration word through the bit
// view, the lists and their bits, the code-protect copies and the ID field.

#include "support/fuse_fixture.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using Pic = test::FuseForm;

TEST_F(Pic, Pic16F84ShowsAndKeepsItsWord) {
    select(68);
    refill(0x3FF1);
    EXPECT_EQ(shown("ComboBox1"), "XT");
    EXPECT_FALSE(box("Watchdog timer enable").checked);
    EXPECT_TRUE(box("Power-up timer enable").checked); // bit 3 = 0, active low
    EXPECT_FALSE(box("Code protect ON").checked);      // bit 4 = 1
    EXPECT_EQ(form.GetFuse(), 0);
    EXPECT_EQ(word(), 0x3FF1);
    EXPECT_EQ(form.GetFuse(), 0); // a second read-back gives the same bytes
    EXPECT_EQ(word(), 0x3FF1);

    for (uint16_t w : {0x3FF1, 0x2AB5, 0x0000}) {
        refill(w);
        tick("Code protect ON");
        form.GetFuse();
        EXPECT_EQ(word() & 0x3FF0, 0) << w; // bits 4 to 13 all 0
        EXPECT_EQ(word() & 0xC00F, w & 0xC00F) << w;
    }
}

TEST_F(Pic, CodeProtectCopiesDifferBetweenC54AAndC54B) {
    const struct {
        int device;
        uint16_t unprotected, protectedWord; // from 0x0FFF with only "Code protect ON" changed
    } cases[] = {
        {50, 0x3FFF, 0x3FF7}, // bits 4 to 13 := 1
        {54, 0x3FFF, 0x3FF7}, {56, 0x3FFF, 0x3FF7},
        {51, 0x3FFF, 0x0007}, // bits 4 to 13 := the code-protect bit
        {53, 0x3FFF, 0x0007}, {57, 0x3FFF, 0x0007},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        select(c.device);
        refill(0x0FFF);
        form.GetFuse();
        EXPECT_EQ(word(), c.unprotected);
        refill(0x0FFF);
        tick("Code protect ON");
        form.GetFuse();
        EXPECT_EQ(word(), c.protectedWord);
    }
}

TEST_F(Pic, SecondListsWriteTheirBitsAndCopies) {
    const struct {
        int device;
        const char* list;
        const char* item;
        int occurrence;
        uint16_t from, expected;
    } cases[] = {
        // Every active-low box the fill checked from a 0 reads back as 0 again.
        // PIC12C671: bits 5, 6 inverted, copied into 8, 10, 12 and 9, 11, 13.
        {48, "Code Protect:", "ON 0200h-07FEh", 0, 0x3FFF, 0x15BF},
        {48, "Code Protect:", "OFF", 0, 0x0000, 0x3F60},
        // PIC16CE625 and C715 alike; C711 copies bit 4 into 5 and 7 to 13.
        {59, "Code Protect:", "ON 0400h-07FFh", 0, 0x3FFF, 0x3FFF & ~0x1510},
        {61, "Code Protect:", "ON 0000h-07FFh", 0, 0x3FFF, 0x3FFF & ~0x3F30},
        {60, "Code Protect:", "ON", 0, 0x3FFF, 0x3FFF & ~0x3FB0},
        {60, "Code Protect:", "OFF", 0, 0x0000, 0x3FB0},
        // PIC12F629: bandgap bit 12 copied into 13.
        {64, "BandGap:", "Highest bandgap voltage", 0, 0x0000, 0x3000},
        {64, "BandGap:", "Lowest bandgap voltage", 0, 0x3FFF, 0x0FFF},
        // PIC16F627: a second "OFF" writes bits 12, 10 := 0 and 13, 11 := 1; bit 9 := 1.
        {69, "Code Protect:", "OFF", 1, 0x0000, 0x2A00},
        {70, "Code Protect:", "ON 0000h-07FFh", 0, 0x3FFF, 0x3FFF & ~0x3C00},
        {72, "Code Protect:", "ON", 0, 0x0000, 0x1E00}, // bits 9 to 12 := 1
        // PIC16F818: "OFF" is the last item, bits 9 and 10 = 1.
        {79, "Write Protect:", "OFF", 0, 0x0000, 0x0600},
        {79, "Write Protect:", "ON 0000h-05FFh", 0, 0x3FFF, 0x3FFF & ~0x0600},
        // PIC16F870: bits 12, 13, 4, 5 := inverted index bit 0; bit 10 := 1.
        {81, "Code Protect:", "ON", 0, 0x3FFF, 0x3FFF & ~0x3030},
        {81, "Code Protect:", "OFF", 0, 0x0000, 0x3430},
        // PIC16F872 to 877: 12 and 4 from index bit 0, 13 and 5 from index bit 1.
        {83, "Code Protect:", "ON 0000h-06FFh", 0, 0x3FFF, 0x3FFF & ~0x1010},
        {86, "Code Protect:", "ON 1000h-1FFFh", 0, 0x0000, 0x1410},
        {90, "Write Protect:", "ON 0000h-07FFh", 0, 0x3FFF, 0x3FFF & ~0x0400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.device) + " " + c.item);
        select(c.device);
        EXPECT_EQ(ctl("GroupBox5").caption, c.list);
        refill(c.from);
        choose("ComboBox2", c.item, c.occurrence);
        form.GetFuse();
        EXPECT_EQ(word(), c.expected);
    }
}

TEST_F(Pic, SecondListsShowTheirBits) {
    const struct {
        int device;
        uint16_t word;
        const char* shown;
    } cases[] = {
        {48, 0x0040, "ON 0400h-07FEh"},          {49, 0x0020, "ON 0200h-07FEh"},
        {59, 0x0000, "ON 0000h-07FFh"},          {60, 0x0020, "ON"},
        {64, 0x1000, "Highest bandgap voltage"}, {69, 0x0800, "OFF"},
        {70, 0x0400, "ON 0200h-07FFh"},          {73, 0x1FFF, "ON"},
        {80, 0x0200, "ON 0000h-03FFh"},          {82, 0x0000, "ON"},
        {84, 0x2000, "ON 0F00h-0FFFh"},          {87, 0x1000, "ON 1000h-1FFFh"},
        {89, 0x0400, "ON 0000h-00FFh"},          {91, 0x0000, "ON 0000h-0FFFh"},
    };
    for (const auto& c : cases) {
        select(c.device);
        refill(c.word);
        EXPECT_EQ(shown("ComboBox2"), c.shown) << c.device;
    }
}

TEST_F(Pic, OscillatorBits) {
    const struct {
        int device;
        uint16_t word;
        const char* shown;
        int width;
    } cases[] = {
        {46, 0x0002, "INTRC", 70},
        {50, 0x0003, "RC", 70},
        {48, 0x0005, "INTRC (GP4=CLKOUT)", 230},
        {58, 0x0003, "Reserved (invalid!)", 230},
        {65, 0x0007, "EXTRC (GP4=CLKOUT)", 230},
        {69, 0x0013, "ER (RA6=CLKOUT)", 230},
        {69, 0x0007, "EC", 230},
        {80, 0x0010, "INTRC (RA6=I/O)", 230},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        select(c.device);
        EXPECT_EQ(ctl("ComboBox1").rect, (Rect{10, 70, c.width, 15}));
        refill(c.word);
        EXPECT_EQ(shown("ComboBox1"), c.shown);
    }
}

TEST_F(Pic, AnEmptyOscillatorListWritesOnesToItsBits) {
    const struct {
        int device;
        uint16_t oscillatorBits;
    } cases[] = {{68, 0x0003}, {46, 0x0003}, {58, 0x0007}, {69, 0x0013}, {79, 0x0013}};
    for (const auto& c : cases) {
        select(c.device);
        refill(0x0000);
        ctl("ComboBox1").itemIndex = -1;
        form.GetFuse();
        EXPECT_EQ(word() & c.oscillatorBits, c.oscillatorBits) << c.device;
    }
}

TEST_F(Pic, TheHiddenFourthBoxOfPic16ce625AndC711CarriesBit7) {
    for (int device : {59, 60}) {
        SCOPED_TRACE(device);
        select(device);
        EXPECT_FALSE(ctl("CheckBox4").visible);
        refill(0x0080);
        EXPECT_TRUE(ctl("CheckBox4").checked);
        refill(0x0000);
        EXPECT_FALSE(ctl("CheckBox4").checked);
    }
    select(59);
    refill(0x3F7F);
    ctl("CheckBox4").checked = true; // not something a user can do, but it is read back
    form.GetFuse();
    EXPECT_EQ(word(), 0x3FFF);

    select(61);
    EXPECT_EQ(ctl("CheckBox4").caption, "Memory polarity enable");
    EXPECT_EQ(ctl("CheckBox4").rect, (Rect{10, 250, 230, 15}));
    EXPECT_EQ(ctl("GroupBox6").rect, (Rect{5, 170, 240, 100}));
    EXPECT_EQ(ctl("GroupBox7").rect, (Rect{5, 280, 240, 55}));
    EXPECT_EQ(ctl("Edit1").rect, (Rect{10, 300, 40, 20}));
    select(60);
    EXPECT_EQ(ctl("GroupBox7").rect, (Rect{5, 260, 240, 55}));
}

} // namespace
} // namespace kestro
