#include "shell/tmyform.h"
#include "shell/window_args.h"
#include "support/fake_host.h"
#include "support/null_port.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct Form : ::testing::Test {
    test::FakeHost host;
    test::NullPort port;
    TMyForm form{host, port};
};

TEST_F(Form, CreationFillsHeaderAndFuseTableAndHidesThePanels) {
    form.FormCreate();
    EXPECT_EQ(form.cellText(0, 0), "Program");
    EXPECT_EQ(form.cellText(0, 1), "0");
    EXPECT_EQ(form.cellText(0, 16), "F");
    EXPECT_EQ(form.cellText(0, 17), "Ascii");
    const auto& table = form.st.fuse.controls;
    EXPECT_EQ(form.model.controls[static_cast<size_t>(table.front())].name, "GroupBox4");
    EXPECT_EQ(form.model.controls[static_cast<size_t>(table.back())].name, "CheckListBox5");
    for (int i : table) { // only the lock list of the selected AT89C1051 is shown
        const Control& c = form.model.controls[static_cast<size_t>(i)];
        EXPECT_EQ(c.visible, c.name == "GroupBox4" || c.name == "ComboBox1") << c.name;
    }
    for (const char* hidden : {"ProcPanel", "MarkerPanel", "ConfigLargeButton"})
        EXPECT_FALSE(form.model.control(hidden).visible) << hidden;
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
    // The program, its version and its documentation; no address that reaches nobody.
    const std::string version = windowVersionText().substr(std::string("kestro ").size());
    EXPECT_NE(t.find("\n\nKestro " + version), std::string::npos);
    EXPECT_NE(t.find("man kestro"), std::string::npos);
    EXPECT_NE(t.find("README.md in /"), std::string::npos);
    EXPECT_EQ(t.find('@'), std::string::npos);
    EXPECT_EQ(t.find("http"), std::string::npos);
    EXPECT_LT(t.size(), kAboutBufferSize);
}

TEST_F(Form, ShutDownRunsOnceWhicheverWayTheWindowCloses) {
    form.FormCreate();
    form.ExitmnuClick();
    EXPECT_EQ(host.terminations, 1);
    test::writeSettingsFile("left alone");
    form.FormClose(); // the window closing after Exit
    EXPECT_EQ(test::readSettingsFile(), "left alone");
    EXPECT_TRUE(form.shutDownDone());
}

} // namespace
} // namespace kestro
