#include "shell/MainController.h"

#include "core/Error.h"
#include "core/TextId.h"
#include "support/DiskFileSaver.h"
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
        ++opened;
        return answer;
    }
    std::optional<std::string> saveFile(const std::string &, const std::string &) override {
        return answer;
    }
    std::optional<std::string> answer;
    int opened = 0;
};

// A language file whose text n reads prefix + n.
std::string languageFile(const std::string &prefix) {
    std::string s = "test texts\r\n[begin]\r\n";
    for (int n = 1; n <= TextId::LastText; ++n) {
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
    aql::test::DiskFileSaver files;
    std::unique_ptr<shell::MainController> main;

    ShellRig() {
        writeBytes(dir / "English.lng", languageFile("E"));
        writeBytes(dir / "Nederlands.lng", languageFile("N"));
        writeBytes(dir / "config.xml", kSite);
    }
    shell::MainController &open(const std::string &arguments = "") {
        main = std::make_unique<shell::MainController>(
            shell::ShellServices{{socket, timers, pump, box, beep, clock}, settings, dialog, files},
            dir.path(), shell::CommandLine("AQLRemote", arguments));
        return *main;
    }
    std::string setting(shell::SettingKey key) { return shell::SettingsStore(settings).read(key); }
    void remember(shell::SettingKey key, const std::string &value) {
        shell::SettingsStore(settings).write(key, value);
    }
};

// A project of two projects; code 010203 names the pool "Target" on 127.0.0.1:4100.
std::string projectFile() {
    auto pool = [](const std::string &name, const std::string &ip) {
        return "<pool a0=\"" + name + "\" a1=\"\" a2=\"\" a3=\"\" a4=\"\" a5=\"" + ip +
               "\" a6=\"4100\"/>";
    };
    std::string project = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<aqlRemoteConfig>"
                          "<UseProject UP=\"1\"/><Update Time=\"x\"/>"
                          "<Project projectname=\"P0\"><system systemname=\"S0\">" +
                          pool("P0S0N0", "10.9.9.9") +
                          "</system></Project>"
                          "<Project projectname=\"P1\">"
                          "<system systemname=\"S0\">" +
                          pool("P1S0N0", "10.9.9.8") +
                          "</system>"
                          "<system systemname=\"S1\">" +
                          pool("P1S1N0", "10.9.9.7") +
                          "</system>"
                          "<system systemname=\"S2\">" +
                          pool("P1S2N0", "127.0.0.1") + pool("P1S2N1", "127.0.0.1") +
                          pool("P1S2N2", "127.0.0.1") + pool("Target", "127.0.0.1") +
                          "</system>"
                          "</Project></aqlRemoteConfig>\r\n";
    return project;
}

} // namespace

TEST(StartUp, withoutALanguageSettingEnglishIsWrittenReadAndChecked) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    EXPECT_EQ(rig.setting(shell::SettingKey::Language), "English.lng");
    EXPECT_EQ(w.view().captions.fileMenu, "E1");
    EXPECT_EQ(w.view().captions.connecting, "E202");
    EXPECT_TRUE(w.view().englishChecked);
    EXPECT_FALSE(w.view().dutchChecked);
    EXPECT_EQ(rig.setting(shell::SettingKey::ProgramFolder), rig.dir.path().u8string());
    EXPECT_TRUE(std::filesystem::is_directory(rig.dir / "Data"));
    EXPECT_TRUE(rig.box.shown.empty());
}

TEST(StartUp, siteModeSelectsTheFirstPoolAndStartsOffline) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    EXPECT_EQ(w.view().poolNames, (std::vector<std::string>{"Main pool", "Kids pool"}));
    ASSERT_NE(w.currentPool(), nullptr);
    EXPECT_EQ(w.currentPool()->name(), "Main pool");
    EXPECT_EQ(w.console().controllerAddress(), 7);
    EXPECT_EQ(w.view().poolIndex, 0);
    EXPECT_TRUE(w.view().poolSelectionVisible);
    EXPECT_FALSE(w.console().view().onlineSelected);
    EXPECT_EQ(w.console().operatingMode(), 0);
    EXPECT_TRUE(w.console().modes().countingRecords());
    EXPECT_TRUE(w.console().keypad().cursorBlinking());
    EXPECT_EQ(rig.socket.connectCalls, 0);
    EXPECT_EQ(w.values().configPath, (rig.dir / "config.xml").u8string());
}

