#include "records/Exports.h"
#include "records/LogArchive.h"
#include "support/DownloadedRecords.h"
#include "support/ErrorOf.h"
#include "support/MemoryArchiveStorage.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

using namespace aql::records;
using aql::test::errorNumberOf;
using aql::test::errorOf;
using aql::test::linesOf;
using aql::test::loggedRecord;
using aql::test::MemoryArchiveStorage;

namespace {

namespace fs = std::filesystem;

const fs::path kFolder = "Data/P1/S1/Wedstrijdbad";
const fs::path kFile = kFolder / "archive.csv";
const fs::path kLock = kFolder / "archive.lock";
const std::string kHeader = exportCsvHeader() + "\r\n";

std::string lineOf(const LogRecord &r) {
    return r.toCSV() + "\r\n";
}

// Appends records first..last (and flushes); returns how many were new.
std::size_t download(LogArchive &archive, std::int32_t first, std::int32_t last,
                     std::int64_t startMinute = 0, bool flush = true) {
    std::size_t added = 0;
    for (std::int32_t n = first; n <= last; ++n) {
        added += archive.append(loggedRecord(n, startMinute)) ? 1 : 0;
    }
    if (flush) {
        archive.flush();
    }
    return added;
}

std::string loaded(const fs::path &folder, MemoryArchiveStorage &disk) {
    RecordList list;
    LogArchive::loadInto(disk, folder, list);
    return recordListCsv(list);
}

} // namespace

TEST(LogArchive, theSameLogDownloadedTwiceLeavesEachRecordOnceAndOnlyNewLinesAreWritten) {
    MemoryArchiveStorage disk;
    {
        LogArchive archive(disk);
        const ArchiveOpening opening = archive.open(kFolder);
        EXPECT_TRUE(opening.created);
        EXPECT_EQ(disk.content(kFile), kHeader);
        EXPECT_EQ(download(archive, 1, 40), 40u);
        // The same log again in the same session, and a longer one overlapping it.
        EXPECT_EQ(download(archive, 1, 40), 0u);
        EXPECT_EQ(download(archive, 30, 50), 10u);
        EXPECT_EQ(archive.recordCount(), 50u);
    }
    // And after the console was restarted: the index is rebuilt from the file, and appending
    // writes only the new lines, never a rewrite.
    LogArchive archive(disk);
    EXPECT_EQ(archive.open(kFolder).records, 50u);
    const std::uint64_t appended = disk.appendedBytes();
    EXPECT_EQ(download(archive, 1, 60), 10u);
    EXPECT_EQ(archive.pendingCount(), 0u);
    EXPECT_EQ(disk.content(kFile), kHeader + linesOf(1, 60));
    EXPECT_EQ(disk.appendedBytes() - appended, linesOf(51, 60).size());
    EXPECT_TRUE(disk.cuts().empty());
}

TEST(LogArchive, aRestartedNumberingIsKeptAndLoadingSaysWhatSharesANumber) {
    MemoryArchiveStorage disk;
    LogArchive archive(disk);
    archive.open(kFolder);
    download(archive, 1, 20);
    // The controller was replaced or reset: numbers 1..20 again, a month later.
    constexpr std::int64_t kMonthLater = 31 * 24 * 60;
    EXPECT_EQ(download(archive, 1, 20, kMonthLater), 20u);
    EXPECT_EQ(disk.content(kFile), kHeader + linesOf(1, 20) + linesOf(1, 20, kMonthLater));

    // Into a pool that holds the new numbering 5..25 already (a download just made): old 1..4
    // load; old 5..20 meet the new ones held; new 1..4 meet the old ones just loaded.
    RecordList held;
    for (std::int32_t n = 5; n <= 25; ++n) {
        held.insert(loggedRecord(n, kMonthLater));
    }
    const ArchiveLoad intoHeld = LogArchive::loadInto(disk, kFolder, held);
    EXPECT_EQ(std::make_tuple(intoHeld.loaded, intoHeld.sameNumberSkipped, intoHeld.alreadyHeld),
              std::make_tuple(4u, 20u, 16u));
    EXPECT_EQ(held.count(), 25u);
}

