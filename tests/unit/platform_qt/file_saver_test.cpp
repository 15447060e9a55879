#include "ChildProcess.h"

#include "platform/qt/QtFileSaver.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace aql::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;

bool setImmutable(const fs::path &path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return done;
}

// A temporary folder laid out for one case, and what it takes to watch a pipe or standard output
// receive bytes. New files get mode 0644 here (umask 022). A step that the system does not allow
// (not root, no ext4) returns an empty path and the case is skipped.
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
        test::writeBytes(path(name), bytes);
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
    fs::path owned(const fs::path &file, uid_t owner, gid_t group, mode_t mode) {
        return ::chown(file.c_str(), owner, group) == 0 && ::chmod(file.c_str(), mode) == 0
                   ? file
                   : skip("cannot give files away (not root)");
    }
    // A named pipe with a reader already waiting on it.
    fs::path fifo(const std::string &name) {
        if (::mkfifo(path(name).c_str(), 0644) != 0) {
            return skip("cannot make a named pipe here");
        }
        const int fd = ::open(path(name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        m_reader = std::thread([this, fd] { m_received = test::drain(fd); });
        return path(name);
    }
    // A device node in the folder itself, so that a saver that replaced it would be seen here
    // rather than breaking the machine's own /dev.
    fs::path device(const std::string &name, unsigned major, unsigned minor) {
        return ::mknod(path(name).c_str(), S_IFCHR | 0666, makedev(major, minor)) == 0
                   ? path(name)
                   : skip("cannot make device nodes here (not root?)");
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
        m_reader = std::thread([this, fd = ends[0]] { m_received = test::drain(fd); });
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
        m_immutable.push_back(path);
        return setImmutable(path, true);
    }
    fs::path ifFreezable(const fs::path &target) {
        const fs::path probe = file(".probe", "");
        const bool freezable = setImmutable(probe, true) && setImmutable(probe, false);
        fs::remove(probe);
        return freezable ? target : skip("cannot make files immutable here (not root, or no ext4)");
    }
    // Past the limit write() fails with EFBIG instead of the process being killed.
    fs::path limitFileSize(rlim_t bytes, const fs::path &target) {
        ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
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
            std::string &what = entries[entry.path().lexically_relative(root()).generic_string()];
            struct stat info {};
            ::lstat(entry.path().c_str(), &info);
            char mode[8];
            std::snprintf(mode, sizeof mode, "%04o", info.st_mode & 07777);
            if (S_ISLNK(info.st_mode)) {
                what = "link -> " + fs::read_symlink(entry.path()).string();
            } else if (S_ISREG(info.st_mode)) {
                const bool ours = info.st_uid == ::geteuid() && info.st_gid == ::getegid();
                what = "file " + std::string(mode) + " " +
                       (ours ? ""
                             : "owner " + std::to_string(info.st_uid) + ":" +
                                   std::to_string(info.st_gid) + " ") +
                       readBytes(entry.path());
            } else {
                what = S_ISDIR(info.st_mode)    ? "folder"
                       : S_ISFIFO(info.st_mode) ? "fifo"
                       : S_ISCHR(info.st_mode)  ? "character device"
                                                : "other";
            }
        }
        return entries;
    }

private:
    fs::path skip(std::string reason) {
        m_skipReason = std::move(reason);
        return {};
    }

    test::TempDir m_dir;
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
using K = TargetKind;

// One row a kind of target: what is there before, what is saved, where it fails and why, and
// what the folder holds afterwards.
// clang-format off
const Row kRows[] = {
    {"replacesAFileKeepingItsMode", [](Scene &s) { return s.file("out.csv", kOld, 0600); },
     kNew, Stage::None, "", K::Regular, K::Regular, {{"out.csv", "file 0600 " + kNew}}},
    {"keepsTheOwnerAndSpecialBitsOfAReplacedFile",
     [](Scene &s) { return s.owned(s.file("out.csv", kOld), 1234, 1235, 02640); },
     kNew, Stage::None, "", K::Regular, K::Regular, {{"out.csv", "file 2640 owner 1234:1235 " + kNew}}},
    {"createsAMissingFileWithTheUsualMode", [](Scene &s) { return s.path("out.csv"); },
     kNew, Stage::None, "", K::Missing, K::Regular, {{"out.csv", "file 0644 " + kNew}}},
    {"writesThroughALinkToTheFileItNames",
     [](Scene &s) { s.file("real.csv", kOld, 0640); return s.link("out.csv", "real.csv"); },
     kNew, Stage::None, "", K::Regular, K::Regular,
     {{"real.csv", "file 0640 " + kNew}, {"out.csv", "link -> real.csv"}}},
    {"followsAChainOfLinksRelativeToEachLinksFolder",
     [](Scene &s) {
         s.folder("sub");
         s.file("sub/real.csv", kOld, 0600);
         s.link("sub/mid.csv", "real.csv");
         return s.link("out.csv", "sub/mid.csv");
     },
     kNew, Stage::None, "", K::Regular, K::Regular,
     {{"sub", "folder"}, {"sub/real.csv", "file 0600 " + kNew},
      {"sub/mid.csv", "link -> real.csv"}, {"out.csv", "link -> sub/mid.csv"}}},
    {"createsTheFileADanglingLinkNames", [](Scene &s) { return s.link("out.csv", "made.csv"); },
     kNew, Stage::None, "", K::Missing, K::Regular,
     {{"out.csv", "link -> made.csv"}, {"made.csv", "file 0644 " + kNew}}},
    {"refusesALoopOfLinks",
     [](Scene &s) { s.link("b.csv", "out.csv"); return s.link("out.csv", "b.csv"); },
     kNew, Stage::Open, "too many levels of symbolic links", K::Missing, K::Missing,
     {{"out.csv", "link -> b.csv"}, {"b.csv", "link -> out.csv"}}},
    {"feedsANamedPipeWithoutReplacingIt", [](Scene &s) { return s.fifo("pipe"); },
     kNew, Stage::None, "", K::NotRegular, K::NotRegular, {{"pipe", "fifo"}}, nullptr, kNew},
    {"writesIntoACharacterDeviceWithoutReplacingIt", [](Scene &s) { return s.device("null", 1, 3); },
     kNew, Stage::None, "", K::NotRegular, K::NotRegular, {{"null", "character device"}}},
    {"reportsAFullDeviceAndLeavesItInPlace", [](Scene &s) { return s.device("full", 1, 7); },
     kNew, Stage::Commit, "no space left on device", K::NotRegular, K::NotRegular,
     {{"full", "character device"}}},
    {"writesStandardOutputForADash", [](Scene &s) { return s.captureStandardOutput("-"); },
     kNew, Stage::None, "", K::StandardOutput, K::StandardOutput, {}, nullptr, kNew},
    {"writesThroughDevStdoutIntoAPipe",
     [](Scene &s) { return s.captureStandardOutput("/dev/stdout"); },
     kNew, Stage::None, "", K::NotRegular, K::NotRegular, {}, nullptr, kNew},
    {"refusesAFolder",
     [](Scene &s) { s.folder("out.csv"); return s.file("out.csv/keep.txt", kOld).parent_path(); },
     kNew, Stage::Open, "is a directory", K::Directory, K::Directory,
     {{"out.csv", "folder"}, {"out.csv/keep.txt", "file 0644 " + kOld}}},
    {"refusesAPathThroughAFile",
     [](Scene &s) { s.file("notes.txt", kOld); return s.path("notes.txt/out.csv"); },
     kNew, Stage::Open, "notes.txt is not a folder", K::Missing, K::Missing,
     {{"notes.txt", "file 0644 " + kOld}}},
    {"refusesAMissingFolder", [](Scene &s) { return s.path("nosuch/out.csv"); },
     kNew, Stage::Open, "nosuch does not exist", K::Missing, K::Missing, {}},
    {"neverFollowsLinksPlantedAtTemporaryNames",
     [](Scene &s) {
         s.file("victim.txt", kOld);
         for (const char *name : {"out.csv.part", "out.csv.tmp", "out.csv~", ".out.csv.swp",
                                  "out.csv.new", "out.csv.XXXXXX"}) {
             s.link(name, "victim.txt");
         }
         return s.file("out.csv", kOld);
     },
     kNew, Stage::None, "", K::Regular, K::Regular,
     {{"victim.txt", "file 0644 " + kOld}, {"out.csv", "file 0644 " + kNew},
      {"out.csv.part", "link -> victim.txt"}, {"out.csv.tmp", "link -> victim.txt"},
      {"out.csv~", "link -> victim.txt"}, {".out.csv.swp", "link -> victim.txt"},
      {"out.csv.new", "link -> victim.txt"}, {"out.csv.XXXXXX", "link -> victim.txt"}}},
    {"keepsTheOldFileWhenAWriteIsCutShort",
     [](Scene &s) { return s.limitFileSize(rlim_t{64} * 1024, s.file("out.csv", kOld, 0600)); },
     kBig, Stage::Write, "file too large", K::Regular, K::Regular, {{"out.csv", "file 0600 " + kOld}}},
    {"keepsTheOldFileWhenTheFinalRenameIsRefused",
     [](Scene &s) { return s.ifFreezable(s.file("out.csv", kOld)); },
     kNew, Stage::Commit, "operation not permitted", K::Regular, K::Regular,
     {{"out.csv", "file 0644 " + kOld}}, [](Scene &s) { ASSERT_TRUE(s.immutable(s.root())); }},
    {"failsWhenAFolderTookTheTargetsPlace", [](Scene &s) { return s.path("out.csv"); },
     kNew, Stage::Commit, "is a directory", K::Missing, K::Directory,
     {{"out.csv", "folder"}, {"out.csv/keep.txt", "file 0644 " + kOld}},
     [](Scene &s) { s.folder("out.csv"); s.file("out.csv/keep.txt", kOld); }},
    {"neverReplacesAPipeThatAppearedWhileWriting", [](Scene &s) { return s.path("out.csv"); },
     kNew, Stage::Commit, "no longer a regular file", K::Missing, K::NotRegular,
     {{"out.csv", "fifo"}},
     [](Scene &s) { ASSERT_EQ(::mkfifo(s.path("out.csv").c_str(), 0644), 0); }},
    {"refusesAFrozenFolderBeforeWriting",
     [](Scene &s) {
         const fs::path target = s.ifFreezable(s.path("out.csv"));
         return target.empty() || s.immutable(s.root()) ? target : fs::path();
     },
     kNew, Stage::Open, "operation not permitted", K::Missing, K::Missing, {}},
    {"discardsAFileThatWasNotCommitted", [](Scene &s) { return s.file("out.csv", kOld); },
     kBig, Stage::None, "", K::Regular, K::Regular, {{"out.csv", "file 0644 " + kOld}}, nullptr,
     std::nullopt, false},
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

    Stage failedAt = Stage::None;
    std::unique_ptr<FileSink> sink;
    const auto error = test::errorOf([&] {
        failedAt = Stage::Open;
        sink = saver.open(target);
        failedAt = Stage::Write;
        sink->write(row.bytes);
        if (row.beforeCommit) {
            row.beforeCommit(scene);
        }
        failedAt = Stage::Commit;
        if (row.commit) {
            sink->commit();
        }
        failedAt = Stage::None;
    });
    EXPECT_EQ(failedAt, row.failsAt);
    if (error) {
        EXPECT_EQ(error->number(), 75);
        EXPECT_NE(error->description().find(row.reason), std::string::npos) << error->description();
        EXPECT_EQ(error->description().rfind("Could not write " + target.u8string() + ": ", 0), 0u)
            << error->description();
        if (whyNot) {
            EXPECT_EQ(error->description(),
                      "Could not write " + target.u8string() + ": " + *whyNot);
        }
        // A sink that failed once stays failed: nothing half-written is committed later.
        if (sink) {
            EXPECT_EQ(test::errorNumberOf([&] { sink->write(kNew); }), 75);
            EXPECT_EQ(test::errorNumberOf([&] { sink->commit(); }), 75);
        }
    }
    sink.reset();
    EXPECT_EQ(saver.kindOf(target), row.kindAfter);
    const std::string received = scene.received();
    if (row.received) {
        EXPECT_EQ(received, *row.received);
    }
    EXPECT_EQ(scene.listing(), row.after);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, FileSaverTargets, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &row) { return row.param.name; });

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
    EXPECT_TRUE(readBytes(scene.path("out.csv")) == expected);
}

