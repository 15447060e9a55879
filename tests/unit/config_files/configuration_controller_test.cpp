#include "config/ConfigurationController.h"
#include "support/LinkFakes.h"
#include "support/TempDir.h"
#include "unit/config_files/SiteFixture.h"

#include <gtest/gtest.h>

namespace aql::config::test {
namespace {

using namespace aql::test;

const std::string kHead = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                          "<aqlRemoteConfig version=\"1.0\">\r\n"
                          "    <siteName>Velmaro AQL</siteName>\r\n"
                          "    <managedSystems>\r\n";
const std::string kTail = "    </managedSystems>\r\n</aqlRemoteConfig>\r\n";

std::string line(int address, const std::string &ip, const std::string &port,
                 const std::string &name) {
    return "      <system address=\"" + std::to_string(address) + "\" ipaddress=\"" + ip +
           "\" port=\"" + port + "\" name=\"" + name + "\"/>\r\n";
}

// Wedstrijdbad, Instructiebad, Peuterbad at addresses 1, 2, 3, as the window writes them.
std::string threeSystems() {
    return readBytes(fixture("config_files/site_three_written.xml"));
}

// The window inside a stand-in for the main window, whose load reads the site file, goes Offline
// and selects the first system (which empties the window's text boxes).
struct Console {
    TempDir dir;
    Site site;
    RecordingMessageBox box;
    ConfigurationController window{site.values, site.editList, site.mainSelector, box, numberedText};
    int loads = 0, pumps = 0, beeps = 0;
    std::vector<std::pair<int, int>> reported; // text, error number

