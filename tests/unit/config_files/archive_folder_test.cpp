#include "config/ArchiveFolder.h"
#include "support/TempDir.h"
#include "unit/config_files/SiteFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace aql::config::test {
namespace {

using namespace aql::test;
namespace fs = std::filesystem;

TEST(ArchiveFolder, eachPoolKeepsItsArchiveInItsOwnFolderAndHostileNamesMakeNothing) {
    TempDir program;
    Site l;
    l.values.systemId = "000100";
    l.values.projectCode = "00";
    l.loadProject(fixture("config_files/project.xml"), program.path());
    const char *const expected[] = {
        "Data/Gemeente Noord/Sporthal/Wedstrijdbad", "Data/Gemeente Noord/Sporthal/Instructiebad",
        "Data/Gemeente Noord/Buitenterrein/Golfslagbad", "Data/Gemeente Zuid/Centrum/Peuterbad"};
    ASSERT_EQ(l.pools.count(), 4);
    for (std::int32_t i = 1; i <= 4; ++i) {
        const ArchiveFolder folder =
            archiveFolderOf(program.path(), l.values, l.pools.item(i), true);
        EXPECT_EQ(folder.problem, "");
        EXPECT_EQ(folder.path, program.path() / expected[i - 1]);
    }
    // Removed since the file was read: made again.
    fs::remove_all(program.path() / "Data");
    EXPECT_EQ(archiveFolderOf(program.path(), l.values, l.pools.item(4), true).path,
              program.path() / expected[3]);
    EXPECT_TRUE(fs::is_directory(program.path() / expected[3]));

    // A pool the tables do not hold at its number, or hold under another name.
    const struct {
        std::int32_t number;
        const char *name;
    } strangers[] = {{5, "Peuterbad"}, {2, "Wedstrijdbad"}};
    for (const auto &s : strangers) {
        const ArchiveFolder folder =
            projectArchiveFolder(program.path(), l.values.tables, s.number, s.name);
        EXPECT_TRUE(folder.path.empty());
        EXPECT_EQ(folder.problem,
                  "the pool \"" + std::string(s.name) + "\" is not in the project file");
    }
    // A system name that cannot be a folder.
    l.values.tables.systemNames[0][1] = "..";
    const ArchiveFolder refused =
        projectArchiveFolder(program.path(), l.values.tables, 3, "Golfslagbad");
    EXPECT_EQ(refused.problem, "the name \"..\" cannot name a folder");

    // A site pool keeps its archive in Data under its name; which names are refused is the folder
    // rules' own table, here only that a site pool goes through them.
    const std::string latin1 = "Bad \xE9t\xE9";
    for (int call = 0; call < 2; ++call) { // made, then found
        const ArchiveFolder folder = siteArchiveFolder(program.path(), latin1);
        EXPECT_EQ(folder.problem, "");
        EXPECT_EQ(folder.path, program.path() / "Data" / latin1);
        EXPECT_TRUE(fs::is_directory(folder.path));
    }
    const ArchiveFolder hostile = siteArchiveFolder(program.path(), "../escape");
    EXPECT_TRUE(hostile.path.empty());
    EXPECT_EQ(hostile.problem, "the name \"../escape\" cannot name a folder");
    EXPECT_FALSE(fs::exists(program.path() / "escape"));
}

} // namespace
} // namespace aql::config::test
