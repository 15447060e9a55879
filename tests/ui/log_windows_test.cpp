// The log and record table windows over their controllers, with the logic's fakes. Saving through
// the real dialogs is tested on the whole console.

#include "config/Pool.h"
#include "shell/LogController.h"
#include "shell/RecordTable.h"
#include "support/LinkFakes.h"
#include "support/MemoryFileSaver.h"
#include "support/WindowFakes.h"
#include "ui/logwindows/LogWindow.h"
#include "ui/logwindows/RecordTableWindow.h"
#include "unit/shell/LogRecords.h"

#include <QAccessible>
#include <QLabel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace aql {
namespace {

// The log window over a pool of twelve records; its texts are "T" and their number.
struct LogWindowRig {
    test::ManualTimerFactory timers;
    test::FixedClock clock;
    test::ScriptedFileDialog dialog;
    test::RecordingMessageBox box;
    test::MemoryFileSaver files;
    test::RecordingFileOpener opener;
    config::Pool pool;
    shell::LogController log{shell::LogServices{timers, clock, dialog, box, files, opener},
                             test::numberedText, "/aql"};
    ui::LogWindow window{log};

    LogWindowRig() {
        pool.init("Zwembad Oost", "Pool 1", 1, "127.0.0.1", "4001", 1);
        test::addLogRecords(pool.records(), 1, 12);
        log.setPool(&pool);
        window.show();
    }
};

} // namespace

TEST(LogWindowWidget, showsItsTitleThenAqlDashWithTheCountOnTopAndModal) {
    LogWindowRig rig;
    EXPECT_TRUE(rig.window.isModal());
    EXPECT_TRUE(rig.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(rig.window.windowTitle(), "T109");
    EXPECT_EQ(rig.window.recordCountLabel()->text(), "12");
    test::addLogRecords(rig.pool.records(), 20, 3);
    rig.timers.advance(500);
    EXPECT_EQ(rig.window.windowTitle(), "AQL - ");
    EXPECT_EQ(rig.window.recordCountLabel()->text(), "15");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(rig.window.recordCountLabel())
                  ->text(QAccessible::Name),
              "T105 15");
}

TEST(RecordTableWindowWidget, showsTheHeaderAndARecordsCellsAsTheyStoodWhenOpened) {
    records::RecordList list;
    test::addLogRecords(list, 1, 3);
    ui::RecordTableWindow window{shell::RecordTable(&list)};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), "Database");
    EXPECT_FALSE(window.isModal());
    QAbstractItemModel *model = window.grid()->model();
    ASSERT_EQ(model->columnCount(), 17);
    ASSERT_EQ(model->rowCount(), 3);
    QStringList header, cells;
    for (int c = 0; c < model->columnCount(); ++c) {
        header << model->headerData(c, Qt::Horizontal).toString();
        cells << model->index(2, c).data().toString();
    }
    EXPECT_EQ(header.join(QLatin1Char('|')),
              "|H2O2|H2O2 SP|H2O2 PMP|H2O2 HA|H2O2 LA|pH|pH SP|ACID PMP|pH HA|pH LA|Flow|"
              "Flow LA|Flow DS|cl val|nul val|Rea valve");
    EXPECT_EQ(cells.join(QLatin1Char('|')),
              "2009-03-07 14:05:00|612|600|40|850|400|7.25|7.2|25|7.6|6.8|18|5|3|700|100|-2");
    EXPECT_GT(window.grid()->columnWidth(0),
              window.grid()->fontMetrics().horizontalAdvance(cells.front()));
    QTest::keyClick(window.grid(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

} // namespace aql
