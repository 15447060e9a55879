// The main window over its logic: what the widgets can get wrong. The logic itself is tested
// without widgets; these check that the window shows what the views say, hands clicks and keys to
// the right intent, and that every window has room for its texts in every state an operator sees.

#include "ConsoleRig.h"
#include "link/FrameCodec.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtTimerFactory.h"
#include "sim/server/SimServer.h"
#include "support/ShellRig.h"
#include "ui/LinkStatusBar.h"
#include "ui/MainWindow.h"
#include "ui/logwindows/AboutDialog.h"
#include "ui/logwindows/LogWindow.h"
#include "ui/logwindows/RecordTableWindow.h"
#include "ui/widgets/Keypad.h"
#include "ui/widgets/LcdDisplay.h"
#include "unit/link/LinkRig.h"

#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QHostAddress>
#include <QLineEdit>
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

// What an assistive tool reads of a widget on screen.
QString spoken(QWidget *widget) {
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(widget);
    return reader != nullptr && widget->isVisible() ? reader->text(QAccessible::Name) : QString();
}

// How colourful a picture is on average (0 grey, 1 fully saturated).
double saturation(const QImage &image) {
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3, ++count) {
            sum += QColor(image.pixel(x, y)).hsvSaturationF();
        }
    }
    return count > 0 ? sum / count : 0;
}

// The main window over fakes: time and the controller move only when the test says so; the
// manual timers drive the link's clock as well.
struct FakeRig : ShellRig {
    std::unique_ptr<ui::MainWindow> window;

    FakeRig() : ShellRig(twoPoolSite(4001)) {
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
    void hold(int first, int count) { addLogRecords(main->currentPool()->records(), first, count); }
    // The command byte of every key frame sent so far.
    std::vector<int> keysSent() const {
        std::vector<int> keys;
        for (const std::string &frame : socket.sent) {
            const int command = static_cast<unsigned char>(frame[2]);
            if (command != link::cmd::kSendNextPacket && command != link::cmd::kGetLog) {
                keys.push_back(command);
            }
        }
        return keys;
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
    void loseLink() {
        socket.postError(10054, "reset by peer");
        pump.runPosted();
    }
};

} // namespace

TEST(MainWindowKeys, controllerKeysGoToTheKeypadWhereverTheFocusIsAndOtherKeysKeepTheirMeaning) {
    FakeRig rig;
    rig.hold(5, 1);
    // Offline, on the pool box: Down would choose the other pool and drop the records.
    QComboBox *pools = rig.window->poolSelection();
    pools->setFocus();
    const std::size_t flashes = rig.pump.sleeps.size();
    QTest::keyClick(pools, Qt::Key_Down);
    QTest::keyClick(pools, Qt::Key_Up);
    EXPECT_EQ(rig.pump.sleeps.size(), flashes + 2); // each one a key press, flashed
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
        rig.socket.sent.clear();
        QTest::keyClick(online, key);
        EXPECT_EQ(rig.keysSent(), std::vector<int>{code}) << key;
        EXPECT_TRUE(rig.console().connected() && QApplication::focusWidget() == online) << key;
    }
    // A held key presses once, not once per repeat.
    rig.socket.sent.clear();
    for (bool repeat : {false, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(online, &press);
    }
    EXPECT_EQ(rig.keysSent(), std::vector<int>{18});

    // Other keys keep their meaning: Tab moves on, a letter that is no controller key and a
    // controller key with Ctrl send nothing, Alt and an access key open a menu, in which the
    // arrows walk the menu.
    QTest::keyClick(online, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), online);
    rig.socket.sent.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(rig.window.get(), Qt::Key_F, Qt::AltModifier);
    auto *file = rig.window->findChild<QMenu *>(QStringLiteral("fileMenu"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == file; }, 2000));
    QTest::keyClick(file, Qt::Key_Down);
    EXPECT_TRUE(rig.keysSent().empty());
    EXPECT_TRUE(rig.console().connected());
    file->close();
}

