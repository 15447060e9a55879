// The main window over its logic: that it shows what the views say and hands clicks and keys to
// the right intent; and that every window has room for its texts.

#include "ConsoleRig.h"
#include "link/FrameCodec.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtTimerFactory.h"
#include "sim/server/SimServer.h"
#include "ui/LinkStatusBar.h"
#include "ui/MainWindow.h"
#include "ui/logwindows/LogWindow.h"
#include "ui/logwindows/RecordTableWindow.h"
#include "ui/widgets/Keypad.h"
#include "ui/widgets/LcdDisplay.h"
#include "unit/link/LinkRig.h"

#include <QComboBox>
#include <QDialog>
#include <QHostAddress>
#include <QPushButton>
#include <QRadioButton>

using namespace aql;
using namespace aql::test;

namespace {

const std::string kShownText = std::string("pH   7.21  sp  7.20 ") + "Cl   0.77  sp  0.80 " +
                               "Rx  738mV  Flow  47 " + "27.1C  AUTO    08:00";

// The controller's answer to a poll: its display, the cursor at `cursor` (0: none).
std::string displayLine(int cursor = 0) {
    return unaddressedLine(displayBody(0x01 | 0x08, cursor, kShownText)) + "\r";
}

// The two-system site, its first system at address 1 (as the records' lines are) and `port`.
std::string siteOfAddressOne(int port) {
    std::string site = kTwoSystemSite;
    site.replace(site.find("address=\"7\""), 11, "address=\"1\"");
    return site.replace(site.find("4001"), 4, std::to_string(port));
}

// The key frames among `sent`, polls and log requests left out; `sent` is emptied.
std::vector<std::string> takeKeyFrames(std::vector<std::string> &sent) {
    std::vector<std::string> keys;
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(keys), [](const std::string &f) {
        return f[2] != char(link::cmd::kSendNextPacket) && f[2] != char(link::cmd::kGetLog);
    });
    sent.clear();
    return keys;
}

// The main window over fakes: time (the link's clock too) and the controller move when told to.
struct FakeRig : ShellRig {
    std::unique_ptr<ui::MainWindow> window;

    FakeRig() : ShellRig(siteOfAddressOne(4001)) {
        EXPECT_TRUE(started);
        clock.timers = &timers;
        window = std::make_unique<ui::MainWindow>(*main);
        EXPECT_TRUE(showAndWait(*window));
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    link::Console &console() { return main->console(); }
    void goOnline() {
        window->onlineButton()->click();
        ASSERT_TRUE(console().connected());
    }
    // Get Log clicked, and `count` records arriving within a second.
    void download(int count) {
        window->getLogButton()->click();
        socket.deliver(recordStream(1, count));
        timers.advance(1000);
    }
    // Answers to the polls until the status says the log is complete (at most 10 s).
    void answerUntilComplete() {
        for (int i = 0;
             i < 10 && console().status().download.state != link::DownloadStatus::State::Complete;
             ++i) {
            socket.deliver(displayLine());
            timers.advance(1000);
        }
    }
};

} // namespace

