#include "core/TextId.h"
#include "support/DiskFileSaver.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"
#include "unit/config_files/SiteFixture.h"

#include <gtest/gtest.h>

namespace aql::config::test {
namespace {

using namespace aql::test;
namespace fs = std::filesystem;

TEST(SiteConfig, readsSystemsInFileOrderAndWritesThemBackNumbered1To3UnderTheFixedSiteName) {
    Site s;
    s.load(fixture("config_files/site_three.xml")); // addresses 7, 3, 12; site "Sportpark Oost"
    const Names names{"Wedstrijdbad", "Instructiebad", "Peuterbad"};
    EXPECT_EQ(namesOf(s.systemList), names);
    EXPECT_EQ(s.mainSelector, names);
    ASSERT_EQ(s.pools.count(), 3);
    const Pool &last = s.pools.item(3);
    EXPECT_EQ(last.resort() + "|" + std::to_string(last.address()) + "|" +
                  std::to_string(last.number()) + "|" + last.ipAddress() + "|" + last.port(),
              "Sportpark Oost|12|3|10.0.0.9|502");
    const ProjectTables &t = s.values.tables;
    EXPECT_EQ(t.poolAttribute(0, 0, 2, 0) + "|" + t.poolAttribute(0, 0, 2, 5) + "|" +
                  t.poolAttribute(0, 0, 2, 6),
              "Peuterbad|10.0.0.9|502");

    TempDir dir;
    DiskFileSaver files;
    writeSiteConfig(files, s.systemList, (dir / "config.xml").string());
    EXPECT_EQ(readBytes(dir / "config.xml"),
              readBytes(fixture("config_files/site_three_written.xml")));
}

// After a configuration save the main window reads the file again: systems that are gone from it
// must be gone from every list and table row, or the selection would still connect to them.
TEST(SiteConfig, rereadingAShorterFileLeavesNoRowOfTheLongerOne) {
    Site s;
    s.load(fixture("config_files/site_three.xml"));
    ASSERT_EQ(s.values.tables.poolAttribute(0, 0, 2, ProjectTables::kIpAttribute), "10.0.0.9");
    TempDir dir;
    writeBytes(dir / "config.xml",
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<aqlRemoteConfig>"
               "<siteName>Sportpark Oost</siteName><managedSystems>"
               "<system address=\"4\" ipaddress=\"10.0.0.4\" port=\"504\" name=\"Buitenbad\"/>"
               "</managedSystems></aqlRemoteConfig>\r\n");
    s.load(dir / "config.xml");
    EXPECT_EQ(namesOf(s.systemList), Names{"Buitenbad"});
    EXPECT_EQ(s.mainSelector, Names{"Buitenbad"});
    EXPECT_EQ(s.pools.count(), 1);
    const ProjectTables &t = s.values.tables;
    EXPECT_EQ(t.poolAttribute(0, 0, 0, ProjectTables::kIpAttribute), "10.0.0.4");
    for (int row : {1, 2}) {
        EXPECT_EQ(t.poolAttribute(0, 0, row, ProjectTables::kIpAttribute), "") << "row " << row;
    }
}

TEST(SiteConfig, aUtf8FileIsNarrowedToLatin1) {
    Site s;
    s.load(fixture("config_files/site_utf8.xml"));
    EXPECT_EQ(s.values.siteName, "Zwembad \xC9\xE9n");
    EXPECT_EQ(namesOf(s.systemList), (Names{"Zwembad Noord\xEB", "Bad ?5"})); // the euro sign
}

TEST(SiteConfig, aFileWithoutSystemElementsRunsNewOnceEvenWhenTheReloadInsideNewFindsNone) {
    Site s;
    const fs::path file = fixture("config_files/site_wrong_case_elements.xml"); // <System> only
    s.onNew = [&] {
        if (++s.newActions < 5) { // bounded, so a missing guard fails instead of overflowing
            s.load(file);
        }
    };
    s.load(file);
    EXPECT_EQ(s.newActions, 1);
    EXPECT_EQ(s.pools.count(), 0);
    EXPECT_TRUE(s.mainSelector.empty() && s.configSelector.empty());
    s.load(file); // the guard is down again once New has returned
    EXPECT_EQ(s.newActions, 2);
}

// A site or project file that cannot be used: error 20000 naming the text, the path and the
// problem; duplicate names anywhere, files beyond the tables.
TEST(ConfigFiles, readProblemsFailWith20000NamingTextsPathAndDetail) {
    const std::string head = "<aqlRemoteConfig><siteName>S</siteName><managedSystems>";
    const std::string tail = "</managedSystems></aqlRemoteConfig>";
    std::string systems;
    for (int s = 0; s < 12; ++s) {
        systems += "<S><B n=\"B" + std::to_string(s) + "\"/></S>";
    }
    const struct {
        bool project;
        std::string bytes, detail;
    } cases[] = {
        {false, readBytes(fixture("config_files/site_duplicate.xml")),
         "duplicate name \"BUITENBAD\""},
        {false, readBytes(fixture("config_files/site_wrong_root.xml")),
         "the root element is <AqlRemoteConfig>, not <aqlRemoteConfig>"},
        {false, head + "<system address=\"zeven\" ipaddress=\"\" port=\"\" name=\"A\"/>" + tail,
         "address \"zeven\" of system \"A\" is not a number"},
        {true, readBytes(fixture("config_files/project_duplicate.xml")),
         "duplicate name \"DIEPBAD\""},
        {true,
         "<aqlRemoteConfig><Project projectname=\"Groot\">" + systems +
             "</Project></aqlRemoteConfig>",
         "project \"Groot\" has 12 systems; at most 11"},
    };
    TempDir dir;
    const fs::path file = dir / "config.xml";
    const std::string lead =
        numberedText(TextId::ConfigFileUnreadable) + " " + file.string() + "\r\n";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.detail);
        writeBytes(file, c.bytes);
        Site s;
        const auto e = errorOf([&] { c.project ? s.loadProject(file, dir.path()) : s.load(file); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->number(), 20000);
        EXPECT_EQ(e->source(), numberedText(TextId::ConfigFileSource));
        EXPECT_EQ(e->description().rfind(lead + c.detail, 0), 0u) << e->description();
    }
}

TEST(SiteConfig, markupControlAndLatin1CharactersSurviveWriteReadWriteByteForByte) {
    SystemList edit;
    edit.append("Pool \"A\" & <B>", "10.0.0.1", "502");
    edit.append("Zwembad Noord\xEB \xC3\xA9", "10.0.0.2", "5001"); // not UTF-8 either
    edit.append("Tab\ten\r\nregel", "<dhcp>", "80&81");
    TempDir dir;
    DiskFileSaver files;
    const fs::path file = dir / "config.xml";
    writeSiteConfig(files, edit, file.string());
    const std::string written = readBytes(file);
    EXPECT_EQ(written, readBytes(fixture("config_files/site_markup_written.xml")));
    Site s;
    s.load(file);
    writeSiteConfig(files, s.systemList, file.string());
    EXPECT_EQ(readBytes(file), written);
}

} // namespace
} // namespace aql::config::test
