#include "config/Pool.h"
#include "records/Exports.h"
#include "shell/AboutController.h"
#include "shell/LogController.h"
#include "shell/RecordTable.h"
#include "support/LinkFakes.h"
#include "support/MemoryFileSaver.h"
#include "support/WindowFakes.h"
#include "ui/logwindows/AboutDialog.h"
#include "ui/logwindows/LogWindow.h"
#include "ui/logwindows/RecordTableModel.h"
#include "ui/logwindows/RecordTableWindow.h"
#include "unit/shell/LogRecords.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace aql {
namespace {

QString latin1(const std::string &s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

QString accessibleName(QWidget *widget) {
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

struct LogWindowRig {
    test::ManualTimerFactory timers;
    test::FixedClock clock;
    test::ScriptedFileDialog dialog;
    test::RecordingMessageBox box;
    test::MemoryFileSaver files;
    test::RecordingFileOpener opener;
    std::string language = "English";
    config::Pool pool;
    shell::LogController log{shell::LogServices{timers, clock, dialog, box, files, opener},
                             [this](int n) {
                                 switch (n) {
                                 case 19: return language + " &Save";
                                 case 106: return language + " &Excel";
                                 case 107: return language + " &XML";
                                 case 108: return language + " &Quit";
                                 default: return language + " " + std::to_string(n);
                                 }
                             },
                             "/aql"};
    ui::LogWindow window{log};

    LogWindowRig() {
        files.addFolder("/aql");
        files.addFolder("/aql/Data");
        pool.init("Zwembad Oost", "Pool 1", 1, "127.0.0.1", "4001", 1);
        test::addLogRecords(pool.records(), 1, 12);
        log.setPool(&pool);
    }
};

TEST(LogWindowWidget, showsItsTitleThenAqlDashWithTheCountOnTopAndModal) {
    LogWindowRig rig;
    rig.window.show();
    EXPECT_TRUE(rig.window.isModal());
    EXPECT_TRUE(rig.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(rig.window.windowTitle(), "English 109");
    EXPECT_EQ(rig.window.recordCountLabel()->text(), "12");

    test::addLogRecords(rig.pool.records(), 20, 3);
    rig.timers.advance(500);
    EXPECT_EQ(rig.window.windowTitle(), "AQL - ");
    EXPECT_EQ(rig.window.recordCountLabel()->text(), "15");
    EXPECT_EQ(accessibleName(rig.window.recordCountLabel()), "English 105 15");
}

TEST(LogWindowWidget, buttonsCarryTheirCaptionsAccessKeysAndTips) {
    LogWindowRig rig;
    rig.window.show();
    EXPECT_EQ(rig.window.saveCsvButton()->text(), "English &Save");
    EXPECT_EQ(rig.window.excelButton()->text(), "English &Excel");
    EXPECT_EQ(rig.window.xmlButton()->text(), "English &XML");
    EXPECT_EQ(rig.window.quitButton()->text(), "English &Quit");
    EXPECT_EQ(accessibleName(rig.window.saveCsvButton()), "English Save");
    EXPECT_EQ(accessibleName(rig.window.quitButton()), "English Quit");
    EXPECT_EQ(rig.window.excelButton()->toolTip(), "Export to MS Excel");
    EXPECT_EQ(rig.window.xmlButton()->toolTip(), "Save log in XML format");

    rig.language = "Nederlands";
    rig.log.retranslate();
    EXPECT_EQ(rig.window.saveCsvButton()->text(), "Nederlands &Save");
    EXPECT_EQ(rig.window.windowTitle(), "Nederlands 109");
}

TEST(LogWindowWidget, saveWritesTheCsvThroughTheDialogAndClosesTheWindow) {
    LogWindowRig rig;
    rig.window.show();
    rig.dialog.answer("/aql/Data/log.csv");
    QTest::mouseClick(rig.window.saveCsvButton(), Qt::LeftButton);
    EXPECT_EQ(rig.files.content("/aql/Data/log.csv"),
              std::optional<std::string>(records::recordListCsv(rig.pool.records())));
    EXPECT_FALSE(rig.window.isVisible());
}

TEST(LogWindowWidget, xmlWritesTheDocumentThroughTheDialogAndTheWindowStays) {
    LogWindowRig rig;
    rig.window.show();
    rig.dialog.answer("/aql/log.xml");
    rig.window.xmlButton()->click();
    const auto written = rig.files.content("/aql/log.xml");
    ASSERT_TRUE(written);
    EXPECT_NE(written->find("<pool name=\"Pool 1\">"), std::string::npos);
    EXPECT_TRUE(rig.window.isVisible());
}

TEST(LogWindowWidget, quitAndEscapeCloseTheWindowAndStopTheCount) {
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Quit");
        LogWindowRig rig;
        rig.window.show();
        if (escape) {
            QTest::keyClick(&rig.window, Qt::Key_Escape);
        } else {
            rig.window.quitButton()->click();
        }
        EXPECT_FALSE(rig.window.isVisible());
        EXPECT_FALSE(rig.log.view().open);
        // Shown again, it opens afresh with its first title.
        rig.timers.advance(500);
        rig.window.show();
        EXPECT_EQ(rig.window.windowTitle(), "English 109");
        rig.window.hide();
    }
}

TEST(LogWindowWidget, theTrendButtonShowsOnlyWithATrendWindowToOpenWhichOpensOnceItHasClosed) {
    LogWindowRig rig;
    rig.window.show();
    EXPECT_FALSE(rig.window.trendButton()->isVisible());
    int opened = 0;
    bool logStillShown = true;
    rig.log.setTrendOpener([&] {
        ++opened;
        logStillShown = rig.window.isVisible();
    });
    EXPECT_TRUE(rig.window.trendButton()->isVisible());
    EXPECT_EQ(rig.window.trendButton()->text(), "English 291");
    rig.window.trendButton()->click();
    EXPECT_EQ(opened, 1);
    // A window opened while the modal log window still ran could not be used.
    EXPECT_FALSE(logStillShown);
    EXPECT_FALSE(rig.window.isVisible());
    EXPECT_FALSE(rig.log.view().open);
}

TEST(LogWindowWidget, everyButtonAnswersItsOwnAccessKey) {
    LogWindowRig rig;
    rig.window.show();
    QApplication::setActiveWindow(&rig.window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.window));
    // Each key opens its own file dialog: the filters tell which button answered.
    for (const auto &[key, filter] :
         {std::pair{Qt::Key_E, "English 204|*.xlsx"}, std::pair{Qt::Key_X, "XML files|*.xml"},
          std::pair{Qt::Key_S, "CSV files|*.csv"}}) {
        rig.dialog.calls.clear();
        QTest::keyClick(&rig.window, key, Qt::AltModifier);
        // An access key presses its button the way a click does, a moment later.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !rig.dialog.calls.empty(); }, 2000));
        ASSERT_EQ(rig.dialog.calls.size(), 1u) << filter;
        EXPECT_EQ(rig.dialog.calls[0].filter, filter);
    }
    QTest::keyClick(&rig.window, Qt::Key_Q, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rig.window.isVisible(); }, 2000));
}

