// The main window's logic on fakes, from start-up to exit.

#include "support/ShellRig.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;
using Strings = std::vector<std::string>;

namespace {

// The program folder of kTwoSystemSite with texts "E<n>" and "N<n>".
struct Rig : ShellRig {
    Rig() : ShellRig(kTwoSystemSite, Texts::Numbered) {}
    shell::MainController &start(const std::string &arguments = "") {
        open(arguments);
        EXPECT_TRUE(started) << (failure ? failure->message : "");
        return *main;
    }
};

// Two projects; code 010203 names the pool "Target" on 127.0.0.1:4100.
std::string projectFile() {
    auto pool = [](const std::string &name, const std::string &ip) {
        return "<pool a0=\"" + name + "\" a1=\"\" a2=\"\" a3=\"\" a4=\"\" a5=\"" + ip +
               "\" a6=\"4100\"/>";
    };
    auto system = [](const std::string &name, const std::string &pools) {
        return "<system systemname=\"" + name + "\">" + pools + "</system>";
    };
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<aqlRemoteConfig>"
           "<UseProject UP=\"1\"/><Update Time=\"x\"/><Project projectname=\"P0\">" +
           system("S0", pool("P0S0N0", "10.9.9.9")) + "</Project><Project projectname=\"P1\">" +
           system("S0", pool("P1S0N0", "10.9.9.8")) + system("S1", pool("P1S1N0", "10.9.9.7")) +
           system("S2", pool("P1S2N0", "10.9.9.6") + pool("P1S2N1", "10.9.9.5") +
                            pool("P1S2N2", "10.9.9.4") + pool("Target", "127.0.0.1")) +
           "</Project></aqlRemoteConfig>\r\n";
}

} // namespace