TEST(MainWindowKeys, controllerKeysGoToTheKeypadWhereverTheFocusIsAndOtherKeysKeepTheirMeaning) {
    FakeRig rig;
    rig.hold({5});
    // Offline, on the pool box: Down would choose the other pool and drop the records.
    QComboBox *pools = rig.window->poolSelection();
    pools->setFocus();
    QTest::keyClick(pools, Qt::Key_Down);
    QTest::keyClick(pools, Qt::Key_Up);
    EXPECT_EQ(pools->currentIndex(), 0);
    EXPECT_EQ(rig.main->currentPool()->records().count(), 1u);

    // Online, on the mode buttons: Down would choose Offline and close the link.
    rig.goOnline();
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_Up, 18}, {Qt::Key_Right, 17}, {Qt::Key_Down, 19}, {Qt::Key_Left, 16},
        {Qt::Key_V, 21},  {Qt::Key_X, 20},     {Qt::Key_F7, 21},   {Qt::Key_F9, 20}};
    QWidget *online = rig.window->onlineButton();
    online->setFocus();
    for (const auto &[key, code] : keys) {
        QTest::keyClick(online, key);
        EXPECT_EQ(takeKeyFrames(rig.socket.sent), std::vector<std::string>{link::keyFrame(1, code)})
            << key;
        EXPECT_TRUE(rig.console().connected() && QApplication::focusWidget() == online) << key;
    }
    // A held key presses once, not once per repeat.
    for (bool repeat : {false, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(online, &press);
    }
    EXPECT_EQ(takeKeyFrames(rig.socket.sent), std::vector<std::string>{link::keyFrame(1, 18)});

    // A letter that is no controller key and a controller key with Ctrl send nothing.
    QTest::keyClick(online, Qt::Key_A);
    QTest::keyClick(online, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_TRUE(takeKeyFrames(rig.socket.sent).empty());
    EXPECT_TRUE(rig.console().connected());
}

TEST(MainWindowStatus, theDisplayWithItsCursorTheStatusBarAndTheStaleMarkFollowTheLink) {
    FakeRig rig;
    ui::LinkStatusBar &bar = *rig.window->linkStatus();
    ui::LcdDisplay *display = rig.window->display();
    auto says = [](QLabel *label, const char *text) {
        EXPECT_TRUE(label->isVisible() && label->text().startsWith(QLatin1String(text)))
            << label->text().toStdString();
    };
    says(bar.phaseLabel(), "Offline");
    rig.goOnline();
    says(bar.phaseLabel(), "Online");
    // Cursor code 0xC5: address 69, the sixth cell of the second row, shown.
    rig.socket.deliver(displayLine(0xC5));
    rig.socket.deliver(addressedLine(9, displayBody(1, 0, kShownText)) + "\r"); // not ours
    rig.timers.advance(500); // the cursor's blink shows it
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(display->lineText(row).toStdString(), kShownText.substr(row * 20, 20));
    }
    for (int cell = 0; cell < ui::LcdDisplay::kCells; ++cell) {
        EXPECT_EQ(display->cursorCells()[static_cast<std::size_t>(cell)], cell == 25) << cell;
    }
    rig.timers.advance(500);
    says(bar.droppedLinesLabel(), "Dropped lines: 1");
    rig.download(237);
    says(bar.downloadLabel(), "Records held: 237   ");
    rig.answerUntilComplete();
    says(bar.downloadLabel(), "Log complete: 237 records");
    EXPECT_EQ(rig.window->recordCount()->text(), QStringLiteral("237"));

    // Two silent seconds: the display is marked stale, still readable.
    rig.timers.advance(2000);
    ASSERT_TRUE(display->isStale());
    says(bar.staleLabel(), "No reply");
    EXPECT_EQ(display->lineText(0).toStdString(), kShownText.substr(0, 20)) << "still readable";
    rig.socket.deliver(displayLine()); // the next valid reply clears it at once
    EXPECT_FALSE(display->isStale() || bar.staleLabel()->isVisible());
}

// --- Against the simulated controller, with the real socket and timers --------------------------

namespace {

// The real socket, with every frame it sends kept for the test.
class RecordingSocket : public platform::Socket {
public:
    void setListener(platform::SocketListener *listener) override { inner.setListener(listener); }
    void setRemoteHost(const std::string &host) override { inner.setRemoteHost(host); }
    void setRemotePort(std::int32_t port) override { inner.setRemotePort(port); }
    void setLocalPort(std::int32_t port) override { inner.setLocalPort(port); }
    void connect() override { inner.connect(); }
    int state() const override { return inner.state(); }
    void send(const std::string &bytes) override {
        sent.push_back(bytes);
        inner.send(bytes);
    }
    std::string readAll() override { return inner.readAll(); }
    void close() override { inner.close(); }

    platform::qt::QtSocket inner;
    std::vector<std::string> sent;
};

} // namespace

