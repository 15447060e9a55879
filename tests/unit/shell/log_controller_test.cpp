#include "shell/LogController.h"

#include "LogRecords.h"
#include "config/Pool.h"
#include "records/Exports.h"
#include "records/Workbook.h"
#include "support/LinkFakes.h"
#include "support/MemoryFileSaver.h"
#include "support/WindowFakes.h"

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <limits>
#include <vector>

namespace aql {
namespace {

struct LogRig {
    test::ManualTimerFactory timers;
    test::FixedClock clock;
    test::ScriptedFileDialog dialog;
    test::RecordingMessageBox box;
    test::MemoryFileSaver memory;
    test::RecordingFileOpener opener;
    test::FakeTopmostWindow window;
    config::Pool pool;
    shell::LogController log{shell::LogServices{timers, clock, dialog, box, memory, opener},
                             test::numberedText, "/aql"};
    int savedNotices = 0;
    Subscription savedSubscription = log.subscribeSaved([this] { ++savedNotices; });

    LogRig() {
        memory.addFolder("/aql");
        memory.addFolder("/aql/Data");
        pool.init("Zwembad Oost", "Pool 1", 1, "127.0.0.1", "4001", 1);
        test::addLogRecords(pool.records(), 1, 3);
        log.setPool(&pool);
    }
    const shell::LogController::View &view() const { return log.view(); }
    std::vector<std::string> boxes() const {
        std::vector<std::string> texts;
        for (const auto &shown : box.shown) {
            texts.push_back(shown.text);
        }
        return texts;
    }
    void at(int minute, int second) {
        clock.time.minute = minute;
        clock.time.second = second;
    }
};

TEST(LogWindowLogic, opensOnTopThenShowsAqlDashAndTheCountOfItsPoolEveryHalfSecondUntilClosed) {
    LogRig rig;
    rig.log.open(rig.window);
    EXPECT_EQ(rig.view().recordCount, "3");
    test::addLogRecords(rig.pool.records(), 10, 2);
    EXPECT_EQ(rig.view().recordCount, "3");
    rig.timers.advance(500);
    EXPECT_EQ(rig.view().recordCount, "5");

    config::Pool other;
    other.init("Zwembad Oost", "Pool 2", 2, "127.0.0.1", "4002", 2);
    test::addLogRecords(other.records(), 1, 7);
    rig.log.setPool(&other);
    EXPECT_EQ(rig.view().recordCount, "7");
    rig.log.quit();
    EXPECT_FALSE(rig.view().open);
    test::addLogRecords(other.records(), 20, 2);
    rig.timers.advance(2000);
    EXPECT_EQ(rig.view().recordCount, "7"); // no longer counted
}

// Each save: the bytes it writes, what it says, and whether the window
// stays. The XML and the workbook name the system the records came from.
TEST(LogWindowLogic, eachSaveWritesItsDocumentThroughTheDialogAndSaysWhereTo) {
    using Save = void (shell::LogController::*)();
    const auto source = [] { return shell::LogSource{"Zwembad West", "Pool 3", 4}; };
    const LogRig reference; // the records every rig holds
    const records::RecordList &list = reference.pool.records();
    records::XmlDocumentInfo xml;
    xml.executableName = "AQLRemote";
    xml.generatedAt = "2026-12-06 14:05:09";
    xml.siteName = "Zwembad West";
    xml.poolName = "Pool 3";
    xml.numberOfPools = 4;
    records::WorkbookInfo book;
    book.executableName = "AQLRemote";
    book.siteName = "Zwembad West";
    book.poolName = "Pool 3";
    // The creation time inside comes from the program's clock: the same clock, the same bytes.
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 6;
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    t.tm_isdst = -1;
    book.createdAt = std::mktime(&t);
    const struct {
        Save save;
        std::string file, bytes, told;
        bool staysOpen;
    } rows[] = {
        {&shell::LogController::saveCsv, "/aql/Data/log-\xC3\xA9\xE2\x82\xAC.csv",
         records::recordListCsv(list),
         "T55 /aql/Data/log-\xE9?.csv", // é and € in UTF-8 told in the program's characters
         false},
        {&shell::LogController::saveXml, "/aql/log.xml", records::xmlDocument(xml, list),
         "T56/aql/log.xml", true},
        {&shell::LogController::saveWorkbook, "/aql/Data/log.xlsx",
         records::workbookBytes(list, book), "T205 /aql/Data/log.xlsx\r\n\r\nT206", true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.file);
        LogRig rig;
        rig.log.setSourceProvider(source);
        rig.log.open(rig.window);
        rig.dialog.answer(row.file);
        (rig.log.*row.save)();
        ASSERT_EQ(rig.dialog.calls.size(), 1u);
        EXPECT_TRUE(rig.dialog.calls[0]);
        EXPECT_EQ(rig.memory.content(row.file), row.bytes);
        EXPECT_EQ(rig.boxes(), std::vector<std::string>{row.told});
        EXPECT_EQ(rig.view().open, row.staysOpen);
        EXPECT_EQ(rig.savedNotices, 1);
    }

    LogRig unnamed; // without a source the XML names the pool itself
    unnamed.dialog.answer("/aql/log.xml");
    unnamed.log.saveXml();
    const std::string written = unnamed.memory.content("/aql/log.xml").value_or("");
    EXPECT_NE(written.find("<siteName>Zwembad Oost</siteName>"), std::string::npos);
    EXPECT_NE(written.find("<pool name=\"Pool 1\">"), std::string::npos);
}

// The saved workbook is opened when the operator agrees; a program that could not be started
// is said.
TEST(LogWindowLogic, aSavedWorkbookIsOpenedOnlyWhenAsked) {
    for (const bool ok : {false, true}) {
        for (const bool starts : {false, true}) {
            LogRig rig;
            rig.box.answer = ok ? platform::kResultOk : platform::kResultCancel;
            rig.opener.starts = starts;
            rig.dialog.answer("/aql/Data/log.xlsx");
            rig.log.saveWorkbook();
            EXPECT_TRUE(rig.memory.content("/aql/Data/log.xlsx"));
            EXPECT_EQ(rig.opener.opened,
                      ok ? std::vector<std::filesystem::path>{"/aql/Data/log.xlsx"}
                         : std::vector<std::filesystem::path>{});
            EXPECT_EQ(rig.box.shown.size(), ok && !starts ? 2u : 1u);
            EXPECT_EQ(rig.boxes().back(), ok && !starts ? "T207 /aql/Data/log.xlsx"
                                                        : "T205 /aql/Data/log.xlsx\r\n\r\nT206");
        }
    }
}

TEST(LogWindowLogic, aCancelledOrFailedSaveWritesNothingIsNeverCalledSavedAndSaysWhy) {
    const std::pair<std::function<void(shell::LogController &)>, const char *> saves[] = {
        {[](shell::LogController &l) { l.saveCsv(); }, "/aql/Data/log.csv"},
        {[](shell::LogController &l) { l.saveXml(); }, "/aql/log.xml"},
        {[](shell::LogController &l) { l.saveWorkbook(); }, "/aql/Data/log.xlsx"},
    };
    for (const auto &[save, target] : saves) {
        for (const bool cancelled : {true, false}) {
            SCOPED_TRACE(std::string(target) + (cancelled ? " cancelled" : " refused"));
            LogRig rig;
            rig.memory.refuse(target, "permission denied");
            rig.log.open(rig.window);
            if (!cancelled) {
                rig.dialog.answer(target);
            }
            save(rig.log);
            EXPECT_EQ(rig.dialog.calls.size(), 1u);
            EXPECT_EQ(rig.memory.commits(), 0);
            EXPECT_TRUE(rig.view().open);
            EXPECT_EQ(rig.savedNotices, 0);
            EXPECT_TRUE(rig.opener.opened.empty());
            if (cancelled) {
                EXPECT_TRUE(rig.box.shown.empty());
                continue;
            }
            ASSERT_EQ(rig.box.shown.size(), 1u);
            EXPECT_EQ(rig.box.shown[0].text,
                      std::string("T208\r\nCould not write ") + target + ": permission denied");
        }
    }
}

TEST(RealtimeCsv, isWrittenOnceInSecond16AndOnceIn46WhileRecordsAreHeld) {
    LogRig rig;
    const std::pair<int, int> ticks[] = {{5, 15}, {5, 16}, {5, 16}, {5, 16}, {5, 17},
                                         {5, 45}, {5, 46}, {5, 46}, {5, 47}, {6, 16}};
    const int commitsAfter[] = {0, 1, 1, 1, 1, 1, 2, 2, 2, 3};
    for (std::size_t i = 0; i < std::size(ticks); ++i) {
        rig.at(ticks[i].first, ticks[i].second);
        rig.log.saveRealtimeCsv();
        EXPECT_EQ(rig.memory.commits(), commitsAfter[i]) << "tick " << i;
    }
    EXPECT_EQ(rig.memory.content("/aql/Realtime.csv"), records::recordListCsv(rig.pool.records()));
    EXPECT_TRUE(rig.box.shown.empty());

    // Without records nothing is written; records that arrive later in the second are.
    rig.pool.records().clear();
    rig.at(6, 46);
    rig.log.saveRealtimeCsv();
    EXPECT_EQ(rig.memory.commits(), 3);
    test::addLogRecords(rig.pool.records(), 1, 1);
    rig.log.saveRealtimeCsv();
    EXPECT_EQ(rig.memory.commits(), 4);
}

TEST(RealtimeCsv, aFailureIsReportedOnceUntilAWriteSucceedsAgain) {
    LogRig rig;
    const std::filesystem::path file = "/aql/Realtime.csv";
    rig.memory.fillDiskAfter(file, 0);
    for (const auto &[minute, second] : {std::pair{5, 16}, {5, 46}, {6, 16}}) {
        rig.at(minute, second);
        rig.log.saveRealtimeCsv();
    }
    EXPECT_EQ(rig.boxes(),
              std::vector<std::string>{
                  "T209\r\nCould not write /aql/Realtime.csv: no space left on device"});
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kCritical);

    rig.memory.fillDiskAfter(file, std::numeric_limits<std::size_t>::max()); // room again
    rig.at(6, 46);
    rig.log.saveRealtimeCsv();
    EXPECT_TRUE(rig.memory.content(file));
    rig.memory.fillDiskAfter(file, 0);
    rig.at(7, 16);
    rig.log.saveRealtimeCsv();
    EXPECT_EQ(rig.box.shown.size(), 2u);
    EXPECT_EQ(rig.savedNotices, 0);
}

} // namespace
} // namespace aql
