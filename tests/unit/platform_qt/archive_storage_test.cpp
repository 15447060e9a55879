#include "ChildProcess.h"

#include "platform/qt/QtArchiveStorage.h"
#include "records/Exports.h"
#include "records/LogArchive.h"
#include "support/DownloadedRecords.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>

namespace aql::platform {
namespace {

namespace fs = std::filesystem;
using records::LogArchive;
using test::errorOf;
using test::linesOf;
using test::loggedRecord;
using test::readBytes;

std::string header() {
    return records::exportCsvHeader() + "\r\n";
}

ino_t inode(const fs::path &file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info.st_ino;
}

TEST(QtArchiveStorage, aFileAppendsReadsBackAndIsCutOnARealFolder) {
    test::TempDir dir;
    QtArchiveStorage storage;
    const fs::path path = dir / "archive.csv";
    EXPECT_EQ(storage.openForReading(path), nullptr);
    {
        auto file = storage.openForAppending(path);
        EXPECT_EQ(file->size(), 0u);
        file->append("first\r\n");
        file->append(std::string(3 << 20, 'x')); // larger than one write of some systems
        file->flush();
        EXPECT_EQ(file->size(), 7u + (3u << 20));
        char five[5];
        ASSERT_EQ(file->read(2, five, 5), 5u);
        EXPECT_EQ(std::string(five, 5), "rst\r\n");
        EXPECT_EQ(file->read(file->size() - 2, five, 5), 2u);
        EXPECT_EQ(file->read(file->size() + 10, five, 5), 0u);
        const ino_t before = inode(path);
        file->truncate(7);   // in place: the same file, never a rewritten copy
        file->truncate(100); // never longer
        EXPECT_EQ(inode(path), before);
        EXPECT_EQ(file->size(), 7u);
        file->append("second\r\n"); // after a cut, appends go on from the new end
        file->flush();
    }
    storage.openForAppending(path)->append("third\r\n");
    auto reader = storage.openForReading(path);
    std::string bytes(64, '?');
    bytes.resize(reader->read(0, bytes.data(), bytes.size()));
    EXPECT_EQ(bytes, "first\r\nsecond\r\nthird\r\n");

    fs::create_directory(dir / "folder");
    for (const fs::path &refused : {dir / "folder", dir / "missing" / "archive.csv"}) {
        EXPECT_EQ(test::errorNumberOf([&] { storage.openForAppending(refused); }), 75) << refused;
    }
    EXPECT_EQ(test::errorNumberOf([&] { storage.tryLock(dir / "missing" / "archive.lock"); }), 75);
}

TEST(QtArchiveStorage, aWriteCutShortIsAnErrorAndTheHalfLineThatLandedIsCutOff) {
    test::TempDir dir;
    QtArchiveStorage storage;
    const std::string good = header() + linesOf(1, 10);
    LogArchive archive(storage);
    archive.open(dir.path());
    for (std::int32_t n = 1; n <= 20; ++n) {
        archive.append(loggedRecord(n));
        if (n == 10) {
            archive.flush();
        }
    }
    // write() past RLIMIT_FSIZE fails with EFBIG, half a line written, as on a full disk.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = good.size() + 100;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const auto e = errorOf([&] { archive.flush(); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->number(), 75);
    EXPECT_EQ(readBytes(dir / "archive.csv"), good); // the half line that landed is gone
    EXPECT_EQ(archive.pendingCount(), 10u);
    archive.flush();
    EXPECT_EQ(readBytes(dir / "archive.csv"), good + linesOf(11, 20));
}

TEST(QtArchiveStorage, aSecondHolderIsRefusedUntilTheFirstIsReleasedOrKilled) {
    test::TempDir dir;
    QtArchiveStorage storage;
    const fs::path path = dir / "archive.lock";
    LockAttempt first = storage.tryLock(path);
    ASSERT_NE(first.lock, nullptr);
    const LockAttempt second = storage.tryLock(path);
    EXPECT_EQ(second.lock, nullptr);
    first.lock.reset();
    EXPECT_NE(storage.tryLock(path).lock, nullptr);

    test::ChildProcess holder({AQL_HELPER, "hold", dir.path().string()});
    ASSERT_TRUE(holder.waitFor("held"));
    LogArchive archive(storage);
    EXPECT_EQ(test::errorNumberOf([&] { archive.open(dir.path()); }), 75);
    holder.kill(); // its lock file stays, but holds no lock any more
    EXPECT_FALSE(archive.open(dir.path()).created);
    EXPECT_TRUE(archive.isOpen());
}

TEST(QtArchiveStorage, aConsoleKilledWhileAppendingLeavesEveryFlushedRecordReadable) {
    test::TempDir dir;
    {
        test::ChildProcess writer({AQL_HELPER, "append", dir.path().string()});
        ASSERT_TRUE(writer.waitFor("batch 40"));
        writer.kill(); // in the middle of some later batch, or between two
    }
    QtArchiveStorage storage;
    LogArchive archive(storage);
    const records::ArchiveOpening opening = archive.open(dir.path());
    EXPECT_GE(opening.records, 40u * 50);
    EXPECT_EQ(opening.damagedLines, 0u);
    const auto last = static_cast<std::int32_t>(opening.records);
    const std::string text = readBytes(dir / "archive.csv");
    EXPECT_EQ(text, header() + linesOf(1, last));
    // Appending carries on from the last record, as the next download would.
    EXPECT_FALSE(archive.append(loggedRecord(last)));
    EXPECT_TRUE(archive.append(loggedRecord(last + 1)));
    archive.close();
    EXPECT_EQ(readBytes(dir / "archive.csv"), text + linesOf(last + 1, last + 1));
}

} // namespace
} // namespace aql::platform
