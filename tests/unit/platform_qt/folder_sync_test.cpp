// Whether a saved file's folder reaches the disk after the rename, seen through the system calls
// the process makes: fsync is wrapped here, for this test program only, and each call is logged
// with what its descriptor names.
#include "platform/qt/QtFileSaver.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Synced {
    std::string path;
    bool folder;
};

std::mutex g_lock;
std::vector<Synced> g_synced;

} // namespace

extern "C" int fsync(int fd) {
    using Real = int (*)(int);
    static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "fsync"));
    struct stat info {};
    const bool folder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    std::error_code ec;
    const std::string path =
        std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), ec).string();
    {
        const std::lock_guard<std::mutex> guard(g_lock);
        g_synced.push_back({path, folder});
    }
    return real(fd);
}

namespace {

namespace fs = std::filesystem;

struct Row {
    const char *what;
    const char *target;       // under the scene
    const char *syncedFolder; // the folder that must be synced last; nullptr: none
};

const Row kRows[] = {
    {"a new file", "a/new.csv", "a"},
    {"a file replaced", "a/old.csv", "a"},
    {"through a link to another folder", "a/link.csv", "b"},
    {"a device is written into, no folder changes", "/dev/null", nullptr},
};

TEST(QtFileSaver, theFolderIsFlushedToDiskAfterTheFileIsRenamedIntoIt) {
    for (const Row &row : kRows) {
        aql::test::TempDir dir;
        fs::create_directories(dir / "a");
        fs::create_directories(dir / "b");
        aql::test::writeBytes(dir / "a/old.csv", "old");
        aql::test::writeBytes(dir / "b/real.csv", "old");
        fs::create_symlink(dir / "b/real.csv", dir / "a/link.csv");
        const fs::path target = row.target[0] == '/' ? fs::path(row.target) : dir / row.target;
        {
            const std::lock_guard<std::mutex> guard(g_lock);
            g_synced.clear();
        }
        aql::platform::QtFileSaver().saveWhole(target, "new\r\n");

        const std::lock_guard<std::mutex> guard(g_lock);
        if (row.syncedFolder == nullptr) {
            for (const Synced &s : g_synced) {
                EXPECT_FALSE(s.folder) << row.what << ": " << s.path;
            }
            continue;
        }
        ASSERT_GE(g_synced.size(), 2u) << row.what;
        EXPECT_FALSE(g_synced.front().folder) << row.what << ": the file first";
        EXPECT_TRUE(g_synced.back().folder) << row.what << ": the folder last";
        EXPECT_EQ(g_synced.back().path, fs::canonical(dir / row.syncedFolder).string()) << row.what;
    }
}

} // namespace
