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

#include <array>
#include <memory>
#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;

namespace {

// A variable block packet: type 5, block, one unread byte, 26 little-endian values.
std::string blockLine(int block, const std::vector<std::pair<int, int>> &values) {
    std::string body{'\x05', static_cast<char>(block), '\0'};
    std::string raw(52, '\0');
    for (auto [variable, value] : values) {
        raw[static_cast<std::size_t>(2 * variable - 2)] = static_cast<char>(value & 0xFF);
        raw[static_cast<std::size_t>(2 * variable - 1)] = static_cast<char>((value >> 8) & 0xFF);
    }
    return addressedLine(1, body + raw) + "\r";
}

int cellOf(int block, int variable) {
    return (block - 1) * 25 + (variable - 1);
}

// The variables window on an Online console of fakes.
struct VariablesRig : LinkRig {
    VariablesRig() {
        goOnline();
        window = std::make_unique<ui::VariablesWindow>(console.variables(), numberedText);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::setActiveWindow(window.get());
        socket.sent.clear();
    }

    link::VariablesController &controller() { return console.variables(); }
    template <typename W> W *find(const char *name) {
        auto *w = window->findChild<W *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit *editBox() { return find<QLineEdit>("editBox"); }
    bool editPanelShown() { return find<QWidget>("editPanel")->isVisible(); }
    bool busyNoticeShown() { return find<QWidget>("busyNotice")->isVisible(); }

    void controllerReports(int block, const std::vector<std::pair<int, int>> &values) {
        socket.deliver(blockLine(block, values));
    }
    // The operator opens the tab of `block` and clicks the value of `variable` on it.
    void clickValue(int block, int variable) {
        auto *tabs = find<QTabWidget>("blocks");
        tabs->setCurrentIndex(block - 1);
        QLineEdit *cell = window->valueCell(cellOf(block, variable));
        QTest::mouseClick(cell, Qt::LeftButton, {}, cell->rect().center());
    }
    // The SETVAR frames sent so far as (block, variable, high byte, low byte).
    std::vector<std::array<int, 4>> writes() const {
        std::vector<std::array<int, 4>> out;
        for (const auto &f : socket.sent) {
            if (f[2] == 3) {
                out.push_back({static_cast<unsigned char>(f[3]), static_cast<unsigned char>(f[4]),
                               static_cast<unsigned char>(f[5]), static_cast<unsigned char>(f[6])});
            }
        }
        return out;
    }

    std::unique_ptr<ui::VariablesWindow> window;
};

} // namespace

TEST(VariablesWindowUi, aBlockReplyShowsInTheCellsOfItsBlockAtTheNextPoll) {
    VariablesRig rig;
    rig.controllerReports(4, {{7, 300}, {3, 0xFFFF}, {25, 0x80E8}});
    rig.controllerReports(1, {{7, 11}});
    rig.timers.advance(link::VariablesController::kIdleInterval);

    const struct {
        int block, variable;
        const char *value;
    } cells[] = {{4, 7, "300"}, {4, 3, "-1"}, {4, 25, "33000"}, {1, 7, "11"},
                 {4, 8, "0"},   {3, 7, "0"},  {5, 7, "0"}};
    for (const auto &c : cells) {
        const int cell = cellOf(c.block, c.variable);
        EXPECT_EQ(rig.window->valueCell(cell)->text(), QString::fromLatin1(c.value))
            << c.block << "/" << c.variable;
        EXPECT_EQ(rig.window->numberLabel(cell)->text(), QString::number(c.variable));
    }
    // Each block's cells sit on its own tab.
    auto *tabs = rig.find<QTabWidget>("blocks");
    for (int block = 1; block <= 8; ++block) {
        EXPECT_EQ(tabs->tabText(block - 1), QStringLiteral("Blok %1").arg(block));
        EXPECT_TRUE(tabs->widget(block - 1)->isAncestorOf(rig.window->valueCell(cellOf(block, 1))));
    }
    EXPECT_EQ(rig.find<QLabel>("askedBlock")->text(), QStringLiteral("2"));
}

TEST(VariablesWindowUi, thePollIndicatorAndGridFollowTheController) {
    VariablesRig rig;
    auto *heartbeat = rig.find<QRadioButton>("pollHeartbeat");
    const bool before = heartbeat->isChecked();
    rig.timers.advance(link::VariablesController::kIdleInterval);
    EXPECT_NE(heartbeat->isChecked(), before);
    auto *grid = rig.find<QTableWidget>("variableGrid");
    EXPECT_EQ(grid->rowCount(), 124);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("AQL-170 Variables"));
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("0"));
    EXPECT_EQ(grid->item(123, 0)->text(), QStringLiteral("122"));
}

