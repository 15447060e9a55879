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
using aql::test::downloadedRecord;
using aql::test::errorNumberOf;
using aql::test::errorOf;
using aql::test::loggedRecord;
using aql::test::MemoryArchiveStorage;

namespace {

namespace fs = std::filesystem;

const fs::path kFolder = "Data/P1/S1/Wedstrijdbad";
const fs::path kFile = kFolder / "archive.csv";
const fs::path kLock = kFolder / "archive.lock";

std::string header() {
    return exportCsvHeader() + "\r\n";
}

std::string lineOf(const LogRecord &r) {
    return r.toCSV() + "\r\n";
}

// The archive text of records first..last of the 15-minute log.
std::string linesOf(std::int32_t first, std::int32_t last, std::int64_t startMinute = 0) {
    std::string out;
    for (std::int32_t n = first; n <= last; ++n) {
        out += lineOf(loggedRecord(n, startMinute));
    }
    return out;
}

RecordList logOf(std::int32_t first, std::int32_t last, std::int64_t startMinute = 0) {
    RecordList list;
    for (std::int32_t n = first; n <= last; ++n) {
        list.insert(loggedRecord(n, startMinute));
    }
    return list;
}

std::vector<std::int32_t> numbersIn(const RecordList &list) {
    std::vector<std::int32_t> out;
    list.forEach([&](const LogRecord &r) { out.push_back(r.recordNumber); });
    return out;
}

// Appends and flushes records first..last; returns how many were new.
std::size_t download(LogArchive &archive, std::int32_t first, std::int32_t last,
                     std::int64_t startMinute = 0) {
    std::size_t added = 0;
    for (std::int32_t n = first; n <= last; ++n) {
        added += archive.append(loggedRecord(n, startMinute)) ? 1 : 0;
    }
    archive.flush();
    return added;
}

} // namespace

TEST(LogArchive, aNewArchiveIsTheExportHeaderAloneAndTheLockIsHeldUntilClose) {
    MemoryArchiveStorage disk;
    LogArchive archive(disk);
    const ArchiveOpening opening = archive.open(kFolder);
    EXPECT_TRUE(opening.created);
    EXPECT_EQ(opening.records, 0u);
    EXPECT_EQ(archive.path(), kFile);
    EXPECT_EQ(disk.content(kFile), header());
    EXPECT_TRUE(disk.locked(kLock));
    archive.close();
    EXPECT_FALSE(disk.locked(kLock));
    EXPECT_FALSE(archive.isOpen());
    EXPECT_EQ(errorNumberOf([&] { archive.append(loggedRecord(1)); }), 91);
}

TEST(LogArchive, theSameLogDownloadedTwiceLeavesEachRecordOnce) {
    MemoryArchiveStorage disk;
    {
        LogArchive archive(disk);
        archive.open(kFolder);
        EXPECT_EQ(download(archive, 1, 40), 40u);
        // The same log again in the same session, and a longer one overlapping it.
        EXPECT_EQ(download(archive, 1, 40), 0u);
        EXPECT_EQ(download(archive, 30, 50), 10u);
        EXPECT_EQ(archive.recordCount(), 50u);
    }
    // And after the console was restarted: the index is rebuilt from the file.
    LogArchive archive(disk);
    EXPECT_EQ(archive.open(kFolder).records, 50u);
    EXPECT_EQ(download(archive, 1, 50), 0u);
    EXPECT_EQ(archive.pendingCount(), 0u);
    EXPECT_EQ(disk.content(kFile), header() + linesOf(1, 50));
}

TEST(LogArchive, aRestartedNumberingIsKeptAndLoadingSaysWhatSharesANumber) {
    MemoryArchiveStorage disk;
    LogArchive archive(disk);
    archive.open(kFolder);
    download(archive, 1, 20);
    // The controller was replaced or reset: numbers 1..20 again, a month later.
    constexpr std::int64_t kMonthLater = 31 * 24 * 60;
    EXPECT_EQ(download(archive, 1, 20, kMonthLater), 20u);
    EXPECT_EQ(disk.content(kFile), header() + linesOf(1, 20) + linesOf(1, 20, kMonthLater));

    // Into an empty pool: the first arrival of each number stands, the rest are counted.
    RecordList empty;
    const ArchiveLoad intoEmpty = archive.loadInto(empty);
    EXPECT_EQ(intoEmpty.loaded, 20u);
    EXPECT_EQ(intoEmpty.sameNumberSkipped, 20u);
    EXPECT_EQ(intoEmpty.alreadyHeld, 0u);
    EXPECT_EQ(recordListCsv(empty), header() + linesOf(1, 20));

    // Into a pool that holds the new numbering 5..25 already (a download just made).
    RecordList held = logOf(5, 25, kMonthLater);
    const ArchiveLoad intoHeld = LogArchive::loadInto(disk, kFolder, held);
    EXPECT_EQ(intoHeld.loaded, 4u); // old 1..4
    // Old 5..20 meet the new ones held; new 1..4 meet the old ones just loaded.
    EXPECT_EQ(intoHeld.sameNumberSkipped, 20u);
    EXPECT_EQ(intoHeld.alreadyHeld, 16u); // new 5..20
    EXPECT_EQ(held.count(), 25u);
}

