// The log archive as the console keeps it (the archive's own rules are tested with the archive),
// and the log window's logic across a configuration save, which replaces every pool.

#include "records/Exports.h"
#include "records/LogArchive.h"
#include "shell/LogController.h"
#include "support/DownloadedRecords.h"
#include "support/MemoryArchiveStorage.h"
#include "support/ShellRig.h"
#include "unit/link/LinkRig.h"
#include "unit/shell/LogRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace aql;
using namespace aql::test;

namespace {

struct ArchiveRig : ShellRig {
    MemoryArchiveStorage storage;

    ArchiveRig() : ShellRig(kTwoSystemSite, Texts::Numbered) { archives = &storage; }
    // The program lets its archive go when it ends, so it must end before the storage does.
    ~ArchiveRig() { main.reset(); }
    shell::MainController &start() {
        open();
        EXPECT_TRUE(started);
        return *main;
    }
    std::filesystem::path archive(const std::string &pool) const {
        return dir / "Data" / pool / records::LogArchive::kFileName;
    }
    std::filesystem::path lock(const std::string &pool) const {
        return dir / "Data" / pool / records::LogArchive::kLockFileName;
    }
    bool locked(const std::string &pool) const { return storage.locked(lock(pool)); }
    // Records on the disk (the header line not counted); none without a file.
    std::size_t archivedLines(const std::string &pool) const {
        const std::optional<std::string> bytes = storage.content(archive(pool));
        return !bytes || bytes->empty()
                   ? 0
                   : static_cast<std::size_t>(std::count(bytes->begin(), bytes->end(), '\n')) - 1;
    }
    void goOnline() {
        main->console().chooseOnline();
        ASSERT_TRUE(main->console().connected());
    }
    // A log packet from the controller, addressed as every frame is (the first pool's address).
    void receive(std::int32_t number, std::int64_t startMinute = 0) {
        socket.deliver(
            addressedLine(main->console().controllerAddress(),
                          controllerRecordText(number, minutesIn2024(startMinute + number * 15))) +
            "\r");
    }
    void flush() { timers.advance(shell::ArchiveKeeper::kFlushMs); }
};

} // namespace

// The archive follows the selection; a download goes into the archive of the system it came from a
// short while after it arrives, Offline writes what is pending, a reload and exit let go.
TEST(PoolArchive, aDownloadGoesIntoTheArchiveOfTheSelectedSystemWhichIsLetGoOnReloadAndExit) {
    ArchiveRig rig;
    auto &main = rig.start();
    EXPECT_TRUE(rig.locked("Main pool"));
    main.choosePool(1);
    EXPECT_FALSE(rig.locked("Main pool"));
    EXPECT_TRUE(rig.locked("Kids pool"));

    rig.goOnline();
    for (std::int32_t n = 1; n <= 5; ++n) {
        rig.receive(n);
    }
    rig.receive(3);              // the same record again
    rig.receive(2, 60 * 24 * 9); // a restarted numbering: number 2, nine days on
    EXPECT_EQ(main.currentPool()->records().count(), 5u);
    rig.flush();
    EXPECT_EQ(rig.archivedLines("Kids pool"), 6u) << "the pool refused one the archive keeps";
    EXPECT_EQ(rig.archivedLines("Main pool"), 0u);
    rig.receive(6);
    main.console().chooseOffline();
    EXPECT_EQ(rig.archivedLines("Kids pool"), 7u) << "Offline writes what is pending";

    main.markSaved(); // no question before the reload
    main.configuration().addSystem();
    ASSERT_EQ(main.view().poolNames.size(), 3u);
    rig.goOnline(); // the reload selects the first system again, and its archive
    rig.receive(2);
    main.closeAll();
    EXPECT_EQ(rig.archivedLines("Main pool"), 1u) << "exit writes what is pending";
    EXPECT_FALSE(rig.locked("Kids pool"));
    EXPECT_FALSE(rig.locked("Main pool"));
    EXPECT_TRUE(rig.box.shown.empty());
}

