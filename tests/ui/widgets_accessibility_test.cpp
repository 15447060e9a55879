// The change events assistive tools follow. Qt sends them only while a screen reader or test
// tool could listen, so this runs on a real X server with the accessibility bus up.

#include "ui/widgets/Colours.h"
#include "ui/widgets/Lamp.h"
#include "ui/widgets/LcdDisplay.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <map>
#include <vector>

using aql::ui::Lamp;
using aql::ui::LcdDisplay;
namespace colours = aql::ui::colours;

namespace {

// What an assistive tool is told: of which object, what kind of change, the text replaced and
// inserted, where the caret went.
struct Seen {
    QObject *object;
    QAccessible::Event type;
    QString removed, inserted;
    int caret;
};
std::vector<Seen> seenEvents;

void record(QAccessibleEvent *event) {
    Seen seen{event->object(), event->type(), {}, {}, -1};
    if (event->type() == QAccessible::TextUpdated) {
        seen.removed = static_cast<QAccessibleTextUpdateEvent *>(event)->textRemoved();
        seen.inserted = static_cast<QAccessibleTextUpdateEvent *>(event)->textInserted();
    } else if (event->type() == QAccessible::TextCaretMoved) {
        seen.caret = static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition();
    }
    seenEvents.push_back(seen);
}

// The events about `object` since the last call, by type.
std::multimap<QAccessible::Event, Seen> take(QObject *object) {
    std::multimap<QAccessible::Event, Seen> events;
    for (const Seen &seen : seenEvents) {
        if (seen.object == object) {
            events.emplace(seen.type, seen);
        }
    }
    seenEvents.clear();
    return events;
}

class AccessibilityEvents : public ::testing::Test {
protected:
    void SetUp() override {
        QElapsedTimer waited;
        waited.start();
        while (!QAccessible::isActive() && waited.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        ASSERT_TRUE(QAccessible::isActive()) << "no accessibility bus: run under "
                                                "dbus-run-session and with-accessibility-bus";
        QAccessible::installUpdateHandler(record);
    }
    void TearDown() override { QAccessible::installUpdateHandler(nullptr); }
};

} // namespace

TEST_F(AccessibilityEvents, displayAnnouncesNewTextAndCursorButNotAnUnchangedPacket) {
    LcdDisplay lcd;
    lcd.show();
    const QString blank = lcd.text();
    const LcdDisplay::Cells cells{'p', 'H'};
    take(&lcd);
    lcd.setCells(cells);
    auto events = take(&lcd);
    EXPECT_GE(events.count(QAccessible::NameChanged), 1u);
    EXPECT_GE(events.count(QAccessible::ValueChanged), 1u);
    ASSERT_GE(events.count(QAccessible::TextUpdated), 1u);
    EXPECT_TRUE(lcd.text().startsWith(QStringLiteral("pH ")));
    const auto [first, last] = events.equal_range(QAccessible::TextUpdated);
    for (auto update = first; update != last; ++update) {
        EXPECT_EQ(update->second.removed, blank);
        EXPECT_EQ(update->second.inserted, lcd.text());
    }
    lcd.setCells(cells);
    EXPECT_TRUE(take(&lcd).empty()) << "an unchanged packet is announced again";

    LcdDisplay::CursorCells cursor{};
    cursor[45] = true; // row 2, column 5
    lcd.setCursorCells(cursor);
    events = take(&lcd);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events.begin()->first, QAccessible::TextCaretMoved);
    EXPECT_EQ(events.begin()->second.caret, 2 * 21 + 5);
}

TEST_F(AccessibilityEvents, lampAnnouncesOnlyAChangeOfState) {
    Lamp lamp(QStringLiteral("ALARM"));
    lamp.show();
    take(&lamp);
    lamp.setColour(QColor(colours::kAlarmLamp));
    EXPECT_GE(take(&lamp).count(QAccessible::NameChanged), 1u);
    lamp.setColour(QColor(colours::kAlarmLamp).darker(110));
    EXPECT_EQ(take(&lamp).count(QAccessible::NameChanged), 0u) << "still on";
    lamp.setColour(QColor(colours::kLampOff));
    EXPECT_GE(take(&lamp).count(QAccessible::NameChanged), 1u);
}