TEST(StartUp, aThirdLanguageFileIsUsedWithNeitherMenuEntryChecked) {
    ShellRig rig;
    writeBytes(rig.dir / "Deutsch.lng", languageFile("D"));
    rig.remember(shell::SettingKey::Language, "Deutsch.lng");
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    EXPECT_EQ(w.view().captions.fileMenu, "D1");
    EXPECT_FALSE(w.view().englishChecked || w.view().dutchChecked);
}

TEST(StartUp, aMissingLanguageFileIsReportedAndEveryTextIsAPlaceholder) {
    ShellRig rig;
    std::filesystem::remove(rig.dir / "English.lng");
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text,
              "Text couldn't be read\r\n" + (rig.dir / "English.lng").u8string());
    EXPECT_EQ(w.view().captions.fileMenu, "####-1-####");
    EXPECT_EQ(w.view().poolNames.size(), 2u); // the program still starts
}

TEST(StartUp, anUnreadableConfigurationEndsWithAMessageNamingTheFile) {
    for (const std::string &content :
         {std::string(""), std::string("<aqlRemoteConfig><managedSystems>"),
          kSite.substr(0, kSite.find("<system")) +
              "<system address=\"1\" ipaddress=\"a\" port=\"1\" name=\"A\"/>"
              "<system address=\"2\" ipaddress=\"b\" port=\"2\" "
              "name=\"a\"/></managedSystems></aqlRemoteConfig>",
          kSite.substr(0, kSite.find("<system")) +
              "<system address=\"300\" ipaddress=\"a\" port=\"1\" name=\"A\"/>"
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
    writeBytes(projectDir / "config.xml", projectFile());
    rig.remember(shell::SettingKey::ProjectFolder, projectDir.path().u8string());
    auto &w = rig.open("010203");
    ASSERT_FALSE(w.start()) << (rig.box.shown.empty() ? "" : rig.box.shown[0].text);
    EXPECT_EQ(w.view().title, "Velmaro AQL - Target");
    EXPECT_FALSE(w.view().poolSelectionVisible);
    EXPECT_FALSE(w.view().configurationEntryVisible);
    EXPECT_EQ(w.currentPool()->name(), "P0S0N0"); // always the first pool of the list
    EXPECT_EQ(w.console().controllerAddress(), 1);
    EXPECT_TRUE(w.console().view().onlineSelected);
    EXPECT_EQ(rig.socket.remoteHost, "127.0.0.1");
    EXPECT_EQ(rig.socket.remotePort, 4100);
    EXPECT_EQ(w.console().operatingMode(), 2);
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
        rig.remember(shell::SettingKey::ProjectFolder, projectDir.path().u8string());
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
    w.selectPool(1);
    EXPECT_EQ(w.values().poolCode, "1");
    EXPECT_EQ(w.currentPool()->name(), "Main pool");
    EXPECT_EQ(w.currentPool()->records().count(), 0u);
    // The connection follows the selection box, the frame address the current pool.
    w.console().chooseOnline();
    EXPECT_EQ(rig.socket.remoteHost, "127.0.0.2");
    EXPECT_EQ(rig.socket.remotePort, 4002);
    EXPECT_EQ(w.console().controllerAddress(), 7);
}

TEST(LanguageSwitch, dutchThenEnglishWritesBothNamesAndReappliesEveryWindowInOrder) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    std::vector<std::string> order;
    shell::MainController::Windows windows;
    windows.retranslateAbout = [&] { order.push_back("about"); };
    windows.retranslateConfiguration = [&] { order.push_back("config"); };
    windows.retranslateLog = [&] { order.push_back("log"); };
    windows.retranslateTrend = [&] { order.push_back("trend"); };
    w.setWindows(windows);
    auto mainWindow = w.subscribe([&] { order.push_back("main:" + w.view().captions.fileMenu); });
    auto connectionWindow = w.console().connection().subscribe(
        [&] { order.push_back("tcp:" + w.console().connection().view().captions.title); });
    w.chooseDutch();
    EXPECT_EQ(rig.setting(shell::SettingKey::Language), "Nederlands.lng");
    EXPECT_TRUE(w.view().dutchChecked);
    EXPECT_FALSE(w.view().englishChecked);
    EXPECT_EQ(order,
              (std::vector<std::string>{"about", "config", "log", "trend", "main:N1", "tcp:N5"}));
    EXPECT_EQ(w.console().errors().title(), "AQLRemote - V2.0");
    w.chooseEnglish();
    EXPECT_EQ(rig.setting(shell::SettingKey::Language), "English.lng");
    EXPECT_EQ(w.view().captions.fileMenu, "E1");
    EXPECT_EQ(w.getText(95), "E95"); // the link's messages follow too
}

TEST(Shutdown, exitWhileOnlineClosesTheConnectionBeforeAnyWindow) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    w.console().chooseOnline();
    ASSERT_EQ(rig.socket.state(), platform::sockstate::kConnected);
    std::vector<std::string> order;
    auto closer = [&](const char *name) {
        return [&, name] {
            order.push_back(std::string(name) + (rig.socket.state() == 0 ? ":closed" : ":open"));
        };
    };
    shell::MainController::Windows windows;
    windows.closeConnection = closer("tcp");
    windows.closeConfiguration = closer("config");
    windows.closeLog = closer("log");
    windows.closeAbout = closer("about");
    windows.closeVariables = closer("variables");
    windows.closeRecordTable = closer("records");
    windows.closeTrend = closer("trend");
    windows.closeMain = closer("main");
    w.setWindows(windows);
    w.closeAll();
    w.closeAll(); // a second close has no further effect
    EXPECT_EQ(order, (std::vector<std::string>{"tcp:closed", "config:closed", "log:closed",
                                               "about:closed", "variables:closed", "records:closed",
                                               "trend:closed", "main:closed"}));
    EXPECT_FALSE(w.console().view().onlineSelected);
}