// Without settings: English, the first pool, offline. A missing language file is told and the
// program starts with placeholders. A project code operates the pool it names online at once,
// without the configuration window. A site file that cannot be used, or a system code that names no
// pool: the program ends with a message and connects to nothing.
TEST(StartUp, languageAndPoolAndConnectFollowTheSettingsAndTheProjectCode) {
    const std::string head = kTwoSystemSite.substr(0, kTwoSystemSite.find("<system"));
    const auto site = [&head](const std::string &systems) {
        return [=](Rig &r) {
            writeBytes(r.dir / "config.xml",
                       head + systems + "</managedSystems></aqlRemoteConfig>");
        };
    };
    const auto onePool = [](Rig &r) {
        r.useProject("<aqlRemoteConfig><Project projectname=\"P\"><system systemname=\"S\">"
                     "<pool a0=\"A\" a1=\"\" a2=\"\" a3=\"\" a4=\"\" a5=\"h\" a6=\"1\"/>"
                     "</system></Project></aqlRemoteConfig>");
    };
    const struct {
        std::function<void(Rig &)> setUp;
        const char *code;
        const char *caption;     // of the File menu; nullptr: the program ends
        const char *pool = "";   // the first of the list
        const char *remote = ""; // "" when nothing is connected
        std::size_t boxes = 0;
    } cases[] = {
        {[](Rig &) {}, "", "E1", "Main pool"},
        {[](Rig &r) { std::filesystem::remove(r.dir / "English.lng"); }, "", "####-1-####",
         "Main pool", "", 1},
        {[](Rig &r) { r.useProject(projectFile()); }, "010203", "E1", "P0S0N0", "127.0.0.1:4100"},
        {[](Rig &r) { std::filesystem::remove(r.dir / "config.xml"); }, "", nullptr},
        {site("<system address=\"1\" ipaddress=\"a\" port=\"1\" name=\"A\"/>"
              "<system address=\"2\" ipaddress=\"b\" port=\"2\" name=\"a\"/>"),
         "", nullptr},
        {site("<system address=\"300\" ipaddress=\"a\" port=\"1\" name=\"A\"/>"), "", nullptr},
        {onePool, "0102", nullptr},
        {onePool, "01020x", nullptr},
        {onePool, "990000", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Rig rig;
        c.setUp(rig);
        rig.open(c.code);
        if (c.caption == nullptr) {
            ASSERT_TRUE(rig.failure);
            EXPECT_EQ(rig.socket.connectCalls, 0);
            EXPECT_FALSE(rig.box.shown.empty()); // told
            continue;
        }
        ASSERT_TRUE(rig.started) << (rig.failure ? rig.failure->message : "");
        auto &w = *rig.main;
        EXPECT_EQ(w.view().captions.fileMenu, c.caption);
        EXPECT_EQ(w.currentPool()->name(), c.pool);
        EXPECT_EQ(rig.box.shown.size(), c.boxes);
        EXPECT_EQ(rig.socket.connectCalls, *c.remote ? 1 : 0);
        if (*c.remote) {
            EXPECT_EQ(rig.socket.remoteHost + ":" + std::to_string(rig.socket.remotePort),
                      c.remote);
            EXPECT_EQ(w.console().controllerAddress(), 1);
            EXPECT_EQ(w.console().operatingMode(), 2);
            EXPECT_TRUE(std::filesystem::is_directory(rig.dir / "Data" / "P1" / "S2" / "Target"));
            w.openConfiguration();
            EXPECT_FALSE(w.configurationLoaded());
        }
    }
}

TEST(Selection, anotherEntryIsConnectedToAndNamesTheRecordsWhileFramesKeepTheFirstPool) {
    Rig rig;
    auto &w = rig.start();
    rig.hold({5});
    w.selectPool(1);
    EXPECT_EQ(w.currentPool()->name(), "Main pool");
    EXPECT_EQ(w.currentPool()->records().count(), 0u);
    EXPECT_EQ(w.recordsSource()->name() + "|" + w.recordsSource()->resort(),
              "Kids pool|Zwembad Oost");
    w.console().chooseOnline();
    EXPECT_EQ(rig.socket.remoteHost + ":" + std::to_string(rig.socket.remotePort),
              "127.0.0.2:4002");
    EXPECT_EQ(w.console().controllerAddress(), 7);
}

TEST(LanguageSwitch, dutchIsRememberedAndReappliedToEveryWindowInOrder) {
    Rig rig;
    auto &w = rig.start();
    Strings order;
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
    EXPECT_EQ(order, (Strings{"about", "config", "log", "trend", "main:N1", "tcp:N5"}));
}

TEST(Shutdown, exitWhileOnlineClosesTheConnectionBeforeAnyWindowAndOnlyOnce) {
    Rig rig;
    auto &w = rig.start();
    w.console().chooseOnline();
    ASSERT_EQ(rig.socket.state(), platform::sockstate::kConnected);
    Strings order;
    auto closer = [&](const char *name) {
        return [&, name] {
            order.push_back(name + std::string(rig.socket.state() ? ":open" : ":closed"));
        };
    };
    shell::MainController::Windows windows;
    windows.closeConnection = closer("tcp");
    windows.closeLog = closer("log");
    windows.closeMain = closer("main");
    w.setWindows(windows);
    w.closeAll();
    w.closeAll();
    EXPECT_EQ(order, (Strings{"tcp:closed", "log:closed", "main:closed"}));
    EXPECT_FALSE(w.console().view().onlineSelected);
}

TEST(ConfigurationWindow, aNewSystemIsWrittenAndReloadedAndEditingIsLockedWhileOnline) {
    Rig rig;
    auto &w = rig.start();
    w.configuration().addSystem();
    // The reload starts from the first pool again, now with the rewritten address 1.
    EXPECT_EQ(w.console().controllerAddress(), 1);

    w.setWindows({}); // the log window's hooks arrive later and must not undo the lock
    w.console().chooseOnline();
    EXPECT_FALSE(w.configuration().view().newSystem.enabled);
    EXPECT_FALSE(w.configuration().view().name.enabled);
    w.console().chooseOffline();
    EXPECT_TRUE(w.configuration().view().newSystem.enabled);
}

TEST(LogWindow, realtimeSavesOnEveryCountWhileRecordsAreHeld) {
    Rig rig;
    auto &w = rig.start();
    int saved = 0;
    shell::MainController::Windows windows;
    windows.saveRealtimeCsv = [&] { ++saved; };
    w.setWindows(windows);
    w.console().chooseRealtime(true);
    rig.timers.advance(100);
    EXPECT_EQ(saved, 0); // nothing held yet
    rig.hold({5});
    rig.timers.advance(200);
    EXPECT_EQ(saved, 2);
}

// The menus are disabled while the connect waits (the event loop runs meanwhile); the connection
// window's button is not in a menu.
TEST(MenuCommands, noneRunsWhileAConnectIsPending) {
    Rig rig;
    auto &w = rig.start();
    int opened = 0;
    shell::MainController::Windows windows;
    windows.openConfiguration = windows.openRecordTable = windows.openVariables =
        windows.openAbout = windows.openTrend = [&] { ++opened; };
    windows.openConnection = [&] { opened += 100; };
    w.setWindows(windows);
    bool ran = false;
    rig.pump.duringProcessEvents = [&] {
        if (!ran && rig.socket.state() == platform::sockstate::kConnecting) {
            ran = true;
            w.openConfiguration();
            w.openOverview();
            w.openTrend();
            w.openVariables();
            w.openAbout();
            w.importBaseFile();
            w.chooseReconnect(true);
            w.openConnectionWindow();
        }
    };
    w.console().chooseOnline();
    ASSERT_TRUE(ran);
    EXPECT_EQ(opened, 100) << "only the connection window";
    EXPECT_TRUE(w.console().connection().view().visible);
    EXPECT_TRUE(rig.dialog.calls.empty());
    EXPECT_FALSE(w.console().reconnectEnabled());
    EXPECT_EQ(rig.setting(shell::SettingKey::Reconnect), "");
}

// Each way records are dropped, with the records unsaved, saved, or answered with Cancel.
TEST(UnsavedRecords, areNeverDroppedWithoutTheOperatorsConsent) {
    bool mainClosed = false;
    const std::pair<std::function<void(shell::MainController &)>,
                    std::function<bool(shell::MainController &)>>
        ways[] = {
            {[](shell::MainController &w) { w.exit(); },
             [&](shell::MainController &) { return mainClosed; }},
            {[](shell::MainController &w) { w.choosePool(1); },
             [](shell::MainController &w) { return w.view().poolIndex == 1; }},
            {[](shell::MainController &w) { w.configuration().addSystem(); },
             [](shell::MainController &w) { return w.view().poolNames.size() == 3; }},
            {[](shell::MainController &w) { w.importBaseFile(); },
             [](shell::MainController &w) { return w.currentPool()->records().contains("K1"); }},
        };
    enum class Held { Unsaved, Saved, None };
    for (std::size_t way = 0; way < std::size(ways); ++way) {
        for (const Held held : {Held::Unsaved, Held::Saved, Held::None}) {
            for (const int answer : {platform::kResultCancel, platform::kResultOk}) {
                SCOPED_TRACE(testing::Message() << way << int(held) << answer);
                Rig rig;
                auto &w = rig.start();
                mainClosed = false;
                shell::MainController::Windows windows;
                windows.closeMain = [&] { mainClosed = true; };
                w.setWindows(windows);
                if (held != Held::None) {
                    rig.hold({4, 5, 6});
                }
                if (held == Held::Saved) {
                    w.markSaved();
                }
                rig.box.answer = answer;
                rig.dialog.answer(fixture("shell/stored_3_1_2.csv").u8string());
                ways[way].first(w);
                EXPECT_EQ(!rig.box.shown.empty() &&
                              rig.box.shown[0].style == platform::style::kQuestionOkCancel,
                          held == Held::Unsaved);
                const bool proceeds = held != Held::Unsaved || answer == platform::kResultOk;
                EXPECT_EQ(ways[way].second(w), proceeds);
                if (!proceeds) {
                    EXPECT_EQ(w.currentPool()->records().count(), 3u);
                    EXPECT_TRUE(w.unsavedRecords());
                }
            }
        }
    }
}

// Neither the same entry chosen again nor a base file while online with records held drops them.
TEST(UnsavedRecords, theSameEntryAgainOrABaseFileWhileOnlineKeepsTheRecords) {
    Rig rig;
    auto &w = rig.start();
    w.choosePool(1);
    rig.hold({1, 2});
    w.choosePool(1);
    EXPECT_TRUE(rig.box.shown.empty());
    w.console().chooseOnline();
    rig.timers.advance(100); // the record count notices them
    w.importBaseFile();
    EXPECT_TRUE(rig.dialog.calls.empty());
    EXPECT_EQ(w.currentPool()->records().count(), 2u);
}

TEST(UnsavedRecords, recordsArrivingAfterASaveAreUnsavedAgainAndAnImportCountsAsSaved) {
    Rig rig;
    auto &w = rig.start();
    EXPECT_FALSE(w.unsavedRecords());
    rig.hold({1});
    EXPECT_TRUE(w.unsavedRecords());
    w.markSaved();
    EXPECT_FALSE(w.unsavedRecords());
    rig.hold({2});
    EXPECT_TRUE(w.unsavedRecords());

    w.markSaved();
    rig.dialog.answer(fixture("shell/stored_3_1_2.csv").u8string());
    w.importBaseFile();
    ASSERT_EQ(w.currentPool()->records().count(), 3u);
    EXPECT_FALSE(w.unsavedRecords()); // they stand in the file they came from
}

TEST(Reconnect, aProjectModeStartRetriesAFailedConnectOnlyWhenSwitchedOn) {
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on ? "on" : "off");
        Rig rig;
        rig.useProject(projectFile());
        rig.remember(shell::SettingKey::Reconnect, on ? "1" : "0");
        rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
        auto &w = rig.start("010203");
        EXPECT_EQ(rig.socket.connectCalls, 1);
        EXPECT_EQ(w.console().status().reconnect.pending, on);
        // Switched on, the failure goes to the status bar, not into a box nobody may close.
        EXPECT_EQ(rig.box.shown.empty(), on);

        rig.socket.outcome = FakeSocket::ConnectOutcome::Connect;
        rig.timers.advance(1000);
        EXPECT_EQ(rig.socket.connectCalls, on ? 2 : 1);
        EXPECT_EQ(w.console().connected(), on);
    }
}

TEST(Reconnect, aPoolChosenOrAConfigurationSavedStopsTheCountdown) {
    for (const auto act : {+[](shell::MainController &w) { w.choosePool(1); },
                           +[](shell::MainController &w) { w.configuration().addSystem(); }}) {
        Rig rig;
        auto &w = rig.start();
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
    }
}
