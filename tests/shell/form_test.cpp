#include "shell/tmyform.h"
#include "support/fake_host.h"
#include "support/null_port.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct Form : ::testing::Test {
    test::FakeHost host;
    test::NullPort port;
    TMyForm form{host, port};
};

TEST_F(Form, WindowIsCreatedAsDesigned) {
    EXPECT_EQ(form.model.window.caption, "Kestro");
    EXPECT_EQ(form.model.window.rect, (Rect{20, 20, 755, 458}));
    const Control& grid = form.model.control("ProgGrid");
    EXPECT_EQ(grid.rect, (Rect{0, 25, 505, 360}));
    EXPECT_EQ(grid.color, kNavy);
    EXPECT_EQ(grid.font.color, kWhite);
    EXPECT_EQ(form.model.control("ProgDatButt").rect, (Rect{360, 0, 125, 25}));
    EXPECT_EQ(form.model.control("SLabel").font.color, kPurple);
    EXPECT_EQ(form.model.control("ProcBar").rect, (Rect{100, 40, 205, 25}));
    EXPECT_EQ(form.model.control("ProcLabel").caption, " Programming Chip ");
    EXPECT_EQ(form.model.control("PosLabel").caption, "000000h");
    for (const char* hidden : {"ImgPanel", "ProcPanel", "MarkerPanel", "Img_IC40"})
        EXPECT_FALSE(form.model.control(hidden).visible) << hidden;
    EXPECT_EQ(form.model.control("ImgButton").rect, (Rect{176, 0, 75, 25}));
    // Group boxes hold their labels.
    const Control& typeLabel = form.model.control("TypeLabel");
    EXPECT_EQ(form.model.controls[static_cast<size_t>(typeLabel.parent)].name, "GroupBox1");
}

TEST_F(Form, CreationFillsHeaderAndFuseTableAndHidesThePanel) {
    form.FormCreate();
    EXPECT_EQ(form.cellText(0, 0), "Program");
    EXPECT_EQ(form.cellText(0, 1), "0");
    EXPECT_EQ(form.cellText(0, 16), "F");
    EXPECT_EQ(form.cellText(0, 17), "Ascii");
    const auto& table = form.st.fuse.controls;
    EXPECT_EQ(form.model.controls[static_cast<size_t>(table[0])].name, "GroupBox4");
    EXPECT_EQ(form.model.controls[static_cast<size_t>(table[7])].name, "GroupBox11");
    EXPECT_EQ(form.model.controls[static_cast<size_t>(table[8])].name, "ComboBox1");
    EXPECT_EQ(form.model.controls[static_cast<size_t>(table[13])].name, "CheckBox1");
    EXPECT_EQ(form.model.controls[static_cast<size_t>(table[22])].name, "CheckBox10");
    EXPECT_EQ(form.model.controls[static_cast<size_t>(table[23])].name, "Edit1");
    EXPECT_EQ(form.model.controls[static_cast<size_t>(table[24])].name, "Edit2");
    EXPECT_EQ(form.model.controls[static_cast<size_t>(table[29])].name, "CheckListBox5");
    for (int i : table) EXPECT_FALSE(form.model.controls[static_cast<size_t>(i)].visible);
    EXPECT_FALSE(form.model.control("ConfigLargeButton").visible);
    EXPECT_EQ(form.st.adapter.socketVariant, 4);
}

TEST_F(Form, AboutBeforeHandshakeShowsFourEmptyLines) {
    form.About1Click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption, "About");
    EXPECT_EQ(host.messages[0].buttons, MsgButtons::Ok);
    const std::string& t = host.messages[0].text;
    EXPECT_EQ(t.substr(0, 5), "\n\n\n\n\n");
    EXPECT_NE(t[5], '\n');
    EXPECT_NE(t.find("Kestro"), std::string::npos);
    EXPECT_LT(t.size(), kAboutBufferSize);
}

TEST_F(Form, AboutShowsTheAdapterLines) {
    auto& lines = form.st.adapter.infoLines;
    const std::string line(32, 'x');
    for (auto& l : lines) std::copy(line.begin(), line.end(), l.begin());
    const std::string t = form.aboutText();
    EXPECT_EQ(t.substr(0, 33 * 4 + 1), line + "\n" + line + "\n" + line + "\n" + line + "\n\n");
}

TEST_F(Form, ShutDownRunsOnceWhicheverWayTheWindowCloses) {
    form.FormCreate();
    form.ExitmnuClick();
    EXPECT_EQ(host.terminations, 1);
    EXPECT_TRUE(form.shutDownDone());
    form.FormClose(); // the window closing after Exit
    EXPECT_EQ(host.terminations, 1);
}

TEST_F(Form, DeviceHandlersSelectTheirIndex) {
    form.FormCreate();
    EXPECT_TRUE(form.clickHandler("PIC16F841Click"));
    EXPECT_EQ(form.st.device.index, 68);
    EXPECT_STREQ(form.st.device.name, "PIC16F84");
    EXPECT_TRUE(form.clickHandler("AT90S85351Click"));
    EXPECT_EQ(form.st.device.index, 26);
    form.menuClick(form.model.menuIndex("N29C0101"));
    EXPECT_EQ(form.st.device.index, 170);
    EXPECT_FALSE(form.clickHandler("NoSuchThingClick"));
    form.menuClick(form.model.menuIndex("About1"));
    EXPECT_EQ(host.messages.back().caption, "About");
}

} // namespace
} // namespace kestro
