// The 8051-family and AVR layouts on the form: what the fill shows, and the bytes,
// lock mode and fuse file pair the read-back composes.

#include "support/fuse_fixture.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using Avr = test::FuseForm;

TEST_F(Avr, EightyFiftyOneLockListsAlwaysShowUnprogrammedAndSetTheLockMode) {
    for (int device : {0, 3, 22}) {
        SCOPED_TRACE(device);
        select(device);
        const size_t levels = device == 3 ? 4 : 3;
        ASSERT_EQ(ctl("ComboBox1").items.size(), levels);
        EXPECT_EQ(ctl("ComboBox1").font.pixelSize, 12);
        for (uint16_t w : {0x0000, 0x1234, 0xFFFF}) {
            refill(w);
            EXPECT_EQ(shown("ComboBox1"), "Unprogrammed");
        }
        const uint8_t modes[] = {0, 1, 3, 7};
        for (size_t i = 0; i < levels; ++i) {
            ctl("ComboBox1").itemIndex = static_cast<int>(i);
            EXPECT_EQ(form.GetFuse(), 0);
            EXPECT_EQ(st.fuse.lockMode, modes[i]);
        }
        ctl("ComboBox1").itemIndex = -1; // nothing chosen: the lock mode stays
        EXPECT_EQ(form.GetFuse(), 0);
        EXPECT_EQ(st.fuse.lockMode, modes[levels - 1]);
        EXPECT_EQ(word(), 0xFFFF); // the bytes are the chip's business alone
    }
}

TEST_F(Avr, At89sLockListAndSpiEnable) {
    select(13); // AT89S8252
    EXPECT_EQ(ctl("GroupBox5").caption, "Fuse Bit:");
    EXPECT_EQ(ctl("CheckBox1").rect, (Rect{10, 130, 230, 15}));
    const struct {
        uint8_t byte0;
        const char* lock;
        bool spi;
    } fills[] = {{0xE0, "Unprogrammed", false},
                 {0x61, "Program disable", true},
                 {0x3F, "Program, Read disable", true},
                 {0x1E, "Program, Read, ext PS disable", false},
                 {0xBF, "", true},
                 {0xDF, "", true},
                 {0x5F, "", true},
                 {0x9F, "", true}};
    for (const auto& f : fills) {
        SCOPED_TRACE(f.byte0);
        refill(static_cast<uint16_t>(0x5500 | f.byte0));
        EXPECT_EQ(shown("ComboBox1"), f.lock);
        EXPECT_EQ(box("SPI enable").checked, f.spi);
    }

    refill(0x553F);
    st.fuse.lockMode = 0x42;
    EXPECT_EQ(form.GetFuse(), 0);
    EXPECT_EQ(st.fuse.lockMode, 3);
    EXPECT_EQ(word(), 0x55FE); // the chip takes SPI enable active low; byte 1 stays
    EXPECT_EQ(st.fuse.fuseFilePair, (std::array<uint8_t, 2>{0xFF, 0xFF}));

    refill(0x55BF); // bits 7 to 5 = 1 0 1 match no entry
    st.fuse.lockMode = 0x42;
    tick("SPI enable", false);
    form.GetFuse();
    EXPECT_EQ(st.fuse.lockMode, 0x42);
    EXPECT_EQ(word(), 0x55FF);
    EXPECT_EQ(st.fuse.fuseFilePair, (std::array<uint8_t, 2>{0xFE, 0xFF}));
}

