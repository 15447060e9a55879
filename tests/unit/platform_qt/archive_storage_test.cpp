#include "config/ArchiveFolder.h"
#include "platform/qt/QtArchiveStorage.h"
#include "records/Exports.h"
#include "records/LogArchive.h"
#include "support/DownloadedRecords.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace aql::platform {
namespace {

namespace fs = std::filesystem;
using records::ArchiveInUse;
using records::LogArchive;
using records::RecordList;
using test::errorNumberOf;
using test::errorOf;
using test::loggedRecord;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

std::string header() {
    return records::exportCsvHeader() + "\r\n";
}

std::string linesOf(std::int32_t first, std::int32_t last) {
    std::string out;
    for (std::int32_t n = first; n <= last; ++n) {
        out += loggedRecord(n).toCSV() + "\r\n";
    }
    return out;
}

std::string readAll(ArchiveReader &file) {
    std::string bytes(static_cast<std::size_t>(file.size()) + 16, '?');
    bytes.resize(file.read(0, bytes.data(), bytes.size()));
    return bytes;
}

// The archive writer in a process of its own, killed when the test ends however it ends.
class Writer {
public:
    Writer(const char *mode, const fs::path &folder) {
        int pipe[2];
        if (::pipe(pipe) != 0) {
            throw std::runtime_error("no pipe");
        }
        const char *argv[] = {AQL_ARCHIVE_WRITER, mode, folder.c_str(), nullptr};
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(pipe[1], 1);
            ::close(pipe[0]);
            ::close(pipe[1]);
            ::execv(argv[0], const_cast<char *const *>(argv));
            ::_exit(127);
        }
        ::close(pipe[1]);
        m_out = pipe[0];
    }
    ~Writer() {
        kill();
        ::close(m_out);
    }
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    pid_t pid() const { return m_pid; }

    // Reads what it says until a line equals `line`; false after 20 s or when it falls silent.
    bool waitFor(const std::string &line) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            for (std::size_t end; (end = m_said.find('\n')) != std::string::npos;) {
                const std::string said = m_said.substr(0, end);
                m_said.erase(0, end + 1);
                if (said == line) {
                    return true;
                }
            }
            pollfd wait{m_out, POLLIN, 0};
            if (::poll(&wait, 1, 1000) <= 0) {
                continue;
            }
            char piece[4096];
            const ssize_t n = ::read(m_out, piece, sizeof piece);
            if (n <= 0) {
                return false;
            }
            m_said.append(piece, static_cast<std::size_t>(n));
        }
        return false;
    }

    // SIGKILL: no destructor, no flush, no unlock.
    void kill() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = 0;
        }
    }

private:
    pid_t m_pid = 0;
    int m_out = -1;
    std::string m_said;
};

// write() past RLIMIT_FSIZE fails with EFBIG, part of the bytes written, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { lift(); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    void lift() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, SIG_DFL);
    }

private:
    rlimit m_old{};
};

