// File > Open in the real window: what the user sees after a load that fails.

#include "shell/tmyform.h"
#include "ui_fixture.h"
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace kestro {
namespace {

std::string record(uint8_t type, uint16_t address, std::initializer_list<uint8_t> data, bool corrupt = false) {
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    char head[16];
    std::snprintf(head, sizeof head, ":%02X%04X%02X", static_cast<unsigned>(data.size()), address, type);
    std::string r = head;
    for (const uint8_t b : data) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", b);
        r += hex;
        sum += b;
    }
    char check[3];
    std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF) + (corrupt ? 1 : 0)) & 0xFF);
    return r + check + "\n";
}

struct FileWindow : test::OffscreenWindow {
    std::filesystem::path dir;
    std::vector<std::string> boxes;

    void SetUp() override {
        OffscreenWindow::SetUp();
        char tmpl[] = "/tmp/kestro-ui-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Chooses `path` in the real open dialog and answers every message box after it.
    void openThroughTheDialog(const std::filesystem::path& path) {
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, &window, [this, path] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* d = qobject_cast<QFileDialog*>(modal)) {
                // Typed as a user would: selectFile() leaves a name field that has the
                // focus alone.
                d->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path.string()));
                QMetaObject::invokeMethod(d, "accept");
            } else if (auto* b = qobject_cast<QMessageBox*>(modal)) {
                boxes.push_back(b->text().toStdString());
                b->accept();
            }
        });
        poll->start(10);
        // The dialog opens in the file's own folder, so what it lists is known and small.
        form.openDialogDir = path.parent_path().string();
        window.actionFor("Open1")->trigger();
        delete poll;
    }
    std::string fileLabel() { return window.findChild<QLabel*>("FileLabel")->text().toStdString(); }
    std::string cell(int row, int column) {
        auto* grid = window.findChild<QTableView*>("ProgGrid");
        return grid->model()->data(grid->model()->index(row, column)).toString().toStdString();
    }
};

TEST_F(FileWindow, AHexFileWithABadRecordLeavesThePreviousImageAndNames) {
    window.actionFor("AT89C521")->trigger();
    ASSERT_EQ(form.st.device.name, "AT89C52");
    std::ofstream(dir / "good.hex") << record(0, 0, {0x11, 0x22}) << record(1, 0, {});
    openThroughTheDialog(dir / "good.hex");
    ASSERT_TRUE(boxes.empty());
    ASSERT_EQ(fileLabel(), "good.hex");
    const auto before = std::make_unique<Images>(form.st.images);

    std::ofstream bad(dir / "bad.hex");
    for (uint16_t a = 0; a < 0x40; a += 0x10) bad << record(0, a, {0xA0, 0xA1, 0xA2, 0xA3});
    bad << record(0, 0x40, {0xA4}, true) << record(1, 0, {});
    bad.close();
    openThroughTheDialog(dir / "bad.hex");
    EXPECT_EQ(boxes, std::vector<std::string>{"Incorrect file !\nChecksum error in file"});
    EXPECT_EQ(fileLabel(), "good.hex");
    EXPECT_EQ(cell(0, 1), "11");
    EXPECT_EQ(cell(0, 3), "FF");
    EXPECT_EQ(form.st.images.program, before->program);
    EXPECT_EQ(form.st.images.programFileName, before->programFileName);
    EXPECT_EQ(form.st.images.dataFileName, before->dataFileName);
    EXPECT_EQ(form.st.settings.lastFileName, (dir / "good.hex").string());
}

} // namespace
} // namespace kestro
