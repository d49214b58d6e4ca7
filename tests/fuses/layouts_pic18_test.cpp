// The PIC18 layout: fourteen configuration bytes read directly, the byte sums of the
// read-back, item lists by device group, and the small and large views.

#include "support/fuse_fixture.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct Pic18 : test::FuseForm {
    uint8_t& cfg(int k) { return st.images.configBlock[static_cast<size_t>(k)]; }
    bool item(int list, int i) {
        return ctl("CheckListBox" + std::to_string(list)).itemChecked.at(static_cast<size_t>(i));
    }
    void setItem(int list, int i, bool on) {
        ctl("CheckListBox" + std::to_string(list)).itemChecked.at(static_cast<size_t>(i)) = on;
    }
};

TEST_F(Pic18, Pic18F452OscillatorAndForcedBitsOfConfigByte1) {
    select(98);
    cfg(1) = 0x22;
    form.SetFuse(1);
    EXPECT_EQ(shown("ComboBox1"), "HS");
    EXPECT_FALSE(item(1, 0)); // "T1 osc enable": bit 5 = 1
    form.GetFuse();
    EXPECT_EQ(cfg(1), 0xFA); // bits 3, 4, 6, 7 forced to 1
    setItem(1, 0, true);
    choose("ComboBox1", "RC (OSC2=R6)");
    form.GetFuse();
    EXPECT_EQ(cfg(1), 0xDF);
}

TEST_F(Pic18, ReadFuseRefreshesTheShownSettingsOnly) {
    select(98);
    adapter.chip.fuses.fill(0xFF);
    adapter.chip.fuses[8 + 1] = 0x22; // the ID bytes come first, then cfg 0 to 13
    adapter.chip.fuses[8 + 12] = 0xFE;
    ctl("GroupBox7").caption = "kept";
    form.ReadFuse1Click();
    EXPECT_EQ(shown("ComboBox1"), "HS");
    EXPECT_TRUE(item(4, 0));
    EXPECT_EQ(ctl("GroupBox7").caption, "kept");
    EXPECT_TRUE(form.model.menu("File1").visible);
}

TEST_F(Pic18, FuseItemsFollowTheirBits) {
    const struct {
        int item;
        int byte;
        uint8_t set; // the byte value that checks the item; its complement clears it
    } cases[] = {{0, 1, 0xDF}, {1, 2, 0x02}, {2, 2, 0xFE}, {3, 3, 0x01},
                 {4, 6, 0x7F}, {5, 6, 0x04}, {6, 6, 0x01}, {7, 5, 0x01}};
    select(92);
    EXPECT_EQ(ctl("CheckListBox1").items.at(7), "CCP2 MUX RB3/RC1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        cfg(c.byte) = c.set;
        form.SetFuse(1);
        EXPECT_TRUE(item(1, c.item));
        cfg(c.byte) = static_cast<uint8_t>(~c.set);
        form.SetFuse(1);
        EXPECT_FALSE(item(1, c.item));
    }
    select(101);
    EXPECT_EQ(ctl("CheckListBox1").items.at(7), "MCLR enable");
    cfg(5) = 0x80;
    form.SetFuse(1);
    EXPECT_TRUE(item(1, 7));
    select(93);
    EXPECT_EQ(ctl("CheckListBox1").items.size(), 7u);
}

TEST_F(Pic18, ReadBackSums) {
    select(94); // PIC18F252: eight fuses, four blocks
    choose("ComboBox2", "1:64");
    choose("ComboBox3", "2.7V");
    checkAll("CheckListBox1", false);
    form.GetFuse();
    EXPECT_EQ(cfg(1), 0xFF); // oscillator 7 from the blank chip, T1 osc off
    EXPECT_EQ(cfg(2), 0xF9); // 0xF0 + 4 x 2 + power-up timer off
    EXPECT_EQ(cfg(3), 0xEC); // 0xE0 + 2 x 6
    EXPECT_EQ(cfg(5), 0xFE);
    EXPECT_EQ(cfg(6), 0xFA);
    checkAll("CheckListBox1", true);
    form.GetFuse();
    EXPECT_EQ(cfg(1), 0xDF);
    EXPECT_EQ(cfg(2), 0xFA);
    EXPECT_EQ(cfg(3), 0xED);
    EXPECT_EQ(cfg(5), 0xFF);
    EXPECT_EQ(cfg(6), 0x7F);

    select(101);
    checkAll("CheckListBox1", false);
    form.GetFuse();
    EXPECT_EQ(cfg(5), 0x7F);
    setItem(1, 7, true);
    form.GetFuse();
    EXPECT_EQ(cfg(5), 0xFF);
}