// A writer killed half-way through a large file, as a power cut or the task manager would.
TEST(QtFileSaver, aKilledWriterLeavesNothingBehind) {
    Scene scene;
    const fs::path target = scene.file("out.csv", kOld);
    const std::map<std::string, std::string> before{{"out.csv", "file 0644 " + kOld}};
    test::ChildProcess writer({AQL_HELPER, "save", target.string()});
    ASSERT_TRUE(writer.waitFor("written"));
    // The child holds the 64 MiB in a file of the folder that has no name there.
    std::uintmax_t unnamedBytes = 0;
    for (const auto &fd : fs::directory_iterator("/proc/" + std::to_string(writer.pid()) + "/fd")) {
        std::error_code ec;
        const std::string name = fs::read_symlink(fd.path(), ec).string();
        if (name.rfind(scene.root().string(), 0) == 0 && name.find("(deleted)") != name.npos) {
            unnamedBytes = fs::file_size(fd.path(), ec);
        }
    }
    EXPECT_EQ(unnamedBytes, std::uintmax_t{64} << 20);
    EXPECT_EQ(scene.listing(), before);
    EXPECT_TRUE(writer.kill());
    EXPECT_EQ(scene.listing(), before);
}

// Spellings of one file are the file system's to resolve; "-" and missing files are ours.
TEST(FileSaver, sameFileSeesThroughLinksAndKeepsStandardOutputApart) {
    Scene s;
    const fs::path a = s.file("a.csv", kOld);
    const std::tuple<fs::path, fs::path, bool> rows[] = {
        {a, s.link("link.csv", "a.csv"), true},
        {a, s.file("copy.csv", kOld), false},
        {a, s.path("missing.csv"), false},
        {s.path("missing.csv"), s.path("missing.csv"), false},
        {"-", "-", true},
        {"-", s.file("-", kOld), false},
    };
    for (const auto &[x, y, same] : rows) {
        EXPECT_EQ(sameFile(x, y), same) << x << " " << y;
        EXPECT_EQ(sameFile(y, x), same) << y << " " << x;
    }
}

} // namespace
} // namespace aql::platform