TEST(LogArchive, exportThenArchiveThenExportIsByteIdentical) {
    // A downloaded log, out of order and with a repeat, as the pool holds it.
    RecordList pool;
    for (std::int32_t n : {7, 3, 9, 1, 3, 12, 2, 8, 5, 4, 6, 10, 11}) {
        pool.insert(loggedRecord(n));
    }
    const std::string exported = recordListCsv(pool);

    MemoryArchiveStorage disk;
    LogArchive archive(disk);
    archive.open(kFolder);
    EXPECT_EQ(archive.appendAll(pool), 12u);
    archive.flush();
    EXPECT_EQ(disk.content(kFile), exported);

    RecordList readBack;
    const ArchiveLoad load = archive.loadInto(readBack);
    EXPECT_EQ(load.loaded, 12u);
    EXPECT_EQ(recordListCsv(readBack), exported);

    // The export's own lines, read back the way a CSV file is, go into the archive unchanged.
    MemoryArchiveStorage other;
    LogArchive second(other);
    second.open(kFolder);
    std::size_t at = exported.find("\r\n") + 2;
    while (at < exported.size()) {
        const std::size_t end = exported.find("\r\n", at);
        LogRecord r;
        r.fromExportCsv(std::string_view(exported).substr(at, end - at), rtype::kLog);
        second.append(r);
        at = end + 2;
    }
    second.flush();
    EXPECT_EQ(other.content(kFile), exported);
}

TEST(LogArchive, openingAGoodArchiveNeverCutsOrRewritesAnything) {
    MemoryArchiveStorage disk;
    // A damaged line in the middle (a hand edit, or a bad sector) stays where it is.
    const std::string text = header() + linesOf(1, 10) + "3,1,x,damaged\r\n" + linesOf(11, 20);
    disk.put(kFile, text);
    LogArchive archive(disk);
    const ArchiveOpening opening = archive.open(kFolder);
    EXPECT_FALSE(opening.created);
    EXPECT_EQ(opening.records, 20u);
    EXPECT_EQ(opening.damagedLines, 1u);
    EXPECT_EQ(opening.cutBytes, 0u);
    EXPECT_TRUE(disk.cuts().empty());
    EXPECT_EQ(disk.appendedBytes(), 0u);
    EXPECT_EQ(disk.content(kFile), text);

    download(archive, 21, 22);
    EXPECT_EQ(disk.content(kFile), text + linesOf(21, 22));
    RecordList list;
    EXPECT_EQ(archive.loadInto(list).damagedLines, 1u);
    EXPECT_EQ(list.count(), 22u);
}

TEST(LogArchive, linesAcrossTheReadingPiecesAndOverlongDamageReadLikeAnyOther) {
    // The archive is read in pieces of 1 MiB: line ends placed around that boundary (the CR of
    // one just before it, the LF just after), and damage far longer than any line.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    const std::string start = header() + linesOf(1, 5000);
    ASSERT_LT(start.size(), kPiece - 1000);
    const std::size_t next = lineOf(loggedRecord(5001)).size();
    for (int delta = -2; delta <= 2; ++delta) {
        SCOPED_TRACE(delta);
        // A damaged line sized so that record 5001's CR lands at kPiece - 1 + delta.
        const std::size_t crAt = kPiece - 3 + static_cast<std::size_t>(delta + 2);
        const std::size_t filler = crAt - (start.size() + next - 2);
        const std::string text = start + std::string(filler - 2, 'z') + "\r\n" +
                                 linesOf(5001, 5100) + std::string(100 * 1024, 'q') + "\r\n" +
                                 linesOf(5101, 5200);
        ASSERT_EQ(text.find("\r\n", start.size() + filler), crAt);
        MemoryArchiveStorage disk;
        disk.put(kFile, text);
        LogArchive archive(disk);
        const ArchiveOpening opening = archive.open(kFolder);
        EXPECT_EQ(opening.records, 5200u);
        EXPECT_EQ(opening.damagedLines, 2u);
        EXPECT_EQ(opening.cutBytes, 0u);
        RecordList list;
        EXPECT_EQ(archive.loadInto(list).loaded, 5200u);
        EXPECT_EQ(disk.content(kFile), text);
    }
}

