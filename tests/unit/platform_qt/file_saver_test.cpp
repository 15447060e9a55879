#include "platform/qt/QtFileSaver.h"
#include "support/ErrorOf.h"
#include "support/MemoryFileSaver.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace aql::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

// Everything a pipe's reader gets until the writer closes it, or until 20 s without a writer.
std::string drain(int fd) {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    char piece[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd wait{fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            break;
        }
        const ssize_t n = ::read(fd, piece, sizeof piece);
        if (n > 0) {
            bytes.append(piece, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;
        }
    }
    ::close(fd);
    return bytes;
}

bool setImmutable(const fs::path &path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// A temporary folder laid out for one case, and what it takes to watch a pipe or standard output
// receive bytes. New files get mode 0644 here (umask 022).
class Scene {
public:
    Scene() : m_oldUmask(::umask(022)) {}
    ~Scene() {
        for (const auto &path : m_immutable) {
            setImmutable(path, false);
        }
        if (m_limitedSize) {
            ::setrlimit(RLIMIT_FSIZE, &m_oldLimit);
            std::signal(SIGXFSZ, SIG_DFL);
        }
        received();
        ::umask(m_oldUmask);
    }
    Scene(const Scene &) = delete;
    Scene &operator=(const Scene &) = delete;

    const fs::path &root() const { return m_dir.path(); }
    fs::path path(const std::string &name) const { return m_dir / name; }

    fs::path file(const std::string &name, const std::string &bytes, mode_t mode = 0644) {
        writeBytes(path(name), bytes);
        ::chmod(path(name).c_str(), mode);
        return path(name);
    }
    fs::path folder(const std::string &name) {
        fs::create_directory(path(name));
        return path(name);
    }
    fs::path link(const std::string &name, const std::string &target) {
        fs::create_symlink(target, path(name));
        return path(name);
    }
    // Gives `file` to another owner with `mode` (root only); skips the case elsewhere.
    fs::path owned(const fs::path &file, uid_t owner, gid_t group, mode_t mode) {
        if (::chown(file.c_str(), owner, group) != 0) {
            return skip("cannot give files away (not root)");
        }
        ::chmod(file.c_str(), mode);
        return file;
    }
    // A named pipe with a reader already waiting on it.
    fs::path fifo(const std::string &name) {
        if (::mkfifo(path(name).c_str(), 0644) != 0) {
            return skip("cannot make a named pipe here");
        }
        const int fd = ::open(path(name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        m_reader = std::thread([this, fd] { m_received = drain(fd); });
        return path(name);
    }
    // A device node in the folder itself, so that a saver that replaced it would be seen here
    // rather than breaking the machine's own /dev.
    fs::path device(const std::string &name, unsigned major, unsigned minor) {
        if (::mknod(path(name).c_str(), S_IFCHR | 0666, makedev(major, minor)) != 0) {
            return skip("cannot make device nodes here (not root?)");
        }
        return path(name);
    }
    // Standard output goes into a pipe until received() is called; returns `target`.
    fs::path captureStandardOutput(const fs::path &target) {
        std::fflush(stdout);
        int ends[2];
        if (::pipe(ends) != 0) {
            return skip("no pipe");
        }
        m_savedStdout = ::dup(1);
        ::dup2(ends[1], 1);
        ::close(ends[1]);
        m_reader = std::thread([this, fd = ends[0]] { m_received = drain(fd); });
        return target;
    }
    // What the pipe or standard output received; ends the capture.
    std::string received() {
        if (m_savedStdout >= 0) {
            std::fflush(stdout);
            ::dup2(m_savedStdout, 1);
            ::close(m_savedStdout);
            m_savedStdout = -1;
        }
        if (m_reader.joinable()) {
            m_reader.join();
        }
        return m_received;
    }

    bool immutable(const fs::path &path) {
        if (!setImmutable(path, true)) {
            return false;
        }
        m_immutable.push_back(path);
        return true;
    }
    // Checks before the case that the file system lets us freeze files at all.
    fs::path ifFreezable(const fs::path &target) {
        const fs::path probe = file(".probe", "");
        if (!setImmutable(probe, true)) {
            return skip("cannot make files immutable here (not root, or no ext4)");
        }
        setImmutable(probe, false);
        fs::remove(probe);
        return target;
    }
    fs::path limitFileSize(rlim_t bytes, const fs::path &target) {
        ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
        // Past the limit write() fails with EFBIG instead of the process being killed.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_oldLimit;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        m_limitedSize = true;
        return target;
    }

    const std::string &skipReason() const { return m_skipReason; }

    // Every entry below the folder, links not followed: name -> what it is.
    std::map<std::string, std::string> listing() const {
        std::map<std::string, std::string> entries;
        for (const auto &entry : fs::recursive_directory_iterator(root())) {
            const std::string name = entry.path().lexically_relative(root()).generic_string();
            struct stat info {};
            ::lstat(entry.path().c_str(), &info);
            char mode[8];
            std::snprintf(mode, sizeof mode, "%04o", info.st_mode & 07777);
            if (S_ISLNK(info.st_mode)) {
                entries[name] = "link -> " + fs::read_symlink(entry.path()).string();
            } else if (S_ISREG(info.st_mode)) {
                std::string owner;
                if (info.st_uid != ::geteuid() || info.st_gid != ::getegid()) {
                    owner = "owner " + std::to_string(info.st_uid) + ":" +
                            std::to_string(info.st_gid) + " ";
                }
                entries[name] = "file " + std::string(mode) + " " + owner + readBytes(entry.path());
            } else if (S_ISDIR(info.st_mode)) {
                entries[name] = "folder";
            } else if (S_ISFIFO(info.st_mode)) {
                entries[name] = "fifo";
            } else if (S_ISCHR(info.st_mode)) {
                entries[name] = "character device";
            } else {
                entries[name] = "other";
            }
        }
        return entries;
    }

private:
    fs::path skip(std::string reason) {
        m_skipReason = std::move(reason);
        return {};
    }

    TempDir m_dir;
    mode_t m_oldUmask;
    std::vector<fs::path> m_immutable;
    rlimit m_oldLimit{};
    bool m_limitedSize = false;
    int m_savedStdout = -1;
    std::thread m_reader;
    std::string m_received;
    std::string m_skipReason;
};

enum class Stage { None, Open, Write, Commit };

struct Row {
    const char *name;
    // Lays out the folder; returns the path to save to, or an empty path to skip the case.
    std::function<fs::path(Scene &)> arrange;
    std::string bytes;
    Stage failsAt;
    std::string reason; // what the error must say, besides the target's name
    TargetKind kindBefore;
    TargetKind kindAfter;
    std::map<std::string, std::string> after;
    std::function<void(Scene &)> beforeCommit = nullptr;
    std::optional<std::string> received = std::nullopt; // by a pipe's reader or standard output
    bool commit = true;
};

std::ostream &operator<<(std::ostream &out, const Row &row) {
    return out << row.name;
}

const std::string kOld = "old\r\n";
const std::string kNew = "new\r\n";
const std::string kBig(1 << 20, 'x');

// One row a kind of target: what is there before, what is saved, where it fails and why, and
// what the folder holds afterwards. New files get mode 0644 (umask 022).
// clang-format off
const Row kRows[] = {
    {"replacesAFileKeepingItsMode",
     [](Scene &s) { return s.file("out.csv", kOld, 0600); },
     kNew, Stage::None, "", TargetKind::Regular, TargetKind::Regular,
     {{"out.csv", "file 0600 " + kNew}}},
    {"keepsTheOwnerAndSpecialBitsOfAReplacedFile",
     [](Scene &s) { return s.owned(s.file("out.csv", kOld), 1234, 1235, 02640); },
     kNew, Stage::None, "", TargetKind::Regular, TargetKind::Regular,
     {{"out.csv", "file 2640 owner 1234:1235 " + kNew}}},
    {"createsAMissingFileWithTheUsualMode",
     [](Scene &s) { return s.path("out.csv"); },
     kNew, Stage::None, "", TargetKind::Missing, TargetKind::Regular,
     {{"out.csv", "file 0644 " + kNew}}},
    {"writesThroughALinkToTheFileItNames",
     [](Scene &s) { s.file("real.csv", kOld, 0640); return s.link("out.csv", "real.csv"); },
     kNew, Stage::None, "", TargetKind::Regular, TargetKind::Regular,
     {{"real.csv", "file 0640 " + kNew}, {"out.csv", "link -> real.csv"}}},
    {"followsAChainOfLinksRelativeToEachLinksFolder",
     [](Scene &s) {
         s.folder("sub");
         s.file("sub/real.csv", kOld, 0600);
         s.link("sub/mid.csv", "real.csv");
         return s.link("out.csv", "sub/mid.csv");
     },
     kNew, Stage::None, "", TargetKind::Regular, TargetKind::Regular,
     {{"sub", "folder"}, {"sub/real.csv", "file 0600 " + kNew},
      {"sub/mid.csv", "link -> real.csv"}, {"out.csv", "link -> sub/mid.csv"}}},
    {"createsTheFileADanglingLinkNames",
     [](Scene &s) { return s.link("out.csv", "made.csv"); },
     kNew, Stage::None, "", TargetKind::Missing, TargetKind::Regular,
     {{"out.csv", "link -> made.csv"}, {"made.csv", "file 0644 " + kNew}}},
    {"refusesALoopOfLinks",
     [](Scene &s) { s.link("b.csv", "out.csv"); return s.link("out.csv", "b.csv"); },
     kNew, Stage::Open, "too many levels of symbolic links", TargetKind::Missing,
     TargetKind::Missing, {{"out.csv", "link -> b.csv"}, {"b.csv", "link -> out.csv"}}},
    {"feedsANamedPipeWithoutReplacingIt",
     [](Scene &s) { return s.fifo("pipe"); },
     kNew, Stage::None, "", TargetKind::NotRegular, TargetKind::NotRegular,
     {{"pipe", "fifo"}}, nullptr, kNew},
    {"writesIntoACharacterDeviceWithoutReplacingIt",
     [](Scene &s) { return s.device("null", 1, 3); },
     kNew, Stage::None, "", TargetKind::NotRegular, TargetKind::NotRegular,
     {{"null", "character device"}}},
    {"reportsAFullDeviceAndLeavesItInPlace",
     [](Scene &s) { return s.device("full", 1, 7); },
     kNew, Stage::Commit, "no space left on device", TargetKind::NotRegular,
     TargetKind::NotRegular, {{"full", "character device"}}},
    {"writesStandardOutputForADash",
     [](Scene &s) { return s.captureStandardOutput("-"); },
     kNew, Stage::None, "", TargetKind::StandardOutput, TargetKind::StandardOutput,
     {}, nullptr, kNew},
    {"writesThroughDevStdoutIntoAPipe",
     [](Scene &s) { return s.captureStandardOutput("/dev/stdout"); },
     kNew, Stage::None, "", TargetKind::NotRegular, TargetKind::NotRegular,
     {}, nullptr, kNew},
    {"refusesAFolder",
     [](Scene &s) { s.folder("out.csv"); return s.file("out.csv/keep.txt", kOld).parent_path(); },
     kNew, Stage::Open, "is a directory", TargetKind::Directory, TargetKind::Directory,
     {{"out.csv", "folder"}, {"out.csv/keep.txt", "file 0644 " + kOld}}},
    {"refusesAPathThroughAFile",
     [](Scene &s) { s.file("notes.txt", kOld); return s.path("notes.txt/out.csv"); },
     kNew, Stage::Open, "notes.txt is not a folder", TargetKind::Missing, TargetKind::Missing,
     {{"notes.txt", "file 0644 " + kOld}}},
    {"refusesAMissingFolder",
     [](Scene &s) { return s.path("nosuch/out.csv"); },
     kNew, Stage::Open, "nosuch does not exist", TargetKind::Missing, TargetKind::Missing,
     {}},
    {"neverFollowsLinksPlantedAtTemporaryNames",
     [](Scene &s) {
         s.file("victim.txt", kOld);
         for (const char *name : {"out.csv.part", "out.csv.tmp", "out.csv~", ".out.csv.swp",
                                  "out.csv.new", "out.csv.XXXXXX"}) {
             s.link(name, "victim.txt");
         }
         return s.file("out.csv", kOld);
     },
     kNew, Stage::None, "", TargetKind::Regular, TargetKind::Regular,
     {{"victim.txt", "file 0644 " + kOld}, {"out.csv", "file 0644 " + kNew},
      {"out.csv.part", "link -> victim.txt"}, {"out.csv.tmp", "link -> victim.txt"},
      {"out.csv~", "link -> victim.txt"}, {".out.csv.swp", "link -> victim.txt"},
      {"out.csv.new", "link -> victim.txt"}, {"out.csv.XXXXXX", "link -> victim.txt"}}},
    {"keepsTheOldFileWhenAWriteIsCutShort",
     [](Scene &s) { return s.limitFileSize(rlim_t{64} * 1024, s.file("out.csv", kOld, 0600)); },
     kBig, Stage::Write, "file too large", TargetKind::Regular, TargetKind::Regular,
     {{"out.csv", "file 0600 " + kOld}}},
    {"keepsTheOldFileWhenTheFinalRenameIsRefused",
     [](Scene &s) { return s.ifFreezable(s.file("out.csv", kOld)); },
     kNew, Stage::Commit, "operation not permitted", TargetKind::Regular, TargetKind::Regular,
     {{"out.csv", "file 0644 " + kOld}},
     [](Scene &s) { ASSERT_TRUE(s.immutable(s.root())); }},
    {"keepsTheOldFileWhenItWasFrozenWhileWriting",
     [](Scene &s) { return s.ifFreezable(s.file("out.csv", kOld)); },
     kNew, Stage::Commit, "operation not permitted", TargetKind::Regular, TargetKind::Regular,
     {{"out.csv", "file 0644 " + kOld}},
     [](Scene &s) { ASSERT_TRUE(s.immutable(s.path("out.csv"))); }},
    {"failsWhenAFolderTookTheTargetsPlace",
     [](Scene &s) { return s.path("out.csv"); },
     kNew, Stage::Commit, "is a directory", TargetKind::Missing, TargetKind::Directory,
     {{"out.csv", "folder"}, {"out.csv/keep.txt", "file 0644 " + kOld}},
     [](Scene &s) { s.folder("out.csv"); s.file("out.csv/keep.txt", kOld); }},
    {"neverReplacesAPipeThatAppearedWhileWriting",
     [](Scene &s) { return s.path("out.csv"); },
     kNew, Stage::Commit, "no longer a regular file", TargetKind::Missing,
     TargetKind::NotRegular, {{"out.csv", "fifo"}},
     [](Scene &s) { ASSERT_EQ(::mkfifo(s.path("out.csv").c_str(), 0644), 0); }},
    {"refusesAFrozenFolderBeforeWriting",
     [](Scene &s) {
         const fs::path target = s.ifFreezable(s.path("out.csv"));
         return target.empty() || s.immutable(s.root()) ? target : fs::path();
     },
     kNew, Stage::Open, "operation not permitted", TargetKind::Missing, TargetKind::Missing,
     {}},
    {"discardsAFileThatWasNotCommitted",
     [](Scene &s) { return s.file("out.csv", kOld); },
     kBig, Stage::None, "", TargetKind::Regular, TargetKind::Regular,
     {{"out.csv", "file 0644 " + kOld}}, nullptr, std::nullopt, false},
};
// clang-format on

class FileSaverTargets : public ::testing::TestWithParam<Row> {};

TEST_P(FileSaverTargets, leavesEachKindOfTargetAsItShouldBe) {
    const Row &row = GetParam();
    Scene scene;
    const fs::path target = row.arrange(scene);
    if (target.empty()) {
        GTEST_SKIP() << scene.skipReason();
    }
    QtFileSaver saver;
    EXPECT_EQ(saver.kindOf(target), row.kindBefore);
    const auto whyNot = saver.whyNotWritable(target);
    EXPECT_EQ(whyNot.has_value(), row.failsAt == Stage::Open) << whyNot.value_or("");
    if (whyNot) {
        EXPECT_NE(whyNot->find(row.reason), std::string::npos) << *whyNot;
    }

    Stage stage = Stage::Open;
    Stage failedAt = Stage::None;
    try {
        auto sink = saver.open(target);
        stage = Stage::Write;
        sink->write(row.bytes);
        if (row.beforeCommit) {
            row.beforeCommit(scene);
        }
        stage = Stage::Commit;
        if (row.commit) {
            sink->commit();
        }
    } catch (const AqlError &e) {
        failedAt = stage;
        EXPECT_EQ(e.number(), 75);
        EXPECT_NE(e.description().find(row.reason), std::string::npos) << e.description();
        EXPECT_NE(e.description().find(target.u8string()), std::string::npos) << e.description();
    }
    EXPECT_EQ(failedAt, row.failsAt);
    EXPECT_EQ(saver.kindOf(target), row.kindAfter);
    const std::string received = scene.received();
    if (row.received) {
        EXPECT_EQ(received, *row.received);
    }
    EXPECT_EQ(scene.listing(), row.after);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, FileSaverTargets, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &row) {
                             return std::string(row.param.name);
                         });

TEST(QtFileSaver, seesTheSystemsOwnDevicesAsNotRegular) {
    QtFileSaver saver;
    EXPECT_EQ(saver.kindOf("/dev/null"), TargetKind::NotRegular);
    EXPECT_EQ(saver.whyNotWritable("/dev/null"), std::nullopt);
}

TEST(QtFileSaver, piecesOfEverySizeArriveWholeAndInOrder) {
    Scene scene;
    QtFileSaver saver;
    std::mt19937 random(7);
    std::vector<std::size_t> sizes = {0, 1, 100, 262143, 262144, 262145, 600000, 1};
    for (int i = 0; i < 40; ++i) {
        sizes.push_back(i % 2 ? random() % 1000 : random() % 400000);
    }
    std::string expected;
    auto sink = saver.open(scene.path("out.csv"));
    for (const std::size_t size : sizes) {
        std::string piece(size, '\0');
        for (char &c : piece) {
            c = static_cast<char>(random());
        }
        sink->write(piece);
        expected += piece;
    }
    sink->commit();
    const std::string written = readBytes(scene.path("out.csv"));
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
}

TEST(QtFileSaver, aCommitAfterAFailedWriteStillFails) {
    Scene scene;
    QtFileSaver saver;
    const fs::path target = scene.limitFileSize(rlim_t{64} * 1024, scene.file("out.csv", kOld));
    auto sink = saver.open(target);
    EXPECT_EQ(test::errorNumberOf([&] { sink->write(kBig); }), 75);
    EXPECT_EQ(test::errorNumberOf([&] { sink->write(kNew); }), 75);
    EXPECT_EQ(test::errorNumberOf([&] { sink->commit(); }), 75);
    EXPECT_EQ(readBytes(target), kOld);
}

// A writer killed half-way through a large file, as a power cut or the task manager would.
TEST(QtFileSaver, aKilledWriterLeavesNothingBehind) {
    Scene scene;
    const fs::path target = scene.file("out.csv", kOld);
    constexpr int kMebibytes = 64;
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const std::string count = std::to_string(kMebibytes);
    const char *argv[] = {AQL_FILE_SAVER_WRITER, target.c_str(), count.c_str(), nullptr};
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(report[1], 1);
        ::close(report[0]);
        ::close(report[1]);
        ::execv(argv[0], const_cast<char *const *>(argv));
        ::_exit(127);
    }
    ::close(report[1]);
    // A failed check below must not leave the writer running.
    struct Reaper {
        pid_t pid;
        ~Reaper() {
            if (pid > 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
        }
    } reaper{child};
    const std::string said = drain(report[0]);
    ASSERT_EQ(said, "written\n");

    // The child holds the new content in a file of the folder that has no name there.
    std::uintmax_t unnamedBytes = 0;
    for (const auto &fd : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd")) {
        std::error_code ec;
        const std::string name = fs::read_symlink(fd.path(), ec).string();
        if (name.rfind(scene.root().string(), 0) == 0 && name.find("(deleted)") != name.npos) {
            unnamedBytes = fs::file_size(fd.path(), ec);
        }
    }
    EXPECT_EQ(unnamedBytes, std::uintmax_t{kMebibytes} << 20);
    EXPECT_EQ(scene.listing(),
              (std::map<std::string, std::string>{{"out.csv", "file 0644 " + kOld}}));

    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    reaper.pid = 0;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(scene.listing(),
              (std::map<std::string, std::string>{{"out.csv", "file 0644 " + kOld}}));
}

struct SameFileRow {
    const char *name;
    std::function<std::pair<fs::path, fs::path>(Scene &)> arrange;
    bool same;
};

TEST(FileSaver, sameFileSeesThroughEverySpelling) {
    const SameFileRow rows[] = {
        {"dot dot",
         [](Scene &s) {
             s.folder("sub");
             return std::make_pair(s.file("a.csv", kOld), s.path("sub/../a.csv"));
         },
         true},
        {"symbolic link",
         [](Scene &s) { return std::make_pair(s.file("a.csv", kOld), s.link("b.csv", "a.csv")); },
         true},
        {"hard link",
         [](Scene &s) {
             const fs::path a = s.file("a.csv", kOld);
             fs::create_hard_link(a, s.path("b.csv"));
             return std::make_pair(a, s.path("b.csv"));
         },
         true},
        {"relative and absolute",
         [](Scene &s) {
             return std::make_pair(s.file("a.csv", kOld),
                                   fs::relative(s.path("a.csv"), fs::current_path()));
         },
         true},
        {"equal content",
         [](Scene &s) { return std::make_pair(s.file("a.csv", kOld), s.file("b.csv", kOld)); },
         false},
        {"one missing",
         [](Scene &s) { return std::make_pair(s.file("a.csv", kOld), s.path("b.csv")); }, false},
        {"both missing", [](Scene &s) { return std::make_pair(s.path("a.csv"), s.path("a.csv")); },
         false},
        {"standard output twice",
         [](Scene &) { return std::make_pair(fs::path("-"), fs::path("-")); }, true},
        {"standard output and a file",
         [](Scene &s) { return std::make_pair(fs::path("-"), s.file("-", kOld)); }, false},
    };
    for (const auto &row : rows) {
        Scene scene;
        const auto [a, b] = row.arrange(scene);
        EXPECT_EQ(sameFile(a, b), row.same) << row.name;
        EXPECT_EQ(sameFile(b, a), row.same) << row.name << " (swapped)";
    }
}

// The fake stands in for the real saver in the logic's tests: both must behave alike.
struct RealDisk {
    Scene scene;
    QtFileSaver saver;
    fs::path file(const std::string &name, const std::string &bytes) {
        return scene.file(name, bytes);
    }
    fs::path folder(const std::string &name) { return scene.folder(name); }
    fs::path path(const std::string &name) { return scene.path(name); }
    std::optional<std::string> content(const std::string &name) {
        return fs::is_regular_file(path(name)) ? std::optional(readBytes(path(name)))
                                               : std::nullopt;
    }
};

struct FakeDisk {
    test::MemoryFileSaver saver;
    FakeDisk() { saver.addFolder("/fake"); }
    fs::path file(const std::string &name, const std::string &bytes) {
        saver.addFile(path(name), bytes);
        return path(name);
    }
    fs::path folder(const std::string &name) {
        saver.addFolder(path(name));
        return path(name);
    }
    fs::path path(const std::string &name) { return fs::path("/fake") / name; }
    std::optional<std::string> content(const std::string &name) {
        return saver.content(path(name));
    }
};

template <class Disk> class SaverContract : public ::testing::Test {
protected:
    Disk m_disk;
};
using Disks = ::testing::Types<RealDisk, FakeDisk>;
TYPED_TEST_SUITE(SaverContract, Disks);

TYPED_TEST(SaverContract, replacesOnlyAtCommitAndDiscardsWhatIsNotCommitted) {
    auto &disk = this->m_disk;
    const fs::path target = disk.file("out.csv", kOld);
    {
        auto sink = disk.saver.open(target);
        sink->write(kNew);
        EXPECT_EQ(disk.content("out.csv"), kOld);
    }
    EXPECT_EQ(disk.content("out.csv"), kOld);
    auto sink = disk.saver.open(target);
    sink->write("a");
    sink->write("b");
    sink->commit();
    EXPECT_EQ(disk.content("out.csv"), "ab");
    disk.saver.saveWhole(disk.path("new.csv"), kNew);
    EXPECT_EQ(disk.content("new.csv"), kNew);
}

TYPED_TEST(SaverContract, refusesTheSameTargetsForTheSameReasons) {
    auto &disk = this->m_disk;
    disk.folder("dir");
    disk.file("notes.txt", kOld);
    const std::pair<std::string, std::string> cases[] = {
        {"dir", "is a directory"},
        {"nosuch/out.csv", "nosuch does not exist"},
        {"notes.txt/out.csv", "notes.txt is not a folder"},
    };
    for (const auto &[name, reason] : cases) {
        const auto why = disk.saver.whyNotWritable(disk.path(name));
        ASSERT_TRUE(why.has_value()) << name;
        EXPECT_NE(why->find(reason), std::string::npos) << *why;
        const auto error = test::errorOf([&] { disk.saver.open(disk.path(name)); });
        ASSERT_TRUE(error.has_value()) << name;
        EXPECT_EQ(error->number(), 75);
        EXPECT_EQ(error->description(),
                  "Could not write " + disk.path(name).u8string() + ": " + *why);
    }
    EXPECT_EQ(disk.saver.kindOf(disk.path("dir")), TargetKind::Directory);
    EXPECT_EQ(disk.saver.kindOf(disk.path("notes.txt")), TargetKind::Regular);
    EXPECT_EQ(disk.saver.kindOf(disk.path("nosuch")), TargetKind::Missing);
    EXPECT_EQ(disk.saver.kindOf("-"), TargetKind::StandardOutput);
}

TEST(MemoryFileSaver, aDiskFullAtByteNKeepsTheOldFile) {
    test::MemoryFileSaver saver;
    saver.addFile("out.csv", kOld);
    saver.fillDiskAfter("out.csv", 3);
    auto sink = saver.open("out.csv");
    sink->write("ab");
    const auto error = test::errorOf([&] { sink->write("cd"); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->description(), "Could not write out.csv: no space left on device");
    EXPECT_NE(test::errorNumberOf([&] { sink->commit(); }), 0);
    sink.reset();
    EXPECT_EQ(saver.content("out.csv"), kOld);
    EXPECT_EQ(saver.commits(), 0);
    EXPECT_EQ(saver.openSinks(), 0);
}

TEST(MemoryFileSaver, aFailingCommitKeepsTheOldFileAndDevicesGetBytesAsWritten) {
    test::MemoryFileSaver saver;
    saver.addFile("out.csv", kOld);
    saver.failCommit("out.csv");
    EXPECT_NE(test::errorNumberOf([&] { saver.saveWhole("out.csv", kNew); }), 0);
    EXPECT_EQ(saver.content("out.csv"), kOld);

    saver.addDevice("/dev/full");
    saver.fillDiskAfter("/dev/full", 0);
    EXPECT_NE(test::errorNumberOf([&] { saver.saveWhole("/dev/full", kNew); }), 0);
    saver.addDevice("pipe");
    auto sink = saver.open("pipe");
    sink->write(kNew);
    EXPECT_EQ(saver.received("pipe"), kNew);
    EXPECT_EQ(saver.kindOf("pipe"), TargetKind::NotRegular);
    saver.saveWhole("-", kNew);
    EXPECT_EQ(saver.received("-"), kNew);
    saver.refuse("locked.csv");
    EXPECT_EQ(saver.whyNotWritable("locked.csv"), "permission denied");
}

} // namespace
} // namespace aql::platform