TEST(LogArchive, damageInsideTheArchiveIsReadAroundAndAFileThatIsNotOneIsNeverTouched) {
    // A damaged line in the middle (a hand edit, or a bad sector), and line ends placed around the
    // 1 MiB reading piece with damage far longer than any line: the CR of one just before the
    // boundary, the LF just after. A torn header is the start of an archive whose writer died;
    // anything else, or LF line ends that appending would mix with ours, is refused as it is.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    constexpr std::size_t kRefused = ~std::size_t{0};
    const std::string start = kHeader + linesOf(1, 5000);
    const std::string torn = kHeader.substr(0, 50);
    const std::size_t next = lineOf(loggedRecord(5001)).size();
    std::string lfOnly = kHeader + linesOf(1, 3);
    lfOnly.erase(std::remove(lfOnly.begin(), lfOnly.end(), '\r'), lfOnly.end());
    struct Row {
        std::string text;
        std::size_t records, damaged; // kRefused: neither opened nor read
        bool opens;
    };
    std::vector<Row> rows = {
        {kHeader + linesOf(1, 10) + "3,1,x,damaged\r\n" + linesOf(11, 20), 20, 1, true},
        {kHeader + linesOf(1, 5) + "3,6,6,added by hand\n3,7,7,too\n", 5, 0, false},
        {"Date;pH;Chlorine\r\n2024-01-01;7.2;0.5\r\n", kRefused, 0, false},
        {lfOnly, kRefused, 0, false},
        {torn + "x", kRefused, 0, false},
        {torn, 0, 0, true},
        {torn + std::string(4096, '\0'), 0, 0, true},
        {std::string(512, '\0'), 0, 0, true},
    };
    for (std::size_t crAt = kPiece - 3; crAt <= kPiece + 1; ++crAt) {
        const std::size_t filler = crAt - (start.size() + next - 2);
        rows.push_back({start + std::string(filler - 2, 'z') + "\r\n" + linesOf(5001, 5100) +
                            std::string(100 * 1024, 'q') + "\r\n" + linesOf(5101, 5200),
                        5200, 2, true});
        ASSERT_EQ(rows.back().text.find("\r\n", start.size() + filler), crAt);
    }
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.text.substr(0, 80)));
        MemoryArchiveStorage disk;
        disk.put(kFile, row.text);
        RecordList list;
        if (row.records == kRefused) {
            EXPECT_EQ(errorNumberOf([&] { LogArchive::loadInto(disk, kFolder, list); }), 75);
        } else {
            EXPECT_EQ(LogArchive::loadInto(disk, kFolder, list).loaded, row.records);
        }
        LogArchive archive(disk);
        if (!row.opens) {
            EXPECT_EQ(errorNumberOf([&] { archive.open(kFolder); }), 75);
            EXPECT_FALSE(archive.isOpen());
            EXPECT_FALSE(disk.locked(kLock));
            EXPECT_EQ(disk.content(kFile), row.text);
            continue;
        }
        const bool tornHeader = row.text.size() < kPiece && row.records == 0;
        const ArchiveOpening opening = archive.open(kFolder);
        EXPECT_EQ(opening.created, tornHeader);
        EXPECT_EQ(opening.records, row.records);
        EXPECT_EQ(opening.damagedLines, row.damaged);
        EXPECT_EQ(opening.cutBytes, tornHeader ? row.text.size() : 0u);
        EXPECT_EQ(disk.cuts().empty(), !tornHeader);
        download(archive, 6001, 6002);
        EXPECT_EQ(disk.content(kFile), (tornHeader ? kHeader : row.text) + linesOf(6001, 6002));
    }
}