TEST(QtArchiveStorage, aFileAppendsReadsBackAndIsCutOnARealFolder) {
    TempDir dir;
    QtArchiveStorage storage;
    const fs::path path = dir / "archive.csv";
    EXPECT_EQ(storage.openForReading(path), nullptr);
    {
        auto file = storage.openForAppending(path);
        EXPECT_TRUE(fs::is_regular_file(path));
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
        file->truncate(7);
        file->truncate(100); // never longer
        EXPECT_EQ(file->size(), 7u);
        // After a cut, appends go on from the new end.
        file->append("second\r\n");
        file->flush();
    }
    EXPECT_EQ(readBytes(path), "first\r\nsecond\r\n");
    auto again = storage.openForAppending(path);
    again->append("third\r\n");
    auto reader = storage.openForReading(path);
    EXPECT_EQ(readAll(*reader), "first\r\nsecond\r\nthird\r\n");

    struct Refusal {
        const char *name;
        fs::path path;
        const char *reason;
    };
    fs::create_directory(dir / "folder");
    const Refusal refusals[] = {
        {"a folder", dir / "folder", "is a directory"},
        {"a missing folder", dir / "missing" / "archive.csv", "no such file or directory"},
    };
    for (const Refusal &r : refusals) {
        SCOPED_TRACE(r.name);
        const auto e = errorOf([&] { storage.openForAppending(r.path); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->number(), 75);
        EXPECT_NE(e->description().find(r.path.string()), std::string::npos);
        EXPECT_NE(e->description().find(r.reason), std::string::npos) << e->description();
    }
    EXPECT_EQ(errorNumberOf([&] { storage.tryLock(dir / "missing" / "archive.lock"); }), 75);
}

TEST(QtArchiveStorage, aWriteCutShortByTheSystemIsAnErrorAndTheArchiveRepairsItself) {
    TempDir dir;
    QtArchiveStorage storage;
    LogArchive archive(storage);
    archive.open(dir.path());
    for (std::int32_t n = 1; n <= 10; ++n) {
        archive.append(loggedRecord(n));
    }
    archive.flush();
    const std::string good = header() + linesOf(1, 10);
    for (std::int32_t n = 11; n <= 20; ++n) {
        archive.append(loggedRecord(n));
    }
    {
        FileSizeLimit limit(good.size() + 100); // room for half a line of the next batch
        const auto e = errorOf([&] { archive.flush(); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->number(), 75);
        EXPECT_NE(e->description().find("file too large"), std::string::npos) << e->description();
        // The half line that did land is gone again.
        EXPECT_EQ(readBytes(dir / "archive.csv"), good);
        EXPECT_EQ(archive.pendingCount(), 10u);
    }
    archive.flush();
    EXPECT_EQ(readBytes(dir / "archive.csv"), good + linesOf(11, 20));
}

TEST(QtArchiveStorage, aTornEndLeftOnDiskIsCutAtOpeningAndNothingBeforeItChanges) {
    TempDir dir;
    QtArchiveStorage storage;
    const std::string good = header() + linesOf(1, 20);
    const std::string half = linesOf(21, 21).substr(0, 70);
    writeBytes(dir / "archive.csv", good + half + std::string(4096, '\0'));
    struct stat before {};
    ::stat((dir / "archive.csv").c_str(), &before);

    LogArchive archive(storage);
    const records::ArchiveOpening opening = archive.open(dir.path());
    EXPECT_EQ(opening.records, 20u);
    EXPECT_EQ(opening.cutBytes, half.size() + 4096);
    EXPECT_EQ(readBytes(dir / "archive.csv"), good);
    // Cut in place: the same file, not a rewritten copy.
    struct stat after {};
    ::stat((dir / "archive.csv").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);

    archive.append(loggedRecord(21));
    archive.flush();
    EXPECT_EQ(readBytes(dir / "archive.csv"), good + linesOf(21, 21));
}

TEST(QtArchiveStorage, aSecondLockIsRefusedWithTheHoldersIdentityUntilTheFirstIsReleased) {
    TempDir dir;
    QtArchiveStorage storage;
    const fs::path path = dir / "archive.lock";
    LockAttempt first = storage.tryLock(path);
    ASSERT_NE(first.lock, nullptr);
    const LockAttempt second = storage.tryLock(path);
    EXPECT_EQ(second.lock, nullptr);
    EXPECT_NE(second.holder.find(", process " + std::to_string(::getpid()) + ", since "),
              std::string::npos)
        << second.holder;
    first.lock.reset();
    // Released: the file stays (removing it would race with a console opening it), but empty.
    EXPECT_EQ(readBytes(path), "");
    EXPECT_NE(storage.tryLock(path).lock, nullptr);
}

TEST(QtArchiveStorage, anotherProcessHoldingTheArchiveIsNamedAndItsLockFreedWhenItIsKilled) {
    TempDir dir;
    QtArchiveStorage storage;
    Writer holder("hold", dir.path());
    ASSERT_TRUE(holder.waitFor("held"));

    LogArchive archive(storage);
    try {
        archive.open(dir.path());
        FAIL() << "opened while another process holds the archive";
    } catch (const ArchiveInUse &e) {
        EXPECT_NE(e.holder().find("process " + std::to_string(holder.pid())), std::string::npos)
            << e.holder();
        EXPECT_NE(e.description().find("is in use by"), std::string::npos);
    }
    const pid_t gone = holder.pid();
    holder.kill();
    // Its lock file still names it, but holds no lock any more.
    EXPECT_NE(readBytes(dir / "archive.lock").find("process " + std::to_string(gone)),
              std::string::npos);
    EXPECT_TRUE(archive.open(dir.path()).created == false);
    EXPECT_TRUE(archive.isOpen());
}

TEST(QtArchiveStorage, aConsoleKilledWhileAppendingLeavesEveryFlushedRecordReadable) {
    TempDir dir;
    QtArchiveStorage storage;
    std::size_t flushed = 0;
    {
        Writer writer("append", dir.path());
        ASSERT_TRUE(writer.waitFor("batch 40"));
        flushed = 40 * 50;
        writer.kill(); // in the middle of some later batch, or between two
    }
    LogArchive archive(storage);
    const records::ArchiveOpening opening = archive.open(dir.path());
    EXPECT_GE(opening.records, flushed);
    EXPECT_EQ(opening.damagedLines, 0u);
    const std::string text = readBytes(dir / "archive.csv");
    EXPECT_EQ(text, header() + linesOf(1, static_cast<std::int32_t>(opening.records)));

    // Appending carries on from the last record, as the next download would.
    const auto next = static_cast<std::int32_t>(opening.records) + 1;
    EXPECT_FALSE(archive.append(loggedRecord(next - 1)));
    EXPECT_TRUE(archive.append(loggedRecord(next)));
    archive.close();
    EXPECT_EQ(readBytes(dir / "archive.csv"), text + linesOf(next, next));
}

TEST(QtArchiveStorage, poolFoldersWithNonAsciiNamesHoldTheirArchive) {
    struct Row {
        const char *name;
        std::string pool;
    };
    const Row rows[] = {
        {"single-byte code page (Latin-1)", "Bad \xE9t\xE9 \xC4u\xDF"
                                            "en"},
        {"UTF-8", "Zwembad Zuid \xE2\x80\x93 B\xC3\xA4"
                  "d"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir program;
        const config::ArchiveFolder folder = config::siteArchiveFolder(program.path(), row.pool);
        ASSERT_EQ(folder.problem, "");
        // Exactly these bytes, not a conversion of them.
        const std::string bytes = program.path().string() + "/Data/" + row.pool + "/archive.csv";
        QtArchiveStorage storage;
        {
            LogArchive archive(storage);
            archive.open(folder.path);
            for (std::int32_t n = 1; n <= 5; ++n) {
                archive.append(loggedRecord(n));
            }
            archive.close();
        }
        struct stat info {};
        ASSERT_EQ(::stat(bytes.c_str(), &info), 0);
        EXPECT_EQ(static_cast<std::size_t>(info.st_size), header().size() + linesOf(1, 5).size());
        LogArchive archive(storage);
        EXPECT_EQ(archive.open(folder.path).records, 5u);
        RecordList list;
        EXPECT_EQ(archive.loadInto(list).loaded, 5u);
        EXPECT_EQ(LogArchive::loadInto(storage, folder.path, list).alreadyHeld, 5u);
    }
}

} // namespace
} // namespace aql::platform
