// What a desktop brings to the real window: a file named on the command line, a file
// dropped on it, the title bar's close button during an operation, and the program's
// answers without a display.

#include "ui_fixture.h"

#include "support/child_process.h"
#include "support/chips.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QCloseEvent>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kestro {
namespace {

struct DesktopWindow : test::OffscreenWindow {
    std::filesystem::path dir;
    void SetUp() override {
        OffscreenWindow::SetUp();
        char tmpl[] = "/tmp/kestro-ui-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
        window.actionFor("AT89C521")->trigger();
        std::ofstream(dir / "fw.hex") << ":0200000011AA43\n:00000001FF\n";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string fileLabel() { return window.findChild<QLabel*>("FileLabel")->text().toStdString(); }
    std::string cell(int row, int column) {
        auto* grid = window.findChild<QTableView*>("ProgGrid");
        return grid->model()->data(grid->model()->index(row, column)).toString().toStdString();
    }
    // Drags the file over the window and drops it; true when the window took the drag.
    bool drop(const std::filesystem::path& file) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
        const QPoint at(100, 100);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    }
};

TEST_F(DesktopWindow, AFileArgumentLoadsAsOpenLoadsIt) {
    window.openFile((dir / "fw.hex").string());
    EXPECT_EQ(fileLabel(), "fw.hex");
    EXPECT_EQ(cell(0, 1) + cell(0, 2) + cell(0, 3), "11AAFF");
    EXPECT_EQ(form.st.settings.lastFileName, (dir / "fw.hex").string());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(DesktopWindow, ADroppedFileOpensButNotWhileAnOperationRuns) {
    form.lockUserInterface(false);
    window.syncFromModel();
    EXPECT_FALSE(drop(dir / "fw.hex"));
    EXPECT_NE(fileLabel(), "fw.hex");
    form.lockUserInterface(true);
    window.syncFromModel();
    EXPECT_TRUE(drop(dir / "fw.hex"));
    EXPECT_EQ(fileLabel(), "fw.hex");
    EXPECT_EQ(cell(0, 2), "AA");
}

// The title bar's button: a close event from the window system (spontaneous), as a
// window manager sends it, and the window closing when it is accepted.
void closeAsTheUserDoes(QWidget& w) {
    QCloseEvent e;
    QSpontaneKeyEvent::setSpontaneous(&e);
    qApp->notify(&w, &e); // sendEvent would make it the program's own close

    if (e.isAccepted()) w.hide();
}

TEST_F(DesktopWindow, TheCloseButtonAsksDuringAnOperationOnlyAndNoLetsItFinish) {
    adapter.chip = SimChip::blank(chips::kAt89C52);
    std::vector<std::string> questions;
    QMessageBox::StandardButton answer = QMessageBox::No;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            questions.push_back(box->text().toStdString());
            box->done(answer);
        }
    });
    poll.start(5);
    bool asked = false;
    // Once the read has run a few blocks, the user clicks the close button.
    QTimer click;
    QObject::connect(&click, &QTimer::timeout, &window, [&] {
        if (asked || !form.operationRunning() || adapter.received.size() < 100) return;
        asked = true;
        closeAsTheUserDoes(window);
    });
    click.start(1);
    window.findChild<QAction*>("Read1")->trigger();
    EXPECT_EQ(questions, std::vector<std::string>{kStopAndCloseQuestion});
    EXPECT_FALSE(form.closeRequested());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(form.st.ops.lastResult, 1); // the read ran to its end
    EXPECT_FALSE(form.shutDownDone());

    // Yes stops the next one and closes once it has ended.
    asked = false;
    answer = QMessageBox::Yes;
    questions.clear();
    window.findChild<QAction*>("Read1")->trigger();
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_TRUE(form.shutDownDone());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(DesktopWindow, TheCloseButtonWhenIdleClosesWithoutAQuestion) {
    closeAsTheUserDoes(window);
    EXPECT_TRUE(form.shutDownDone());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(DesktopProgram, HelpVersionAndUsageErrorsNeedNoDisplay) {
    const std::map<std::string, std::string> noDisplay{
        {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};
    const test::ChildResult help = test::runChild(KESTRO_PROGRAM, {"--help"}, noDisplay);
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_EQ(help.out.rfind("Usage: kestro [Qt options] [FILE]\n", 0), 0u) << help.out;
    const test::ChildResult version = test::runChild(KESTRO_PROGRAM, {"--version"}, noDisplay);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kestro ", 0), 0u) << version.out;
    const test::ChildResult bad = test::runChild(KESTRO_PROGRAM, {"--bogus"}, noDisplay);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("unknown option '--bogus'"), std::string::npos) << bad.err;
    // With a display the same answers come before any window.
    const test::ChildResult shown = test::runChild(KESTRO_PROGRAM, {"-platform", "offscreen", "--version"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, version.out);
}

} // namespace
} // namespace kestro
