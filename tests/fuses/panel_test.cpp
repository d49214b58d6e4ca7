// The panel framework: DelFuse and SetFuse, the ID field, the view toggle and the
// building blocks.

#include "fuses/fuse_codec.h"
#include "fuses/fuse_layouts.h"
#include "shell/fuse_panel.h"
#include "support/fuse_fixture.h"

#include <gtest/gtest.h>

#include <string_view>

namespace kestro {
namespace {

using Panel = test::FuseForm;

TEST_F(Panel, DelFuseHidesTheControlsButNotThePanelNorTheBytes) {
    select(68);
    for (int i : st.fuse.controls)
        form.model.controls[size_t(i)].visible = true;
    ctl("ConfigLargeButton").visible = ctl("Config2Button").visible = true;
    st.images.configBlock[0] = 0x5A;
    form.DelFuse();
    for (int i : st.fuse.controls)
        EXPECT_FALSE(form.model.controls[size_t(i)].visible);
    EXPECT_FALSE(ctl("ConfigLargeButton").visible || ctl("Config2Button").visible);
    EXPECT_TRUE(ctl("SetPanel").visible);
    EXPECT_EQ(ctl("FuseLabel").caption, "Config bits:");
    EXPECT_EQ(st.images.configBlock[0], 0x5A);
}

TEST_F(Panel, SetFuseModes) {
    select(17); // ATTINY12
    EXPECT_EQ(ctl("GroupBox5").caption, "Fuse Bits:");
    ctl("SetPanel").rect = {0, 0, 755, 409};
    ctl("CheckBox1").caption = "moved";
    form.SetFuse(1); // a refresh keeps the built layout, its captions and its title
    EXPECT_EQ(ctl("FuseLabel").caption, "Config bits:");
    EXPECT_EQ(ctl("CheckBox1").caption, "moved");
    EXPECT_EQ(ctl("SetPanel").rect, (Rect{505, 0, 250, 458}));
    form.SetFuse(0);
    EXPECT_EQ(ctl("FuseLabel").caption, "");
    form.SetFuse(7); // anything above 1 builds
    EXPECT_EQ(ctl("CheckBox1").caption, "Clock Select 0");

    // A serial EEPROM after a PIC: an empty panel, and GetFuse changes nothing.
    select(68);
    select(121);
    EXPECT_EQ(ctl("FuseLabel").caption, "");
    for (int i : st.fuse.controls)
        EXPECT_FALSE(form.model.controls[size_t(i)].visible);
    st.images.configBlock.fill(0x12);
    st.fuse.lockMode = 9;
    EXPECT_EQ(form.GetFuse(), 0);
    EXPECT_EQ(st.images.configBlock[0], 0x12);
    EXPECT_EQ(st.fuse.lockMode, 9);
}

TEST_F(Panel, TheBitViewFollowsTheConfigurationWordExceptOnPic18) {
    select(74); // PIC16F72: bits 3 and 4 shown active-low
    refill(0x8005);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(st.fuse.bitView[k], k == 0 || k == 2 || k == 3 || k == 4 || k == 15) << k;
    select(121); // no layout: the plain word
    refill(0x0102);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(st.fuse.bitView[k], k == 1 || k == 8) << k;
    select(98);
    st.fuse.bitView.fill(7);
    form.SetFuse(2);
    form.GetFuse();
    EXPECT_EQ(st.fuse.bitView[0], 7);
}

TEST_F(Panel, GetFuseTakesTheIdFromTheFieldOfAPic) {
    const char* refused = nullptr;
    const struct {
        int device;
        const char* field;
        const char* id; // the ID block bytes afterwards, the rest staying 0xFF
    } cases[] = {       // PIC16: the first token starts with four hex digits; the rest is ignored.
                 {68, "12", refused},
                 {68, "", refused},
                 {68, "    ", refused},
                 {68, "12 AB", refused},
                 {68, "12G4", refused},
                 {68, "-123", refused},
                 {68, "9a:f", refused}, // ':' follows '9'
                 {68, "12AB 34", "12AB"},
                 {68, "12ab", "12AB"},
                 {68, " 12Ab", "12AB"},
                 {68, "12ABCD", "12AB"},
                 // PIC18: sixteen digits.
                 {98, "0123456789ABCDE", refused},
                 {98, "0123456789abcdef99 xyz", "0123456789ABCDEF"},
                 // An AVR, or a device without a layout, never reads the field.
                 {17, "zz", ""},
                 {121, "zz", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.device) + " \"" + c.field + "\"");
        select(c.device);
        st.images.configBlock[0] = 0x00; // what the fill showed is now read back
        host.messages.clear();
        ctl("Edit1").caption = c.field;
        EXPECT_EQ(form.GetFuse(), c.id ? 0 : 1);
        std::string id = c.id ? c.id : "";
        id.resize(16, 'F');
        EXPECT_EQ(idFieldText(st.images.idBlock, IdWidth::Pic18), id);
        // The word is composed before the ID field is looked at; PIC18 keeps byte 0.
        EXPECT_EQ(st.images.configBlock[0], c.device == 68 || c.device == 17 ? 0xFF : 0x00);
        EXPECT_EQ(host.texts(), c.id ? std::vector<std::string>{}
                                     : std::vector<std::string>{"Incorrect ID number !"});
    }
    EXPECT_EQ(host.messages[0].caption, "Kestro");
}

TEST_F(Panel, TheIdFieldShowsTheIdBlock) {
    select(68);
    st.images.idBlock = {0x0A, 0xB1, 0xC2};
    form.SetFuse(1);
    EXPECT_EQ(ctl("Edit1").caption, "0AB1");
    select(101);
    st.images.idBlock = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x55};
    form.SetFuse(1);
    EXPECT_EQ(ctl("Edit1").caption, "0123456789ABCDEF");
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
    st.hwTest.mode = true; // the hardware tests' Send button: no toggle, no read-back
    form.ConfigLargeButtonClick();
    EXPECT_EQ(st.fuse.largeView, 0);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Panel, ShowingValuesClearsAListWhoseIndexNamesNoItem) {
    select(68);
    FusePanel panel(form);
    FuseValues v = panel.values();
    v.list[0] = 4; // the oscillator list has four items
    panel.show(v);
    EXPECT_EQ(ctl("ComboBox1").itemIndex, -1);
    v.list[0] = 3;
    panel.show(v);
    EXPECT_EQ(shown("ComboBox1"), "RC");
}

} // namespace
} // namespace kestro
