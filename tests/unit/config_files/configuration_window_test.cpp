#include "config/ConfigurationWindow.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"
#include "unit/config_files/ConfigTexts.h"

#include <gtest/gtest.h>

namespace aql::config {
namespace {

using aql::test::fixture;
using aql::test::readBytes;
using aql::test::writeBytes;
using Names = std::vector<std::string>;

const std::string kHead = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                          "<aqlRemoteConfig version=\"1.0\">\r\n"
                          "    <siteName>Velmaro AQL</siteName>\r\n"
                          "    <managedSystems>\r\n";
const std::string kTail = "    </managedSystems>\r\n</aqlRemoteConfig>\r\n";

Names namesOf(const clsEdit &edit) {
    Names names;
    for (std::int32_t i = 1; i <= edit.count(); ++i) {
        names.push_back(edit.name(i));
    }
    return names;
}

// The window inside a stand-in for the main window, whose load reads the site file, goes Offline
// and selects the first system (which empties the window's text boxes).
struct Console {
    aql::test::TempDir dir;
    ConfigValues values;
    PoolList pools;
    Names mainSelector;
    clsEdit editList;
    aql::test::ScriptedMessageBox box;
    frmConfiguration window{values, editList, mainSelector, box, test::configText};
    int loads = 0, pumps = 0, beeps = 0;
    std::vector<std::pair<int, AqlError>> reported;

