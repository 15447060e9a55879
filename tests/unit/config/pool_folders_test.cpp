#include "config/PoolFolders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace aql::config {
namespace {

namespace fs = std::filesystem;
using S = FolderStatus;

// Every path below `root`, relative to it: what the calls left behind on disk.
std::set<std::string> treeOf(const fs::path &root) {
    std::set<std::string> tree;
    for (const auto &entry : fs::recursive_directory_iterator(root)) {
        tree.insert(entry.path().lexically_relative(root).generic_string());
    }
    return tree;
}

TEST(PoolFolders, levelsAreMadeOnceHostileNamesNeverLeadOutsideDataAndRefusalsAreReported) {
    test::TempDir sandbox; // the program folder sits one level down: an escape lands in here
    const fs::path program = sandbox / "AQL Remote";
    fs::create_directory(program);
    for (S expected : {S::Created, S::AlreadyPresent}) {
        const auto r = makePoolFolders(program, "P", "S", "Wedstrijdbad");
        for (const FolderStep &step : r.steps) {
            EXPECT_EQ(step.status, expected);
        }
        EXPECT_EQ(r.pool().path, program / "Data" / "P" / "S" / "Wedstrijdbad");
        if (expected == S::Created) {
            test::writeBytes(r.pool().path / "Realtime.csv", "kept");
        }
    }
    EXPECT_EQ(test::readBytes(program / "Data/P/S/Wedstrijdbad/Realtime.csv"), "kept");
    fs::remove_all(program / "Data/P");

    const char *const hostile[] = {"",     "..",    ".",    ". .",        "../up",   "..\\up",
                                   "a\\b", "C:\\x", "/abs", "ads:stream", "nl\nhere"};
    for (int level = 1; level <= 3; ++level) {
        for (const char *name : hostile) {
            SCOPED_TRACE("level " + std::to_string(level) + " name [" + name + "]");
            const auto r = makePoolFolders(program, level == 1 ? name : "ok",
                                           level == 2 ? name : "ok", level == 3 ? name : "ok");
            for (int at = level; at <= 3; ++at) {
                EXPECT_EQ(r.steps[at].status, at == level ? S::RefusedName : S::NotAttempted);
                EXPECT_TRUE(r.steps[at].path.empty());
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
    // A file in the way fails its level, and the next is still tried.
    test::writeBytes(program / "Data/ok/S", "not a folder");
    const auto r = makePoolFolders(program, "ok", "S", "Bad");
    EXPECT_EQ(r.system().status, S::Failed);
    EXPECT_EQ(r.pool().status, S::Failed);
}

} // namespace
} // namespace aql::config
