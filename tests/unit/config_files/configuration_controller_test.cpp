#include "config/ConfigurationController.h"
#include "core/TextId.h"
#include "support/DiskFileSaver.h"
#include "support/LinkFakes.h"
#include "support/TempDir.h"
#include "unit/config_files/SiteFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// The window's logic inside a stand-in for the main window, whose load reads the site file, goes
// Offline and selects the first system (which empties the window's boxes).
struct Console {
    using View = ConfigurationController::View;

    TempDir dir;
    Site site;
    RecordingMessageBox box;
    DiskFileSaver files;
    ConfigurationController window{site.values, site.systemList, site.mainSelector,
                                   box,         files,           numberedText};
    Subscription watching = window.subscribe([this] { ++notifications; });
    int loads = 0, pumps = 0, beeps = 0, notifications = 0;
    std::vector<std::pair<int, int>> reported; // text, error number

    explicit Console(const std::string &siteFile) {
        site.values.configPath = (dir / "config.xml").string();
        writeBytes(dir / "config.xml", siteFile);
        site.onNew = [this] { window.addSystem(); };
        ConfigurationController::Hooks hooks;
        hooks.reloadMainWindow = [this] { mainLoad(); };
        hooks.reportError = [this](int text, const AqlError &e) {
            reported.emplace_back(text, e.number());
        };
        hooks.processEvents = [this] { ++pumps; };
        hooks.beep = [this] { ++beeps; };
        window.setHooks(std::move(hooks));
        mainLoad();
        window.open(false);
    }
    void mainLoad() {
        ++loads;
        site.load(dir / "config.xml", window.readerSelection());
        window.setEditingAllowed(true);
        window.clearFields();
    }

    const View &view() const { return window.view(); }
    std::string file() const { return readBytes(dir / "config.xml"); }
    // The message boxes shown, each as "text/style".
    Names boxes() const {
        Names out;
        for (const auto &b : box.shown) {
            out.push_back(b.text + "/" + std::to_string(b.style));
        }
        return out;
    }
    // The operator picks a system by the name the selection shows.
    void select(const std::string &name) {
        const Names &items = view().systems.items;
        const auto it = std::find(items.begin(), items.end(), name);
        ASSERT_NE(it, items.end()) << name;
        window.selectEntry(static_cast<int>(it - items.begin()));
    }
    // The three boxes as "name ip port", and which buttons can be pressed ("-" for a disabled one).
    std::string fields() const {
        return view().name.text + " " + view().ipAddress.text + " " + view().port.text;
    }
    std::string buttons() const {
        return std::string(view().newSystem.enabled ? "new" : "-") + " " +
               (view().deleteSystem.enabled ? "delete" : "-") + " " +
               (view().saveSystem.enabled ? "save" : "-");
    }
};

std::string boxed(int text, int style) {
    return numberedText(text) + "/" + std::to_string(style);
}

TEST(ConfigurationWindowNew, startsAtNumber0AndRefusesTheHundredAndFirstAsAFullList) {
    Console c(readBytes(fixture("config_files/site_no_systems.xml")));
    EXPECT_EQ(c.file(), kHead + line(1, "0.0.0.0", "0", "T113 0") + kTail);
    EXPECT_EQ(c.loads, 2); // start-up, and the reload New asked for
    for (int i = 1; i < 100; ++i) {
        c.window.addSystem();
    }
    ASSERT_TRUE(c.reported.empty());
    ASSERT_EQ(c.site.pools.count(), 100); // each New writes the file and loads it again
    EXPECT_EQ(c.site.pools.item(100).address(), 100);
    EXPECT_EQ(c.site.values.tables.poolAttribute(0, 0, 99, 0), "T113 99");

    const std::string before = c.file();
    const int loads = c.loads;
    c.window.addSystem();
    EXPECT_EQ(c.boxes(), Names{boxed(TextId::SystemListFull, platform::style::kCritical)});
    EXPECT_EQ(c.file(), before);
    EXPECT_EQ(c.site.systemList.count() + c.loads, 100 + loads);
    EXPECT_TRUE(c.view().newSystem.enabled && !c.view().actionRunning);
}

TEST(ConfigurationWindowNew, takesTheFirstNumberNotTakenInAnyLetterCase) {
    Console c(kHead + line(1, "", "", "T113 0") + line(2, "", "", "t113 1") + kTail);
    c.window.addSystem();
    EXPECT_EQ(namesOf(c.site.systemList), (Names{"T113 0", "t113 1", "T113 2"}));
    EXPECT_EQ(c.pumps, 2); // once after each taken name
    EXPECT_EQ(c.view().systems.text, "T113 2");
    EXPECT_EQ(c.fields(), "T113 2 0.0.0.0 0");
}