// The display and the status bar follow the link, for eyes and assistive tools alike.
TEST(MainWindowStatus, theDisplayWithItsCursorTheStatusBarAndTheStaleMarkFollowTheLink) {
    FakeRig rig;
    ui::LinkStatusBar &bar = *rig.window->linkStatus();
    ui::LcdDisplay *display = rig.window->display();
    auto says = [](QWidget *label, const char *text) {
        EXPECT_TRUE(spoken(label).startsWith(QLatin1String(text))) << spoken(label).toStdString();
    };
    says(bar.phaseLabel(), "Offline");
    EXPECT_FALSE(bar.replyLabel()->isVisible() || bar.downloadLabel()->isVisible());
    rig.goOnline();
    says(bar.phaseLabel(), "Online");
    // Cursor code 0xC5: address 69, the sixth cell of the second row, shown.
    rig.socket.deliver(displayLine(0xC5));
    rig.socket.deliver(addressedLine(9, displayBody(1, 0, kShownText)) + "\r"); // not ours
    rig.timers.advance(500); // the cursor's blink shows it
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(display->lineText(row).toStdString(), kShownText.substr(row * 20, 20));
    }
    EXPECT_TRUE(spoken(display).startsWith(QStringLiteral("pH   7.21  sp  7.20\nCl")));
    for (int cell = 0; cell < ui::LcdDisplay::kCells; ++cell) {
        EXPECT_EQ(display->cursorCells()[static_cast<std::size_t>(cell)], cell == 25) << cell;
    }
    rig.timers.advance(500);
    says(bar.replyLabel(), "Last reply ");
    says(bar.linesReceivedLabel(), "Lines received: 2");
    says(bar.droppedLinesLabel(), "Dropped lines: 1");
    says(bar.checksumErrorsLabel(), "Checksum errors: 0");
    // A download: its progress while records come, then the end the rule decides.
    rig.download(237);
    says(bar.downloadLabel(), "Records held: 237   ");
    rig.answerUntilComplete();
    says(bar.downloadLabel(), "Log complete: 237 records");
    EXPECT_EQ(rig.window->recordCount()->text(), QStringLiteral("237"));

    // Two silent seconds: the glass dims, loses its colour, and a red note stands over it.
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(display);
    const QString liveDescription = reader->text(QAccessible::Description);
    const QImage live = display->grab().toImage();
    rig.timers.advance(2000);
    ASSERT_TRUE(display->isStale());
    says(bar.staleLabel(), "No reply");
    EXPECT_EQ(display->staleNote(), bar.staleLabel()->text());
    EXPECT_EQ(reader->text(QAccessible::Description),
              liveDescription + " (" + display->staleNote() + ")");
    EXPECT_EQ(display->lineText(0).toStdString(), kShownText.substr(0, 20)) << "still readable";
    const QImage stale = display->grab().toImage();
    EXPECT_LT(saturation(stale), saturation(live) * 0.6);
    const QRect note = display->staleNoteRect();
    ASSERT_FALSE(note.isEmpty());
    EXPECT_TRUE(display->rect().contains(note));
    const QColor noteColour(stale.pixel(
        (QPointF(note.left() + 3, note.center().y()) * display->devicePixelRatioF()).toPoint()));
    EXPECT_GT(noteColour.red(), 120);
    EXPECT_LT(noteColour.green(), 90);
    rig.socket.deliver(displayLine()); // the next valid reply clears it at once
    EXPECT_FALSE(display->isStale() || bar.staleLabel()->isVisible());
    EXPECT_EQ(reader->text(QAccessible::Description), liveDescription);
    EXPECT_NEAR(saturation(display->grab().toImage()), saturation(live), 0.02);

    // The Options entry switches reconnecting on; a loss then counts down, and is no box.
    QAction *entry = rig.window->reconnectEntry();
    entry->trigger();
    EXPECT_TRUE(entry->isChecked() && rig.console().reconnectEnabled());
    rig.loseLink();
    says(bar.phaseLabel(), "Offline");
    says(bar.reconnectLabel(), "Reconnecting in 1 s, attempt 1 (");
    EXPECT_TRUE(rig.box.shown.empty());
    rig.timers.advance(1000);
    says(bar.phaseLabel(), "Online");
    EXPECT_FALSE(bar.reconnectLabel()->isVisible());
    // The language switch re-texts the bar at once, not at the next tick.
    rig.main->chooseDutch();
    says(bar.checksumErrorsLabel(), "Controlesomfouten: 0");
    entry->trigger();
    EXPECT_FALSE(entry->isChecked() || rig.console().reconnectEnabled());
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

