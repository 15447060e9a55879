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

using Window = shell::LogController::View;

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
    const Window &view() const { return log.view(); }
};

TEST(LogWindowLogic, opensOnTopWithItsTitleThenShowsAqlDashAndTheCountEveryHalfSecond) {
    LogRig rig;
    rig.log.open(rig.window);
    EXPECT_EQ(rig.window.calls, 1);
    EXPECT_TRUE(rig.view().open);
    EXPECT_EQ(rig.view().title, "T109");
    EXPECT_EQ(rig.view().recordCount, "3");

    rig.timers.advance(499);
    EXPECT_EQ(rig.view().title, "T109");
    rig.timers.advance(1);
    EXPECT_EQ(rig.view().title, "AQL - ");

    test::addLogRecords(rig.pool.records(), 10, 2);
    EXPECT_EQ(rig.view().recordCount, "3");
    rig.timers.advance(500);
    EXPECT_EQ(rig.view().recordCount, "5");
}

TEST(LogWindowLogic, countFollowsThePoolItIsGivenAndNoPoolCountsZero) {
    LogRig rig;
    config::Pool other;
    other.init("Zwembad Oost", "Pool 2", 2, "127.0.0.1", "4002", 2);
    test::addLogRecords(other.records(), 1, 7);
    rig.log.open(rig.window);
    rig.log.setPool(&other);
    EXPECT_EQ(rig.view().recordCount, "7");
    rig.log.setPool(nullptr);
    rig.timers.advance(500);
    EXPECT_EQ(rig.view().recordCount, "0");
}

TEST(LogWindowLogic, stopsCountingOnceClosed) {
    LogRig rig;
    rig.log.open(rig.window);
    rig.log.quit();
    EXPECT_FALSE(rig.view().open);
    test::addLogRecords(rig.pool.records(), 10, 2);
    rig.timers.advance(2000);
    EXPECT_EQ(rig.view().recordCount, "3");
    EXPECT_EQ(rig.view().title, "T109");
}

TEST(LogWindowLogic, saveCsvWritesTheExportNamesTheFileAndClosesTheWindow) {
    LogRig rig;
    rig.log.open(rig.window);
    rig.dialog.answer("/aql/Data/log.csv");
    rig.log.saveCsv();

    ASSERT_EQ(rig.dialog.calls.size(), 1u);
    EXPECT_TRUE(rig.dialog.calls[0].save);
    EXPECT_EQ(rig.dialog.calls[0].initialFolder, "/aql/Data");
    EXPECT_EQ(rig.dialog.calls[0].filter, "CSV files|*.csv");

    const auto written = rig.memory.content("/aql/Data/log.csv");
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, records::recordListCsv(rig.pool.records()));
    // Header and three lines, each ended by CR LF.
    EXPECT_EQ(written->rfind("\"Record Type\",", 0), 0u);
    EXPECT_NE(written->find("\r\n3,3,3,2009-03-07 14:05:00,21,850,400,600,612,612,7.6,6.8,"),
              std::string::npos);

    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text, "T55 /aql/Data/log.csv");
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kOkOnly);
    EXPECT_FALSE(rig.view().open);
    EXPECT_EQ(rig.savedNotices, 1);
}

TEST(LogWindowLogic, saveCsvOfAnEmptyPoolWritesAnEmptyFile) {
    LogRig rig;
    rig.pool.records().clear();
    rig.log.open(rig.window);
    rig.dialog.answer("/aql/Data/empty.csv");
    rig.log.saveCsv();
    EXPECT_EQ(rig.memory.content("/aql/Data/empty.csv"), std::optional<std::string>(""));
}

TEST(LogWindowLogic, aFileNameInUnicodeIsShownInTheProgramsOwnCharacters) {
    LogRig rig;
    rig.log.open(rig.window);
    rig.dialog.answer("/aql/Data/bad-\xC3\xA9\xE2\x82\xAC.csv"); // é and € in UTF-8
    rig.log.saveCsv();
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text, "T55 /aql/Data/bad-\xE9?.csv");
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
    EXPECT_NE(written->find("  <siteName>Zwembad West</siteName>\r\n"), std::string::npos);
    EXPECT_NE(written->find("    <pool name=\"Pool 3\">\r\n"), std::string::npos);
    EXPECT_NE(written->find("  <numberOfPools>4</numberOfPools>\r\n"), std::string::npos);

    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text, "T56/aql/log.xml");
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kOkOnly);
    EXPECT_TRUE(rig.view().open);
    EXPECT_EQ(rig.savedNotices, 1);
}