TEST(ConfigurationWindow, aNewSystemIsWrittenAndTheMainWindowReloadsIt) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    w.configuration().addSystem();
    EXPECT_EQ(w.view().poolNames.size(), 3u);
    EXPECT_EQ(w.view().poolNames.back(), "E113 0");
    const std::string file = readBytes(rig.dir / "config.xml");
    EXPECT_NE(file.find("<system address=\"3\" ipaddress=\"0.0.0.0\" port=\"0\" name=\"E113 0\"/>"),
              std::string::npos);
    EXPECT_NE(file.find("<siteName>Velmaro AQL</siteName>"), std::string::npos);
    // The reload starts from the first pool again, now with the rewritten address 1.
    EXPECT_EQ(w.console().controllerAddress(), 1);
}

TEST(ConfigurationWindow, editingIsLockedWhileOnline) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    auto &c = w.configuration();
    w.setWindows({}); // the log window's hooks arrive later and must not undo the lock
    w.console().chooseOnline();
    EXPECT_FALSE(c.view().newSystem.enabled);
    EXPECT_FALSE(c.view().name.enabled);
    w.console().chooseOffline();
    EXPECT_TRUE(c.view().newSystem.enabled);
}

TEST(LogWindow, saveOpensItAndRealtimeOnSavesOnEveryCountWhileRecordsAreHeld) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    int opened = 0;
    int saved = 0;
    shell::MainController::Windows windows;
    windows.openLogWindow = [&] { ++opened; };
    windows.saveRealtimeCsv = [&] { ++saved; };
    w.setWindows(windows);
    w.console().saveLog();
    EXPECT_EQ(opened, 1);

    w.console().chooseRealtime(true);
    rig.timers.advance(100);
    EXPECT_EQ(saved, 0); // nothing held yet
    records::LogRecord r;
    r.recordNumber = 5;
    w.currentPool()->records().insert(r);
    rig.timers.advance(200);
    EXPECT_EQ(saved, 2);
    w.console().chooseRealtime(false);
    rig.timers.advance(100);
    EXPECT_EQ(saved, 2);
}

namespace {

struct OpenedWindows {
    std::vector<std::string> names;
    shell::MainController::Windows hooks() {
        shell::MainController::Windows w;
        w.openConfiguration = [this] { names.push_back("configuration"); };
        w.openRecordTable = [this] { names.push_back("records"); };
        w.openVariables = [this] { names.push_back("variables"); };
        w.openAbout = [this] { names.push_back("about"); };
        w.openConnection = [this] { names.push_back("connection"); };
        w.openTrend = [this] { names.push_back("trend"); };
        return w;
    }
};

struct Command {
    const char *name;
    void (*run)(shell::MainController &);
    const char *opens; // the window it opens; "" for none
};

const Command kMenuCommands[] = {
    {"configuration", [](shell::MainController &w) { w.openConfiguration(); }, "configuration"},
    {"overview", [](shell::MainController &w) { w.openOverview(); }, "records"},
    {"trend", [](shell::MainController &w) { w.openTrend(); }, "trend"},
    {"variables", [](shell::MainController &w) { w.openVariables(); }, "variables"},
    {"about", [](shell::MainController &w) { w.openAbout(); }, "about"},
    {"base-file", [](shell::MainController &w) { w.importBaseFile(); }, ""},
};

void holdRecords(shell::MainController &w, std::initializer_list<std::int32_t> numbers) {
    for (std::int32_t n : numbers) {
        records::LogRecord r;
        r.recordNumber = n;
        w.currentPool()->records().insert(r);
    }
}

} // namespace