TEST(MainWindowAgainstSimulator, aClickOnEachKeySendsItsFrameAndTheControllerTakesIt) {
    sim::SimServer server{sim::Options{}};
    const quint16 port = server.listen(QHostAddress::LocalHost, 0);
    ASSERT_NE(port, 0);
    const ShellRig folder(twoPoolSite(port), ShellRig::Texts::Shipped);
    RecordingSocket socket;
    platform::qt::QtTimerFactory timers;
    platform::qt::QtEventPump pump;
    RecordingMessageBox box;
    CountingBeep beep;
    platform::qt::QtClock clock;
    MemorySettings settings;
    ScriptedFileDialog dialog;
    DiskFileSaver files;
    shell::MainController main(
        shell::ShellServices{{socket, timers, pump, box, beep, clock}, settings, dialog, files},
        folder.dir.path(), shell::CommandLine("aqlremote", ""));
    ASSERT_FALSE(main.start());
    ui::MainWindow window(main);
    ASSERT_TRUE(showAndWait(window));
    // Through the window, as a real click travels, to whatever child lies under the point.
    auto click = [&](QWidget *widget, QPoint at) {
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, widget->mapTo(&window, at));
    };
    ui::Keypad *keypad = window.keypad();
    EXPECT_TRUE(keypad->isCovered()) << "no keys while Offline";
    click(window.onlineButton(), window.onlineButton()->rect().center());
    ASSERT_TRUE(main.console().connected());
    ASSERT_FALSE(keypad->isCovered());
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
    auto keysSent = [&] {
        std::vector<std::string> keys;
        std::copy_if(socket.sent.begin(), socket.sent.end(), std::back_inserter(keys),
                     [](const std::string &f) { return f != link::sendNextPacketFrame(1); });
        socket.sent.clear();
        return keys;
    };
    const sim::Counters before = server.simulator().counters();
    for (int key = 0; key < ui::Keypad::kKeys; ++key) {
        click(keypad, keypad->keyRect(key).center());
        EXPECT_EQ(keysSent(), std::vector<std::string>{expected[key]}) << key;
    }
    // Between the keys and beside them, nothing.
    click(keypad, (keypad->keyRect(ui::Keypad::Left).center() +
                   keypad->keyRect(ui::Keypad::Right).center()) /
                      2);
    click(keypad, QPoint(1, 1));
    EXPECT_TRUE(keysSent().empty());
    // Every frame reached the controller whole: the six keys on top of the polls.
    auto keysTaken = [&] {
        const sim::Counters &now = server.simulator().counters();
        return (now.frames.accepted - before.frames.accepted) - (now.polls - before.polls);
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return keysTaken() >= 6; }, 3000));
    EXPECT_EQ(keysTaken(), 6u);
    EXPECT_TRUE(box.shown.empty());
    window.offlineButton()->click();
}

// --- Look: every window in the states an operator sees, in both languages ----------------------

// Each row brings a window into a state, then the window is looked at (see expectLooksRight); a
// modal window is looked at inside its own loop. The main window's states come from fakes, the
// other windows are opened as the program opens them.
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
        ui::CompanionWindows &windows = console.windows();
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
            {"main-download",
             [&] {
                 fake.goOnline();
                 fake.download(237);
             },
             mainWindow},
            {"main-online", [&] { fake.answerUntilComplete(); }, mainWindow},
            {"main-stale", [&] { fake.timers.advance(2000); }, mainWindow},
            {"main-countdown", // lost, and the first attempt refused
             [&] {
                 main.reconnectEntry()->trigger();
                 fake.loseLink();
                 fake.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
                 fake.timers.advance(1000);
                 fake.pump.runPosted();
                 EXPECT_TRUE(fake.console().status().reconnect.pending);
             },
             mainWindow},
            {"main-panel-lowered",
             [&] {
                 main.findChild<QAbstractButton *>(QStringLiteral("shiftButton"))->click();
                 fake.timers.advance(link::ConnectionModes::kSlideMs * 10);
             },
             mainWindow},
            {"connection-password", [&] { console.main().openConnectionWindow(); },
             [&] { return windows.connectionWindow(); }},
            {"connection",
             [&] {
                 connection.setPassword(link::TcpLink::kServicePassword);
                 connection.confirmPassword();
             },
             [&] { return windows.connectionWindow(); }},
            {"variables", [&] { console.main().openVariables(); },
             [&] { return windows.variablesWindow(); }},
            {"variables-edit",
             [&] {
                 auto *cell =
                     windows.variablesWindow()->findChild<QLineEdit *>(QStringLiteral("value6"));
                 QTest::mouseClick(cell, Qt::LeftButton, {}, cell->rect().center());
             },
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
             inItsLoop([&] { console.main().openConfiguration(); }, named("configurationWindow")),
             lookedAt},
            {"log", inItsLoop([&] { console.main().console().saveLog(); }, isA<ui::LogWindow>()),
             lookedAt},
            {"about", inItsLoop([&] { console.main().openAbout(); }, isA<ui::AboutDialog>()),
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
        EXPECT_GT(checked, 150u);
    }
}