TEST(LogWindowLogic, withoutASourceTheXmlNamesThePoolItself) {
    LogRig rig;
    rig.dialog.answer("/aql/log.xml");
    rig.log.saveXml();
    const auto written = rig.memory.content("/aql/log.xml");
    ASSERT_TRUE(written);
    EXPECT_NE(written->find("<siteName>Zwembad Oost</siteName>"), std::string::npos);
    EXPECT_NE(written->find("<pool name=\"Pool 1\">"), std::string::npos);
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

    const auto written = rig.memory.content("/aql/Data/log.xlsx");
    ASSERT_TRUE(written);
    EXPECT_EQ(written->rfind("PK\x03\x04", 0), 0u); // a zip container, as .xlsx files are
    records::WorkbookInfo expected;
    expected.executableName = "AQLRemote";
    expected.siteName = "Zwembad West";
    expected.poolName = "Pool 3";
    // The creation time stated inside comes from the program's clock, so the same clock gives
    // the same bytes.
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 6;
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    t.tm_isdst = -1;
    expected.createdAt = std::mktime(&t);
    EXPECT_EQ(*written, records::workbookBytes(rig.pool.records(), expected));

    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text, "T205 /aql/Data/log.xlsx\r\n\r\nT206");
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kQuestionOkCancel);
    ASSERT_EQ(rig.opener.opened.size(), 1u);
    EXPECT_EQ(rig.opener.opened[0], "/aql/Data/log.xlsx");
    EXPECT_TRUE(rig.view().open);
    EXPECT_EQ(rig.savedNotices, 1);
}

TEST(LogWindowLogic, aWorkbookIsOpenedOnlyOnOkAndAFailedOpenIsSaid) {
    struct Case {
        int answer;
        bool starts;
        std::size_t opened;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {platform::kResultCancel, true, 0, {"T205 /aql/Data/log.xlsx\r\n\r\nT206"}},
        {platform::kResultOk,
         false,
         1,
         {"T205 /aql/Data/log.xlsx\r\n\r\nT206", "T207 /aql/Data/log.xlsx"}},
    };
    for (const Case &c : cases) {
        LogRig rig;
        rig.box.answer = c.answer;
        rig.opener.starts = c.starts;
        rig.dialog.answer("/aql/Data/log.xlsx");
        rig.log.saveWorkbook();
        EXPECT_TRUE(rig.memory.content("/aql/Data/log.xlsx"));
        EXPECT_EQ(rig.opener.opened.size(), c.opened);
        std::vector<std::string> boxes;
        for (const auto &shown : rig.box.shown) {
            boxes.push_back(shown.text);
        }
        EXPECT_EQ(boxes, c.boxes);
    }
}

struct SaveAction {
    const char *name;
    std::function<void(shell::LogController &)> run;
    const char *target;
};

const SaveAction kSaves[] = {
    {"csv", [](shell::LogController &l) { l.saveCsv(); }, "/aql/Data/log.csv"},
    {"xml", [](shell::LogController &l) { l.saveXml(); }, "/aql/log.xml"},
    {"workbook", [](shell::LogController &l) { l.saveWorkbook(); }, "/aql/Data/log.xlsx"},
};

TEST(LogWindowLogic, cancellingTheFileDialogWritesNothingAndSaysNothing) {
    for (const SaveAction &save : kSaves) {
        SCOPED_TRACE(save.name);
        LogRig rig;
        rig.log.open(rig.window);
        save.run(rig.log);
        EXPECT_EQ(rig.dialog.calls.size(), 1u);
        EXPECT_EQ(rig.memory.commits(), 0);
        EXPECT_TRUE(rig.box.shown.empty());
        EXPECT_TRUE(rig.view().open);
        EXPECT_EQ(rig.savedNotices, 0);
    }
}

TEST(LogWindowLogic, aFailedSaveIsReportedWithItsReasonAndNeverCalledSaved) {
    for (const SaveAction &save : kSaves) {
        SCOPED_TRACE(save.name);
        LogRig rig;
        rig.memory.refuse(save.target, "permission denied");
        rig.log.open(rig.window);
        rig.dialog.answer(save.target);
        save.run(rig.log);

        EXPECT_FALSE(rig.memory.content(save.target));
        ASSERT_EQ(rig.box.shown.size(), 1u);
        EXPECT_EQ(rig.box.shown[0].text,
                  std::string("T208\r\nCould not write ") + save.target + ": permission denied");
        EXPECT_EQ(rig.box.shown[0].style, platform::style::kCritical);
        EXPECT_EQ(rig.box.shown[0].title, "AQLRemote - V2.0 Error #: 75");
        EXPECT_TRUE(rig.view().open);
        EXPECT_EQ(rig.savedNotices, 0);
        EXPECT_TRUE(rig.opener.opened.empty());
    }
}

TEST(LogWindowLogic, standInBoxesAndDialogsAnswerInsteadOfTheServicesUntilWithdrawn) {
    LogRig rig;
    test::RecordingMessageBox windowBox;
    test::ScriptedFileDialog windowDialog;
    windowDialog.answer("/aql/log.xml");
    rig.log.useDialogs(&windowBox, &windowDialog);
    rig.log.saveXml();
    EXPECT_EQ(windowDialog.calls.size(), 1u);
    EXPECT_EQ(windowBox.shown.size(), 1u);
    EXPECT_TRUE(rig.box.shown.empty());

    rig.log.useDialogs(nullptr, nullptr);
    rig.log.saveXml();
    EXPECT_EQ(rig.dialog.calls.size(), 1u);
}