TEST_F(Avr, At90sTwoFuseBoxesOfOppositeSenseOnChipAndInFile) {
    select(14);
    EXPECT_EQ(ctl("CheckBox1").caption, "Internal RC osc. enable");
    select(15); // AT90S2313
    EXPECT_EQ(ctl("CheckBox1").caption, "Start up timer 16ms / 1ms");
    EXPECT_EQ(ctl("CheckBox2").caption, "SPI enable");
    EXPECT_EQ(ctl("CheckBox2").rect, (Rect{10, 150, 230, 15}));
    EXPECT_EQ(ctl("GroupBox5").rect, (Rect{5, 110, 240, 65}));

    const struct {
        uint8_t byte0;
        const char* lock;
        bool first, second;
    } fills[] = {{0xC0, "Unprogrammed", false, false},
                 {0x41, "Program disable", true, false},
                 {0x20, "Program, Read disable", false, true},
                 {0xA1, "", true, true}};
    for (const auto& f : fills) {
        SCOPED_TRACE(f.byte0);
        refill(f.byte0);
        EXPECT_EQ(shown("ComboBox1"), f.lock);
        EXPECT_EQ(ctl("CheckBox1").checked, f.first);
        EXPECT_EQ(ctl("CheckBox2").checked, f.second);
    }

    const struct {
        bool first, second;
        uint8_t chip, file;
    } backs[] = {{true, true, 0xDE, 0xFF},
                 {false, false, 0xFF, 0xDE},
                 {true, false, 0xFE, 0xDF},
                 {false, true, 0xDF, 0xFE}};
    for (const auto& b : backs) {
        refill(0x3377);
        ctl("ComboBox1").itemIndex = 1;
        ctl("CheckBox1").checked = b.first;
        ctl("CheckBox2").checked = b.second;
        form.GetFuse();
        EXPECT_EQ(st.fuse.lockMode, 1);
        EXPECT_EQ(word(), 0x3300 | b.chip);
        EXPECT_EQ(st.fuse.fuseFilePair, (std::array<uint8_t, 2>{b.file, 0xFF}));
    }
}

TEST_F(Avr, TinyLockBitsComeFromTheHighByteAndGoToTheLockMode) {
    select(16);
    const struct {
        uint16_t word;
        const char* lock;
    } fills[] = {{0x0600, "Unprogrammed"},
                 {0x0400, "Program disable"},
                 {0x0000, "Program, Read disable"},
                 {0x0200, ""},
                 {0xF9FF, "Program, Read disable"}};
    for (const auto& f : fills) {
        refill(f.word);
        EXPECT_EQ(shown("ComboBox1"), f.lock) << f.word;
    }
    refill(0x06FF);
    choose("ComboBox1", "Program disable");
    form.GetFuse();
    EXPECT_EQ(st.fuse.lockMode, 1);
    EXPECT_EQ(word(), 0x001F); // byte 1 := 0, bits 5 to 7 := 0
    EXPECT_EQ(st.fuse.fuseFilePair, (std::array<uint8_t, 2>{0x1F, 0xFF}));
}

TEST_F(Avr, TinyFuseBoxesWithTheirInvertedAndFixedBits) {
    const struct {
        int device;
        int boxes;
        uint8_t allUnchecked, allChecked;
    } cases[] = {
        {16, 5, 0x18, 0x07},                      // ATtiny11: bits 5 to 7 := 0
        {17, 8, 0x70, 0x8F},                      // ATtiny12
        {19, 8, 0x70, 0x8F}, {18, 6, 0x7C, 0x8F}, // ATtiny15: bits 2 and 3 := 1
        {20, 6, 0x7C, 0x8F}, {21, 5, 0xF0, 0xEF}, // ATtiny28: bits 5 to 7 := 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        select(c.device);
        EXPECT_EQ(ctl("GroupBox5").caption, "Fuse Bits:");
        for (int i = 1; i <= 10; ++i) {
            Control& b = ctl("CheckBox" + std::to_string(i));
            EXPECT_EQ(b.visible, i <= c.boxes) << i;
            b.checked = false;
        }
        form.GetFuse();
        EXPECT_EQ(word(), c.allUnchecked);
        EXPECT_EQ(st.fuse.fuseFilePair, (std::array<uint8_t, 2>{c.allUnchecked, 0xFF}));
        for (int i = 1; i <= c.boxes; ++i)
            ctl("CheckBox" + std::to_string(i)).checked = true;
        form.GetFuse();
        EXPECT_EQ(word(), c.allChecked);
        refill(c.allChecked); // and back: every box checked again
        for (int i = 1; i <= c.boxes; ++i)
            EXPECT_TRUE(ctl("CheckBox" + std::to_string(i)).checked) << i;
    }
    select(18);
    EXPECT_EQ(ctl("CheckBox3").caption, "Reset Disable");
    EXPECT_EQ(ctl("CheckBox6").caption, "BOD level 4.0/2.7V");
    EXPECT_EQ(ctl("GroupBox5").rect, (Rect{5, 110, 240, 140}));
    EXPECT_EQ(ctl("CheckBox6").rect, (Rect{10, 230, 230, 15}));
}