    explicit Console(const std::string &siteFile) {
        values.configPath = (dir / "config.xml").string();
        writeBytes(dir / "config.xml", siteFile);
        window.reloadMainWindow = [this] { mainLoad(); };
        window.reportError = [this](int text, const AqlError &e) {
            reported.emplace_back(text, e);
        };
        window.processEvents = [this] { ++pumps; };
        window.beep = [this] { ++beeps; };
        mainLoad();
        window.Form_Load(false);
    }
    void mainLoad() {
        ++loads;
        pools.clear();
        ConfigTargets t{pools, mainSelector, editList};
        t.configSelector = window.selector();
        t.runNewAction = [this] { window.optNew_Click(); };
        loadSiteConfig(values.configPath, values, t, test::configText);
        window.setEditingAllowed(true);
        window.clearTextBoxes();
    }
    std::string file() const { return readBytes(dir / "config.xml"); }
};

std::string threeSystems() {
    return readBytes(fixture("config_files/site_three.xml"));
}
std::string threeRewritten() {
    return readBytes(fixture("config_files/site_three_written.xml"));
}

TEST(ConfigurationWindowNew, aSiteWithoutSystemsGetsName113ZeroWrittenAndLoaded) {
    Console c(readBytes(fixture("config_files/site_no_systems.xml")));
    EXPECT_EQ(c.file(), kHead +
                            "      <system address=\"1\" ipaddress=\"0.0.0.0\" port=\"0\" "
                            "name=\"Nieuw systeem 0\"/>\r\n" +
                            kTail);
    EXPECT_EQ(c.loads, 2); // start-up, and the reload New asked for
    ASSERT_EQ(c.pools.count(), 1);
    EXPECT_EQ(c.pools.item(1).name(), "Nieuw systeem 0");
    EXPECT_EQ(c.mainSelector, Names{"Nieuw systeem 0"});
    EXPECT_TRUE(c.window.optNew.enabled && c.window.optFake);
}

TEST(ConfigurationWindowNew, takesTheFirstNumberNotTakenInAnyLetterCase) {
    Console c("<aqlRemoteConfig><siteName/><managedSystems>"
              "<system address=\"1\" ipaddress=\"\" port=\"\" name=\"Nieuw systeem 0\"/>"
              "<system address=\"1\" ipaddress=\"\" port=\"\" name=\"NIEUW SYSTEEM 1\"/>"
              "</managedSystems></aqlRemoteConfig>");
    c.window.optNew_Click();
    EXPECT_EQ(namesOf(c.editList),
              (Names{"Nieuw systeem 0", "NIEUW SYSTEEM 1", "Nieuw systeem 2"}));
    EXPECT_EQ(c.pumps, 2); // once after each taken name
    EXPECT_EQ(c.loads, 2);
    EXPECT_EQ(c.window.cmbPools.text, "Nieuw systeem 2");
    EXPECT_EQ(c.window.txtIP.text + " " + c.window.txtPort.text, "0.0.0.0 0");
    EXPECT_TRUE(c.window.optDel.enabled);
}

TEST(ConfigurationWindowNew, aHundredSystemsLoadAgainAndTheNextIsRefusedWithText48) {
    Console c(readBytes(fixture("config_files/site_no_systems.xml")));
    for (int i = 1; i < 100; ++i) {
        c.window.optNew_Click();
    }
    ASSERT_TRUE(c.reported.empty());
    ASSERT_EQ(c.pools.count(), 100);
    EXPECT_EQ(c.pools.item(100).address(), 100);
    EXPECT_EQ(c.values.tables.poolAttribute(0, 0, 99, 0), "Nieuw systeem 99");

    const std::string before = c.file();
    const int loads = c.loads;
    c.window.optNew_Click();
    ASSERT_EQ(c.box.shown.size(), 1u);
    EXPECT_EQ(c.box.shown[0].text + "/" + std::to_string(c.box.shown[0].style),
              "No more than 100 systems/16");
    EXPECT_EQ(c.file(), before);
    EXPECT_EQ(c.editList.count() + c.loads, 100 + loads);
    EXPECT_TRUE(c.window.optNew.enabled && c.window.optFake);
}

TEST(ConfigurationWindowSave, renamingToAnotherSystemsNameShowsText52AndKeepsTheList) {
    Console c(threeSystems());
    c.window.selectEntry(1); // Instructiebad
    c.window.txtName.text = "PEUTERBAD";
    c.window.optSave_Click();
    ASSERT_EQ(c.box.shown.size(), 1u);
    EXPECT_EQ(c.box.shown[0].text + "/" + std::to_string(c.box.shown[0].style),
              "This name is already in use/16");
    // Save still rewrites the file, from the list read back: same systems in the same order.
    EXPECT_EQ(c.file(), threeRewritten());
    EXPECT_EQ(c.mainSelector, (Names{"Wedstrijdbad", "Instructiebad", "Peuterbad"}));
    EXPECT_EQ(c.window.cmbPools.items, c.mainSelector);
}

TEST(ConfigurationWindowSave, movesTheEntryToTheEndAndRenumbersTheAddresses) {
    Console c(threeSystems());
    c.window.selectEntry(0); // Wedstrijdbad
    c.window.txtPort.text = "6001";
    c.window.optSave_Click();
    EXPECT_EQ(c.file(), kHead +
                            "      <system address=\"1\" ipaddress=\"192.168.10.22\" port=\"5002\" "
                            "name=\"Instructiebad\"/>\r\n"
                            "      <system address=\"2\" ipaddress=\"10.0.0.9\" port=\"502\" "
                            "name=\"Peuterbad\"/>\r\n"
                            "      <system address=\"3\" ipaddress=\"192.168.10.21\" port=\"6001\" "
                            "name=\"Wedstrijdbad\"/>\r\n" +
                            kTail);
    EXPECT_EQ(c.pools.item("wedstrijdbad").address(), 3);
    EXPECT_TRUE(c.window.txtName.locked && c.window.txtPort.locked);
    EXPECT_FALSE(c.window.optDel.enabled);
    EXPECT_EQ(c.pumps, 1);

    c.window.selectEntry(1); // Peuterbad, renamed in another letter case: its own name is free
    c.window.txtName.text = "PEUTERBAD";
    c.window.optSave_Click();
    EXPECT_TRUE(c.box.shown.empty());
    EXPECT_EQ(c.mainSelector, (Names{"Instructiebad", "Wedstrijdbad", "PEUTERBAD"}));
}

TEST(ConfigurationWindowSave, withoutASelectionTheUnchangedListIsRewrittenAndReloaded) {
    Console c(threeSystems());
    c.window.txtName.text = "Iets";
    c.window.optSave_Click();
    EXPECT_EQ(c.file(), threeRewritten());
    EXPECT_EQ(c.loads, 2);
}

TEST(ConfigurationWindowDelete, asksWithText46AndCancelChangesNothing) {
    Console c(threeSystems());
    c.window.selectEntry(1);
    c.box.answers = {platform::kResultCancel, platform::kResultOk};
    c.window.optDel_Click();
    ASSERT_EQ(c.box.shown.size(), 1u);
    EXPECT_EQ(c.box.shown[0].text + "/" + std::to_string(c.box.shown[0].style),
              "Delete the selected system?/33");
    EXPECT_EQ(c.file(), threeSystems());
    EXPECT_EQ(c.loads, 1);

    c.window.optDel_Click();
    EXPECT_EQ(c.file(), kHead +
                            "      <system address=\"1\" ipaddress=\"192.168.10.21\" port=\"5001\" "
                            "name=\"Wedstrijdbad\"/>\r\n"
                            "      <system address=\"2\" ipaddress=\"10.0.0.9\" port=\"502\" "
                            "name=\"Peuterbad\"/>\r\n" +
                            kTail);
    EXPECT_EQ(c.window.txtName.text, "");
    EXPECT_FALSE(c.window.optDel.enabled || c.window.optSave.enabled);
}

TEST(ConfigurationWindowFailures, aFailedWriteIsReportedAndChangesNeitherFileNorWindow) {
    Console c(threeSystems());
    const Names names = c.mainSelector;
    std::filesystem::create_directory(c.dir / "config.xml.part"); // the temporary file's place
    writeBytes(c.dir / "config.xml.part" / "keep", "");

    c.window.optNew_Click();
    c.window.selectEntry(2);
    c.window.optDel_Click();
    c.window.selectEntry(0);
    c.window.txtPort.text = "7001";
    c.window.optSave_Click();

    std::vector<int> texts, numbers;
    for (const auto &[text, error] : c.reported) {
        texts.push_back(text);
        numbers.push_back(error.number());
    }
    EXPECT_EQ(texts, (std::vector<int>{49, 47, 51}));
    EXPECT_EQ(numbers, (std::vector<int>{75, 75, 75}));
    EXPECT_EQ(c.file(), threeSystems());
    EXPECT_EQ(c.loads, 1);
    EXPECT_EQ(namesOf(c.editList), names);
    EXPECT_EQ(c.mainSelector, names);
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

TEST(ConfigurationWindowEditing, selectionShowsTheExactlyNamedEntryOrElseTheLast) {
    Console c(threeSystems());
    c.window.selectEntry(0);
    EXPECT_EQ(c.window.txtName.text + " " + c.window.txtIP.text + " " + c.window.txtPort.text,
              "Wedstrijdbad 192.168.10.21 5001");
    EXPECT_TRUE(c.window.optDel.enabled && c.window.optSave.enabled);
    c.window.cmbPools.text = "instructiebad"; // typed in another case: no exact match
    c.window.cmbPools_Click();
    EXPECT_EQ(c.window.txtName.text, "Peuterbad");
    c.window.txtName.text.clear();
    c.window.txtName_Change();
    EXPECT_FALSE(c.window.optSave.enabled);
}

TEST(ConfigurationWindowEditing, nothingCanBeEditedWhileOnline) {
    Console c(threeSystems());
    frmConfiguration &w = c.window;
    w.selectEntry(2);
    w.Form_Load(true);
    EXPECT_EQ(w.cmbPools.items.size(), 3u);
    for (bool enabled : {w.txtName.enabled, w.txtIP.enabled, w.txtPort.enabled, w.cmbPools.enabled,
                         w.optNew.enabled, w.optDel.enabled, w.optSave.enabled}) {
        EXPECT_FALSE(enabled);
    }
    w.setEditingAllowed(true);
    EXPECT_TRUE(w.txtName.enabled && w.cmbPools.enabled && w.optNew.enabled);
    EXPECT_FALSE(w.optDel.enabled || w.optSave.enabled); // the load left nothing selected
    w.selectEntry(2);
    w.setEditingAllowed(false);
    w.setEditingAllowed(true);
    EXPECT_TRUE(w.optDel.enabled && w.optSave.enabled);
}

} // namespace
} // namespace aql::config