TEST(ConfigurationWindowSave, refusesATakenNameAndMovesTheSavedEntryToTheEnd) {
    Console c(threeSystems());
    c.select("Instructiebad");
    c.window.editName("PEUTERBAD");
    c.window.saveSystem();
    EXPECT_EQ(c.boxes(), Names{boxed(TextId::NameInUse, platform::style::kCritical)});
    EXPECT_EQ(c.file(), threeSystems());
    EXPECT_EQ(c.site.mainSelector, (Names{"Wedstrijdbad", "Instructiebad", "Peuterbad"}));
    EXPECT_EQ(c.view().systems.items, c.site.mainSelector);

    c.select("Wedstrijdbad"); // saved under its own name with another port
    c.window.editPort("6001");
    c.window.saveSystem();
    EXPECT_EQ(c.file(), kHead + line(1, "192.168.10.22", "5002", "Instructiebad") +
                            line(2, "10.0.0.9", "502", "Peuterbad") +
                            line(3, "192.168.10.21", "6001", "Wedstrijdbad") + kTail);
    EXPECT_EQ(c.site.pools.item("wedstrijdbad").address(), 3);
    EXPECT_TRUE(c.view().name.locked && !c.view().deleteSystem.enabled);

    c.select("Peuterbad"); // in another letter case its own name is free
    c.window.editName("PEUTERBAD");
    c.window.saveSystem();
    EXPECT_EQ(c.box.shown.size(), 1u);
    EXPECT_EQ(c.site.mainSelector, (Names{"Instructiebad", "Wedstrijdbad", "PEUTERBAD"}));
}

TEST(ConfigurationWindowDelete, asksFirstAndCancelChangesNothing) {
    Console c(threeSystems());
    c.select("Instructiebad");
    c.box.answer = platform::kResultCancel;
    c.window.deleteSystem();
    EXPECT_EQ(c.boxes(),
              Names{boxed(TextId::ConfirmDeleteSystem, platform::style::kQuestionOkCancel)});
    EXPECT_EQ(c.file(), threeSystems());
    EXPECT_EQ(c.loads, 1);

    c.box.answer = platform::kResultOk;
    c.window.deleteSystem();
    EXPECT_EQ(c.box.shown.size(), 2u);
    EXPECT_EQ(c.file(), kHead + line(1, "192.168.10.21", "5001", "Wedstrijdbad") +
                            line(2, "10.0.0.9", "502", "Peuterbad") + kTail);
    EXPECT_EQ(c.view().name.text, "");
    EXPECT_EQ(c.buttons(), "new - -");
}

TEST(ConfigurationWindowFailures, aFailedWriteIsReportedAndChangesNeitherFileNorWindow) {
    Console c(threeSystems());
    const Names names = c.site.mainSelector;
    // The saver's temporary file cannot be made where a folder stands.
    std::filesystem::create_directory(c.dir / "config.xml.test-part");
    writeBytes(c.dir / "config.xml.test-part" / "keep", "");

    c.window.addSystem();
    c.select("Peuterbad");
    c.window.deleteSystem();
    c.select("Wedstrijdbad");
    c.window.editPort("7001");
    c.window.saveSystem();

    EXPECT_EQ(c.reported, (std::vector<std::pair<int, int>>{{TextId::NewSystemFailed, 75},
                                                            {TextId::DeleteSystemFailed, 75},
                                                            {TextId::SaveSystemFailed, 75}}));
    EXPECT_EQ(c.file(), threeSystems());
    EXPECT_EQ(c.loads, 1);
    EXPECT_EQ(namesOf(c.site.systemList), names);
    EXPECT_EQ(c.site.mainSelector, names);
    EXPECT_EQ(c.view().systems.items, names);
    EXPECT_TRUE(c.view().newSystem.enabled); // New can be tried again
    // The typing survives, editable, for another try.
    EXPECT_EQ(c.view().name.text + " " + c.view().port.text, "Wedstrijdbad 7001");
    EXPECT_FALSE(c.view().port.locked);
}

TEST(ConfigurationWindowEditing, portTakesDigitsAndBackspaceOnlyAndBeepsAtTheRest) {
    Console c(threeSystems());
    std::string accepted;
    for (int key = 0; key < 256; ++key) {
        if (c.window.acceptPortKey(key)) {
            accepted += static_cast<char>(key);
        }
    }
    EXPECT_EQ(accepted, "\b0123456789");
    EXPECT_EQ(c.beeps, 256 - 11);
}

