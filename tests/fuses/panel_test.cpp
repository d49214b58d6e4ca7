#include "fuses/fuse_layouts.h"
#include "fuses/fuse_panel.h"
#include "support/form_fixture.h"

#include <gtest/gtest.h>

#include <string_view>

namespace kestro {
namespace {

struct Panel : test::StartedForm {
    Control& ctl(std::string_view name) { return form.model.control(name); }
};

TEST_F(Panel, MicrocontrollersWithFusesHaveExactlyOneLayout) {
    for (int i = 0; i <= 196; ++i) {
        const bool none = i == 23 || i == 24 || i == 26 || (i >= 32 && i <= 45) || i >= 102;
        EXPECT_EQ(fuseLayoutFor(i) == nullptr, none) << i;
    }
    EXPECT_EQ(fuseLayoutFor(17), fuseLayoutFor(19));
    EXPECT_EQ(fuseLayoutFor(62), fuseLayoutFor(68));
    EXPECT_NE(fuseLayoutFor(68), fuseLayoutFor(69));
    EXPECT_EQ(fuseLayoutFor(92), fuseLayoutFor(101));
}

TEST_F(Panel, DelFuseAndSetFuse) {
    select(68);
    for (int i : st.fuse.controls) form.model.controls[size_t(i)].visible = true;
    ctl("ConfigLargeButton").visible = ctl("Config2Button").visible = true;
    st.images.configBlock[0] = 0x5A;
    form.DelFuse();
    for (int i : st.fuse.controls) EXPECT_FALSE(form.model.controls[size_t(i)].visible);
    EXPECT_FALSE(ctl("ConfigLargeButton").visible || ctl("Config2Button").visible);
    EXPECT_TRUE(ctl("SetPanel").visible); // the panel, its title and the bytes stay
    EXPECT_EQ(ctl("FuseLabel").caption, "Config bits:");
    EXPECT_EQ(st.images.configBlock[0], 0x5A);

    select(17); // ATTINY12
    ctl("SetPanel").rect = {0, 0, 755, 409};
    form.SetFuse(1); // a refresh keeps the built layout's title
    EXPECT_EQ(ctl("FuseLabel").caption, "Config bits:");
    EXPECT_EQ(ctl("SetPanel").rect, (Rect{505, 0, 250, 458}));
    form.SetFuse(0);
    EXPECT_EQ(ctl("FuseLabel").caption, "");
    select(24); // AT90S4434: no layout
    form.SetFuse(7);
    EXPECT_EQ(ctl("FuseLabel").caption, "");

    // The bit view holds the configuration word, except for PIC18.
    select(68);
    st.images.configBlock[0] = 0x05, st.images.configBlock[1] = 0x80;
    form.SetFuse(1);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(st.fuse.bitView[k], k == 0 || k == 2 || k == 15) << k;
    st.fuse.bitView.fill(0);
    st.fuse.bitView[0] = st.fuse.bitView[3] = st.fuse.bitView[13] = 1;
    ctl("Edit1").caption = "12"; // the word is stored before the ID field fails
    EXPECT_EQ(form.GetFuse(), 1);
    EXPECT_EQ(st.images.configBlock[0], 0x09);
    EXPECT_EQ(st.images.configBlock[1], 0x20);

    select(98);
    st.fuse.bitView.fill(7);
    form.SetFuse(2);
    EXPECT_EQ(st.fuse.bitView[0], 7);
}

TEST_F(Panel, GetFuseTakesTheIdFromTheFieldOfAPic) {
    const char* refused = nullptr;
    const struct {
        int device;
        const char* field;
        const char* id; // the ID block bytes afterwards, the rest staying 0xFF
    } cases[] = {
        // PIC16: the first token starts with four hex digits; the rest is ignored.
        {68, "12", refused},   {68, "", refused},     {68, "    ", refused}, {68, "12 AB", refused},
        {68, "12G4", refused}, {68, "-123", refused}, {68, "9a:f", refused}, // ':' follows '9'
        {68, "12AB 34", "12AB"}, {68, "12ab", "12AB"}, {68, " 12Ab", "12AB"},
        {68, "12ABCD", "12AB"},
        // PIC18: sixteen digits.
        {98, "0123456789ABCDE", refused},
        {98, "0123456789abcdef99 xyz", "0123456789ABCDEF"},
        // An AVR, or a device without a layout, never reads the field.
        {17, "zz", ""},          {121, "zz", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.device) + " \"" + c.field + "\"");
        select(c.device);
        host.messages.clear();
        ctl("Edit1").caption = c.field;
        st.fuse.bitView.fill(0);
        EXPECT_EQ(form.GetFuse(), c.id ? 0 : 1);
        std::string id = c.id ? c.id : "";
        id.resize(16, 'F');
        EXPECT_EQ(idFieldText(st.images, IdWidth::Pic18), id);
        EXPECT_EQ(st.images.configBlock[0], c.device == 68 ? 0x00 : 0xFF); // PIC12/16 only
        EXPECT_EQ(host.texts(), c.id ? std::vector<std::string>{}
                                     : std::vector<std::string>{"Incorrect ID number !"});
    }
    EXPECT_EQ(host.messages[0].caption, "Kestro");
}

TEST_F(Panel, LargeButtonReadsBackThenTogglesTheView) {
    select(98);
    ctl("Edit1").caption = "1122334455667788";
    form.ConfigLargeButtonClick();
    EXPECT_EQ(st.fuse.largeView, 1);
    EXPECT_EQ(st.images.idBlock[0], 0x11);
    EXPECT_EQ(ctl("FuseLabel").caption, "Config bits:");
    st.fuse.largeView = 2; // anything but 0 counts as large
    ctl("Edit1").caption = "12";
    form.ConfigLargeButtonClick(); // a bad ID does not stop the toggle
    EXPECT_EQ(st.fuse.largeView, 0);
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Incorrect ID number !"});

    host.messages.clear();
    st.hwTest.mode = 1; // the hardware tests' Send button: no toggle, no read-back
    form.ConfigLargeButtonClick();
    EXPECT_EQ(st.fuse.largeView, 0);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Panel, BuildingBlocksUseTheirOwnControls) {
    select(68);
    FusePanel panel(form);
    constexpr std::string_view osc[] = {"LP", "XT", "HS", "RC"};
    constexpr std::string_view bits[] = {"Watchdog", "Power-up Timer", "Code Protect"};
    EXPECT_EQ(panel.addGroup(0, 50, 55, "Oscillator:").rect, (Rect{5, 50, 240, 55}));
    EXPECT_EQ(panel.groupBox(0).name, "GroupBox4");
    EXPECT_EQ(panel.addList(1, 50, osc).name, "ComboBox2");
    EXPECT_EQ(panel.addCheckList(4, 200, 60, bits).name, "CheckListBox5");
    panel.addCheckBoxes(110, bits, 2); // from the third on, at a pitch of 20
    EXPECT_TRUE(panel.checkBox(4).visible && !panel.checkBox(1).visible);
    EXPECT_EQ(panel.checkBox(4).name, "CheckBox5");
    EXPECT_EQ(panel.checkBox(4).rect, (Rect{10, 170, 230, 15}));
    Control& id = panel.addIdField(300, IdWidth::Pic16);
    EXPECT_EQ(id.name, "Edit1");
    EXPECT_EQ(id.maxLength, 4);
    EXPECT_EQ(panel.addIdField(300, IdWidth::Pic18).rect.width, 135);
    EXPECT_EQ(id.maxLength, 16);
    panel.selectItem(1, 2);
    EXPECT_EQ(panel.comboBox(1).itemIndex, 2);
    panel.selectItem(1, 4); // bits that match no item leave the list empty
    EXPECT_EQ(panel.comboBox(1).itemIndex, -1);
}

} // namespace
} // namespace kestro