struct TornEnd {
    const char *name;
    // Damages the archive of records 1..30 (all flushed) with an append of records 31..40 that
    // did not finish; returns the bytes of the damage that must be cut.
    std::function<std::uint64_t(MemoryArchiveStorage &, LogArchive &)> damage;
};

TEST(LogArchive, aTornEndIsCutAtOpeningEveryEarlierRecordStaysAndNewLinesFollowTheLastGoodOne) {
    const std::string good = header() + linesOf(1, 30);
    const std::string batch = linesOf(31, 40);
    const std::size_t line31 = lineOf(loggedRecord(31)).size();
    auto dieAfter = [&](std::size_t bytes) {
        return [&good, &batch, line31, bytes](MemoryArchiveStorage &disk, LogArchive &archive) {
            disk.dieAt(kFile, good.size() + bytes);
            for (std::int32_t n = 31; n <= 40; ++n) {
                archive.append(loggedRecord(n));
            }
            EXPECT_EQ(errorNumberOf([&] { archive.flush(); }), 75);
            // Whole lines that landed before the writer died are records like any other.
            if (bytes < line31) {
                return std::uint64_t{bytes};
            }
            return std::uint64_t{bytes - (batch.rfind("\r\n", bytes - 2) + 2)};
        };
    };
    const TornEnd ends[] = {
        {"half a line", dieAfter(line31 / 2)},
        {"a line without its CR LF", dieAfter(line31 - 2)},
        {"a line with CR but no LF", dieAfter(line31 - 1)},
        {"two lines and a half", dieAfter(2 * line31 + 40)},
        {"a zero-filled tail of 4 KiB (power cut after the size grew)",
         [&](MemoryArchiveStorage &disk, LogArchive &archive) {
             for (std::int32_t n = 31; n <= 40; ++n) {
                 archive.append(loggedRecord(n));
             }
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
             for (std::int32_t n = 31; n <= 40; ++n) {
                 archive.append(loggedRecord(n));
             }
             EXPECT_EQ(errorNumberOf([&] { archive.flush(); }), 75);
             disk.processEnds();
             disk.powerCut(kFile, MemoryArchiveStorage::Loss::Zeros);
             return std::uint64_t{batch.size()};
         }},
    };
    for (const TornEnd &end : ends) {
        SCOPED_TRACE(end.name);
        MemoryArchiveStorage disk;
        std::uint64_t damage = 0;
        std::string beforeOpening;
        {
            LogArchive crashed(disk);
            crashed.open(kFolder);
            download(crashed, 1, 30);
            damage = end.damage(disk, crashed);
            disk.processEnds(); // the console is gone, whatever it left behind
            beforeOpening = *disk.content(kFile);
        }
        ASSERT_GE(beforeOpening.size(), good.size() + damage);
        const std::string survivors = beforeOpening.substr(0, beforeOpening.size() - damage);
        ASSERT_EQ(survivors.substr(0, good.size()), good);

        // Reading it while it is still torn (another console's view) changes nothing.
        RecordList seen;
        LogArchive::loadInto(disk, kFolder, seen);
        EXPECT_EQ(disk.content(kFile), beforeOpening);
        EXPECT_EQ(recordListCsv(seen), survivors);

        LogArchive archive(disk);
        const ArchiveOpening opening = archive.open(kFolder);
        EXPECT_EQ(opening.cutBytes, damage);
        EXPECT_EQ(opening.damagedLines, 0u);
        EXPECT_EQ(disk.content(kFile), survivors);
        EXPECT_EQ(disk.cuts(), std::vector<std::uint64_t>{survivors.size()});

        // The whole batch again, as the next download brings it: what is there is skipped.
        download(archive, 31, 41);
        EXPECT_EQ(disk.content(kFile), good + linesOf(31, 41));
        RecordList list;
        const ArchiveLoad load = archive.loadInto(list);
        EXPECT_EQ(load.loaded, 41u);
        EXPECT_EQ(load.damagedLines, 0u);
        EXPECT_EQ(numbersIn(list).back(), 41);
    }
}

