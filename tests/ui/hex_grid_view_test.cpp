// Widget tests of the grid and the socket pictures over the real model.

#include "shell/tmyform.h"
#include "ui_fixture.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"

#include <QImage>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace kestro {
namespace {

struct GridWindow : test::OffscreenWindow {
    QTableView* grid = nullptr;
    void SetUp() override {
        OffscreenWindow::SetUp();
        grid = window.findChild<QTableView*>("ProgGrid");
        ASSERT_NE(grid, nullptr);
    }
    void select(const char* item) {
        window.actionFor(item)->trigger();
        QCoreApplication::processEvents();
    }
};

TEST_F(GridWindow, PaintingAPicProgramMasksItsBuffer) {
    select("PIC16F841");
    form.st.images.program[0] = 0xFF;
    form.st.images.program[2046] = 0xFF;
    grid->grab(); // one paint pass
    EXPECT_EQ(form.st.images.program[0], 0x3F);
    EXPECT_EQ(form.st.images.program[2046], 0x3F); // also words that are scrolled away
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 1)).toString(), "3F");
}

TEST_F(GridWindow, RowsFollowTheImageAndTheHeaderRowIsTheColumnHeader) {
    select("N29F8001");
    EXPECT_EQ(grid->model()->rowCount(), 65536);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "Data");
    grid->scrollToBottom();
    EXPECT_EQ(grid->model()->data(grid->model()->index(65535, 0)).toString(), "0FFFF0h");
    select("N24C021");
    EXPECT_EQ(grid->model()->rowCount(), 16);
}

TEST_F(GridWindow, SocketPictureIsDrawnAtItsSize) {
    select("AT89C511"); // 40-pin socket, 40-pin chip
    QWidget* pic = window.widgetFor("Img_IC40");
    ASSERT_NE(pic, nullptr);
    EXPECT_TRUE(pic->isVisible());
    const QImage img = pic->grab().toImage();
    const QColor lever = img.pixelColor(14, 15);
    const QColor chip = img.pixelColor(66, 150);
    const QColor outside = img.pixelColor(150, 150); // right of the 110-pixel picture
    EXPECT_GT(lever.lightness(), 150);
    EXPECT_LT(chip.lightness(), 60);
    EXPECT_NE(outside, chip);
}

} // namespace
} // namespace kestro
