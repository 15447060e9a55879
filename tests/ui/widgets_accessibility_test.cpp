// What a listening screen reader is told of the display (on a real X server with the bus up).

#include "ui/widgets/LcdDisplay.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

// The text each text update inserts, and "caret <position>" for each caret move.
static std::vector<QString> told;

static void listen(QAccessibleEvent *event) {
    if (event->type() == QAccessible::TextUpdated) {
        told.push_back(static_cast<QAccessibleTextUpdateEvent *>(event)->textInserted());
    } else if (event->type() == QAccessible::TextCaretMoved) {
        const int caret = static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition();
        told.push_back(QStringLiteral("caret %1").arg(caret));
    }
}

TEST(LcdDisplayAccessibility, announcesNewTextAndTheCursorButNotAnUnchangedPacket) {
    ASSERT_TRUE(QTest::qWaitFor([] { return QAccessible::isActive(); }, 5000)) << "no a11y bus";
    QAccessible::installUpdateHandler(listen);
    aql::ui::LcdDisplay lcd;
    lcd.show();
    const aql::ui::LcdDisplay::Cells cells{'p', 'H'};
    lcd.setCells(cells);
    EXPECT_EQ(told, std::vector<QString>{lcd.text()});
    lcd.setCells(cells);
    aql::ui::LcdDisplay::CursorCells cursor{};
    cursor[45] = true; // row 2, column 5, after two line ends
    lcd.setCursorCells(cursor);
    EXPECT_EQ(told, (std::vector<QString>{lcd.text(), QStringLiteral("caret 47")}));
}
