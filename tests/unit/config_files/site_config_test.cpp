#include "config/SiteConfig.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"
#include "unit/config_files/ConfigTexts.h"

#include <gtest/gtest.h>

namespace aql::config {
namespace {

using aql::test::errorNumberOf;
using aql::test::errorOf;
using aql::test::fixture;
using aql::test::readBytes;
using aql::test::TempDir;
using aql::test::writeBytes;
namespace fs = std::filesystem;

struct SiteLoad {
    ConfigValues values;
    PoolList pools;
    std::vector<std::string> mainSelector{"stale"}, configSelector{"stale"};
    clsEdit editList;
    int newActions = 0;

    void load(const fs::path &file) {
        ConfigTargets t{pools, mainSelector, editList};
        t.configSelector = &configSelector;
        t.runNewAction = [this] { ++newActions; };
        loadSiteConfig(file.string(), values, t, test::configText);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> n;
        for (std::int32_t i = 1; i <= editList.count(); ++i) {
            n.push_back(editList.name(i));
        }
        return n;
    }
};

TEST(SiteConfigReader, fillsPoolsSelectorsEditListAndTablesInFileOrder) {
    SiteLoad s;
    s.load(fixture("config_files/site_three.xml"));
    const std::vector<std::string> names{"Wedstrijdbad", "Instructiebad", "Peuterbad"};
    EXPECT_EQ(s.names(), names);
    EXPECT_EQ(s.mainSelector, names);
    EXPECT_EQ(s.configSelector, names);
    EXPECT_EQ(s.newActions, 0);
    ASSERT_EQ(s.pools.count(), 3);
    const clsPOol &last = s.pools.item(3);
    EXPECT_EQ(last.resort(), "Sportpark Oost");
    EXPECT_EQ(last.address(), 12);
    EXPECT_EQ(last.Number(), 3);
    EXPECT_EQ(last.ipaddress() + " " + last.port(), "10.0.0.9 502");
    EXPECT_EQ(s.pools.item(2).address(), 3);
    const ProjectTables &t = s.values.tables;
    EXPECT_EQ(t.poolAttribute(0, 0, 2, 0) + t.poolAttribute(0, 0, 2, 5) +
                  t.poolAttribute(0, 0, 2, 6),
              "Peuterbad10.0.0.9502");
    EXPECT_EQ(t.poolAttribute(0, 0, 2, 1) + t.poolAttribute(0, 1, 0, 0), "");
}

TEST(SiteConfigReader, utf8IsNarrowedToLatin1AndElementNamesKeepTheirCase) {
    SiteLoad s;
    s.load(fixture("config_files/site_utf8.xml"));
    EXPECT_EQ(s.values.siteName, "Zwembad \xC9\xE9n");
    EXPECT_EQ(s.names(), (std::vector<std::string>{"Zwembad Noord\xEB", "Bad ?5"}));

    // <System> and <ManagedSystems> are other elements: the file lists no system, so New runs.
    SiteLoad wrongCase;
    wrongCase.load(fixture("config_files/site_wrong_case_elements.xml"));
    EXPECT_EQ(wrongCase.pools.count(), 0);
    EXPECT_EQ(wrongCase.newActions, 1);
    EXPECT_TRUE(wrongCase.mainSelector.empty() && wrongCase.configSelector.empty());
}

TEST(SiteConfigReader, aReloadInsideNewThatStillFindsNoSystemDoesNotStartAnotherNew) {
    SiteLoad s;
    const fs::path empty = fixture("config_files/site_no_systems.xml");
    ConfigTargets t{s.pools, s.mainSelector, s.editList};
    t.runNewAction = [&] {
        ++s.newActions;
        loadSiteConfig(empty.string(), s.values, t, test::configText);
    };
    loadSiteConfig(empty.string(), s.values, t, test::configText);
    EXPECT_EQ(s.newActions, 1);
}

TEST(SiteConfigReader, everyFailureIs20000NamingTextsPathAndProblem) {
    const std::string head = "<aqlRemoteConfig>\n<siteName>S</siteName>\n<managedSystems>\n";
    const std::string tail = "</managedSystems>\n</aqlRemoteConfig>\n";
    auto sys = [](const std::string &attributes) { return "<system " + attributes + "/>\n"; };
    const std::string ok = "ipaddress=\"1\" port=\"1\" ";
    const std::pair<std::string, std::string> cases[] = {
        {head + "<system name=\"A\">\n" + tail, "not well-formed XML at line 5"},
        {"", "not well-formed XML at line 1"},
        {"<aqlRemoteConfig/><aqlRemoteConfig/>", "more than one root element"},
        {"<aqlRemoteConfig><SiteName>S</SiteName></aqlRemoteConfig>", "<siteName> is missing"},
        {head + sys(ok + "address=\"1\" Name=\"B\"") + tail, "system 1 has no attribute \"name\""},
        {head + sys(ok + "name=\"A\"") + tail, "system 1 has no attribute \"address\""},
        {head + sys("port=\"1\" address=\"1\" name=\"A\"") + tail, "no attribute \"ipaddress\""},
        {head + sys(ok + "address=\"zeven\" name=\"A\"") + tail,
         "address \"zeven\" of system \"A\" is not a number"},
        {head + sys(ok + "address=\"2147483648\" name=\"A\"") + tail, "is out of range"},
        {readBytes(fixture("config_files/site_duplicate.xml")), "duplicate name \"BUITENBAD\""},
        {readBytes(fixture("config_files/site_wrong_root.xml")),
         "the root element is <AqlRemoteConfig>, not <aqlRemoteConfig>"},
    };
    TempDir dir;
    const fs::path file = dir / "config.xml";
    const std::string lead = "Cannot read the configuration file " + file.string() + "\r\n";
    for (const auto &[bytes, detail] : cases) {
        SCOPED_TRACE(detail);
        writeBytes(file, bytes);
        SiteLoad s;
        const auto e = errorOf([&] { s.load(file); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->number(), 20000);
        EXPECT_EQ(e->source(), "Configuration");
        EXPECT_EQ(e->description().substr(0, lead.size()), lead);
        EXPECT_NE(e->description().find(detail, lead.size()), std::string::npos)
            << e->description();
    }
    SiteLoad missing;
    EXPECT_NE(
        errorOf([&] { missing.load(dir / "none.xml"); })->description().find("does not exist"),
        std::string::npos);
}

TEST(SiteConfigWriter, numbersAddressesByPositionAndAlwaysWritesTheDefaultSiteName) {
    TempDir dir;
    SiteLoad s;
    s.load(fixture("config_files/site_three.xml"));
    writeSiteConfig(s.editList, (dir / "config.xml").string());
    EXPECT_EQ(readBytes(dir / "config.xml"),
              readBytes(fixture("config_files/site_three_written.xml")));
}

TEST(SiteConfigWriter, markupControlAndLatin1CharactersSurviveWriteReadWrite) {
    clsEdit edit;
    edit.save("Pool \"A\" & <B>", "10.0.0.1", "502");
    edit.save("Zwembad Noord\xEB \xC3\xA9", "10.0.0.2", "5001"); // not UTF-8 either
    edit.save("Tab\ten\r\nregel", "<dhcp>", "80&81");
    TempDir dir;
    const fs::path file = dir / "config.xml";
    writeSiteConfig(edit, file.string());
    const std::string written = readBytes(file);
    EXPECT_EQ(written, readBytes(fixture("config_files/site_markup_written.xml")));

    SiteLoad s;
    s.load(file);
    for (std::int32_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(s.editList.name(i) + "|" + s.editList.ipaddress(i) + "|" + s.editList.port(i),
                  edit.name(i) + "|" + edit.ipaddress(i) + "|" + edit.port(i));
    }
    writeSiteConfig(s.editList, file.string());
    EXPECT_EQ(readBytes(file), written);
}

TEST(SiteConfigWriter, moreSystemsThanTheWindowAllowsLoadAgain) {
    clsEdit edit;
    for (int i = 0; i < 150; ++i) {
        edit.save("Bad " + std::to_string(i), "10.1.0." + std::to_string(i), "502");
    }
    TempDir dir;
    writeSiteConfig(edit, (dir / "config.xml").string());
    SiteLoad s;
    s.load(dir / "config.xml");
    ASSERT_EQ(s.pools.count(), 150);
    EXPECT_EQ(s.pools.item(150).address(), 150);
    EXPECT_EQ(s.values.tables.poolAttribute(0, 0, 149, 5), "10.1.0.149");
    EXPECT_EQ(errorNumberOf([&] { s.values.tables.poolAttribute(0, 0, 150, 0); }), 9);
}

TEST(SiteConfigWriter, aFailedWriteRaises75AndLeavesTheOldFileWhole) {
    TempDir dir;
    const fs::path file = dir / "config.xml";
    writeBytes(file, "old");
    // A folder that is not empty where the temporary file must go.
    fs::create_directory(dir / "config.xml.part");
    writeBytes(dir / "config.xml.part" / "keep", "");
    EXPECT_EQ(errorNumberOf([&] { writeSiteConfig(clsEdit{}, file.string()); }), 75);
    EXPECT_EQ(readBytes(file), "old");
    EXPECT_EQ(errorNumberOf([&] { writeSiteConfig(clsEdit{}, (dir / "no" / "c.xml").string()); }),
              75);
}

} // namespace
} // namespace aql::config