TEST(PoolArchive, aFailedWriteIsToldOnceAndTheRecordsGoInWithTheNextBatchThatSucceeds) {
    ArchiveRig rig;
    auto &main = rig.start();
    rig.storage.failFlushes(rig.archive("Main pool"), 2);
    rig.goOnline();
    for (std::int32_t n = 1; n <= 3; ++n) { // the second flush fails again, quietly
        rig.receive(n);
        rig.flush();
    }
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text.substr(0, 6), "E242\r\n");
    EXPECT_EQ(rig.archivedLines("Main pool"), 3u);
    EXPECT_EQ(main.currentPool()->records().count(), 3u);

    rig.storage.failFlushes(rig.archive("Main pool"), 1); // working again, a new failure is told
    rig.receive(4);
    rig.flush();
    EXPECT_EQ(rig.box.shown.size(), 2u);
}

// Held by another console: read without the lock, told at start; a download still arrives and the
// other console's archive is left alone.
TEST(OpenArchive, loadsByTheInsertionRuleAndSaysHowManyWereNotLoadedForTheirNumber) {
    ArchiveRig rig;
    records::RecordList archived;
    for (std::int32_t n = 1; n <= 5; ++n) {
        archived.insert(loggedRecord(n));
    }
    rig.storage.put(rig.archive("Main pool"), records::recordListCsv(archived));
    rig.storage.holdElsewhere(rig.lock("Main pool"), "piet on PC-2, process 812");
    auto &main = rig.start();
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text, "E240\r\npiet on PC-2, process 812");
    rig.box.shown.clear();
    records::RecordList &held = main.currentPool()->records();
    held.insert(loggedRecord(1));                       // the very record
    held.insert(downloadedRecord(3, minutesIn2024(9))); // another record under number 3

    main.openArchive();
    EXPECT_EQ(held.count(), 5u);
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text, "E243 3\r\nE244 1\r\nE245 1");
    EXPECT_TRUE(main.unsavedRecords()) << "the download under number 3 is in no file";
    rig.goOnline();
    rig.receive(6);
    rig.flush();
    EXPECT_TRUE(held.contains("K6"));
    EXPECT_EQ(rig.storage.content(rig.archive("Main pool")), records::recordListCsv(archived));
    EXPECT_EQ(rig.box.shown.size(), 1u);
}

TEST(OpenArchive, anArchiveThatCannotBeReadIsToldAndNothingIsLoaded) {
    ArchiveRig rig;
    rig.storage.put(rig.archive("Main pool"), "not a log export\r\n");
    auto &main = rig.start(); // refused at the opening: told
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text.substr(0, 6), "E241\r\n");
    main.openArchive();
    ASSERT_EQ(rig.box.shown.size(), 2u);
    EXPECT_EQ(rig.box.shown[1].text.substr(0, 6), "E246\r\n");
    EXPECT_EQ(main.currentPool()->records().count(), 0u);
}

TEST(LogWindowPool, aConfigurationSaveNeverLeavesTheLogWindowAPoolThatIsGone) {
    ArchiveRig rig;
    auto &main = rig.start();
    addLogRecords(main.currentPool()->records(), 1, 3);
    main.markSaved();

    RecordingFileOpener opener;
    FakeTopmostWindow window;
    shell::LogController log(
        shell::LogServices{rig.timers, rig.clock, rig.dialog, rig.box, rig.files, opener},
        [&main](int n) { return main.getText(n); }, rig.dir.path());
    log.setPoolProvider([&main]() -> const config::Pool * { return main.currentPool(); });
    log.open(window);
    EXPECT_EQ(log.view().recordCount, "3");

    // Whatever the log window's logic is asked while the pools are replaced (the reload lets
    // timers tick), it reads no pool that is gone: a sanitizer build sees any such read.
    rig.clock.time.second = 16;
    std::vector<std::size_t> countsDuringReload;
    rig.pump.duringProcessEvents = [&] {
        log.refresh();
        log.saveRealtimeCsv();
        countsDuringReload.push_back(log.recordCount());
    };
    main.console().chooseRealtime(true);
    main.configuration().selectEntry(0);
    main.configuration().editName("Main basin");
    main.configuration().saveSystem();
    rig.pump.duringProcessEvents = nullptr;

    ASSERT_NE(main.pools().find("Main basin"), nullptr) << "the pools were read again";
    EXPECT_FALSE(countsDuringReload.empty());
    log.refresh();
    EXPECT_EQ(log.view().recordCount, "0");
    EXPECT_TRUE(rig.box.shown.empty());
}
