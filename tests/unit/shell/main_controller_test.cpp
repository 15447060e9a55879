#include "shell/MainController.h"

#include "core/Error.h"
#include "support/LinkFakes.h"
#include "support/MemorySettings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;

namespace {

class NoFileDialog : public platform::FileDialog {
public:
    std::optional<std::string> openFile(const std::string &, const std::string &) override {
        return answer;
    }
    std::optional<std::string> saveFile(const std::string &, const std::string &) override {
        return answer;
    }
    std::optional<std::string> answer;
};

// A language file whose text n reads prefix + n.
std::string languageFile(const std::string &prefix) {
    std::string s = "test texts\r\n[begin]\r\n";
    for (int n = 1; n <= 203; ++n) {
        s += std::to_string(n) + "|" + prefix + std::to_string(n) + "\r\n";
    }
    return s;
}

const std::string kSite =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
    "<aqlRemoteConfig version=\"1.0\">\r\n"
    "    <siteName>Zwembad Oost</siteName>\r\n"
    "    <managedSystems>\r\n"
    "      <system address=\"7\" ipaddress=\"127.0.0.1\" port=\"4001\" name=\"Main pool\"/>\r\n"
    "      <system address=\"3\" ipaddress=\"127.0.0.2\" port=\"4002\" name=\"Kids pool\"/>\r\n"
    "    </managedSystems>\r\n"
    "</aqlRemoteConfig>\r\n";

struct ShellRig {
    TempDir dir;
    FakePump pump;
    FakeSocket socket{pump};
    ManualTimerFactory timers;
    RecordingMessageBox box;
    CountingBeep beep;
    FixedClock clock;
    MemorySettings settings;
    NoFileDialog dialog;
    std::unique_ptr<shell::MainController> main;

    ShellRig() {
        writeBytes(dir / "English.lng", languageFile("E"));
        writeBytes(dir / "Nederlands.lng", languageFile("N"));
        writeBytes(dir / "config.xml", kSite);
    }
    shell::MainController &open(const std::string &arguments = "") {
        main = std::make_unique<shell::MainController>(
            shell::ShellServices{{socket, timers, pump, box, beep, clock}, settings, dialog},
            dir.path(), shell::CommandLine("AQLRemote", arguments));
        return *main;
    }
    std::string setting(const char *path) {
        auto v = settings.read(path);
        return v ? *v : "";
    }
};

} // namespace

TEST(StartUp, withoutALanguageSettingEnglishIsWrittenReadAndChecked) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    EXPECT_EQ(rig.setting(shell::kLanguageSetting), "English.lng");
    EXPECT_EQ(w.captions.mnuFile, "E1");
    EXPECT_EQ(w.captions.lblConnecting, "E202");
    EXPECT_TRUE(w.mnuENGChecked);
    EXPECT_FALSE(w.mnuNEDChecked);
    EXPECT_EQ(rig.setting(shell::kDataDirSetting), rig.dir.path().u8string());
    EXPECT_TRUE(std::filesystem::is_directory(rig.dir / "Data"));
    EXPECT_TRUE(rig.box.shown.empty());
}

TEST(StartUp, siteModeSelectsTheFirstPoolAndStartsOffline) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    EXPECT_EQ(w.cmbPools, (std::vector<std::string>{"Main pool", "Kids pool"}));
    ASSERT_NE(w.currentPool(), nullptr);
    EXPECT_EQ(w.currentPool()->name(), "Main pool");
    EXPECT_EQ(w.console.panel.controllerAddress, 7);
    EXPECT_EQ(w.cmbPoolsIndex, 0);
    EXPECT_TRUE(w.cmbPoolsVisible);
    EXPECT_FALSE(w.console.panel.optOnLineSelected);
    EXPECT_EQ(w.console.comms.operatingMode(), 0);
    EXPECT_TRUE(w.console.modes.tmrComms().enabled());
    EXPECT_TRUE(w.console.remote.tmrCursor().enabled());
    EXPECT_EQ(rig.socket.connectCalls, 0);
    EXPECT_EQ(w.values().configPath, (rig.dir / "config.xml").u8string());
}

TEST(StartUp, aThirdLanguageFileIsUsedWithNeitherMenuEntryChecked) {
    ShellRig rig;
    writeBytes(rig.dir / "Deutsch.lng", languageFile("D"));
    rig.settings.write(shell::kLanguageSetting, "Deutsch.lng");
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    EXPECT_EQ(w.captions.mnuFile, "D1");
    EXPECT_FALSE(w.mnuENGChecked || w.mnuNEDChecked);
}

