// The change events assistive tools follow. Qt sends them only while a screen reader or test
// tool could listen, so this runs on a real X server with the accessibility bus up.

#include "ui/widgets/Colours.h"
#include "ui/widgets/Lamp.h"
#include "ui/widgets/LcdDisplay.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using aql::ui::Lamp;
using aql::ui::LcdDisplay;
namespace colours = aql::ui::colours;

namespace {

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

// The events about `object` since the last call, their types in order.
std::vector<QAccessible::Event> takeTypes(QObject *object, std::vector<Seen> *events = nullptr) {
    std::vector<QAccessible::Event> types;
    for (const Seen &seen : seenEvents) {
        if (seen.object == object) {
            types.push_back(seen.type);
            if (events != nullptr) {
                events->push_back(seen);
            }
        }
    }
    seenEvents.clear();
    return types;
}

bool has(const std::vector<QAccessible::Event> &types, QAccessible::Event type) {
    return std::find(types.begin(), types.end(), type) != types.end();
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
    LcdDisplay::Cells cells{};
    cells[0] = 'p';
    cells[1] = 'H';
    takeTypes(&lcd);
    lcd.setCells(cells);
    std::vector<Seen> events;
    const std::vector<QAccessible::Event> types = takeTypes(&lcd, &events);
    EXPECT_TRUE(has(types, QAccessible::NameChanged));
    EXPECT_TRUE(has(types, QAccessible::ValueChanged));
    ASSERT_TRUE(has(types, QAccessible::TextUpdated));
    for (const Seen &seen : events) {
        if (seen.type == QAccessible::TextUpdated) {
            EXPECT_EQ(seen.removed, blank);
            EXPECT_EQ(seen.inserted, lcd.text());
            EXPECT_TRUE(seen.inserted.startsWith(QStringLiteral("pH ")));
        }
    }
    lcd.setCells(cells);
    EXPECT_TRUE(takeTypes(&lcd).empty()) << "an unchanged packet is announced again";

    LcdDisplay::CursorCells cursor{};
    cursor[45] = true; // row 2, column 5
    lcd.setCursorCells(cursor);
    events.clear();
    EXPECT_EQ(takeTypes(&lcd, &events), std::vector{QAccessible::TextCaretMoved});
    EXPECT_EQ(events.at(0).caret, 2 * 21 + 5);
}

TEST_F(AccessibilityEvents, lampAnnouncesOnlyAChangeOfState) {
    Lamp lamp(QStringLiteral("ALARM"));
    lamp.show();
    takeTypes(&lamp);
    lamp.setColour(QColor(colours::kAlarmLamp));
    EXPECT_TRUE(has(takeTypes(&lamp), QAccessible::NameChanged));
    lamp.setColour(QColor(colours::kAlarmLamp).darker(110));
    EXPECT_FALSE(has(takeTypes(&lamp), QAccessible::NameChanged)) << "still on";
    lamp.setColour(QColor(colours::kLampOff));
    EXPECT_TRUE(has(takeTypes(&lamp), QAccessible::NameChanged));
}