TEST(RecordTableWindowWidget, showsTheHeaderAndARecordsCells) {
    records::RecordList list;
    test::addLogRecords(list, 1, 3);
    ui::RecordTableWindow window{shell::RecordTable(&list)};
    window.show();
    EXPECT_EQ(window.windowTitle(), "Database");
    EXPECT_FALSE(window.isModal());

    QAbstractItemModel *model = window.grid()->model();
    ASSERT_EQ(model->columnCount(), 17);
    ASSERT_EQ(model->rowCount(), 3);
    QStringList header;
    for (int c = 0; c < model->columnCount(); ++c) {
        header << model->headerData(c, Qt::Horizontal).toString();
    }
    EXPECT_EQ(header.join(QLatin1Char('|')),
              "|H2O2|H2O2 SP|H2O2 PMP|H2O2 HA|H2O2 LA|pH|pH SP|ACID PMP|pH HA|pH LA|Flow|"
              "Flow LA|Flow DS|cl val|nul val|Rea valve");
    QStringList cells;
    for (int c = 0; c < model->columnCount(); ++c) {
        cells << model->index(2, c).data().toString();
    }
    EXPECT_EQ(cells.join(QLatin1Char('|')),
              "2009-03-07 14:05:00|612|600|40|850|400|7.25|7.2|25|7.6|6.8|18|5|3|700|100|-2");
    // The records as they stood: later ones appear when the table is opened again.
    test::addLogRecords(list, 10, 2);
    EXPECT_EQ(model->rowCount(), 3);
    window.setTable(shell::RecordTable(&list));
    EXPECT_EQ(model->rowCount(), 5);
}

TEST(RecordTableWindowWidget, theTimestampColumnIsWideEnoughAndTheGridFollowsTheWindow) {
    records::RecordList list;
    test::addLogRecords(list, 1, 1);
    ui::RecordTableWindow window{shell::RecordTable(&list)};
    window.resize(600, 300);
    window.show();
    QTableView *grid = window.grid();
    const int timestamp =
        grid->fontMetrics().horizontalAdvance(QStringLiteral("2009-03-07 14:05:00"));
    EXPECT_GT(grid->columnWidth(0), timestamp);
    EXPECT_GE(grid->columnWidth(0), 1700 * window.logicalDpiX() / 1440);

    const QSize before = grid->size();
    window.resize(900, 500);
    QApplication::processEvents();
    EXPECT_EQ(grid->width() - before.width(), 300);
    EXPECT_EQ(grid->height() - before.height(), 200);

    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST(AboutDialogWidget, showsItsTextsOnTopAndOkHidesIt) {
    shell::AboutController about([](int n) {
        return n == 11 ? std::string("&About AQL Remote Console...") : "text " + std::to_string(n);
    });
    ui::AboutDialog dialog(about);
    dialog.show();
    EXPECT_TRUE(dialog.isModal());
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog.windowTitle(), "About AQL Remote Console...");
    EXPECT_EQ(dialog.productLabel()->text(), "text 40");
    EXPECT_EQ(dialog.product()->text(), "AQL Remote Console");
    EXPECT_EQ(dialog.versionLabel()->text(), "text 178");
    EXPECT_EQ(dialog.version()->text(), "2.0.41");
    EXPECT_EQ(dialog.rights()->text(),
              latin1("Copyright \xA9 AQL Remote Console. All rights reserved."));
    EXPECT_EQ(dialog.copyrightWarning()->text(), "text 177");
    EXPECT_EQ(dialog.compatibility()->text(), "Only works with AQL version 2.10 and above");
    EXPECT_EQ(dialog.okButton()->text(), "text 27");
    EXPECT_EQ(accessibleName(dialog.okButton()), "text 27");

    QTest::keyClick(dialog.okButton(), Qt::Key_Space);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(about.view().visible);
    dialog.show();
    EXPECT_EQ(dialog.version()->text(), "2.0.41");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
} // namespace aql