TEST(StartUp, aMissingLanguageFileIsReportedAndEveryTextIsAPlaceholder) {
    ShellRig rig;
    std::filesystem::remove(rig.dir / "English.lng");
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text,
              "Text couldn't be read\r\n" + (rig.dir / "English.lng").u8string());
    EXPECT_EQ(w.captions.mnuFile, "####-1-####");
    EXPECT_EQ(w.cmbPools.size(), 2u); // the program still starts
}

TEST(StartUp, anUnreadableConfigurationEndsWithAMessageNamingTheFile) {
    for (const std::string &content :
         {std::string(""), std::string("<aqlRemoteConfig><managedSystems>"),
          kSite.substr(0, kSite.find("<system")) + "<system address=\"1\" ipaddress=\"a\" port=\"1\" name=\"A\"/>"
              "<system address=\"2\" ipaddress=\"b\" port=\"2\" name=\"a\"/></managedSystems></aqlRemoteConfig>",
          kSite.substr(0, kSite.find("<system")) + "<system address=\"300\" ipaddress=\"a\" port=\"1\" name=\"A\"/>"
              "</managedSystems></aqlRemoteConfig>"}) {
        ShellRig rig;
        writeBytes(rig.dir / "config.xml", content);
        auto &w = rig.open();
        auto failure = w.start();
        ASSERT_TRUE(failure) << content;
        EXPECT_NE(failure->message.find("config.xml"), std::string::npos) << failure->message;
        ASSERT_FALSE(rig.box.shown.empty());
        EXPECT_EQ(rig.box.shown.back().style, 16);
    }
    ShellRig rig;
    std::filesystem::remove(rig.dir / "config.xml");
    EXPECT_TRUE(rig.open().start());
}

TEST(StartUp, projectCode010203SelectsProject1System2Pool3AndGoesOnlineAtOnce) {
    ShellRig rig;
    TempDir projectDir;
    std::string pools;
    auto pool = [](const std::string &name, const std::string &ip) {
        return "<pool a0=\"" + name + "\" a1=\"\" a2=\"\" a3=\"\" a4=\"\" a5=\"" + ip +
               "\" a6=\"4100\"/>";
    };
    std::string project =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<aqlRemoteConfig>"
        "<UseProject UP=\"1\"/><Update Time=\"x\"/>"
        "<Project projectname=\"P0\"><system systemname=\"S0\">" + pool("P0S0N0", "10.9.9.9") +
        "</system></Project>"
        "<Project projectname=\"P1\">"
        "<system systemname=\"S0\">" + pool("P1S0N0", "10.9.9.8") + "</system>"
        "<system systemname=\"S1\">" + pool("P1S1N0", "10.9.9.7") + "</system>"
        "<system systemname=\"S2\">" + pool("P1S2N0", "127.0.0.1") + pool("P1S2N1", "127.0.0.1") +
        pool("P1S2N2", "127.0.0.1") + pool("Target", "127.0.0.1") + "</system>"
        "</Project></aqlRemoteConfig>\r\n";
    writeBytes(projectDir / "config.xml", project);
    rig.settings.write(shell::kDatabaseSetting, projectDir.path().u8string());
    auto &w = rig.open("010203");
    ASSERT_FALSE(w.start()) << (rig.box.shown.empty() ? "" : rig.box.shown[0].text);
    EXPECT_EQ(w.title, "Velmaro AQL - Target");
    EXPECT_FALSE(w.cmbPoolsVisible);
    EXPECT_FALSE(w.mnuConfigurationVisible);
    EXPECT_EQ(w.currentPool()->name(), "P0S0N0"); // always the first pool of the list
    EXPECT_EQ(w.console.panel.controllerAddress, 1);
    EXPECT_TRUE(w.console.panel.optOnLineSelected);
    EXPECT_EQ(rig.socket.remoteHost, "127.0.0.1");
    EXPECT_EQ(rig.socket.remotePort, 4100);
    EXPECT_EQ(w.console.comms.operatingMode(), 2);
    EXPECT_TRUE(std::filesystem::is_directory(rig.dir / "Data" / "P1" / "S2" / "Target"));
}

TEST(StartUp, aSystemCodeThatIsNotSixDigitsOrNamesNoPoolFailsClearly) {
    for (const char *code : {"0102", "01020x", "990000"}) {
        ShellRig rig;
        TempDir projectDir;
        writeBytes(projectDir / "config.xml",
                   "<aqlRemoteConfig><Project projectname=\"P\"><system systemname=\"S\">"
                   "<pool a0=\"A\" a1=\"\" a2=\"\" a3=\"\" a4=\"\" a5=\"h\" a6=\"1\"/>"
                   "</system></Project></aqlRemoteConfig>");
        rig.settings.write(shell::kDatabaseSetting, projectDir.path().u8string());
        EXPECT_TRUE(rig.open(code).start()) << code;
        EXPECT_EQ(rig.socket.connectCalls, 0) << code;
    }
}

