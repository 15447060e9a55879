#include "support/TempDir.h"
#include "unit/config_files/SiteFixture.h"

#include <gtest/gtest.h>

namespace aql::config::test {
namespace {

using namespace aql::test;

TEST(ProjectConfig, readsTablesByPositionAndAddsEveryPoolAtAddress1UnderTheProjectCode) {
    TempDir program;
    Site l;
    l.values.systemId = "000100";
    l.values.projectCode = "00";
    l.loadProject(fixture("config_files/project.xml"), program.path());
    const ProjectTables &t = l.values.tables;
    auto at = [&](int p, int s, int n, int k) { return t.poolAttribute(p, s, n, k); };
    EXPECT_EQ(t.poolLast(0, 1), 0); // the comment beside the pool is no pool
    // Attribute names do not matter: position 5 is the address and 6 the port.
    EXPECT_EQ(at(0, 0, 0, 5) + " " + at(0, 0, 0, 6) + " " + at(0, 0, 0, 7), "192.168.1.10 5001 h7");
    // Pool code ppssnn at 121; running index over the whole file at 122.
    EXPECT_EQ(at(0, 0, 0, 121) + " " + at(0, 0, 1, 121) + " " + at(0, 1, 0, 121) + " " +
                  at(1, 0, 0, 121),
              "000000 000001 000100 010000");
    EXPECT_EQ(at(0, 0, 0, 122) + at(0, 0, 1, 122) + at(0, 1, 0, 122) + at(1, 0, 0, 122), "0123");

    const Names names{"Wedstrijdbad", "Instructiebad", "Golfslagbad", "Peuterbad"};
    EXPECT_EQ(l.mainSelector, names);
    ASSERT_EQ(l.pools.count(), 4);
    for (std::int32_t i = 1; i <= 4; ++i) {
        const Pool &pool = l.pools.item(i);
        EXPECT_EQ(pool.name() + "|" + pool.resort(), names[i - 1] + "|00");
        EXPECT_EQ(pool.address(), 1);
        EXPECT_EQ(pool.number(), i);
    }
    EXPECT_EQ(l.pools.item(2).port(), "5002");
}

TEST(ProjectConfig, anotherRootYieldsNoPoolsAndSaysWhy) {
    TempDir program;
    Site l;
    l.loadProject(fixture("config_files/project_other_root.xml"), program.path());
    EXPECT_EQ(l.pools.count(), 0);
    EXPECT_TRUE(l.mainSelector.empty());
    EXPECT_EQ(l.values.useProject, "");
    EXPECT_EQ(l.values.projectFileProblem.rfind("the root element is <AQLRemoteConfig>", 0), 0u);
}

} // namespace
} // namespace aql::config::test