TEST(LogArchive, aTornEndIsCutAtOpeningEveryEarlierRecordStaysAndNewLinesFollowTheLastGoodOne) {
    const std::string good = kHeader + linesOf(1, 30);
    const std::string batch = linesOf(31, 40);
    const std::size_t line31 = lineOf(loggedRecord(31)).size();
    // Each damages the archive of records 1..30 (all flushed) with an append of records 31..40
    // that did not finish; returns the bytes of the damage that must be cut.
    using Damage = std::function<std::uint64_t(MemoryArchiveStorage &, LogArchive &)>;
    auto dieAfter = [&](std::size_t bytes) -> Damage {
        return [&, bytes](MemoryArchiveStorage &disk, LogArchive &archive) {
            disk.dieAt(kFile, good.size() + bytes);
            download(archive, 31, 40, 0, false);
            EXPECT_EQ(errorNumberOf([&] { archive.flush(); }), 75);
            // Whole lines that landed before the writer died are records like any other.
            return bytes < line31 ? bytes : bytes - (batch.rfind("\r\n", bytes - 2) + 2);
        };
    };
    const std::pair<const char *, Damage> ends[] = {
        {"half a line", dieAfter(line31 / 2)},
        {"a line with CR but no LF", dieAfter(line31 - 1)},
        {"two lines and a half", dieAfter(2 * line31 + 40)},
        {"a zero-filled tail of 4 KiB (power cut after the size grew)",
         [&](MemoryArchiveStorage &disk, LogArchive &archive) {
             download(archive, 31, 40, 0, false);
             disk.processEnds();
             disk.bytes(kFile) += std::string(4096, '\0');
             return std::uint64_t{4096};
         }},
        {"zeros over the start of a complete last line",
         [&](MemoryArchiveStorage &disk, LogArchive &) {
             disk.processEnds();
             std::string damaged = lineOf(loggedRecord(31));
             std::fill_n(damaged.begin(), 60, '\0');
             disk.bytes(kFile) += damaged;
             return std::uint64_t{damaged.size()};
         }},
        {"an unflushed batch zero-filled by a power cut",
         [&](MemoryArchiveStorage &disk, LogArchive &archive) {
             // The write lands but never reaches the disk, and the console cannot cut it off.
             disk.failFlushes(kFile, 1);
             disk.failCuts(kFile, 1);
             download(archive, 31, 40, 0, false);
             EXPECT_EQ(errorNumberOf([&] { archive.flush(); }), 75);
             disk.processEnds();
             disk.powerCut(kFile);
             return std::uint64_t{batch.size()};
         }},
    };
    for (const auto &[name, damage] : ends) {
        SCOPED_TRACE(name);
        MemoryArchiveStorage disk;
        std::uint64_t cut = 0;
        {
            LogArchive crashed(disk);
            crashed.open(kFolder);
            download(crashed, 1, 30);
            cut = damage(disk, crashed);
            disk.processEnds(); // the console is gone, whatever it left behind
        }
        const std::string beforeOpening = *disk.content(kFile);
        ASSERT_GE(beforeOpening.size(), good.size() + cut);
        const std::string survivors = beforeOpening.substr(0, beforeOpening.size() - cut);
        ASSERT_EQ(survivors.substr(0, good.size()), good);

        // Reading it while it is still torn (another console's view) changes nothing.
        EXPECT_EQ(loaded(kFolder, disk), survivors);
        EXPECT_EQ(disk.content(kFile), beforeOpening);

        LogArchive archive(disk);
        const ArchiveOpening opening = archive.open(kFolder);
        EXPECT_EQ(opening.cutBytes, cut);
        EXPECT_EQ(opening.damagedLines, 0u);
        EXPECT_EQ(disk.cuts(), std::vector<std::uint64_t>{survivors.size()});
        // The whole batch again, as the next download brings it: what is there is skipped.
        download(archive, 31, 41);
        EXPECT_EQ(disk.content(kFile), good + linesOf(31, 41));
        RecordList list;
        EXPECT_EQ(archive.loadInto(list).loaded, 41u);
    }
}