TEST(MenuCommands, eachOpensItsOwnWindowAndNoneWhileAConnectIsPending) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    OpenedWindows opened;
    w.setWindows(opened.hooks());
    for (const Command &command : kMenuCommands) {
        SCOPED_TRACE(command.name);
        opened.names.clear();
        command.run(w);
        EXPECT_EQ(opened.names, command.opens[0] ? std::vector<std::string>{command.opens}
                                                 : std::vector<std::string>{});
    }
    EXPECT_TRUE(w.console().variablesLoaded()); // the window finds its logic loaded
    EXPECT_EQ(rig.dialog.opened, 1);            // the base-file import asked for its file
    EXPECT_TRUE(rig.box.shown.empty());

    // The menus are disabled while the connect waits (the event loop runs meanwhile); the
    // connection window's button is not in a menu.
    opened.names.clear();
    rig.dialog.opened = 0;
    bool ran = false;
    rig.pump.duringProcessEvents = [&] {
        if (!ran && rig.socket.state() == platform::sockstate::kConnecting) {
            ran = true;
            for (const Command &command : kMenuCommands) {
                command.run(w);
            }
            w.openConnectionWindow();
        }
    };
    w.console().chooseOnline();
    ASSERT_TRUE(ran);
    EXPECT_EQ(opened.names, std::vector<std::string>{"connection"});
    EXPECT_TRUE(w.console().connection().view().visible);
    EXPECT_EQ(rig.dialog.opened, 0);
}

TEST(MenuCommands, baseFileIsRefusedWhileOnlineWithRecordsHeld) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    w.console().chooseOnline();
    holdRecords(w, {1, 2});
    rig.timers.advance(100); // the record count notices them
    w.importBaseFile();
    EXPECT_EQ(rig.dialog.opened, 0);
    EXPECT_EQ(w.currentPool()->records().count(), 2u);
}

TEST(MenuCommands, configurationIsNotOfferedInProjectMode) {
    ShellRig rig;
    TempDir projectDir;
    writeBytes(projectDir / "config.xml",
               "<aqlRemoteConfig><Project projectname=\"P\"><system systemname=\"S\">"
               "<pool a0=\"A\" a1=\"\" a2=\"\" a3=\"\" a4=\"\" a5=\"127.0.0.1\" a6=\"1\"/>"
               "</system></Project></aqlRemoteConfig>");
    rig.remember(shell::SettingKey::ProjectFolder, projectDir.path().u8string());
    auto &w = rig.open("000000");
    ASSERT_FALSE(w.start());
    OpenedWindows opened;
    w.setWindows(opened.hooks());
    w.openConfiguration();
    EXPECT_TRUE(opened.names.empty());
    EXPECT_FALSE(w.configurationLoaded());
}

TEST(MenuCommands, theConfigurationWindowStartsWithNothingSelectedEachTimeItOpens) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    std::vector<std::string> seen;
    shell::MainController::Windows windows;
    windows.openConfiguration = [&] {
        auto &c = w.configuration();
        seen.push_back(std::to_string(c.view().systems.index) +
                       " delete:" + (c.view().deleteSystem.enabled ? "on" : "off") +
                       " name:" + c.view().name.text);
        c.selectEntry(1); // the operator picks an entry and leaves
    };
    w.setWindows(windows);
    w.openConfiguration();
    EXPECT_EQ(w.configuration().view().name.text, ""); // emptied after it closed
    w.openConfiguration();
    EXPECT_EQ(seen, (std::vector<std::string>{"-1 delete:off name:", "-1 delete:off name:"}));
}

