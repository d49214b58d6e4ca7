// A window larger than its design size, and the keyboard through the whole window.

#include "ui_fixture.h"

#include "devices/device_names.h"
#include "support/chips.h"

#include <QAction>
#include <QApplication>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <map>

namespace kestro {
namespace {

using Window = test::OffscreenWindow;

// Every widget of the client area with its distances to the four edges.
struct Edges {
    int left, top, right, bottom;
    bool operator==(const Edges&) const = default;
};
std::map<std::string, Edges> edgesOfTopLevel(QWidget* client) {
    std::map<std::string, Edges> m;
    for (QObject* o : client->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->objectName().isEmpty()) continue;
        const QRect g = w->geometry();
        m[w->objectName().toStdString()] = {g.left(), g.top(), client->width() - g.right(),
                                            client->height() - g.bottom()};
    }
    return m;
}

TEST_F(Window, AGrownWindowGivesTheGridTheRoomAndKeepsEveryOtherControlAtItsEdge) {
    QWidget* client = window.centralWidget();
    auto* grid = window.findChild<QTableView*>("ProgGrid");
    const auto before = edgesOfTopLevel(client);
    const int rowsBefore = grid->rowAt(grid->viewport()->height() - 1);
    window.resize(window.width() + 1400 - client->width(), window.height() + 900 - client->height());
    QApplication::processEvents();
    ASSERT_EQ(client->size(), QSize(1400, 900));
    EXPECT_EQ(grid->geometry(), QRect(0, 25, 505 + 645, 360 + 442));
    EXPECT_GT(grid->rowAt(grid->viewport()->height() - 1), rowsBefore + 20); // more rows shown
    const auto after = edgesOfTopLevel(client);
    for (const auto& [name, e] : before) {
        if (name == "ProgGrid") continue;
        const Edges& a = after.at(name);
        if (name == "SetPanel" || name == "ImgPanel") { // at the right edge
            EXPECT_EQ(a.right, e.right) << name;
            EXPECT_EQ(a.top, e.top) << name;
        } else if (name == "SPanel" || name == "Panel1") { // at the bottom
            EXPECT_EQ(a.left, e.left) << name;
            EXPECT_EQ(a.bottom, e.bottom) << name;
        } else {
            EXPECT_EQ(a.left, e.left) << name;
            EXPECT_EQ(a.top, e.top) << name;
        }
    }
    // Never below the design size; back at it, everything is where it was.
    window.resize(200, 100);
    QApplication::processEvents();
    EXPECT_EQ(client->size(), QSize(755, 458));
    EXPECT_EQ(edgesOfTopLevel(client), before);
}

TEST_F(Window, TabVisitsTheGridOnceAndEveryEnabledFuseControlInReadingOrder) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    constexpr int kPic16F877A = 91;
    ASSERT_EQ(menuName(kPic16F877A), "PIC16F877A");
    for (int device : {chips::kAt89C52, chips::kAtmega8515, kPic16F877A}) {
        form.deviceItemClick(device);
        window.syncFromModel();
        ASSERT_EQ(form.st.device.index, device);
        // What the panel shows and may be changed.
        std::vector<std::string> expected;
        for (int i : form.model.tabOrder()) expected.push_back(form.model.controls[static_cast<size_t>(i)].name);
        size_t fuseControls = 0;
        for (int i : form.st.fuse.controls) {
            const Control& c = form.model.controls[static_cast<size_t>(i)];
            if (c.visible && c.enabled && c.kind != ControlKind::GroupBox) {
                ++fuseControls;
                EXPECT_NE(std::find(expected.begin(), expected.end(), c.name), expected.end()) << c.name;
            }
        }
        EXPECT_GT(fuseControls, 0u) << device;
        QWidget* grid = window.findChild<QWidget*>("ProgGrid");
        grid->setFocus();
        std::vector<std::string> visited{"ProgGrid"};
        for (size_t k = 0; k + 1 < expected.size(); ++k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(QApplication::focusWidget()->objectName().toStdString());
        }
        // From the grid on, round to the grid again.
        const auto at = std::find(expected.begin(), expected.end(), "ProgGrid");
        std::rotate(expected.begin(), at, expected.end());
        EXPECT_EQ(visited, expected) << device;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), grid) << device;
        QTest::keyClick(grid, Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), expected.back()) << device;
    }
    // Inside the grid the arrows move.
    auto* grid = window.findChild<QTableView*>("ProgGrid");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 1));
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->currentIndex().column(), 2);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(QApplication::focusWidget(), grid);
}

} // namespace
} // namespace kestro