TEST(LogArchive, aFailedFlushIsCutOffAndRetriedWithoutLosingOrDoublingARecord) {
    const std::size_t good = kHeader.size() + linesOf(1, 10).size();
    const std::pair<const char *, std::function<void(MemoryArchiveStorage &)>> failures[] = {
        {"torn write", [&](MemoryArchiveStorage &d) { d.tearAt(kFile, good + 100); }},
        {"flush to the disk fails after the whole write",
         [&](MemoryArchiveStorage &d) { d.failFlushes(kFile, 1); }},
        {"disk gone: write, cut and the next flush fail",
         [&](MemoryArchiveStorage &d) {
             d.tearAt(kFile, good + 100);
             d.failCuts(kFile, 2);
         }},
    };
    for (const auto &[name, arrange] : failures) {
        SCOPED_TRACE(name);
        MemoryArchiveStorage disk;
        LogArchive archive(disk);
        archive.open(kFolder);
        download(archive, 1, 10);
        arrange(disk);
        download(archive, 11, 20, 0, false);
        const auto error = errorOf([&] { archive.flush(); });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->number(), 75);
        EXPECT_EQ(archive.pendingCount(), 10u);
        // The pending records are already known: a repeat in the meantime is not taken twice.
        EXPECT_FALSE(archive.append(loggedRecord(15)));
        for (int attempts = 1; errorOf([&] { archive.flush(); }) && attempts < 5; ++attempts) {
        }
        EXPECT_EQ(archive.pendingCount(), 0u);
        EXPECT_EQ(disk.content(kFile), kHeader + linesOf(1, 20));
    }
}

TEST(LogArchive, aSecondConsoleCannotAppendAtOnceAndIsToldWhoHasIt) {
    MemoryArchiveStorage disk;
    LogArchive first(disk);
    first.open(kFolder);
    download(first, 1, 5);
    EXPECT_TRUE(disk.locked(kLock));

    LogArchive second(disk);
    const auto inUse = errorOf([&] { second.open(kFolder); });
    ASSERT_TRUE(inUse.has_value());
    EXPECT_NE(inUse->description().find("in use by console 1"), std::string::npos);
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(errorNumberOf([&] { second.append(loggedRecord(6)); }), 91);
    EXPECT_EQ(loaded(kFolder, disk), kHeader + linesOf(1, 5)); // reading is still possible

    // A lock file that does not say who holds it.
    MemoryArchiveStorage elsewhere;
    elsewhere.holdElsewhere(kLock, "");
    EXPECT_EQ(errorNumberOf([&] { LogArchive(elsewhere).open(kFolder); }), 75);
    EXPECT_FALSE(elsewhere.content(kFile).has_value());

    // Once the first has closed, another takes over.
    first.close();
    EXPECT_FALSE(disk.locked(kLock));
    second.open(kFolder);
    download(second, 6, 6);
    EXPECT_EQ(loaded(kFolder, disk), kHeader + linesOf(1, 6));
}

TEST(LogArchive, recordsAreTheSameOnlyWhenNumberAndMinuteBothMatch) {
    // Random numbers and times from small ranges, so that most appends repeat a number, a time
    // or both; a model set says which are new. Times include values no calendar has (written by
    // hand into a file), which the index keeps apart from the calendar ones.
    std::mt19937 rng(20240611);
    auto pick = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    std::set<std::tuple<int, int, int, int, int, int>> model;
    MemoryArchiveStorage disk;
    LogArchive archive(disk);
    archive.open(kFolder);
    const std::string line1 = loggedRecord(1).toCSV();
    const std::string values = line1.substr(line1.find(',', line1.find(':') + 1));
    for (int i = 0; i < 20000; ++i) {
        const bool odd = pick(0, 20) == 0;
        const auto key =
            std::make_tuple(pick(-3, 300), odd ? pick(6990, 7010) : pick(2023, 2024),
                            odd ? pick(0, 14) : pick(1, 2), odd ? pick(30, 33) : pick(1, 3),
                            odd ? pick(22, 25) : pick(0, 1), odd ? pick(58, 61) : pick(0, 59));
        const auto &[number, year, month, day, hour, minute] = key;
        const std::string line = "3,1," + std::to_string(number) + "," + std::to_string(year) +
                                 "-" + std::to_string(month) + "-" + std::to_string(day) + " " +
                                 std::to_string(hour) + ":" + std::to_string(minute) + ":" +
                                 std::to_string(pick(0, 59)) + values;
        LogRecord r;
        r.fromExportCsv(line, rtype::kLog);
        ASSERT_EQ(archive.append(r), model.insert(key).second) << line;
    }
    EXPECT_EQ(archive.recordCount(), model.size());
    archive.close();
    EXPECT_EQ(archive.open(kFolder).records, model.size());
}