TEST(VariablesWindowUi, enterInTheEditBoxWritesThroughTheController) {
    VariablesRig rig;
    rig.controllerReports(4, {{7, 24}});
    rig.timers.advance(link::VariablesController::kIdleInterval);
    rig.clickValue(4, 7);
    ASSERT_TRUE(rig.editPanelShown());
    EXPECT_TRUE(rig.editBox()->hasFocus());
    EXPECT_EQ(rig.find<QLabel>("editVariable")->text(), QStringLiteral("Var. nr.: 7"));
    EXPECT_EQ(rig.find<QLabel>("editCurrent")->text(), QStringLiteral("Var. Actueel: 24"));

    QTest::keyClicks(rig.editBox(), QStringLiteral("25"));
    QTest::keyClick(rig.editBox(), Qt::Key_Return);
    EXPECT_FALSE(rig.editPanelShown());
    EXPECT_TRUE(rig.controller().writePending());
    // The write goes out with the next answer of the block and repeats until it reads back.
    rig.controllerReports(4, {{7, 24}});
    rig.controllerReports(4, {{7, 24}});
    const std::vector<std::array<int, 4>> expected = {{4, 7, 0x00, 0x19}, {4, 7, 0x00, 0x19}};
    EXPECT_EQ(rig.writes(), expected);
    rig.controllerReports(4, {{7, 25}});
    EXPECT_FALSE(rig.controller().writePending());
    rig.timers.advance(link::VariablesController::kIdleInterval);
    EXPECT_EQ(rig.window->valueCell(cellOf(4, 7))->text(), QStringLiteral("25"));
}

TEST(VariablesWindowUi, theKeyboardOpensAValueToo) {
    VariablesRig rig;
    QLineEdit *cell = rig.window->valueCell(cellOf(1, 3));
    cell->setFocus();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_F2}) {
        QTest::keyClick(cell, key);
        EXPECT_TRUE(rig.editPanelShown()) << key;
        EXPECT_EQ(rig.controller().view().editVariableText, "Var. nr.: 3");
        QTest::keyClick(rig.editBox(), Qt::Key_Escape);
        cell->setFocus();
    }
}

TEST(VariablesWindowUi, escapeCancelsTheEditWithoutWriting) {
    VariablesRig rig;
    rig.clickValue(2, 5);
    ASSERT_TRUE(rig.editPanelShown());
    QTest::keyClicks(rig.editBox(), QStringLiteral("99"));
    QTest::keyClick(rig.editBox(), Qt::Key_Escape);
    EXPECT_FALSE(rig.editPanelShown());
    EXPECT_FALSE(rig.controller().writePending());
    rig.controllerReports(2, {});
    rig.timers.advance(link::VariablesController::kIdleInterval);
    EXPECT_TRUE(rig.writes().empty());
}

TEST(VariablesWindowUi, aClickWhileAWriteIsPendingShowsTheBusyNoticeUntilOk) {
    VariablesRig rig;
    rig.clickValue(1, 1);
    QTest::keyClicks(rig.editBox(), QStringLiteral("7"));
    QTest::keyClick(rig.editBox(), Qt::Key_Enter);
    ASSERT_TRUE(rig.controller().writePending());

    rig.clickValue(1, 2);
    EXPECT_TRUE(rig.busyNoticeShown());
    EXPECT_FALSE(rig.editPanelShown());
    auto *ok = rig.find<QPushButton>("busyOk");
    EXPECT_TRUE(ok->hasFocus());
    EXPECT_EQ(ok->text(), QStringLiteral("T27"));
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_FALSE(rig.busyNoticeShown());
    EXPECT_EQ(rig.controller().lastWrite().variable, 1) << "the pending write is unchanged";
}

TEST(VariablesWindowUi, aGridRowOpensTheEditPanelOnThatRow) {
    VariablesRig rig;
    auto *grid = rig.find<QTableWidget>("variableGrid");
    const QRect row = grid->visualItemRect(grid->item(6, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_TRUE(rig.editPanelShown());
    EXPECT_EQ(rig.find<QLabel>("editVariable")->text(), QStringLiteral("Var. nr.: 5"));
}

TEST(VariablesWindowUi, closingTellsTheOwner) {
    VariablesRig rig;
    bool closed = false;
    QObject::connect(rig.window.get(), &ui::VariablesWindow::closed, [&] { closed = true; });
    rig.window->close();
    EXPECT_TRUE(closed);
}