struct FailedWrite {
    const char *name;
    std::function<void(MemoryArchiveStorage &)> arrange;
};

TEST(LogArchive, aFailedFlushIsCutOffAndRetriedWithoutLosingOrDoublingARecord) {
    const std::size_t good = header().size() + linesOf(1, 10).size();
    const FailedWrite failures[] = {
        {"torn write", [&](MemoryArchiveStorage &d) { d.tearAt(kFile, good + 100); }},
        {"torn write that cannot be cut at once",
         [&](MemoryArchiveStorage &d) {
             d.tearAt(kFile, good + 100);
             d.failCuts(kFile, 1);
         }},
        {"flush to the disk fails after the whole write",
         [&](MemoryArchiveStorage &d) { d.failFlushes(kFile, 1); }},
        {"disk gone: write, cut and the next flush fail",
         [&](MemoryArchiveStorage &d) {
             d.tearAt(kFile, good + 100);
             d.failCuts(kFile, 2);
         }},
    };
    for (const FailedWrite &failure : failures) {
        SCOPED_TRACE(failure.name);
        MemoryArchiveStorage disk;
        LogArchive archive(disk);
        archive.open(kFolder);
        download(archive, 1, 10);
        failure.arrange(disk);
        for (std::int32_t n = 11; n <= 20; ++n) {
            archive.append(loggedRecord(n));
        }
        const auto error = errorOf([&] { archive.flush(); });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->number(), 75);
        EXPECT_NE(error->description().find("archive.csv"), std::string::npos);
        EXPECT_EQ(archive.pendingCount(), 10u);
        // The pending records are already known: a repeat in the meantime is not taken twice.
        EXPECT_FALSE(archive.append(loggedRecord(15)));
        int attempts = 1;
        while (errorOf([&] { archive.flush(); }) && attempts < 5) {
            ++attempts;
        }
        EXPECT_EQ(archive.pendingCount(), 0u);
        EXPECT_EQ(disk.content(kFile), header() + linesOf(1, 20));
    }
}

TEST(LogArchive, aSecondConsoleCannotAppendAtOnceAndIsToldWhoHasIt) {
    MemoryArchiveStorage disk;
    LogArchive first(disk);
    first.open(kFolder);
    download(first, 1, 5);

    LogArchive second(disk);
    try {
        second.open(kFolder);
        FAIL() << "a second console opened the archive";
    } catch (const ArchiveInUse &e) {
        EXPECT_EQ(e.number(), 75);
        EXPECT_EQ(e.holder(), "console 1");
        EXPECT_NE(e.description().find("archive.csv is in use by console 1"), std::string::npos);
    }
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(errorNumberOf([&] { second.append(loggedRecord(6)); }), 91);
    // Reading is still possible, and sees what the holder flushed.
    RecordList seen;
    EXPECT_EQ(LogArchive::loadInto(disk, kFolder, seen).loaded, 5u);

    // A lock file that does not say who holds it.
    MemoryArchiveStorage elsewhere;
    elsewhere.holdElsewhere(kLock, "");
    const auto anonymous = errorOf([&] { LogArchive(elsewhere).open(kFolder); });
    ASSERT_TRUE(anonymous.has_value());
    EXPECT_NE(anonymous->description().find("in use by another console"), std::string::npos);
    EXPECT_FALSE(elsewhere.content(kFile).has_value());

    // Once the first has closed, or its process has ended, the second takes over.
    first.close();
    second.open(kFolder);
    download(second, 6, 6);
    LogArchive third(disk);
    EXPECT_EQ(errorNumberOf([&] { third.open(kFolder); }), 75);
    disk.processEnds();
    EXPECT_EQ(third.open(kFolder).records, 6u);
}

