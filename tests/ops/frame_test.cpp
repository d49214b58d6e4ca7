#include "shell/tmyform.h"
#include "support/fake_host.h"
#include "support/null_port.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct Frame : ::testing::Test {
    test::FakeHost host;
    test::NullPort port;
    TMyForm form{host, port};
    const Control& c(const char* n) { return form.model.control(n); }
};

TEST_F(Frame, MessageAndProgressModesShapeThePanel) {
    form.messageMode("Initialisation...", kWhite);
    EXPECT_TRUE(c("ProcPanel").visible);
    EXPECT_EQ(c("ProcPanel").rect.height, 40);
    EXPECT_EQ(c("ProcLabel").caption, "Initialisation...");
    EXPECT_EQ(c("ProcLabel").font.color, kWhite);
    EXPECT_FALSE(c("PosLabel").visible);
    EXPECT_FALSE(c("ProcBar").visible);
    EXPECT_FALSE(c("ProcCancel").visible);
    EXPECT_EQ(host.repaints, 1);

    form.st.ops.cancel = true;
    form.progressMode("Reading Chip...", 15 * 128, kGreen);
    EXPECT_EQ(form.st.ops.cancel, 0);
    EXPECT_EQ(c("ProcPanel").rect.height, 80);
    EXPECT_TRUE(c("ProcCancel").visible);
    EXPECT_EQ(c("ProcBar").maxValue, 16 * 128);
    EXPECT_EQ(c("ProcBar").barColor, kGreen);
    EXPECT_EQ(c("PosLabel").caption, "000000h");
    EXPECT_EQ(form.model.focus, form.model.controlIndex("ProcCancel"));

    form.st.marker.start = 0x10;
    form.progressUpdate(0x80);
    EXPECT_EQ(c("PosLabel").caption, "000090h");
    EXPECT_EQ(c("ProcBar").position, 0x80);
    form.hidePanel();
    EXPECT_FALSE(c("ProcPanel").visible);
}

TEST_F(Frame, LockHidesTheMenusAndShowsNihil) {
    form.lockUserInterface(false);
    for (const auto& m : form.model.menus) {
        if (m.parent >= 0) continue;
        EXPECT_EQ(m.visible, m.name == "nihil") << m.name;
    }
    EXPECT_FALSE(c("ProgGrid").enabled);
    form.lockUserInterface(true);
    for (const auto& m : form.model.menus) {
        if (m.parent >= 0) continue;
        EXPECT_EQ(m.visible, m.name != "nihil") << m.name;
    }
    EXPECT_TRUE(c("ProgGrid").enabled);
}

} // namespace
} // namespace kestro
