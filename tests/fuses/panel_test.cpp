#include "fuses/fuse_layouts.h"
#include "fuses/fuse_panel.h"
#include "support/form_fixture.h"

#include <gtest/gtest.h>

#include <string_view>

namespace kestro {
namespace {

struct Panel : test::StartedForm {
    Control& ctl(std::string_view name) { return form.model.control(name); }
    void setIdField(const std::string& text) { ctl("Edit1").caption = text; }
};

// ---- which devices have a layout ----

TEST_F(Panel, MicrocontrollersWithFusesHaveExactlyOneLayout) {
    for (int i = 0; i <= 196; ++i) {
        const bool none = i == 23 || i == 24 || i == 26 || (i >= 32 && i <= 45) || i >= 102;
        EXPECT_EQ(fuseLayoutFor(i) == nullptr, none) << i;
    }
    EXPECT_EQ(fuseLayoutFor(17), fuseLayoutFor(19));
    EXPECT_EQ(fuseLayoutFor(62), fuseLayoutFor(68));
    EXPECT_NE(fuseLayoutFor(68), fuseLayoutFor(69));
    EXPECT_EQ(fuseLayoutFor(92), fuseLayoutFor(101));
    EXPECT_EQ(fuseLayouts().size(), 23u);
}

// ---- DelFuse and SetFuse ----

TEST_F(Panel, DelFuseHidesTheControlsButNotThePanelOrTheBytes) {
    select(68);
    for (int i : st.fuse.controls) form.model.controls[static_cast<size_t>(i)].visible = true;
    ctl("ConfigLargeButton").visible = true;
    ctl("Config2Button").visible = true;
    st.images.configBlock[0] = 0x5A;
    form.DelFuse();
    for (int i : st.fuse.controls) EXPECT_FALSE(form.model.controls[static_cast<size_t>(i)].visible);
    EXPECT_FALSE(ctl("ConfigLargeButton").visible);
    EXPECT_FALSE(ctl("Config2Button").visible);
    EXPECT_TRUE(ctl("SetPanel").visible);
    EXPECT_EQ(ctl("FuseLabel").caption, "Config bits:");
    EXPECT_EQ(st.images.configBlock[0], 0x5A);
}

TEST_F(Panel, SetFuseTitlesOnlyDevicesWithALayout) {
    select(17); // ATTINY12
    ctl("SetPanel").rect = {0, 0, 755, 409};
    form.SetFuse(2);
    EXPECT_EQ(ctl("FuseLabel").caption, "Config bits:");
    EXPECT_EQ(ctl("SetPanel").rect, (Rect{505, 0, 250, 458}));
    form.SetFuse(1); // a refresh keeps the built layout's title
    EXPECT_EQ(ctl("FuseLabel").caption, "Config bits:");
    form.SetFuse(0);
    EXPECT_EQ(ctl("FuseLabel").caption, "");
    select(24); // AT90S4434: no layout
    EXPECT_EQ(ctl("FuseLabel").caption, "");
    form.SetFuse(7);
    EXPECT_EQ(ctl("FuseLabel").caption, "");
}

TEST_F(Panel, SetFuseLoadsTheBitViewExceptForPic18) {
    select(68);
    st.images.configBlock[0] = 0x05; // bits 0 and 2
    st.images.configBlock[1] = 0x80; // bit 15
    form.SetFuse(1);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(st.fuse.bitView[static_cast<size_t>(k)], k == 0 || k == 2 || k == 15 ? 1 : 0) << k;
    select(98);
    st.fuse.bitView.fill(7);
    form.SetFuse(2);
    EXPECT_EQ(st.fuse.bitView[0], 7);
}

// ---- GetFuse ----

TEST_F(Panel, GetFuseWithoutLayoutChangesNothing) {
    select(121);
    setIdField("zz");
    st.images.configBlock[0] = 0x12;
    st.fuse.bitView.fill(0);
    EXPECT_EQ(form.GetFuse(), 0);
    EXPECT_EQ(st.images.configBlock[0], 0x12);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Panel, GetFuseOfAnAvrIgnoresTheIdField) {
    select(17);
    setIdField("zz");
    EXPECT_EQ(form.GetFuse(), 0);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Panel, PicConfigurationWordComesFromTheBitView) {
    select(68);
    st.fuse.bitView.fill(0);
    st.fuse.bitView[0] = st.fuse.bitView[3] = st.fuse.bitView[13] = 1;
    setIdField("0102");
    EXPECT_EQ(form.GetFuse(), 0);
    EXPECT_EQ(st.images.configBlock[0], 0x09);
    EXPECT_EQ(st.images.configBlock[1], 0x20);
    // A second read-back without SetFuse gives the same bytes.
    EXPECT_EQ(form.GetFuse(), 0);
    EXPECT_EQ(st.images.configBlock[0], 0x09);
}

TEST_F(Panel, PicIdFieldNeedsFourHexDigits) {
    select(68);
    st.images.idBlock[0] = 0x77;
    st.images.idBlock[1] = 0x66;
    st.fuse.bitView.fill(0);
    for (const char* bad : {"12", "", "    ", "12 AB", "12G4", "-123"}) {
        host.messages.clear();
        setIdField(bad);
        EXPECT_EQ(form.GetFuse(), 1) << '"' << bad << '"';
        ASSERT_EQ(host.texts(), std::vector<std::string>{"Incorrect ID number !"}) << bad;
        EXPECT_EQ(host.messages[0].caption, "Kestro");
        EXPECT_EQ(st.images.idBlock[0], 0x77);
        EXPECT_EQ(st.images.idBlock[1], 0x66);
    }
    // The configuration word was still written before the ID failed.
    EXPECT_EQ(st.images.configBlock[0], 0x00);
    EXPECT_EQ(st.images.configBlock[1], 0x00);

    for (const char* good : {"12AB 34", "12ab", " 12Ab", "12ABCD"}) {
        st.images.idBlock[0] = st.images.idBlock[1] = 0;
        setIdField(good);
        host.messages.clear();
        EXPECT_EQ(form.GetFuse(), 0) << good;
        EXPECT_TRUE(host.messages.empty()) << good;
        EXPECT_EQ(st.images.idBlock[0], 0x12) << good;
        EXPECT_EQ(st.images.idBlock[1], 0xAB) << good;
    }
    EXPECT_EQ(st.images.idBlock[2], 0xFF); // only two bytes belong to a PIC16 ID
}

TEST_F(Panel, Pic18IdFieldNeedsSixteenDigits) {
    select(98);
    setIdField("0123456789ABCDE");
    EXPECT_EQ(form.GetFuse(), 1);
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Incorrect ID number !"});
    EXPECT_EQ(st.images.idBlock[0], 0xFF);

    setIdField("0123456789abcdef99 xyz");
    EXPECT_EQ(form.GetFuse(), 0);
    const uint8_t expected[] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    for (size_t k = 0; k < 8; ++k) EXPECT_EQ(st.images.idBlock[k], expected[k]) << k;
    EXPECT_EQ(st.images.idBlock[8], 0xFF);
}

TEST_F(Panel, Pic18ConfigurationBytesDoNotComeFromTheBitView) {
    select(98);
    st.images.configBlock[0] = 0x22;
    st.images.configBlock[1] = 0x33;
    st.fuse.bitView.fill(0);
    setIdField("0000000000000000");
    EXPECT_EQ(form.GetFuse(), 0);
    EXPECT_EQ(st.images.configBlock[0], 0x22);
    EXPECT_EQ(st.images.configBlock[1], 0x33);
}

TEST_F(Panel, IdDigitsAndFieldText) {
    const auto id = parseIdField("9aFf", IdWidth::Pic16);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ((*id)[0], 0x9A);
    EXPECT_EQ((*id)[1], 0xFF);
    EXPECT_FALSE(parseIdField("9aF", IdWidth::Pic16));
    EXPECT_FALSE(parseIdField("9a:f", IdWidth::Pic16)); // ':' is not a digit
    Images& img = st.images;
    img.idBlock = {0x0A, 0xB1, 0x02, 0x03, 0x04, 0x05, 0x06, 0xFF};
    EXPECT_EQ(idFieldText(img, IdWidth::Pic16), "0AB1");
    EXPECT_EQ(idFieldText(img, IdWidth::Pic18), "0AB10203040506FF");
    // The text the panel shows reads back to the same bytes.
    EXPECT_EQ((*parseIdField(idFieldText(img, IdWidth::Pic18), IdWidth::Pic18))[7], 0xFF);
}

// ---- large view ----

TEST_F(Panel, LargeButtonReadsBackThenTogglesTheView) {
    select(98);
    setIdField("1122334455667788");
    form.ConfigLargeButtonClick();
    EXPECT_EQ(st.fuse.largeView, 1);
    EXPECT_EQ(st.images.idBlock[0], 0x11);
    EXPECT_EQ(ctl("FuseLabel").caption, "Config bits:");
    form.ConfigLargeButtonClick();
    EXPECT_EQ(st.fuse.largeView, 0);
    st.fuse.largeView = 2; // anything but 0 counts as large
    form.ConfigLargeButtonClick();
    EXPECT_EQ(st.fuse.largeView, 0);
}

TEST_F(Panel, LargeButtonTogglesEvenWithABadId) {
    select(98);
    setIdField("12");
    form.ConfigLargeButtonClick();
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Incorrect ID number !"});
    EXPECT_EQ(st.fuse.largeView, 1);
}

TEST_F(Panel, LargeButtonIsTheHardwareTestsSendButton) {
    select(98);
    st.hwTest.mode = 1;
    setIdField("12");
    form.ConfigLargeButtonClick();
    EXPECT_EQ(st.fuse.largeView, 0);
    EXPECT_TRUE(host.messages.empty());
}

// ---- building blocks ----

TEST_F(Panel, BuildingBlocksKeepThePlacementRules) {
    select(68);
    FusePanel panel(form);
    constexpr std::string_view osc[] = {"LP", "XT", "HS", "RC"};
    constexpr std::string_view bits[] = {"Watchdog", "Power-up Timer", "Code Protect"};
    Control& g = panel.addGroup(0, 50, 55, "Oscillator:");
    EXPECT_EQ(g.name, "GroupBox4");
    EXPECT_EQ(g.rect, (Rect{5, 50, 240, 55}));
    EXPECT_EQ(g.caption, "Oscillator:");
    EXPECT_TRUE(g.visible);
    Control& list = panel.addList(0, 50, osc, kOscillatorListWidth);
    EXPECT_EQ(list.name, "ComboBox1");
    EXPECT_EQ(list.rect, (Rect{10, 70, 70, 15}));
    EXPECT_EQ(list.items.size(), 4u);
    EXPECT_EQ(list.itemIndex, -1);
    panel.addCheckBoxes(110, bits, 2);
    for (int i = 0; i < 3; ++i) {
        const Control& c = panel.checkBox(2 + i);
        EXPECT_EQ(c.name, "CheckBox" + std::to_string(3 + i));
        EXPECT_EQ(c.rect, (Rect{10, 130 + 20 * i, 230, 15}));
        EXPECT_EQ(c.caption, bits[i]);
        EXPECT_TRUE(c.visible);
    }
    EXPECT_FALSE(panel.checkBox(0).visible);
    Control& cl = panel.addCheckList(4, 200, 60, bits);
    EXPECT_EQ(cl.name, "CheckListBox5");
    EXPECT_EQ(cl.rect, (Rect{10, 220, 230, 60}));
    EXPECT_EQ(cl.itemChecked.size(), 3u);
    Control& id = panel.addIdField(300, IdWidth::Pic16);
    EXPECT_EQ(id.name, "Edit1");
    EXPECT_EQ(id.rect, (Rect{10, 320, 40, 20}));
    EXPECT_EQ(id.maxLength, 4);
    EXPECT_EQ(panel.addIdField(300, IdWidth::Pic18).rect.width, 135);
    EXPECT_EQ(id.maxLength, 16);
}

TEST_F(Panel, FillHelpers) {
    select(68);
    FusePanel panel(form);
    constexpr std::string_view osc[] = {"LP", "XT", "HS", "RC"};
    panel.addList(1, 50, osc);
    panel.selectItem(1, 2);
    EXPECT_EQ(panel.comboBox(1).itemIndex, 2);
    panel.selectItem(1, 4); // bits that match no item leave the list empty
    EXPECT_EQ(panel.comboBox(1).itemIndex, -1);
    st.fuse.bitView.fill(0);
    panel.invertBits({3, 4});
    EXPECT_TRUE(panel.bit(3));
    panel.invertBits({3});
    EXPECT_FALSE(panel.bit(3));
    st.images.idBlock[0] = 0xC3;
    st.images.idBlock[1] = 0x05;
    panel.fillIdField(IdWidth::Pic16);
    EXPECT_EQ(ctl("Edit1").caption, "C305");
}

} // namespace
} // namespace kestro