TEST(MainWindowAgainstSimulator, aClickOnEachKeySendsItsFrameAndBesideTheKeysNothing) {
    sim::SimServer server{sim::Options{}};
    const quint16 port = server.listen(QHostAddress::LocalHost, 0);
    ASSERT_NE(port, 0);
    ShellRig rig(siteOfAddressOne(port), ShellRig::Texts::Shipped);
    RecordingSocket socket;
    platform::qt::QtTimerFactory timers;
    platform::qt::QtEventPump pump;
    platform::qt::QtClock clock;
    const shell::ShellServices services{
        {socket, timers, pump, rig.box, rig.beep, clock}, rig.settings, rig.dialog, rig.files};
    shell::MainController main(services, rig.dir.path(), shell::CommandLine("aqlremote", ""));
    ASSERT_FALSE(main.start());
    ui::MainWindow window(main);
    ASSERT_TRUE(showAndWait(window));
    // Through the window, as a real click travels, to whatever child lies under the point.
    auto click = [&](QWidget *widget, QPoint at) {
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, widget->mapTo(&window, at));
    };
    ui::Keypad *keypad = window.keypad();
    click(window.onlineButton(), window.onlineButton()->rect().center());
    ASSERT_TRUE(main.console().connected());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !window.display()->text().trimmed().isEmpty(); }, 5000))
        << "the controller's display arrives with the polls";

    // Written out by hand: "@", address 1, the key code, four zeros, (1 + 105 + code), "#".
    const std::string expected[] = {
        {'@', 1, 18, 0, 0, 0, 0, 124, '#'}, // up
        {'@', 1, 17, 0, 0, 0, 0, 123, '#'}, // right
        {'@', 1, 19, 0, 0, 0, 0, 125, '#'}, // down
        {'@', 1, 16, 0, 0, 0, 0, 122, '#'}, // left
        {'@', 1, 21, 0, 0, 0, 0, 127, '#'}, // accept
        {'@', 1, 20, 0, 0, 0, 0, 126, '#'}, // cancel
    };
    for (int key = 0; key < ui::Keypad::kKeys; ++key) {
        click(keypad, keypad->keyRect(key).center());
        EXPECT_EQ(takeKeyFrames(socket.sent), std::vector<std::string>{expected[key]}) << key;
    }
    // Between the keys and beside them, nothing.
    click(keypad, (keypad->keyRect(ui::Keypad::Left).center() +
                   keypad->keyRect(ui::Keypad::Right).center()) /
                      2);
    click(keypad, QPoint(1, 1));
    EXPECT_TRUE(takeKeyFrames(socket.sent).empty());
    EXPECT_TRUE(rig.box.shown.empty());
    window.offlineButton()->click();
}

// --- Look: every window in the states an operator sees, in both languages ----------------------

// Each row brings a window into a state, then it is looked at (see expectLooksRight); a modal
// window inside its own loop. The main window's states come from fakes.
TEST(ConsoleLook, everyWindowInEveryStateHasRoomForItsTexts) {
    for (const QString &language : {QStringLiteral("en"), QStringLiteral("nl")}) {
        FakeRig fake;
        ConsoleRig console;
        if (language == QLatin1String("nl")) {
            fake.main->chooseDutch();
            console.main().chooseDutch();
        }
        console.hold(1, 1234);
        ui::MainWindow &main = *fake.window;
        ui::CompanionWindows &windows = console.app->companions();
        link::TcpLink &connection = console.main().console().connection();
        QString row;
        std::size_t checked = 0; // controls looked at, over all rows
        auto inItsLoop = [&](const std::function<void()> &open, auto which) {
            return [&, open, which] {
                ModalScript script({{which, [&](QWidget *w) {
                                         checked += expectLooksRight(*w, row, language);
                                         qobject_cast<QDialog *>(w)->reject();
                                     }}});
                open();
                EXPECT_TRUE(script.finished() && script.unexpectedBoxes.empty());
            };
        };
        const std::function<QWidget *()> mainWindow = [&] { return &main; };
        const std::function<QWidget *()> lookedAt = [] { return nullptr; };
        const struct {
            const char *name;
            std::function<void()> arrange;
            std::function<QWidget *()> window;
        } rows[] = {
            {"main-offline",
             [&] {
                 settleLayouts();
                 main.resize(main.minimumSizeHint());
             },
             mainWindow},
            {"main-online",
             [&] {
                 fake.goOnline();
                 fake.download(237);
                 fake.answerUntilComplete();
             },
             mainWindow},
            {"main-stale", [&] { fake.timers.advance(2000); }, mainWindow},
            {"connection",
             [&] {
                 console.main().openConnectionWindow();
                 connection.setPassword(link::TcpLink::kServicePassword);
                 connection.confirmPassword();
             },
             [&] { return windows.connectionWindow(); }},
            {"variables", [&] { console.main().openVariables(); },
             [&] { return windows.variablesWindow(); }},
            {"records", [&] { console.main().openOverview(); },
             [&] {
                 auto *table = qobject_cast<ui::RecordTableWindow *>(windows.recordTableWindow());
                 table->resize(table->fullSize());
                 return table;
             }},
#ifdef AQL_HAS_TREND_WINDOW
            {"trend", [&] { console.main().openTrend(); }, [&] { return windows.trendWindow(); }},
#endif
            {"configuration",
             inItsLoop([&] { console.main().openConfiguration(); }, isA<ui::ConfigurationWindow>()),
             lookedAt},
            {"log", inItsLoop([&] { console.main().console().saveLog(); }, isA<ui::LogWindow>()),
             lookedAt},
        };
        for (const auto &r : rows) {
            row = QLatin1String(r.name);
            r.arrange();
            if (QWidget *window = r.window()) {
                EXPECT_TRUE(QTest::qWaitForWindowExposed(window)) << r.name;
                checked += expectLooksRight(*window, row, language);
            }
        }
        EXPECT_GT(checked, 100u);
    }
}
