#include "config/SiteConfig.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"
#include "unit/config_files/ConfigTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace aql::config {
namespace {

using aql::test::errorNumberOf;
using aql::test::errorOf;
using aql::test::fixture;
using aql::test::TempDir;
using aql::test::writeBytes;
namespace fs = std::filesystem;

struct ProjectLoad {
    TempDir program;
    ConfigValues values;
    PoolList pools;
    std::vector<std::string> mainSelector{"stale"};
    clsEdit editList;
    int hidden = 0;

    void load(const fs::path &file) {
        editList.save("stale", "", "");
        ConfigTargets t{pools, mainSelector, editList};
        t.hideProjectControls = [this] { ++hidden; };
        t.programFolder = program.path();
        loadProjectConfig(file.string(), values, t, test::configText);
    }
    const std::string &at(int p, int s, int n, int k) const {
        return values.tables.poolAttribute(p, s, n, k);
    }
};

TEST(ProjectConfig, readsTablesByPositionWithPoolCodeAndRunningIndex) {
    ProjectLoad l;
    l.values.systemId = "000100";
    l.values.projectCode = "00";
    l.load(fixture("config_files/project.xml"));
    const ProjectTables &t = l.values.tables;
    EXPECT_EQ(l.values.useProject + "|" + l.values.updateTime, "1|2024-03-01 06:00");
    EXPECT_EQ(t.projectLast, 1);
    EXPECT_EQ(t.projectNames[1], "Gemeente Zuid");
    EXPECT_EQ(t.systemLast(0), 1);
    EXPECT_EQ(t.systemNames[0][1], "Buitenterrein");
    EXPECT_EQ(t.poolLast(0, 0), 1);
    EXPECT_EQ(t.poolLast(0, 1), 0); // the comment beside the pool is no pool
    // Attribute names do not matter: position 5 is the address and 6 the port.
    EXPECT_EQ(l.at(0, 0, 0, 5) + " " + l.at(0, 0, 0, 6) + " " + l.at(0, 0, 0, 7),
              "192.168.1.10 5001 h7");
    // Fewer than 7 attributes: the rest stays empty.
    EXPECT_EQ(l.at(0, 1, 0, 0) + l.at(0, 1, 0, 2) + "|" + l.at(0, 1, 0, 3) + l.at(0, 1, 0, 6),
              "Golfslagbad2|");
    const std::array<std::array<const char *, 2>, 4> coded{
        {{"000000", "0"}, {"000001", "1"}, {"000100", "2"}, {"010000", "3"}}};
    const std::array<std::array<int, 3>, 4> where{{{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}}};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto [p, s, n] = where[i];
        EXPECT_EQ(l.at(p, s, n, 121), coded[i][0]);
        EXPECT_EQ(l.at(p, s, n, 122), coded[i][1]);
    }

    const std::vector<std::string> names{"Wedstrijdbad", "Instructiebad", "Golfslagbad",
                                         "Peuterbad"};
    EXPECT_EQ(l.mainSelector, names);
    EXPECT_EQ(l.editList.count(), 0);
    ASSERT_EQ(l.pools.count(), 4);
    for (std::int32_t i = 1; i <= 4; ++i) {
        const clsPOol &pool = l.pools.item(i);
        EXPECT_EQ(pool.name(), names[i - 1]);
        EXPECT_EQ(pool.address(), 1);
        EXPECT_EQ(pool.Number(), i);
        EXPECT_EQ(pool.resort(), "00");
    }
    EXPECT_EQ(l.pools.item(2).port(), "5002");
    EXPECT_EQ(l.hidden, 1);
    EXPECT_TRUE(fs::is_directory(l.program.path() / "Data/Gemeente Zuid/Centrum/Peuterbad"));
    EXPECT_TRUE(
        fs::is_directory(l.program.path() / "Data/Gemeente Noord/Buitenterrein/Golfslagbad"));

    ProjectLoad siteLike; // no system code: the controls stay
    siteLike.load(fixture("config_files/project.xml"));
    EXPECT_EQ(siteLike.hidden, 0);
}

TEST(ProjectConfig, readsPositionsUpTo121AndThePoolCodeTakesPosition121) {
    std::string pool = "<Bad";
    for (int k = 0; k < 130; ++k) {
        pool += " a" + std::to_string(k) + "=\"v" + std::to_string(k) + "\"";
    }
    TempDir dir;
    writeBytes(dir / "c.xml", "<aqlRemoteConfig><Project><S>" + pool + "/>" +
                                  "</S></Project>"
                                  "</aqlRemoteConfig>");
    ProjectLoad l;
    readProjectFile((dir / "c.xml").string(), l.values, l.program.path());
    EXPECT_EQ(l.at(0, 0, 0, 120) + " " + l.at(0, 0, 0, 121) + " " + l.at(0, 0, 0, 122),
              "v120 000000 0");
    EXPECT_EQ(l.at(0, 0, 0, 123), "");
}

