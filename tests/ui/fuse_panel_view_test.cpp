// Widget tests of the fuse panel: what the user does in the widgets reaches the model
// and GetFuse composes the bytes from it; the PIC18 large view covers the window.

#include "shell/tmyform.h"
#include "ui_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace kestro {
namespace {

struct FuseWindow : test::OffscreenWindow {
    void select(const char* item) {
        window.actionFor(item)->trigger();
        QCoreApplication::processEvents();
    }
    template <class W> W* widget(const char* name) {
        auto* w = qobject_cast<W*>(window.widgetFor(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QCheckBox* boxCaptioned(const char* caption) {
        for (auto* b : window.findChildren<QCheckBox*>())
            if (b->isVisible() && b->text() == caption) return b;
        ADD_FAILURE() << caption;
        return nullptr;
    }
};

TEST_F(FuseWindow, TickingChoosingAndTypingReachTheModel) {
    select("PIC16F841"); // blank chip: configuration word 0xFFFF
    auto* oscillator = widget<QComboBox>("ComboBox1");
    ASSERT_EQ(oscillator->count(), 4);
    EXPECT_EQ(oscillator->itemText(1), "XT");
    EXPECT_EQ(oscillator->currentText(), "RC");
    EXPECT_TRUE(boxCaptioned("Watchdog timer enable")->isChecked());

    // On the box itself: a short caption leaves the middle of the widget empty.
    QTest::mouseClick(boxCaptioned("Power-up timer enable"), Qt::LeftButton, {}, QPoint(6, 7));
    QTest::mouseClick(boxCaptioned("Code protect ON"), Qt::LeftButton, {}, QPoint(6, 7));
    QTest::keyClick(oscillator, Qt::Key_Up);
    EXPECT_EQ(oscillator->currentText(), "HS");
    auto* id = widget<QLineEdit>("Edit1");
    EXPECT_EQ(id->maxLength(), 4);
    id->selectAll();
    QTest::keyClicks(id, "12ABCD"); // the field takes four characters
    EXPECT_EQ(id->text(), "12AB");

    EXPECT_EQ(form.GetFuse(), 0);
    const auto& cfg = form.st.images.configBlock;
    EXPECT_EQ(cfg[1] << 8 | cfg[0], 0xC006); // HS, watchdog on, timer and protection on
    EXPECT_EQ(form.st.images.idBlock[0], 0x12);
    EXPECT_EQ(form.st.images.idBlock[1], 0xAB);

    // A refresh shows what the bytes now hold.
    form.st.images.configBlock[0] = 0x01;
    form.SetFuse(1);
    window.syncFromModel();
    EXPECT_EQ(oscillator->currentText(), "XT");
    EXPECT_FALSE(boxCaptioned("Watchdog timer enable")->isChecked());
}

TEST_F(FuseWindow, CheckListItemsReachTheModel) {
    select("ATMEGA85151");
    auto* fuseHigh = widget<QListWidget>("CheckListBox2");
    ASSERT_EQ(fuseHigh->count(), 8);
    EXPECT_EQ(fuseHigh->item(4)->text(), "Clock Optimalize");
    fuseHigh->item(0)->setCheckState(Qt::Unchecked); // as a click on its box does
    widget<QListWidget>("CheckListBox1")->item(5)->setCheckState(Qt::Checked);
    form.GetFuse();
    EXPECT_EQ(form.st.images.configBlock[1], 0xFE);
    EXPECT_EQ(form.st.fuse.lockMode, 0xC0 + 32);
}

TEST_F(FuseWindow, Pic18LargeViewCoversTheWindowUntilOk) {
    select("PIC18F4521");
    auto* button = widget<QPushButton>("ConfigLargeButton");
    auto* panel = window.widgetFor("SetPanel");
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(button->text(), "Large Size");
    EXPECT_EQ(panel->geometry(), QRect(505, 0, 250, 458));
    auto* fuses = widget<QListWidget>("CheckListBox1");
    fuses->item(0)->setCheckState(Qt::Checked); // T1 osc enable
    EXPECT_EQ(widget<QLineEdit>("Edit1")->maxLength(), 16);

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 755, 409));
    EXPECT_EQ(button->text(), "OK");
    EXPECT_EQ(button->geometry().topLeft(), QPoint(680, 0));
    EXPECT_EQ(fuses->geometry(), QRect(260, 45, 230, 120));
    EXPECT_FALSE(window.actionFor("File1")->isVisible());
    EXPECT_EQ(fuses->item(0)->checkState(), Qt::Checked);

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(panel->geometry(), QRect(505, 0, 250, 458));
    EXPECT_TRUE(window.actionFor("File1")->isVisible());
    EXPECT_EQ(fuses->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(form.st.images.configBlock[1] & 0x20, 0); // T1 osc on is bit 5 = 0
}

} // namespace
} // namespace kestro