TEST(ConfigurationWindowEditing, nothingCanBeEditedWhileOnlineOrLockedAndSaveNeedsAName) {
    Console c(threeSystems());
    const Console::View &v = c.view();
    c.select("Peuterbad");
    c.window.setEditingAllowed(false); // the Online choice, with a system selected
    for (bool enabled : {v.name.enabled, v.ipAddress.enabled, v.port.enabled, v.systems.enabled,
                         v.newSystem.enabled, v.deleteSystem.enabled, v.saveSystem.enabled}) {
        EXPECT_FALSE(enabled);
    }
    c.window.editPort("80");
    EXPECT_EQ(v.port.text, "502");
    c.window.setEditingAllowed(true);
    EXPECT_EQ(c.buttons(), "new delete save");
    c.window.editName("");
    EXPECT_EQ(c.buttons(), "new delete -"); // Save needs a name
    c.window.editIpAddress("10.1.1.1");
    c.window.editPort("80");
    EXPECT_EQ(c.fields(), " 10.1.1.1 80");

    c.window.open(true); // opened while Online
    EXPECT_FALSE(v.name.enabled || v.newSystem.enabled);
    EXPECT_EQ(v.systems.items.size(), 3u);
    c.window.open(false);
    c.select("Peuterbad");
    c.window.saveSystem(); // locks the boxes; the reload empties them
    c.window.editName("Kikkerbad");
    c.window.editIpAddress("10.1.1.1");
    c.window.editPort("80");
    EXPECT_EQ(c.fields(), "  ");
}

TEST(ConfigurationWindowView, observersHearEachIntentOnceAndSeeAnActionRunWhileItsBoxIsOpen) {
    Console c(threeSystems());
    c.notifications = 0;
    c.select("Peuterbad");
    c.window.editName("Kikkerbad");
    c.window.clearFields();
    EXPECT_EQ(c.notifications, 3);

    // The reload inside Delete runs intents of its own; observers hear of the action when it
    // starts and once more when it ends, never half-way through.
    c.select("Peuterbad");
    c.notifications = 0;
    std::vector<std::pair<bool, int>> whileOpen; // actionRunning, notifications so far
    c.box.whileOpen = [&] { whileOpen.emplace_back(c.view().actionRunning, c.notifications); };
    c.window.deleteSystem();
    EXPECT_EQ(whileOpen, (std::vector<std::pair<bool, int>>{{true, 1}}));
    EXPECT_EQ(c.notifications, 2);
    EXPECT_FALSE(c.view().actionRunning);
    EXPECT_EQ(c.view().systems.items, (Names{"Wedstrijdbad", "Instructiebad"}));

    c.watching.reset();
    c.select("Wedstrijdbad");
    EXPECT_EQ(c.notifications, 2);
}

TEST(ConfigurationWindowView, textsFollowTheLanguageAndTheTitleLosesItsAccessKey) {
    TempDir dir;
    Site site;
    site.values.configPath = (dir / "config.xml").string();
    RecordingMessageBox box;
    std::string language = "nl";
    auto texts = [&language](int n) {
        return n == TextId::ConfigurationEntry ? "C&onfiguratie && meer (" + language + ")"
                                               : language + std::to_string(n);
    };
    DiskFileSaver files;
    ConfigurationController window(site.values, site.systemList, site.mainSelector, box, files,
                                   texts);
    window.open(false);
    const ConfigurationController::View &v = window.view();
    EXPECT_EQ(v.title, "Configuratie & meer (nl)");
    EXPECT_EQ(v.selectionLabel + v.nameLabel + v.ipAddressLabel + v.portLabel, "nl15nl20nl21nl22");
    language = "en";
    window.retranslate();
    EXPECT_EQ(v.title, "Configuratie & meer (en)");
    EXPECT_EQ(v.newSystem.caption + v.deleteSystem.caption + v.saveSystem.caption, "en23en24en19");
    EXPECT_EQ(v.newSystem.toolTip + v.deleteSystem.toolTip + v.saveSystem.toolTip,
              "en118en119en120");

    // Without hooks an action still runs: the main window's part is simply left out.
    window.addSystem();
    EXPECT_EQ(v.systems.items, (Names{"en113 0"}));
    EXPECT_EQ(window.acceptPortKey('x'), false);
    EXPECT_NE(readBytes(dir / "config.xml").find("name=\"en113 0\""), std::string::npos);
}

} // namespace
} // namespace aql::config::test