// Each way records are dropped, with the records unsaved, saved, or answered with Cancel.
TEST(UnsavedRecords, areNeverDroppedWithoutTheOperatorsConsent) {
    struct Way {
        const char *name;
        std::function<void(shell::MainController &)> act;
        std::function<bool(shell::MainController &)> happened;
    };
    bool mainClosed = false;
    const Way ways[] = {
        {"exit", [](shell::MainController &w) { w.exit(); },
         [&](shell::MainController &) { return mainClosed; }},
        {"pool change", [](shell::MainController &w) { w.choosePool(1); },
         [](shell::MainController &w) { return w.view().poolIndex == 1; }},
        {"configuration save", [](shell::MainController &w) { w.configuration().addSystem(); },
         [](shell::MainController &w) { return w.view().poolNames.size() == 3; }},
        {"base-file", [](shell::MainController &w) { w.importBaseFile(); },
         [](shell::MainController &w) { return w.currentPool()->records().contains("K1"); }},
    };
    enum class Held { Unsaved, Saved, None };
    for (const Way &way : ways) {
        for (const Held held : {Held::Unsaved, Held::Saved, Held::None}) {
            for (const int answer : {platform::kResultCancel, platform::kResultOk}) {
                SCOPED_TRACE(std::string(way.name) + " held " + std::to_string(int(held)) +
                             " answer " + std::to_string(answer));
                ShellRig rig;
                auto &w = rig.open();
                ASSERT_FALSE(w.start());
                mainClosed = false;
                shell::MainController::Windows windows;
                windows.closeMain = [&] { mainClosed = true; };
                w.setWindows(windows);
                if (held != Held::None) {
                    holdRecords(w, {4, 5, 6});
                }
                if (held == Held::Saved) {
                    w.markSaved();
                }
                rig.box.answer = answer;
                rig.dialog.answer = fixture("shell/stored_3_1_2.csv").u8string();
                way.act(w);
                const bool asked = !rig.box.shown.empty() &&
                                   rig.box.shown[0].style == platform::style::kQuestionOkCancel;
                EXPECT_EQ(asked, held == Held::Unsaved);
                const bool proceeds = held != Held::Unsaved || answer == platform::kResultOk;
                EXPECT_EQ(way.happened(w), proceeds);
                if (!proceeds) {
                    EXPECT_EQ(w.currentPool()->records().count(), 3u);
                    EXPECT_TRUE(w.unsavedRecords());
                }
            }
        }
    }
}

TEST(UnsavedRecords, theQuestionNamesTheCountAndTheSystemTheRecordsCameFrom) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    w.choosePool(1);
    holdRecords(w, {1, 2});
    rig.box.answer = platform::kResultCancel;
    w.choosePool(0);
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text, "E247 2 (Kids pool)\r\nE248");
}

TEST(UnsavedRecords, recordsArrivingAfterASaveAreUnsavedAgainAndAnImportCountsAsSaved) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    EXPECT_FALSE(w.unsavedRecords());
    holdRecords(w, {1});
    EXPECT_TRUE(w.unsavedRecords());
    w.markSaved();
    EXPECT_FALSE(w.unsavedRecords());
    holdRecords(w, {2});
    EXPECT_TRUE(w.unsavedRecords());

    w.markSaved();
    rig.dialog.answer = fixture("shell/stored_3_1_2.csv").u8string();
    w.importBaseFile();
    ASSERT_EQ(w.currentPool()->records().count(), 3u);
    EXPECT_FALSE(w.unsavedRecords()); // they stand in the file they came from
}

TEST(UnsavedRecords, pickingTheSelectedEntryAgainChangesNothing) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    holdRecords(w, {1});
    w.choosePool(0);
    EXPECT_TRUE(rig.box.shown.empty());
    EXPECT_EQ(w.currentPool()->records().count(), 1u);
}

TEST(RecordsSource, isTheSelectedSystemWhileTheFramesKeepTheFirstPoolsAddress) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    ASSERT_NE(w.recordsSource(), nullptr);
    EXPECT_EQ(w.recordsSource()->name(), "Main pool");
    w.choosePool(1);
    EXPECT_EQ(w.recordsSource()->name(), "Kids pool");
    EXPECT_EQ(w.recordsSource()->resort(), "Zwembad Oost");
    EXPECT_EQ(w.currentPool()->name(), "Main pool");
    EXPECT_EQ(w.console().controllerAddress(), 7);
}

// ---- reconnecting by itself ---------------------------------------------------------------------

