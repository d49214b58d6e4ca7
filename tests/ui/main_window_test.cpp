// Widget tests: the real window over the real model, on the offscreen platform.

#include "shell/menu_tree.h"
#include "ui_fixture.h"
#include "shell/tmyform.h"
#include "sim/sim_serial_port.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace kestro {
namespace {

using Window = test::OffscreenWindow;

TEST_F(Window, EveryMenuActionExistsWithItsNameCaptionAndShortcut) {
    int checked = 0;
    for (const auto& m : form.model.menus) {
        if (m.separator) continue;
        QAction* a = window.findChild<QAction*>(QString::fromStdString(m.name));
        ASSERT_NE(a, nullptr) << m.name;
        EXPECT_EQ(a->text().toStdString(), m.caption) << m.name;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromStdString(m.shortcut))) << m.name;
        ++checked;
    }
    EXPECT_GT(checked, 183 + 27 + 30);
    EXPECT_FALSE(window.findChild<QAction*>("nihil")->isVisible());
    EXPECT_EQ(window.findChild<QAction*>("Exitmnu")->shortcut(), QKeySequence(Qt::Key_F10));
}

TEST_F(Window, ControlsArePlacedAsDesigned) {
    EXPECT_EQ(window.windowTitle(), "Kestro");
    EXPECT_EQ(window.centralWidget()->size(), QSize(755, 458));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    auto* grid = window.findChild<QTableView*>("ProgGrid");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->geometry(), QRect(0, 25, 505, 360));
    EXPECT_EQ(grid->columnWidth(0), 52);
    EXPECT_EQ(grid->columnWidth(5), 18);
    EXPECT_EQ(grid->columnWidth(17), 126);
    EXPECT_EQ(grid->model()->headerData(17, Qt::Horizontal).toString(), "Ascii");
    EXPECT_FALSE(window.findChild<QWidget*>("ProcPanel")->isVisible());
    EXPECT_TRUE(window.findChild<QWidget*>("SetPanel")->isVisible());
    EXPECT_EQ(window.findChild<QLabel*>("SizeLabel")->text(), "Program Size: 1Kbyte"); // AT89C1051
}

TEST_F(Window, ClosingRunsTheShutDownOnce) {
    EXPECT_FALSE(form.shutDownDone());
    window.close();
    EXPECT_TRUE(form.shutDownDone());
    window.close();
    EXPECT_TRUE(form.shutDownDone());
}

TEST_F(Window, MenuActionsReachTheirHandlers) {
    window.findChild<QAction*>("PIC16F841")->trigger();
    EXPECT_EQ(form.st.device.index, 68);
}

TEST_F(Window, ClosingDuringAReadEndsItThenShutsDownOnce) {
    window.findChild<QAction*>("N29F8001")->trigger(); // 8192 blocks
    const size_t before = adapter.received.size();
    QTimer::singleShot(0, &window, [this] { window.close(); });
    window.findChild<QAction*>("Read1")->trigger();
    EXPECT_TRUE(form.shutDownDone());
    EXPECT_FALSE(window.isVisible());
    EXPECT_LT(adapter.received.size() - before, 100u); // stopped at the first pump
    EXPECT_FALSE(port.openName().size());
}

TEST_F(Window, EveryProgressOperationGivesCancelTheFocus) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget* cancel = window.findChild<QWidget*>("ProcCancel");
    // A verify, then an erase in message mode, then another verify: the second
    // names the same button, which lost the focus while it was hidden.
    for (int run = 0; run < 2; ++run) {
        form.progressMode("Verify Chip Content With Buffer...", 0, 0xFFFF00);
        window.syncFromModel();
        EXPECT_EQ(QApplication::focusWidget(), cancel) << run;
        form.hidePanel();
        window.syncFromModel();
        form.messageMode("Erase Chip...", 0x0000FF);
        window.syncFromModel();
        form.hidePanel();
        window.syncFromModel();
    }
}

} // namespace
} // namespace kestro

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const auto dir = std::filesystem::temp_directory_path() / ("kestro-xdg-" + std::to_string(getuid()));
        std::filesystem::create_directories(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