    explicit Console(const std::string &siteFile) {
        site.values.configPath = (dir / "config.xml").string();
        writeBytes(dir / "config.xml", siteFile);
        site.onNew = [this] { window.optNew_Click(); };
        window.reloadMainWindow = [this] { mainLoad(); };
        window.reportError = [this](int text, const AqlError &e) {
            reported.emplace_back(text, e.number());
        };
        window.processEvents = [this] { ++pumps; };
        window.beep = [this] { ++beeps; };
        mainLoad();
        window.Form_Load(false);
    }
    void mainLoad() {
        ++loads;
        site.load(dir / "config.xml", window.selector());
        window.setEditingAllowed(true);
        window.clearTextBoxes();
    }
    std::string file() const { return readBytes(dir / "config.xml"); }
    std::string shown(std::size_t i) const {
        return box.shown.at(i).text + "/" + std::to_string(box.shown.at(i).style);
    }
};

TEST(ConfigurationWindowNew, startsAtNumber0AndRefusesTheHundredAndFirstWithText48) {
    Console c(readBytes(fixture("config_files/site_no_systems.xml")));
    EXPECT_EQ(c.file(), kHead + line(1, "0.0.0.0", "0", "T113 0") + kTail);
    EXPECT_EQ(c.loads, 2); // start-up, and the reload New asked for
    for (int i = 1; i < 100; ++i) {
        c.window.optNew_Click();
    }
    ASSERT_TRUE(c.reported.empty());
    ASSERT_EQ(c.site.pools.count(), 100); // each New writes the file and loads it again
    EXPECT_EQ(c.site.pools.item(100).address(), 100);
    EXPECT_EQ(c.site.values.tables.poolAttribute(0, 0, 99, 0), "T113 99");

    const std::string before = c.file();
    const int loads = c.loads;
    c.window.optNew_Click();
    ASSERT_EQ(c.box.shown.size(), 1u);
    EXPECT_EQ(c.shown(0), "T48/16");
    EXPECT_EQ(c.file(), before);
    EXPECT_EQ(c.site.editList.count() + c.loads, 100 + loads);
    EXPECT_TRUE(c.window.optNew.enabled && c.window.optFake);
}

TEST(ConfigurationWindowNew, takesTheFirstNumberNotTakenInAnyLetterCase) {
    Console c(kHead + line(1, "", "", "T113 0") + line(2, "", "", "t113 1") + kTail);
    c.window.optNew_Click();
    EXPECT_EQ(namesOf(c.site.editList), (Names{"T113 0", "t113 1", "T113 2"}));
    EXPECT_EQ(c.pumps, 2); // once after each taken name
    EXPECT_EQ(c.window.cmbPools.text, "T113 2");
    EXPECT_EQ(c.window.txtIP.text + " " + c.window.txtPort.text, "0.0.0.0 0");
}

TEST(ConfigurationWindowSave, refusesATakenNameAndMovesTheSavedEntryToTheEnd) {
    Console c(threeSystems());
    c.window.selectEntry(1); // Instructiebad
    c.window.txtName.text = "PEUTERBAD";
    c.window.optSave_Click();
    ASSERT_EQ(c.box.shown.size(), 1u);
    EXPECT_EQ(c.shown(0), "T52/16");
    EXPECT_EQ(c.file(), threeSystems());
    EXPECT_EQ(c.site.mainSelector, (Names{"Wedstrijdbad", "Instructiebad", "Peuterbad"}));
    EXPECT_EQ(c.window.cmbPools.items, c.site.mainSelector);

    c.window.selectEntry(0); // Wedstrijdbad, saved under its own name with another port
    c.window.txtPort.text = "6001";
    c.window.optSave_Click();
    EXPECT_EQ(c.file(), kHead + line(1, "192.168.10.22", "5002", "Instructiebad") +
                            line(2, "10.0.0.9", "502", "Peuterbad") +
                            line(3, "192.168.10.21", "6001", "Wedstrijdbad") + kTail);
    EXPECT_EQ(c.site.pools.item("wedstrijdbad").address(), 3);
    EXPECT_TRUE(c.window.txtName.locked && !c.window.optDel.enabled);

    c.window.selectEntry(1); // Peuterbad in another letter case: its own name is free
    c.window.txtName.text = "PEUTERBAD";
    c.window.optSave_Click();
    EXPECT_EQ(c.box.shown.size(), 1u);
    EXPECT_EQ(c.site.mainSelector, (Names{"Instructiebad", "Wedstrijdbad", "PEUTERBAD"}));
}

TEST(ConfigurationWindowDelete, asksWithText46AndCancelChangesNothing) {
    Console c(threeSystems());
    c.window.selectEntry(1);
    c.box.answer = platform::kResultCancel;
    c.window.optDel_Click();
    ASSERT_EQ(c.box.shown.size(), 1u);
    EXPECT_EQ(c.shown(0), "T46/33");
    EXPECT_EQ(c.file(), threeSystems());
    EXPECT_EQ(c.loads, 1);

    c.box.answer = platform::kResultOk;
    c.window.optDel_Click();
    EXPECT_EQ(c.box.shown.size(), 2u);
    EXPECT_EQ(c.file(), kHead + line(1, "192.168.10.21", "5001", "Wedstrijdbad") +
                            line(2, "10.0.0.9", "502", "Peuterbad") + kTail);
    EXPECT_EQ(c.window.txtName.text, "");
    EXPECT_FALSE(c.window.optDel.enabled || c.window.optSave.enabled);
}

TEST(ConfigurationWindowFailures, aFailedWriteIsReportedAndChangesNeitherFileNorWindow) {
    Console c(threeSystems());
    const Names names = c.site.mainSelector;
    std::filesystem::create_directory(c.dir / "config.xml.part"); // the temporary file's place
    writeBytes(c.dir / "config.xml.part" / "keep", "");

    c.window.optNew_Click();
    c.window.selectEntry(2);
    c.window.optDel_Click();
    c.window.selectEntry(0);
    c.window.txtPort.text = "7001";
    c.window.optSave_Click();

    EXPECT_EQ(c.reported, (std::vector<std::pair<int, int>>{{49, 75}, {47, 75}, {51, 75}}));
    EXPECT_EQ(c.file(), threeSystems());
    EXPECT_EQ(c.loads, 1);
    EXPECT_EQ(namesOf(c.site.editList), names);
    EXPECT_EQ(c.site.mainSelector, names);
    EXPECT_EQ(c.window.cmbPools.items, names);
    EXPECT_TRUE(c.window.optNew.enabled); // New can be tried again
    // The typing survives, editable, for another try.
    EXPECT_EQ(c.window.txtName.text + " " + c.window.txtPort.text, "Wedstrijdbad 7001");
    EXPECT_FALSE(c.window.txtPort.locked);
}

TEST(ConfigurationWindowEditing, portTakesDigitsAndBackspaceOnlyAndBeepsAtTheRest) {
    Console c(threeSystems());
    std::string accepted;
    for (int key = 0; key < 256; ++key) {
        if (c.window.txtPort_KeyPress(key)) {
            accepted += static_cast<char>(key);
        }
    }
    EXPECT_EQ(accepted, "\b0123456789");
    EXPECT_EQ(c.beeps, 256 - 11);
}

TEST(ConfigurationWindowEditing, nothingCanBeEditedWhileOnline) {
    Console c(threeSystems());
    ConfigurationController &w = c.window;
    w.selectEntry(2);
    w.setEditingAllowed(false); // the Online choice, with a system selected
    for (bool enabled : {w.txtName.enabled, w.txtIP.enabled, w.txtPort.enabled, w.cmbPools.enabled,
                         w.optNew.enabled, w.optDel.enabled, w.optSave.enabled}) {
        EXPECT_FALSE(enabled);
    }
    w.setEditingAllowed(true);
    EXPECT_TRUE(w.txtPort.enabled && w.optNew.enabled && w.optDel.enabled && w.optSave.enabled);
    w.Form_Load(true); // opened while Online
    EXPECT_FALSE(w.txtName.enabled || w.optNew.enabled);
    EXPECT_EQ(w.cmbPools.items.size(), 3u);
}

} // namespace
} // namespace aql::config::test