TEST(Selection, anotherEntryChangesThePoolCodeAndEmptiesTheRecordsButKeepsTheFirstPool) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    records::LogRecord r;
    r.recordNumber = 5;
    w.currentPool()->records().insert(r);
    w.cmbPools_Click(1);
    EXPECT_EQ(w.values().poolCode, "1");
    EXPECT_EQ(w.currentPool()->name(), "Main pool");
    EXPECT_EQ(w.currentPool()->records().count(), 0u);
    // The connection follows the selection box, the frame address the current pool.
    w.console.modes.selectOnLine();
    EXPECT_EQ(rig.socket.remoteHost, "127.0.0.2");
    EXPECT_EQ(rig.socket.remotePort, 4002);
    EXPECT_EQ(w.console.panel.controllerAddress, 7);
}

TEST(LanguageSwitch, dutchThenEnglishWritesBothNamesAndReappliesEveryWindowInOrder) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    std::vector<std::string> order;
    w.windows.aboutFilltext = [&] { order.push_back("about"); };
    w.windows.configFilltext = [&] { order.push_back("config"); };
    w.windows.logFilltext = [&] { order.push_back("log"); };
    w.windows.mainFilltext = [&] { order.push_back("main:" + w.captions.mnuFile); };
    w.windows.tcpFilltext = [&] { order.push_back("tcp"); };
    w.mnuNED_Click();
    EXPECT_EQ(rig.setting(shell::kLanguageSetting), "Nederlands.lng");
    EXPECT_TRUE(w.mnuNEDChecked);
    EXPECT_FALSE(w.mnuENGChecked);
    EXPECT_EQ(order, (std::vector<std::string>{"about", "config", "log", "main:N1", "tcp"}));
    EXPECT_EQ(w.console.error.title(), "AQLRemote - V2.0");
    w.mnuENG_Click();
    EXPECT_EQ(rig.setting(shell::kLanguageSetting), "English.lng");
    EXPECT_EQ(w.captions.mnuFile, "E1");
    EXPECT_EQ(w.getText(95), "E95"); // the link's messages follow too
}

TEST(Shutdown, exitWhileOnlineClosesTheConnectionBeforeAnyWindow) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    w.console.modes.selectOnLine();
    ASSERT_EQ(rig.socket.state(), platform::sockstate::kConnected);
    std::vector<std::string> order;
    auto closer = [&](const char *name) {
        return [&, name] {
            order.push_back(std::string(name) + (rig.socket.state() == 0 ? ":closed" : ":open"));
        };
    };
    w.windows.closeTcp = closer("tcp");
    w.windows.closeConfig = closer("config");
    w.windows.closeLog = closer("log");
    w.windows.closeAbout = closer("about");
    w.windows.closeMain = closer("main");
    w.CloseAllWindows();
    w.CloseAllWindows(); // a second close has no further effect
    EXPECT_EQ(order, (std::vector<std::string>{"tcp:closed", "config:closed", "log:closed",
                                               "about:closed", "main:closed"}));
    EXPECT_FALSE(w.console.panel.optOnLineSelected);
}

TEST(ConfigurationWindow, aNewSystemIsWrittenAndTheMainWindowReloadsIt) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    w.configuration().addSystem();
    EXPECT_EQ(w.cmbPools.size(), 3u);
    EXPECT_EQ(w.cmbPools.back(), "E113 0");
    const std::string file = readBytes(rig.dir / "config.xml");
    EXPECT_NE(file.find("<system address=\"3\" ipaddress=\"0.0.0.0\" port=\"0\" name=\"E113 0\"/>"),
              std::string::npos);
    EXPECT_NE(file.find("<siteName>Velmaro AQL</siteName>"), std::string::npos);
    // The reload starts from the first pool again, now with the rewritten address 1.
    EXPECT_EQ(w.console.panel.controllerAddress, 1);
}

TEST(ConfigurationWindow, editingIsLockedWhileOnline) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    auto &c = w.configuration();
    w.console.modes.selectOnLine();
    EXPECT_FALSE(c.view().newSystem.enabled);
    EXPECT_FALSE(c.view().name.enabled);
    w.console.modes.selectOffLine();
    EXPECT_TRUE(c.view().newSystem.enabled);
}