// Real-time recording.

void at(LogRig &rig, int minute, int second) {
    rig.clock.time.minute = minute;
    rig.clock.time.second = second;
}

TEST(RealtimeCsv, isWrittenOnceInSecond16AndOnceIn46NotOnEveryTick) {
    LogRig rig;
    const std::pair<int, int> ticks[] = {{5, 15}, {5, 16}, {5, 16}, {5, 16}, {5, 17},
                                         {5, 45}, {5, 46}, {5, 46}, {5, 47}, {6, 16}};
    const int commitsAfter[] = {0, 1, 1, 1, 1, 1, 2, 2, 2, 3};
    for (std::size_t i = 0; i < std::size(ticks); ++i) {
        at(rig, ticks[i].first, ticks[i].second);
        rig.log.saveRealtimeCsv();
        EXPECT_EQ(rig.memory.commits(), commitsAfter[i]) << "tick " << i;
    }
    EXPECT_EQ(rig.memory.content("/aql/Realtime.csv"),
              std::optional<std::string>(records::recordListCsv(rig.pool.records())));
    EXPECT_TRUE(rig.box.shown.empty());
}

TEST(RealtimeCsv, isNotWrittenWithoutRecords) {
    LogRig rig;
    rig.pool.records().clear();
    at(rig, 5, 16);
    rig.log.saveRealtimeCsv();
    EXPECT_EQ(rig.memory.commits(), 0);
    // Records that arrive later in the same second are written then.
    test::addLogRecords(rig.pool.records(), 1, 1);
    rig.log.saveRealtimeCsv();
    EXPECT_EQ(rig.memory.commits(), 1);
}

TEST(RealtimeCsv, aFailureIsReportedOnceUntilAWriteSucceedsAgain) {
    LogRig rig;
    rig.files.failing = true;
    for (const auto &[minute, second] : {std::pair{5, 16}, {5, 46}, {6, 16}}) {
        at(rig, minute, second);
        rig.log.saveRealtimeCsv();
    }
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text,
              "T209\r\nCould not write /aql/Realtime.csv: no space left on device");
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kCritical);

    rig.files.failing = false;
    at(rig, 6, 46);
    rig.log.saveRealtimeCsv();
    EXPECT_TRUE(rig.memory.content("/aql/Realtime.csv"));
    rig.files.failing = true;
    at(rig, 7, 16);
    rig.log.saveRealtimeCsv();
    EXPECT_EQ(rig.box.shown.size(), 2u);
    EXPECT_EQ(rig.savedNotices, 0);
}

// The main window's clock asks ten times a second; the clock below moves with the timers.
class TimerClock : public platform::Clock {
public:
    explicit TimerClock(const test::ManualTimerFactory &timers) : m_timers(timers) {}
    platform::LocalTime now() const override {
        const std::int64_t seconds = 14 * 3600 + 5 * 60 + m_timers.now() / 1000;
        return {2026,
                12,
                6,
                static_cast<int>(seconds / 3600 % 24),
                static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60)};
    }

private:
    const test::ManualTimerFactory &m_timers;
};

TEST(RealtimeCsv, followsTheRealtimeSwitchOfTheMainWindowsClock) {
    test::FakePump pump;
    test::FakeSocket socket(pump);
    test::ManualTimerFactory timers;
    TimerClock clock(timers);
    test::RecordingMessageBox box;
    test::CountingBeep beep;
    test::ScriptedFileDialog dialog;
    test::MemoryFileSaver files;
    files.addFolder("/aql");
    test::RecordingFileOpener opener;
    config::Pool pool;
    pool.init("Zwembad Oost", "Pool 1", 1, "127.0.0.1", "4001", 1);
    test::addLogRecords(pool.records(), 1, 3);

    link::Console console(link::PlatformServices{socket, timers, pump, box, beep, clock},
                          test::numberedText);
    shell::LogController log(shell::LogServices{timers, clock, dialog, box, files, opener},
                             test::numberedText, "/aql");
    log.setPool(&pool);
    link::ConnectionModes::Hooks hooks;
    hooks.saveRealtimeCsv = [&log] { log.saveRealtimeCsv(); };
    console.setModeHooks(hooks);
    console.setCurrentPool(&pool.records(), 1);
    console.startOffline();

    // 14:05:00 to 14:05:59 with real-time recording off: nothing.
    timers.advance(59'999);
    EXPECT_EQ(files.commits(), 0);
    // On for the next minute: once in second 16 and once in 46.
    console.chooseRealtime(true);
    timers.advance(60'000);
    EXPECT_EQ(files.commits(), 2);
    // Off again.
    console.chooseRealtime(false);
    timers.advance(60'000);
    EXPECT_EQ(files.commits(), 2);
    // On, but the records are gone.
    console.chooseRealtime(true);
    pool.records().clear();
    timers.advance(60'000);
    EXPECT_EQ(files.commits(), 2);
}

} // namespace
} // namespace aql