TEST(Reconnect, isOffUntilChosenThenRememberedAndAppliedAtEveryLoad) {
    ShellRig rig;
    auto &first = rig.open();
    ASSERT_FALSE(first.start());
    EXPECT_FALSE(first.console().reconnectEnabled());
    EXPECT_FALSE(first.view().reconnectChecked);
    EXPECT_EQ(first.view().captions.reconnectEntry, "E238");

    first.chooseReconnect(true);
    EXPECT_EQ(rig.setting(shell::SettingKey::Reconnect), "1");
    EXPECT_TRUE(first.console().reconnectEnabled());
    EXPECT_TRUE(first.view().reconnectChecked);
    // A configuration saved reloads the main window: the switch stays as chosen.
    first.configuration().addSystem();
    EXPECT_TRUE(first.console().reconnectEnabled());

    // The next start of the program reads it.
    auto &second = rig.open();
    ASSERT_FALSE(second.start());
    EXPECT_TRUE(second.console().reconnectEnabled());
    EXPECT_TRUE(second.view().reconnectChecked);
    second.chooseReconnect(false);
    EXPECT_EQ(rig.setting(shell::SettingKey::Reconnect), "0");
    EXPECT_FALSE(second.console().reconnectEnabled());
    EXPECT_FALSE(second.view().reconnectChecked);
}

TEST(Reconnect, cannotBeSwitchedWhileAConnectIsPending) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    bool tried = false;
    rig.pump.duringProcessEvents = [&] {
        if (!tried && rig.socket.state() == platform::sockstate::kConnecting) {
            tried = true;
            w.chooseReconnect(true); // its menu is greyed meanwhile
        }
    };
    w.console().chooseOnline();
    ASSERT_TRUE(tried);
    EXPECT_FALSE(w.console().reconnectEnabled());
    EXPECT_EQ(rig.setting(shell::SettingKey::Reconnect), "");
}

TEST(Reconnect, aProjectModeStartRetriesAFailedConnectOnlyWhenSwitchedOn) {
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on ? "on" : "off");
        ShellRig rig;
        TempDir projectDir;
        writeBytes(projectDir / "config.xml", projectFile());
        rig.remember(shell::SettingKey::ProjectFolder, projectDir.path().u8string());
        rig.remember(shell::SettingKey::Reconnect, on ? "1" : "0");
        rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
        auto &w = rig.open("010203");
        ASSERT_FALSE(w.start());
        EXPECT_EQ(rig.socket.connectCalls, 1);
        EXPECT_EQ(w.console().status().reconnect.pending, on);
        // Switched on, the failure goes to the status bar, not into a box nobody may be there to
        // close.
        EXPECT_EQ(rig.box.shown.empty(), on);

        rig.socket.outcome = FakeSocket::ConnectOutcome::Connect;
        rig.timers.advance(1000);
        EXPECT_EQ(rig.socket.connectCalls, on ? 2 : 1);
        EXPECT_EQ(w.console().connected(), on);
    }
}

TEST(Reconnect, aPoolChosenOrAConfigurationSavedStopsTheCountdown) {
    const std::pair<const char *, void (*)(shell::MainController &)> actions[] = {
        {"pool chosen", [](shell::MainController &w) { w.choosePool(1); }},
        {"configuration saved", [](shell::MainController &w) { w.configuration().addSystem(); }},
    };
    for (const auto &[name, act] : actions) {
        SCOPED_TRACE(name);
        ShellRig rig;
        auto &w = rig.open();
        ASSERT_FALSE(w.start());
        w.chooseReconnect(true);
        w.console().chooseOnline();
        ASSERT_TRUE(w.console().connected());
        rig.socket.postError(10054, "reset by peer");
        rig.pump.runPosted();
        ASSERT_TRUE(w.console().status().reconnect.pending);
        const int connects = rig.socket.connectCalls;

        act(w);
        EXPECT_FALSE(w.console().status().reconnect.pending);
        rig.timers.advance(120000);
        EXPECT_EQ(rig.socket.connectCalls, connects);
        EXPECT_FALSE(w.console().view().onlineSelected);
        EXPECT_TRUE(w.console().reconnectEnabled()); // the switch itself stays on
    }
}

TEST(TrendEntry, showsOnlyWhereTheWindowsCanOpenATrendWindowAndIsInTheLanguage) {
    ShellRig rig;
    auto &w = rig.open();
    ASSERT_FALSE(w.start());
    EXPECT_FALSE(w.view().trendEntryVisible);
    EXPECT_EQ(w.view().captions.trendEntry, "E253");
    OpenedWindows opened;
    w.setWindows(opened.hooks());
    EXPECT_TRUE(w.view().trendEntryVisible);
    w.setWindows({});
    EXPECT_FALSE(w.view().trendEntryVisible);
    w.openTrend(); // does nothing
}
