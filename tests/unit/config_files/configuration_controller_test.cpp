#include "config/ConfigurationController.h"
#include "core/TextId.h"
#include "support/DiskFileSaver.h"
#include "support/LinkFakes.h"
#include "support/TempDir.h"
#include "unit/config_files/SiteFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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
    int loads = 0;
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
};

std::string boxed(int text, int style) {
    return numberedText(text) + "/" + std::to_string(style);
}

// Each action as the operator takes it, and what it leaves in the site file and the selections.
TEST(ConfigurationWindowActions, writeTheSiteFileAndShowWhatItNowHolds) {
    const auto W = line(1, "192.168.10.21", "5001", "Wedstrijdbad");
    const auto I = line(2, "192.168.10.22", "5002", "Instructiebad");
    using Act = std::function<void(Console &)>;
    const auto save = [](const char *system, const char *name, const char *port) {
        return Act([=](Console &c) {
            c.select(system);
            c.window.editName(name);
            c.window.editPort(port);
            c.window.saveSystem();
        });
    };
    const auto erase = [](int answer) {
        return Act([=](Console &c) {
            c.select("Instructiebad");
            c.box.answer = answer;
            c.window.deleteSystem();
        });
    };
    const int kAsk = platform::style::kQuestionOkCancel;
    const struct {
        const char *what;
        std::string site;
        Act act;
        std::string file;
        Names shown;
        Names boxes;
    } rows[] = {
        {"New takes the first number not taken in any letter case",
         kHead + line(1, "", "", "T113 0") + line(2, "", "", "t113 1") + kTail,
         [](Console &c) { c.window.addSystem(); },
         kHead + line(1, "", "", "T113 0") + line(2, "", "", "t113 1") +
             line(3, "0.0.0.0", "0", "T113 2") + kTail,
         {"T113 0", "t113 1", "T113 2"},
         {}},
        {"a name another system has is refused",
         threeSystems(),
         save("Instructiebad", "PEUTERBAD", "5002"),
         threeSystems(),
         {"Wedstrijdbad", "Instructiebad", "Peuterbad"},
         {boxed(TextId::NameInUse, platform::style::kCritical)}},
        {"a saved system moves to the end",
         threeSystems(),
         save("Wedstrijdbad", "Wedstrijdbad", "6001"),
         kHead + line(1, "192.168.10.22", "5002", "Instructiebad") +
             line(2, "10.0.0.9", "502", "Peuterbad") +
             line(3, "192.168.10.21", "6001", "Wedstrijdbad") + kTail,
         {"Instructiebad", "Peuterbad", "Wedstrijdbad"},
         {}},
        {"its own name in another letter case is free",
         threeSystems(),
         save("Peuterbad", "PEUTERBAD", "502"),
         kHead + W + I + line(3, "10.0.0.9", "502", "PEUTERBAD") + kTail,
         {"Wedstrijdbad", "Instructiebad", "PEUTERBAD"},
         {}},
        {"Delete asks, and Cancel changes nothing",
         threeSystems(),
         erase(platform::kResultCancel),
         threeSystems(),
         {"Wedstrijdbad", "Instructiebad", "Peuterbad"},
         {boxed(TextId::ConfirmDeleteSystem, kAsk)}},
        {"Delete with OK removes the system",
         threeSystems(),
         erase(platform::kResultOk),
         kHead + W + line(2, "10.0.0.9", "502", "Peuterbad") + kTail,
         {"Wedstrijdbad", "Peuterbad"},
         {boxed(TextId::ConfirmDeleteSystem, kAsk)}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Console c(row.site);
        row.act(c);
        EXPECT_EQ(c.file(), row.file);
        EXPECT_EQ(c.site.mainSelector, row.shown);
        EXPECT_EQ(c.view().systems.items, row.shown);
        EXPECT_EQ(c.boxes(), row.boxes);
        EXPECT_TRUE(c.reported.empty());
    }
}

TEST(ConfigurationWindowNew, refusesTheHundredAndFirstAsAFullList) {
    Console c(readBytes(fixture("config_files/site_no_systems.xml")));
    for (int i = 1; i < 100; ++i) {
        c.window.addSystem();
    }
    ASSERT_TRUE(c.reported.empty());
    ASSERT_EQ(c.site.pools.count(), 100); // each New writes the file and loads it again
    EXPECT_EQ(c.site.pools.item(100).address(), 100);

    const std::string before = c.file();
    const int loads = c.loads;
    c.window.addSystem();
    EXPECT_EQ(c.boxes(), Names{boxed(TextId::SystemListFull, platform::style::kCritical)});
    EXPECT_EQ(c.file(), before);
    EXPECT_EQ(c.site.systemList.count() + c.loads, 100 + loads);
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
    c.window.editName("");
    EXPECT_FALSE(v.saveSystem.enabled) << "Save needs a name";
    EXPECT_TRUE(v.deleteSystem.enabled);
}

} // namespace
} // namespace aql::config::test