TEST_F(Pic18, ProtectionListsOfBothBlockGroups) {
    const struct {
        int device;
        size_t code, write, read;
        std::array<uint8_t, 6> checked; // configuration bytes 8 to 13; all 0xFF unchecked
    } cases[] = {
        {92, 4, 5, 3, {0xFC, 0x3F, 0xFC, 0x1F, 0xFC, 0xBF}},
        {97, 4, 5, 3, {0xFC, 0x3F, 0xFC, 0x1F, 0xFC, 0xBF}},
        {98, 6, 7, 5, {0xF0, 0x3F, 0xF0, 0x1F, 0xF0, 0xBF}},
        {101, 6, 7, 5, {0xF0, 0x3F, 0xF0, 0x1F, 0xF0, 0xBF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        select(c.device);
        EXPECT_EQ(ctl("CheckListBox2").items.size(), c.code);
        EXPECT_EQ(ctl("CheckListBox3").items.size(), c.write);
        EXPECT_EQ(ctl("CheckListBox4").items.size(), c.read);
        for (bool on : {false, true}) {
            for (const char* list : {"CheckListBox2", "CheckListBox3", "CheckListBox4"})
                checkAll(list, on);
            form.GetFuse();
            for (int k = 8; k <= 13; ++k)
                EXPECT_EQ(cfg(k), on ? c.checked[size_t(k - 8)] : 0xFF) << on << " " << k;
        }
    }
    select(92);
    EXPECT_EQ(ctl("CheckListBox3").items,
              (std::vector<std::string>{"ON 0200h-1FFFh", "ON 2000h-3FFFh", "CONFIG Register",
                                        "ON 0000h-01FFh", "Data memory"}));
    cfg(11) = 0xDF; // only CONFIG Register protected
    cfg(13) = 0xBF;
    form.SetFuse(1);
    EXPECT_EQ(ctl("CheckListBox3").itemChecked, (std::vector<uint8_t>{0, 0, 1, 0, 0}));
    EXPECT_EQ(ctl("CheckListBox4").itemChecked, (std::vector<uint8_t>{0, 0, 1}));
}

TEST_F(Pic18, Pic18F258LeavesConfigByte5AsItWas) {
    select(95); // seven fuses
    cfg(5) = 0x5A;
    form.SetFuse(1);
    checkAll("CheckListBox1", true);
    form.GetFuse();
    EXPECT_EQ(cfg(5), 0x5A);
}

TEST_F(Pic18, Pic18F6680FourBitOscillatorAndSixteenPrescalerSteps) {
    select(101);
    ASSERT_EQ(ctl("ComboBox1").items.size(), 12u);
    ASSERT_EQ(ctl("ComboBox2").items.size(), 16u);
    const struct {
        uint8_t value; // cfg 1 bits 0 to 3
        int shown;
        uint8_t readBack;
    } cases[] = {{0, 0, 0},   {7, 7, 7},   {8, 8, 12},  {11, 11, 15},
                 {12, 8, 12}, {13, 9, 13}, {15, 11, 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.value));
        cfg(1) = static_cast<uint8_t>(0xF0 | c.value);
        form.SetFuse(1);
        EXPECT_EQ(ctl("ComboBox1").itemIndex, c.shown);
        form.GetFuse();
        EXPECT_EQ(cfg(1) & 0x0F, c.readBack);
        EXPECT_EQ(cfg(1) & 0xF0, 0xF0); // T1 osc off, bits 4, 6, 7 set
        form.SetFuse(1);
        EXPECT_EQ(ctl("ComboBox1").itemIndex, c.shown);
    }
    EXPECT_EQ(ctl("ComboBox1").items.at(9), "EC (OSC2=R6, SWPLL)");
    cfg(3) = 0x1E; // prescaler bits 1 to 4 = 15
    form.SetFuse(1);
    EXPECT_EQ(shown("ComboBox2"), "1:32768");
    form.GetFuse();
    EXPECT_EQ(cfg(3), 0xFE);
    select(100); // the PIC18F6620 stays with three bits
    cfg(3) = 0x1E;
    form.SetFuse(1);
    EXPECT_EQ(shown("ComboBox2"), "1:128");
}

TEST_F(Pic18, LargeViewAndBackKeepsEverySettingAndReleasesTheMenus) {
    select(98);
    EXPECT_TRUE(ctl("ConfigLargeButton").visible);
    EXPECT_EQ(ctl("ConfigLargeButton").caption, "Large Size");
    EXPECT_EQ(ctl("ConfigLargeButton").rect.left, 175);
    EXPECT_EQ(ctl("GroupBox7").rect, (Rect{5, 180, 240, 50}));
    EXPECT_EQ(ctl("CheckListBox1").rect, (Rect{10, 195, 230, 30}));
    EXPECT_EQ(ctl("Edit1").rect, (Rect{10, 425, 135, 20}));
    EXPECT_EQ(ctl("Edit1").maxLength, 16);

    choose("ComboBox1", "EC (OSC2=R6)");
    choose("ComboBox2", "1:8");
    choose("ComboBox3", "2.0V");
    setItem(1, 3, true);
    setItem(2, 5, true);
    setItem(3, 4, true);
    setItem(4, 2, true);
    ctl("Edit1").caption = "00112233445566AA";
    const auto remember = [this] {
        std::vector<Control> shownNow;
        for (const char* n : {"ComboBox1", "ComboBox2", "ComboBox3", "CheckListBox1",
                              "CheckListBox2", "CheckListBox3", "CheckListBox4", "Edit1"})
            shownNow.push_back(ctl(n));
        return shownNow;
    };
    const auto before = remember();

    form.ConfigLargeButtonClick();
    EXPECT_EQ(ctl("SetPanel").rect, (Rect{0, 0, 755, 409}));
    EXPECT_EQ(ctl("ConfigLargeButton").caption, "OK");
    EXPECT_EQ(ctl("ConfigLargeButton").rect.left, 680);
    EXPECT_EQ(ctl("GroupBox4").rect, (Rect{5, 30, 240, 45}));
    EXPECT_EQ(ctl("GroupBox8").rect, (Rect{255, 190, 240, 140}));
    EXPECT_EQ(ctl("CheckListBox3").rect, (Rect{510, 45, 230, 120}));
    EXPECT_EQ(ctl("Edit1").rect, (Rect{10, 205, 135, 20}));
    EXPECT_FALSE(form.model.menu("File1").visible);
    EXPECT_FALSE(form.model.menu("Process1").visible);
    EXPECT_FALSE(ctl("ProgGrid").enabled);
    EXPECT_TRUE(form.FormCloseQuery()); // the window still closes at once

    form.ConfigLargeButtonClick();
    EXPECT_EQ(ctl("SetPanel").rect, (Rect{505, 0, 250, 458}));
    EXPECT_EQ(ctl("ConfigLargeButton").caption, "Large Size");
    EXPECT_TRUE(form.model.menu("File1").visible);
    EXPECT_TRUE(ctl("ProgGrid").enabled);
    const auto after = remember();
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].itemIndex, before[i].itemIndex) << before[i].name;
        EXPECT_EQ(after[i].itemChecked, before[i].itemChecked) << before[i].name;
        EXPECT_EQ(after[i].caption, before[i].caption) << before[i].name;
        EXPECT_EQ(after[i].rect, before[i].rect) << before[i].name;
    }

    // A new device always opens in the small view.
    form.ConfigLargeButtonClick();
    select(92);
    EXPECT_EQ(ctl("SetPanel").rect, (Rect{505, 0, 250, 458}));
    EXPECT_TRUE(form.model.menu("File1").visible);
}

} // namespace
} // namespace kestro
