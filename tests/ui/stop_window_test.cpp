// Stopping in the real window: a close during a fixed wait, Escape during an operation
// without Cancel, a signal while a message box is open, and SIGTERM to the program
// during its start-up box.

#include "ui_fixture.h"

#include "support/child_process.h"
#include "support/chips.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

namespace kestro {
namespace {

using namespace chips;

using StopWindow = test::OffscreenWindow;

TEST_F(StopWindow, ClosingDuringTheEqualDisplayEndsTheChainBeforeSecurity) {
    adapter.chip = SimChip::blank(kAt89C51);
    form.deviceItemClick(kAt89C51);
    form.st.settings.verifyAfterProgram = true;
    form.refreshSetupCaptions();
    window.syncFromModel();
    form.st.images.program[0] = 0x12;
    QTimer watch;
    size_t sentAtClose = 0;
    QObject::connect(&watch, &QTimer::timeout, &window, [&] {
        if (form.model.control("ProcLabel").caption != "Chip Content EQUAL With Buffer.") return;
        watch.stop();
        sentAtClose = adapter.received.size();
        window.close();
    });
    watch.start(5);
    window.findChild<QAction*>("EraseProgramSecurity1")->trigger();
    EXPECT_NE(sentAtClose, 0u);
    EXPECT_EQ(adapter.received.size(), sentAtClose); // nothing after the close
    EXPECT_EQ(adapter.chip.memory[0], 0x12);
    EXPECT_EQ(adapter.chip.lockByte, 0);
    EXPECT_TRUE(form.shutDownDone());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(StopWindow, EscapeWhereverTheFocusIsAsksForTheStopOnlyDuringAnOperation) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget* grid = window.findChild<QWidget*>("ProgGrid");
    grid->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(form.st.ops.cancel, 0); // idle: Escape is the widgets' own
    form.lockUserInterface(false);
    form.messageMode("Erase Chip...", 0x0000FF);
    window.syncFromModel();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_Escape);
    EXPECT_EQ(form.st.ops.cancel, 1);
    form.hidePanel();
    form.lockUserInterface(true);
    window.syncFromModel();
}

TEST_F(StopWindow, ASignalEndsAnOpenMessageBoxAndShowsNoFurtherOne) {
    QTimer::singleShot(50, &window, [this] { window.closeOnRequest(); });
    EXPECT_EQ(host.messageBox("Continue the Process Y/N", "Unknown Device", MsgIcon::Question, MsgButtons::YesNo),
              MsgAnswer::No);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(host.messageBox("Communication Error !", "", MsgIcon::Stop, MsgButtons::Ok), MsgAnswer::Ok);
    EXPECT_FALSE(host.openFileDialog("*", "/tmp"));
    EXPECT_TRUE(form.closeRequested());
    QTest::qWait(20); // the window closes once no handler runs
    EXPECT_TRUE(form.shutDownDone());
}

// The program itself, with no adapter: SIGTERM while "Could Not Use the 'COM1' Serial
// Port!" is up ends it as a close does, with the settings written.
TEST(StopProgram, SigtermDuringTheStartUpBoxEndsWithTheShutDown) {
    namespace fs = std::filesystem;
    const fs::path config = fs::path(std::getenv("XDG_CONFIG_HOME")) / "kestro";
    fs::create_directories(config);
    fs::create_symlink("/nonexistent/tty", config / "COM1");
    const fs::path settings = config / "kestro.cfg";
    std::ofstream(settings) << "Serialport:COM1\nDevice:AT89C52\nVerify:Enabled\nDataProg:Disabled\n";
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(settings, old);

    test::Child c(KESTRO_PROGRAM, {}, {{"QT_QPA_PLATFORM", "offscreen"}, {"ASAN_OPTIONS", "detect_leaks=0"}});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // the box is up by now
    ::kill(c.pid(), SIGTERM);
    // A program that stays would hang the test: end it after a generous while.
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::thread watchdog([&, pid = c.pid()] {
        std::unique_lock lock(m);
        if (!cv.wait_for(lock, std::chrono::seconds(30), [&] { return done; })) ::kill(pid, SIGKILL);
    });
    const test::ChildResult r = c.finish();
    {
        std::lock_guard lock(m);
        done = true;
    }
    cv.notify_one();
    watchdog.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GT(fs::last_write_time(settings), old); // written by the shut-down
    std::ifstream in(settings);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Device:AT89C52"), std::string::npos) << text;
}

} // namespace
} // namespace kestro
