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
    QString removed;
    QString inserted;
    int caret;
};
std::vector<Seen> seenEvents;

void record(QAccessibleEvent *event) {
    Seen seen{event->object(), event->type(), {}, {}, -1};
    if (event->type() == QAccessible::TextUpdated) {
        auto *update = static_cast<QAccessibleTextUpdateEvent *>(event);
        seen.removed = update->textRemoved();
        seen.inserted = update->textInserted();
    } else if (event->type() == QAccessible::TextCaretMoved) {
        seen.caret = static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition();
    }
    seenEvents.push_back(seen);
}

std::vector<Seen> seenFor(QObject *object) {
    std::vector<Seen> mine;
    for (const Seen &seen : seenEvents) {
        if (seen.object == object) {
            mine.push_back(seen);
        }
    }
    return mine;
}

bool has(const std::vector<Seen> &events, QAccessible::Event type) {
    return std::any_of(events.begin(), events.end(),
                       [type](const Seen &seen) { return seen.type == type; });
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
        seenEvents.clear();
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
    seenEvents.clear();
    lcd.setCells(cells);

    auto events = seenFor(&lcd);
    EXPECT_TRUE(has(events, QAccessible::NameChanged));
    EXPECT_TRUE(has(events, QAccessible::ValueChanged));
    ASSERT_TRUE(has(events, QAccessible::TextUpdated));
    for (const Seen &seen : events) {
        if (seen.type == QAccessible::TextUpdated) {
            EXPECT_EQ(seen.removed, blank);
            EXPECT_EQ(seen.inserted, lcd.text());
            EXPECT_TRUE(seen.inserted.startsWith(QStringLiteral("pH ")));
        }
    }

    seenEvents.clear();
    lcd.setCells(cells);
    EXPECT_TRUE(seenFor(&lcd).empty()) << "an unchanged packet is announced again";

    LcdDisplay::CursorCells cursor{};
    cursor[45] = true; // row 2, column 5
    lcd.setCursorCells(cursor);
    events = seenFor(&lcd);
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].type, QAccessible::TextCaretMoved);
    EXPECT_EQ(events[0].caret, 2 * 21 + 5);
}

TEST_F(AccessibilityEvents, lampAnnouncesOnlyAChangeOfState) {
    Lamp lamp(QStringLiteral("ALARM"));
    lamp.show();
    seenEvents.clear();
    lamp.setColour(QColor(colours::kAlarmLamp));
    EXPECT_TRUE(has(seenFor(&lamp), QAccessible::NameChanged));

    seenEvents.clear();
    lamp.setColour(QColor(colours::kAlarmLamp).darker(110));
    EXPECT_FALSE(has(seenFor(&lamp), QAccessible::NameChanged)) << "still on";
    lamp.setColour(QColor(colours::kLampOff));
    EXPECT_TRUE(has(seenFor(&lamp), QAccessible::NameChanged));
}
