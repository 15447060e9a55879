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
#include <vector>

namespace aql {
namespace {

// A saver that fails while told to, and otherwise writes into memory.
class SwitchableSaver : public platform::FileSaver {
public:
    explicit SwitchableSaver(test::MemoryFileSaver &files) : m_files(files) {}
    platform::TargetKind kindOf(const std::filesystem::path &target) const override {
        return m_files.kindOf(target);
    }
    std::optional<std::string> whyNotWritable(const std::filesystem::path &target) const override {
        return m_files.whyNotWritable(target);
    }
    std::unique_ptr<platform::FileSink> open(const std::filesystem::path &target) override {
        if (failing) {
            throw platform::saveError(target, "no space left on device");
        }
        return m_files.open(target);
    }
    bool failing = false;

private:
    test::MemoryFileSaver &m_files;
};

struct LogRig {
    test::ManualTimerFactory timers;
    test::FixedClock clock;
    test::ScriptedFileDialog dialog;
    test::RecordingMessageBox box;
    test::MemoryFileSaver memory;
    SwitchableSaver files{memory};
    test::RecordingFileOpener opener;
    test::CountingTopmostWindow window;
    config::Pool pool;
    shell::LogController log{shell::LogServices{timers, clock, dialog, box, files, opener},
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
    EXPECT_EQ(rig.window.calls, 1);
    EXPECT_TRUE(rig.view().open);
    EXPECT_EQ(rig.view().title + " " + rig.view().recordCount, "T109 3");
    rig.timers.advance(499);
    EXPECT_EQ(rig.view().title, "T109");
    rig.timers.advance(1);
    EXPECT_EQ(rig.view().title, "AQL - ");

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

TEST(LogWindowLogic, saveCsvWritesTheExportNamesTheFileInTheProgramsCharactersAndCloses) {
    LogRig rig;
    rig.log.open(rig.window);
    const std::string file = "/aql/Data/log-\xC3\xA9\xE2\x82\xAC.csv"; // é and € in UTF-8
    rig.dialog.answer(file);
    rig.log.saveCsv();

    ASSERT_EQ(rig.dialog.calls.size(), 1u);
    EXPECT_TRUE(rig.dialog.calls[0].save);
    EXPECT_EQ(rig.dialog.calls[0].initialFolder, "/aql/Data");
    EXPECT_EQ(rig.dialog.calls[0].filter, "CSV files|*.csv");
    const auto written = rig.memory.content(file);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, records::recordListCsv(rig.pool.records()));
    EXPECT_EQ(rig.boxes(), std::vector<std::string>{"T55 /aql/Data/log-\xE9?.csv"});
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kOkOnly);
    EXPECT_FALSE(rig.view().open);
    EXPECT_EQ(rig.savedNotices, 1);
}

TEST(LogWindowLogic, saveXmlWritesTheDocumentOfTheSystemTheRecordsCameFromAndStaysOpen) {
    LogRig rig;
    rig.log.setSourceProvider([] { return shell::LogSource{"Zwembad West", "Pool 3", 4}; });
    rig.log.open(rig.window);
    rig.dialog.answer("/aql/log.xml");
    rig.log.saveXml();

    ASSERT_EQ(rig.dialog.calls.size(), 1u);
    EXPECT_EQ(rig.dialog.calls[0].initialFolder, "/aql");
    EXPECT_EQ(rig.dialog.calls[0].filter, "XML files|*.xml");
    records::XmlDocumentInfo expected;
    expected.executableName = "AQLRemote";
    expected.generatedAt = "2026-12-06 14:05:09";
    expected.siteName = "Zwembad West";
    expected.poolName = "Pool 3";
    expected.numberOfPools = 4;
    const auto written = rig.memory.content("/aql/log.xml");
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, records::xmlDocument(expected, rig.pool.records()));
    EXPECT_EQ(rig.boxes(), std::vector<std::string>{"T56/aql/log.xml"});
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kOkOnly);
    EXPECT_TRUE(rig.view().open);
    EXPECT_EQ(rig.savedNotices, 1);