TEST_F(Avr, MegaCheckBoxListsForLockAndBothFuseBytes) {
    select(27); // ATmega8515
    EXPECT_EQ(ctl("CheckListBox1").rect, (Rect{10, 70, 230, 85}));
    EXPECT_EQ(ctl("CheckListBox2").rect, (Rect{10, 185, 230, 110}));
    EXPECT_EQ(ctl("CheckListBox3").rect, (Rect{10, 325, 230, 110}));
    EXPECT_EQ(ctl("GroupBox6").caption, "FuseL Bits:");
    EXPECT_EQ(ctl("CheckListBox2").items.back(), "90S8515 Compatible");

    refill(0x9BBF); // FuseH 1001 1011, FuseL 1011 1111
    EXPECT_EQ(ctl("CheckListBox3").itemChecked, (std::vector<uint8_t>{1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(ctl("CheckListBox2").itemChecked, (std::vector<uint8_t>{1, 1, 0, 0, 1, 1, 1, 0}));
    EXPECT_EQ(ctl("CheckListBox1").itemChecked, (std::vector<uint8_t>(6, 0)));

    checkAll("CheckListBox1", false);
    form.GetFuse();
    EXPECT_EQ(st.fuse.lockMode, 0xC0);
    EXPECT_EQ(word(), 0x9BBF);
    EXPECT_EQ(st.fuse.fuseFilePair, (std::array<uint8_t, 2>{0xBF, 0x9B}));
    checkAll("CheckListBox1", true);
    checkAll("CheckListBox2", false);
    form.GetFuse();
    EXPECT_EQ(st.fuse.lockMode, 0xFF);
    EXPECT_EQ(word(), 0xE8BF);

    // A refresh fills the fuse lists, never the lock bits the user ticked.
    ctl("CheckListBox1").itemChecked = {0, 1, 0, 0, 1, 0};
    refill(0x0000);
    EXPECT_EQ(ctl("CheckListBox1").itemChecked, (std::vector<uint8_t>{0, 1, 0, 0, 1, 0}));
    form.GetFuse();
    EXPECT_EQ(st.fuse.lockMode, 0xC0 + 2 + 16);
}

TEST_F(Avr, W78BoxesOnlyMakeTheLockMode) {
    select(17); // an ATtiny12 leaves its first boxes checked
    refill(0x000F);
    select(30); // W78LE52
    EXPECT_EQ(ctl("GroupBox4").caption, "Config:");
    EXPECT_EQ(ctl("CheckBox4").rect, (Rect{10, 130, 230, 15}));
    form.GetFuse();
    EXPECT_EQ(st.fuse.lockMode, 0); // nothing of the ATtiny's boxes survives
    tick("Encryption");
    form.GetFuse();
    EXPECT_EQ(st.fuse.lockMode, 2);
    refill(0x0000);
    EXPECT_EQ(st.fuse.lockMode, 0);
    EXPECT_TRUE(box("Encryption").checked); // a refresh keeps what the user ticked
    tick("Lock bit enable");
    tick("MOVC Inhibit");
    tick("Oscillator control");
    form.GetFuse();
    EXPECT_EQ(st.fuse.lockMode, 0x87);
    EXPECT_EQ(word(), 0x0000);
}

} // namespace
} // namespace kestro