TEST(ProjectConfig, hostileNamesCreateNoFolderOutsideData) {
    TempDir dir;
    writeBytes(dir / "c.xml",
               "<aqlRemoteConfig>"
               "<Project projectname=\"..\"><S systemname=\"x\"><B n=\"Een\"/></S></Project>"
               "<Project projectname=\"Noord\"><S systemname=\"../../uit\"><B n=\"Twee\"/></S>"
               "<S systemname=\"Hal\"><B n=\"../../weg\"/><B n=\"C:evil\"/></S></Project>"
               "</aqlRemoteConfig>");
    ProjectLoad l;
    l.load(dir / "c.xml");
    EXPECT_EQ(l.pools.count(), 4); // the pools still work, only their folders are missing
    std::vector<std::string> created;
    for (const auto &entry : fs::recursive_directory_iterator(l.program.path())) {
        created.push_back(fs::relative(entry.path(), l.program.path()).generic_string());
    }
    std::sort(created.begin(), created.end());
    EXPECT_EQ(created, (std::vector<std::string>{"Data", "Data/Noord", "Data/Noord/Hal"}));
}

TEST(ProjectConfig, duplicateNamesAnywhereAndFilesBeyondTheTablesFailWith20000) {
    TempDir dir;
    std::string systems;
    for (int s = 0; s < 12; ++s) {
        systems += "<S><B n=\"B" + std::to_string(s) + "\"/></S>";
    }
    writeBytes(dir / "big.xml", "<aqlRemoteConfig><Project projectname=\"Groot\">" + systems +
                                    "</Project></aqlRemoteConfig>");
    const std::pair<fs::path, std::string> cases[] = {
        {fixture("config_files/project_duplicate.xml"), "\r\nduplicate name \"DIEPBAD\""},
        {dir / "big.xml", "\r\nproject \"Groot\" has 12 systems; at most 11"},
    };
    for (const auto &[file, detail] : cases) {
        ProjectLoad l;
        const auto e = errorOf([&] { l.load(file); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->number(), 20000);
        EXPECT_EQ(e->source(), "Configuration");
        EXPECT_EQ(e->description().rfind(
                      "Cannot read the configuration file " + file.string() + detail, 0),
                  0u)
            << e->description();
    }
}

TEST(ProjectConfig, anUnreadableFileOrAnotherRootYieldsNoPoolsAndSaysWhy) {
    TempDir dir;
    writeBytes(dir / "broken.xml", "<aqlRemoteConfig>\n<Project projectname=\"P\">");
    const std::pair<fs::path, std::string> cases[] = {
        {fixture("config_files/project_other_root.xml"), "the root element is <AQLRemoteConfig>"},
        {dir / "missing.xml", "the file does not exist"},
        {dir / "broken.xml", "not well-formed XML at line 2"},
    };
    for (const auto &[file, problem] : cases) {
        ProjectLoad l;
        l.load(file);
        EXPECT_EQ(l.pools.count(), 0);
        EXPECT_TRUE(l.mainSelector.empty());
        EXPECT_EQ(l.values.useProject, "");
        EXPECT_EQ(l.values.projectFileProblem.rfind(problem, 0), 0u) << l.values.projectFileProblem;
    }
}

TEST(ProjectTables, indexesOutsideTheTablesAreSubscriptErrors) {
    ProjectTables t;
    EXPECT_EQ(t.poolAttribute(100, 10, 50, 170), "");
    for (auto [p, s, n, k] : {std::array{101, 0, 0, 0},
                              {0, 11, 0, 0},
                              {0, 0, 51, 0},
                              {0, 0, 0, 171},
                              {-1, 0, 0, 0},
                              {0, -1, 0, 0},
                              {0, 0, -1, 0}}) {
        EXPECT_EQ(errorNumberOf([&] { t.poolAttribute(p, s, n, k); }), 9) << p << s << n << k;
    }
    t.setPoolAttribute(3, 4, 70, 5, "10.0.0.70");
    EXPECT_EQ(t.poolAttribute(3, 4, 70, 5) + t.poolAttribute(3, 4, 60, 5), "10.0.0.70");
    EXPECT_EQ(errorNumberOf([&] { t.poolAttribute(3, 4, 71, 5); }), 9);
}

} // namespace
} // namespace aql::config
