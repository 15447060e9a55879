// What a listening screen reader is told of the display. Qt tells it only while a screen reader or
// test tool could listen, so this runs on a real X server with the accessibility bus up.

#include "ui/widgets/LcdDisplay.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using aql::ui::LcdDisplay;

namespace {

// The display's text updates with the text inserted, and its caret moves with the new position.
std::vector<std::pair<QAccessible::Event, QString>> told;

void listen(QAccessibleEvent *event) {
    if (qobject_cast<LcdDisplay *>(event->object()) == nullptr) {
        return;
    }
    if (event->type() == QAccessible::TextUpdated) {
        told.emplace_back(event->type(),
                          static_cast<QAccessibleTextUpdateEvent *>(event)->textInserted());
    } else if (event->type() == QAccessible::TextCaretMoved) {
        const int caret = static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition();
        told.emplace_back(event->type(), QString::number(caret));
    }
}

} // namespace

TEST(LcdDisplayAccessibility, announcesNewTextAndTheCursorButNotAnUnchangedPacket) {
    QElapsedTimer waited;
    waited.start();
    while (!QAccessible::isActive() && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ASSERT_TRUE(QAccessible::isActive())
        << "no accessibility bus: run under dbus-run-session and with-accessibility-bus";
    QAccessible::installUpdateHandler(listen);
    LcdDisplay lcd;
    lcd.show();
    told.clear();
    const LcdDisplay::Cells cells{'p', 'H'};
    lcd.setCells(cells);
    ASSERT_TRUE(lcd.text().startsWith(QStringLiteral("pH ")));
    EXPECT_EQ(told, (decltype(told){{QAccessible::TextUpdated, lcd.text()}}));
    told.clear();
    lcd.setCells(cells);
    LcdDisplay::CursorCells cursor{};
    cursor[45] = true; // row 2, column 5, after two line ends
    lcd.setCursorCells(cursor);
    EXPECT_EQ(told, (decltype(told){{QAccessible::TextCaretMoved, QStringLiteral("47")}}));
    QAccessible::installUpdateHandler(nullptr);
}
