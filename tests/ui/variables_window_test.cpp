// The variables window on an Online console of fakes: the controller's blocks in the cells of
// their tabs, and the edit panel and busy notice as mouse and keyboard open them. A write's
// round trip to the controller is tested against the simulated one.

#include "ui/VariablesWindow.h"
#include "unit/link/LinkRig.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;

namespace {

int cellOf(int block, int variable) {
    return (block - 1) * 25 + (variable - 1);
}

struct VariablesRig : LinkRig {
    std::unique_ptr<ui::VariablesWindow> window;

    VariablesRig() {
        goOnline();
        window = std::make_unique<ui::VariablesWindow>(console.variables(), numberedText);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::setActiveWindow(window.get());
    }
    template <typename W = QLabel> W *find(const char *name) {
        return window->findChild<W *>(QString::fromLatin1(name));
    }
    bool shown(const char *panel) { return find<QWidget>(panel)->isVisible(); }
    // A variable block packet: type 5, block, one unread byte, 26 little-endian values.
    void controllerReports(int block, const std::vector<std::pair<int, int>> &values) {
        std::string body{'\x05', static_cast<char>(block), '\0'};
        body.resize(body.size() + 52, '\0');
        for (auto [variable, value] : values) {
            body[static_cast<std::size_t>(2 * variable + 1)] = static_cast<char>(value & 0xFF);
            body[static_cast<std::size_t>(2 * variable + 2)] =
                static_cast<char>((value >> 8) & 0xFF);
        }
        socket.deliver(addressedLine(1, body) + "\r");
    }
    // The operator opens the tab of `block` and clicks the value of `variable` on it.
    void clickValue(int block, int variable) {
        find<QTabWidget>("blocks")->setCurrentIndex(block - 1);
        QLineEdit *cell = window->valueCell(cellOf(block, variable));
        QTest::mouseClick(cell, Qt::LeftButton, {}, cell->rect().center());
    }
};

} // namespace

TEST(VariablesWindowUi, aBlockReplyShowsInTheCellsOfItsTabAtTheNextPoll) {
    VariablesRig rig;
    const bool heartbeat = rig.find<QRadioButton>("pollHeartbeat")->isChecked();
    rig.controllerReports(4, {{7, 300}, {3, 0xFFFF}, {25, 0x80E8}});
    rig.controllerReports(1, {{7, 11}});
    rig.timers.advance(link::VariablesController::kIdleInterval);
    EXPECT_NE(rig.find<QRadioButton>("pollHeartbeat")->isChecked(), heartbeat);
    const struct {
        int block, variable;
        const char *value;
    } cells[] = {{4, 7, "300"}, {4, 3, "-1"}, {4, 25, "33000"}, {1, 7, "11"},
                 {4, 8, "0"},   {3, 7, "0"},  {5, 7, "0"}};
    for (const auto &c : cells) {
        const int cell = cellOf(c.block, c.variable);
        EXPECT_EQ(rig.window->valueCell(cell)->text(), QLatin1String(c.value)) << cell;
        EXPECT_EQ(rig.window->numberLabel(cell)->text(), QString::number(c.variable));
    }
    auto *tabs = rig.find<QTabWidget>("blocks");
    for (int block = 1; block <= 8; ++block) {
        EXPECT_EQ(tabs->tabText(block - 1), QStringLiteral("Blok %1").arg(block));
        EXPECT_TRUE(tabs->widget(block - 1)->isAncestorOf(rig.window->valueCell(cellOf(block, 1))));
    }
    EXPECT_EQ(rig.find("askedBlock")->text(), QStringLiteral("2"));
    auto *grid = rig.find<QTableWidget>("variableGrid");
    EXPECT_EQ(grid->rowCount(), 124);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("AQL-170 Variables"));
    EXPECT_EQ(grid->item(123, 0)->text(), QStringLiteral("122"));
}

TEST(VariablesWindowUi, mouseAndKeyboardOpenTheEditPanelAndABusyNoticeWhileAWriteIsPending) {
    VariablesRig rig;
    rig.controllerReports(4, {{7, 24}});
    rig.timers.advance(link::VariablesController::kIdleInterval);
    rig.clickValue(4, 7);
    ASSERT_TRUE(rig.shown("editPanel"));
    QLineEdit *edit = rig.find<QLineEdit>("editBox");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(rig.find("editVariable")->text(), QStringLiteral("Var. nr.: 7"));
    EXPECT_EQ(rig.find("editCurrent")->text(), QStringLiteral("Var. Actueel: 24"));
    QTest::keyClicks(edit, QStringLiteral("99"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(rig.shown("editPanel") || rig.console.variables().writePending());

    QLineEdit *cell = rig.window->valueCell(cellOf(4, 3));
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_F2, Qt::Key_Return}) {
        cell->setFocus();
        QTest::keyClick(cell, key);
        EXPECT_TRUE(rig.shown("editPanel")) << key;
        EXPECT_EQ(rig.console.variables().view().editVariableText, "Var. nr.: 3");
    }
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("25"));
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_FALSE(rig.shown("editPanel"));
    ASSERT_TRUE(rig.console.variables().writePending());

    const auto &w = rig.console.variables().lastWrite();
    EXPECT_EQ(std::vector<int>({w.block, w.variable, w.value}), std::vector<int>({4, 3, 25}));
    rig.clickValue(4, 8); // not while the write is pending
    EXPECT_TRUE(rig.shown("busyNotice"));
    EXPECT_FALSE(rig.shown("editPanel"));
    auto *ok = rig.find<QPushButton>("busyOk");
    EXPECT_TRUE(ok->hasFocus());
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_FALSE(rig.shown("busyNotice"));
    EXPECT_EQ(w.variable, 3) << "the pending write is unchanged";
    rig.controllerReports(4, {{3, 24}}); // the write goes out with the block's next answer
    rig.controllerReports(4, {{3, 25}}); // and is done when a later one reads it back
    EXPECT_FALSE(rig.console.variables().writePending());
    // A row of the grid opens the panel too.
    auto *grid = rig.find<QTableWidget>("variableGrid");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(6, 1)).center());
    EXPECT_EQ(rig.find("editVariable")->text(), QStringLiteral("Var. nr.: 5"));
}