TEST(LogArchive, aFileThatIsNotAnArchiveIsNeverTouched) {
    const std::string torn = header().substr(0, 50);
    struct Row {
        const char *name;
        std::string text;
        bool taken; // opened, as a torn start of our own
    };
    std::string lfOnly = header() + linesOf(1, 3);
    for (std::size_t at = lfOnly.find("\r\n"); at != std::string::npos;
         at = lfOnly.find("\r\n", at)) {
        lfOnly.erase(at, 1);
    }
    const Row rows[] = {
        {"another CSV", "Date;pH;Chlorine\r\n2024-01-01;7.2;0.5\r\n", false},
        {"the archive saved with LF line ends", lfOnly, false},
        {"a header torn half-way", torn, true},
        {"a header torn half-way and zero-filled", torn + std::string(4096, '\0'), true},
        {"only zeros", std::string(512, '\0'), true},
        {"a torn header followed by text", torn + "x", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        MemoryArchiveStorage disk;
        disk.put(kFile, row.text);
        LogArchive archive(disk);
        RecordList list;
        if (row.taken) {
            EXPECT_EQ(archive.open(kFolder).cutBytes, row.text.size());
            EXPECT_EQ(disk.content(kFile), header());
        } else {
            EXPECT_EQ(errorNumberOf([&] { archive.open(kFolder); }), 75);
            EXPECT_EQ(errorNumberOf([&] { LogArchive::loadInto(disk, kFolder, list); }), 75);
            EXPECT_FALSE(archive.isOpen());
            EXPECT_FALSE(disk.locked(kLock));
            EXPECT_EQ(disk.content(kFile), row.text);
        }
    }
}

TEST(LogArchive, anEndEditedWithLfLineEndsIsNotCutButStillReads) {
    MemoryArchiveStorage disk;
    const std::string text = header() + linesOf(1, 5) + "3,6,6,added by hand\n3,7,7,too\n";
    disk.put(kFile, text);
    LogArchive archive(disk);
    const auto error = errorOf([&] { archive.open(kFolder); });
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->description().find("LF"), std::string::npos);
    EXPECT_EQ(disk.content(kFile), text);
    RecordList list;
    EXPECT_EQ(LogArchive::loadInto(disk, kFolder, list).loaded, 5u);
}

TEST(LogArchive, appendingWritesOnlyTheNewLinesAndReadsNothing) {
    MemoryArchiveStorage disk;
    disk.put(kFile, header() + linesOf(1, 2000));
    LogArchive archive(disk);
    archive.open(kFolder);
    const std::uint64_t readAtOpening = disk.readBytes();
    const std::uint64_t before = disk.appendedBytes();
    download(archive, 1990, 2010);
    EXPECT_EQ(disk.appendedBytes() - before, linesOf(2001, 2010).size());
    EXPECT_EQ(disk.readBytes(), readAtOpening);
    EXPECT_TRUE(disk.cuts().empty());
    EXPECT_EQ(disk.flushes(), 1);
}

TEST(LogArchive, recordsAreTheSameOnlyWhenNumberAndMinuteBothMatch) {
    // Random numbers and times from small ranges, so that most appends repeat a number, a time
    // or both; a model set says which are new. Times include values no calendar has (written by
    // hand into a file), which the index keeps apart from the calendar ones.
    std::mt19937 rng(20240611);
    auto pick = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    using Key = std::tuple<int, int, int, int, int, int>;
    std::set<Key> model;
    MemoryArchiveStorage disk;
    LogArchive archive(disk);
    archive.open(kFolder);
    const std::string values =
        lineOf(loggedRecord(1))
            .substr(lineOf(loggedRecord(1)).find(",", lineOf(loggedRecord(1)).find(":") + 1));
    for (int i = 0; i < 20000; ++i) {
        const bool odd = pick(0, 20) == 0;
        const Key key{pick(-3, 300),
                      odd ? pick(6990, 7010) : pick(2023, 2024),
                      odd ? pick(0, 14) : pick(1, 2),
                      odd ? pick(30, 33) : pick(1, 3),
                      odd ? pick(22, 25) : pick(0, 1),
                      odd ? pick(58, 61) : pick(0, 59)};
        const auto &[number, year, month, day, hour, minute] = key;
        const std::string line = "3,1," + std::to_string(number) + "," + std::to_string(year) +
                                 "-" + std::to_string(month) + "-" + std::to_string(day) + " " +
                                 std::to_string(hour) + ":" + std::to_string(minute) + ":" +
                                 std::to_string(pick(0, 59)) + values;
        LogRecord r;
        r.fromExportCsv(line.substr(0, line.size() - 2), rtype::kLog);
        ASSERT_EQ(archive.append(r), model.insert(key).second) << line;
    }
    EXPECT_EQ(archive.recordCount(), model.size());
    archive.close();
    EXPECT_EQ(archive.open(kFolder).records, model.size());
}