    LogRig unnamed; // without a source the XML names the pool itself
    unnamed.dialog.answer("/aql/log.xml");
    unnamed.log.saveXml();
    const std::string xml = unnamed.memory.content("/aql/log.xml").value_or("");
    EXPECT_NE(xml.find("<siteName>Zwembad Oost</siteName>"), std::string::npos);
    EXPECT_NE(xml.find("<pool name=\"Pool 1\">"), std::string::npos);
}

TEST(LogWindowLogic, saveWorkbookWritesItThroughTheSaverAndOpensItWhenAsked) {
    LogRig rig;
    rig.log.setSourceProvider([] { return shell::LogSource{"Zwembad West", "Pool 3", 4}; });
    rig.log.open(rig.window);
    rig.dialog.answer("/aql/Data/log.xlsx");
    rig.log.saveWorkbook();

    ASSERT_EQ(rig.dialog.calls.size(), 1u);
    EXPECT_EQ(rig.dialog.calls[0].initialFolder, "/aql/Data");
    EXPECT_EQ(rig.dialog.calls[0].filter, "T204|*.xlsx");
    records::WorkbookInfo expected;
    expected.executableName = "AQLRemote";
    expected.siteName = "Zwembad West";
    expected.poolName = "Pool 3";
    // The creation time inside comes from the program's clock: the same clock, the same bytes.
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 6;
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    t.tm_isdst = -1;
    expected.createdAt = std::mktime(&t);
    EXPECT_EQ(rig.memory.content("/aql/Data/log.xlsx"),
              records::workbookBytes(rig.pool.records(), expected));
    EXPECT_EQ(rig.boxes(), std::vector<std::string>{"T205 /aql/Data/log.xlsx\r\n\r\nT206"});
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kQuestionOkCancel);
    EXPECT_EQ(rig.opener.opened, std::vector<std::filesystem::path>{"/aql/Data/log.xlsx"});
    EXPECT_TRUE(rig.view().open);
    EXPECT_EQ(rig.savedNotices, 1);

    // Cancel opens nothing; a program that could not be started is said.
    const std::string question = rig.box.shown[0].text;
    for (const bool ok : {false, true}) {
        LogRig again;
        again.box.answer = ok ? platform::kResultOk : platform::kResultCancel;
        again.opener.starts = false;
        again.dialog.answer("/aql/Data/log.xlsx");
        again.log.saveWorkbook();
        EXPECT_TRUE(again.memory.content("/aql/Data/log.xlsx"));
        EXPECT_EQ(again.opener.opened.size(), ok ? 1u : 0u);
        EXPECT_EQ(again.boxes().back(), ok ? "T207 /aql/Data/log.xlsx" : question);
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
            EXPECT_EQ(rig.box.shown[0].style, platform::style::kCritical);
            EXPECT_EQ(rig.box.shown[0].title, "AQLRemote - V2.0 Error #: 75");
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
    rig.files.failing = true;
    for (const auto &[minute, second] : {std::pair{5, 16}, {5, 46}, {6, 16}}) {
        rig.at(minute, second);
        rig.log.saveRealtimeCsv();
    }
    EXPECT_EQ(rig.boxes(),
              std::vector<std::string>{
                  "T209\r\nCould not write /aql/Realtime.csv: no space left on device"});
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kCritical);

    rig.files.failing = false;
    rig.at(6, 46);
    rig.log.saveRealtimeCsv();
    EXPECT_TRUE(rig.memory.content("/aql/Realtime.csv"));
    rig.files.failing = true;
    rig.at(7, 16);
    rig.log.saveRealtimeCsv();
    EXPECT_EQ(rig.box.shown.size(), 2u);
    EXPECT_EQ(rig.savedNotices, 0);
}

} // namespace
} // namespace aql
