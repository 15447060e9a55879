#include "config/PoolFolders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace aql::config {
namespace {

namespace fs = std::filesystem;

// Every path below `root`, relative to it: what the calls left behind on disk.
std::set<std::string> treeOf(const fs::path &root) {
    std::set<std::string> tree;
    for (const auto &entry : fs::recursive_directory_iterator(root)) {
        tree.insert(entry.path().lexically_relative(root).generic_string());
    }
    return tree;
}

std::vector<FolderStatus> statuses(const PoolFoldersResult &r) {
    return {r.steps[0].status, r.steps[1].status, r.steps[2].status, r.steps[3].status};
}

using S = FolderStatus;

class PoolFolders : public ::testing::Test {
protected:
    // The program folder sits one level down, so anything escaping it lands in the sandbox.
    test::TempDir sandbox;
    fs::path program = sandbox / "AQL Remote";
    void SetUp() override { fs::create_directory(program); }
};

TEST_F(PoolFolders, createsTheFourLevelsOnceAndLeavesExistingOnesAlone) {
    auto r = makePoolFolders(program, "Sportfondsen", "Noord", "Wedstrijdbad");
    EXPECT_EQ(statuses(r), (std::vector<S>{S::Created, S::Created, S::Created, S::Created}));
    EXPECT_EQ(r.pool().path, program / "Data" / "Sportfondsen" / "Noord" / "Wedstrijdbad");
    test::writeBytes(r.pool().path / "Realtime.csv", "kept");
    const auto before = treeOf(sandbox.path());

    r = makePoolFolders(program, "Sportfondsen", "Noord", "Wedstrijdbad");
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(statuses(r), (std::vector<S>(4, S::AlreadyPresent)));
    EXPECT_EQ(treeOf(sandbox.path()), before);
    EXPECT_EQ(test::readBytes(r.pool().path / "Realtime.csv"), "kept");
}

TEST_F(PoolFolders, hostileNamesNeverCreateAnythingOutsideData) {
    const char *const hostile[] = {
        "",   "..",    ".",   "...",  ". .",        "../up",      "..\\up",    "a/b",     "a\\b",
        "C:", "C:\\x", "D:x", "/abs", "\\\\srv\\s", "ads:stream", "tab\there", "nl\nhere"};
    for (int level = 1; level <= 3; ++level) {
        for (const char *name : hostile) {
            SCOPED_TRACE("level " + std::to_string(level) + " name [" + name + "]");
            const auto r = makePoolFolders(program, level == 1 ? name : "ok",
                                           level == 2 ? name : "ok", level == 3 ? name : "ok");
            for (int at = level; at <= 3; ++at) {
                const FolderStep &step = r.steps[static_cast<std::size_t>(at)];
                EXPECT_EQ(step.status, at == level ? S::RefusedName : S::NotAttempted);
                EXPECT_TRUE(step.path.empty());
            }
        }
    }
    // Only the levels above the refused names exist; nothing beside the program folder or Data.
    EXPECT_EQ(treeOf(sandbox.path()),
              (std::set<std::string>{"AQL Remote", "AQL Remote/Data", "AQL Remote/Data/ok",
                                     "AQL Remote/Data/ok/ok"}));
    for (const char *fine : {"a..b", ".hidden", "Zwembad 2.0", "Caf\xE9"}) {
        EXPECT_TRUE(isSafeFolderName(fine)) << fine;
    }
}

TEST_F(PoolFolders, fileSystemRefusalsAreReportedAndTheNextLevelIsStillTried) {
    fs::create_directories(program / "Data/P");
    test::writeBytes(program / "Data/P/S", "not a folder");
    EXPECT_EQ(statuses(makePoolFolders(program, "P", "S", "Bad")),
              (std::vector<S>{S::AlreadyPresent, S::AlreadyPresent, S::Failed, S::Failed}));
    EXPECT_EQ(test::readBytes(program / "Data/P/S"), "not a folder");

    const fs::path absent = sandbox / "not installed";
    EXPECT_EQ(statuses(makePoolFolders(absent, "P", "S", "Bad")), (std::vector<S>(4, S::Failed)));
    EXPECT_FALSE(fs::exists(absent));
}

} // namespace
} // namespace aql::config
