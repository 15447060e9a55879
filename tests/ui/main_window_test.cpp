// The main window over its logic: what the widgets can get wrong. The logic itself is tested
// without widgets; these check that the window shows what the views say, hands clicks and keys to
// the right intent, and looks right in every state an operator sees.

#include "ConsoleRig.h"
#include "ShellRig.h"
#include "link/FrameCodec.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtTimerFactory.h"
#include "sim/server/SimServer.h"
#include "ui/DialogParent.h"
#include "ui/LinkStatusBar.h"
#include "ui/MainWindow.h"
#include "ui/logwindows/AboutDialog.h"
#include "ui/logwindows/LogWindow.h"
#include "ui/logwindows/RecordTableWindow.h"
#include "ui/widgets/Keypad.h"
#include "ui/widgets/LcdDisplay.h"
#include "ui/widgets/SlidingPanel.h"
#include "unit/link/LinkRig.h"

#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
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

std::string recordLines(int first, int count) {
    std::string lines;
    for (int n = first; n < first + count; ++n) {
        lines += addressedLine(1, recordBody(1000 + n, n)) + "\r";
    }
    return lines;
}

// The status bar's texts as an assistive tool reads them.
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
    ui::LinkStatusBar &bar() { return *window->linkStatus(); }
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
    // Answers to the polls until the status says the log is complete (at most 10 s).
    void answerUntilComplete() {
        for (int i = 0;
             i < 10 && console().status().download.state != link::DownloadStatus::State::Complete;
             ++i) {
            socket.deliver(displayLine());
            timers.advance(1000);
        }
    }
    // Lost with reconnecting on, and the first attempt refused: counting down to the second.
    void loseAndRefuse() {
        socket.postError(10054, "reset by peer");
        pump.runPosted();
        socket.outcome = FakeSocket::ConnectOutcome::Refuse;
        timers.advance(1000);
        pump.runPosted();
    }
};

} // namespace

TEST(MainWindowDisplay, aDisplayPacketShowsInTheCellsWithTheCursorBlinkingAtItsCell) {
    FakeRig rig;
    rig.goOnline();
    // Cursor code 0xC5: address 69, the sixth cell of the second row, shown.
    rig.socket.deliver(displayLine(0xC5));
    ui::LcdDisplay *display = rig.window->display();
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(display->lineText(row).toStdString(), kShownText.substr(row * 20, 20));
    }
    EXPECT_TRUE(spoken(display).startsWith(QStringLiteral("pH   7.21  sp  7.20\nCl")));
    rig.timers.advance(500);
    for (int cell = 0; cell < ui::LcdDisplay::kCells; ++cell) {
        EXPECT_EQ(display->cursorCells()[static_cast<std::size_t>(cell)], cell == 25) << cell;
    }
    rig.timers.advance(500);
    EXPECT_FALSE(display->cursorCells()[25]); // it blinks
    rig.timers.advance(500);
    EXPECT_TRUE(display->cursorCells()[25]);

    rig.window->offlineButton()->click(); // Offline blanks the display
    EXPECT_EQ(display->text().trimmed(), QString());
    EXPECT_FALSE(rig.window->onlineButton()->isChecked());
}

TEST(MainWindowKeys, controllerKeysGoToTheKeypadWhereverTheFocusIsAndChangeNothingElse) {
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_Up, 18}, {Qt::Key_Right, 17}, {Qt::Key_Down, 19}, {Qt::Key_Left, 16},
        {Qt::Key_V, 21},  {Qt::Key_X, 20},     {Qt::Key_F7, 21},   {Qt::Key_F9, 20}};
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
    EXPECT_EQ(rig.main->view().poolIndex, 0);
    EXPECT_EQ(rig.main->currentPool()->records().count(), 1u);

    // Online, on the mode buttons: Down would choose Offline and close the link.
    rig.goOnline();
    for (QWidget *target : std::initializer_list<QWidget *>{
             rig.window->onlineButton(), rig.window->offlineButton(), rig.window->getLogButton()}) {
        for (const auto &[key, code] : keys) {
            SCOPED_TRACE(target->objectName().toStdString() + " key " + std::to_string(key));
            rig.socket.sent.clear();
            target->setFocus();
            QTest::keyClick(target, key);
            EXPECT_EQ(rig.keysSent(), std::vector<int>{code});
            EXPECT_TRUE(rig.console().view().onlineSelected && rig.console().connected());
            EXPECT_EQ(QApplication::focusWidget(), target);
        }
    }
    // A held key presses once, not once per repeat.
    rig.socket.sent.clear();
    for (bool repeat : {false, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(rig.window->onlineButton(), &press);
    }
    EXPECT_EQ(rig.keysSent(), std::vector<int>{18});
    EXPECT_TRUE(rig.box.shown.empty());
}

TEST(MainWindowKeys, otherKeysAccessKeysAndOpenMenusKeepTheirMeaning) {
    FakeRig rig;
    rig.window->offlineButton()->setFocus();
    QTest::keyClick(rig.window->offlineButton(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), rig.window->onlineButton());
    QTest::keyClick(rig.window->onlineButton(), Qt::Key_Space);
    ASSERT_TRUE(rig.console().connected());
    rig.socket.sent.clear();
    // A letter that is no controller key, and a controller key with Ctrl, send nothing.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::ControlModifier);
    // Alt and a menu's access key open the menu; inside it the arrows walk the menu.
    QTest::keyClick(rig.window.get(), Qt::Key_F, Qt::AltModifier);
    auto *file = rig.window->findChild<QMenu *>(QStringLiteral("fileMenu"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == file; }, 2000));
    QTest::keyClick(file, Qt::Key_Down);
    EXPECT_TRUE(rig.keysSent().empty());
    file->close();
}

TEST(MainWindowPanel, thePanelSlidesStepByStepAndTheCountAndSaveFollowTheRecordsHeld) {
    FakeRig rig;
    ui::SlidingPanel *panel = rig.window->modePanel();
    ASSERT_EQ(panel->position(), link::kPanelTopRaised);
    rig.window->findChild<QAbstractButton *>(QStringLiteral("shiftButton"))->click();
    rig.timers.advance(link::ConnectionModes::kSlideMs * 4);
    EXPECT_EQ(panel->position(), link::kPanelTopRaised + 4 * link::ConnectionModes::kSlideStep);
    const int midway = panel->content()->y();
    rig.timers.advance(link::ConnectionModes::kSlideMs * 6);
    EXPECT_EQ(panel->position(), link::kPanelTopLowered);
    EXPECT_GT(panel->content()->y(), midway);

    rig.goOnline();
    rig.hold(1, 3);
    rig.timers.advance(100);
    EXPECT_EQ(rig.window->recordCount()->text(), QStringLiteral("3"));
    EXPECT_EQ(spoken(rig.window->recordCount()), QStringLiteral("3"));
    EXPECT_EQ(rig.window->saveButton()->toolTip(), QStringLiteral("3 records held"));
    EXPECT_TRUE(rig.window->saveButton()->isEnabled());
}

TEST(MainWindowStatus, theStatusBarTellsTheLinksStateToEyesAndAssistiveToolsAndFollowsIt) {
    FakeRig rig;
    ui::LinkStatusBar &bar = rig.bar();
    EXPECT_EQ(spoken(bar.phaseLabel()), QStringLiteral("Offline"));
    EXPECT_FALSE(bar.replyLabel()->isVisible());
    EXPECT_EQ(spoken(bar.checksumErrorsLabel()), QStringLiteral("Checksum errors: 0"));

    rig.goOnline();
    EXPECT_EQ(bar.phaseLabel()->text(), QStringLiteral("Online"));
    rig.socket.deliver(displayLine());
    rig.socket.deliver(addressedLine(9, displayBody(1, 0, kShownText)) + "\r"); // not ours
    rig.timers.advance(1000);
    EXPECT_TRUE(bar.replyLabel()->text().startsWith(QStringLiteral("Last reply ")));
    EXPECT_EQ(spoken(bar.linesReceivedLabel()), QStringLiteral("Lines received: 2"));
    EXPECT_EQ(spoken(bar.droppedLinesLabel()), QStringLiteral("Dropped lines: 1"));

    // A download: its progress while records come, then the end the rule decides.
    EXPECT_FALSE(bar.downloadLabel()->isVisible());
    rig.window->getLogButton()->click();
    rig.socket.deliver(recordLines(1, 30));
    rig.timers.advance(1000);
    const QString progress = spoken(bar.downloadLabel());
    EXPECT_TRUE(progress.startsWith(QStringLiteral("Records held: 30   ")))
        << progress.toStdString();
    EXPECT_TRUE(progress.contains(QStringLiteral(" records/s   Elapsed: 0:0")));
    rig.answerUntilComplete();
    EXPECT_EQ(spoken(bar.downloadLabel()), QStringLiteral("Log complete: 30 records"));

    // The Options entry switches reconnecting on; a loss then counts down, and is no box.
    QAction *entry = rig.window->reconnectEntry();
    EXPECT_EQ(entry->text(), QStringLiteral("Reconnect automatically"));
    entry->trigger();
    EXPECT_TRUE(entry->isChecked() && rig.console().reconnectEnabled());
    rig.socket.postError(10054, "reset by peer");
    rig.pump.runPosted();
    EXPECT_EQ(bar.phaseLabel()->text(), QStringLiteral("Offline"));
    EXPECT_TRUE(spoken(bar.reconnectLabel())
                    .startsWith(QStringLiteral("Reconnecting in 1 s, attempt 1 (")));
    EXPECT_TRUE(rig.box.shown.empty());
    rig.timers.advance(1000);
    EXPECT_EQ(bar.phaseLabel()->text(), QStringLiteral("Online"));
    EXPECT_FALSE(bar.reconnectLabel()->isVisible());

    // The language switch re-texts it at once, not at the next tick.
    rig.main->chooseDutch();
    EXPECT_EQ(bar.checksumErrorsLabel()->text(), QStringLiteral("Controlesomfouten: 0"));
    EXPECT_EQ(entry->text(), QStringLiteral("Automatisch opnieuw verbinden"));
    entry->trigger();
    EXPECT_FALSE(entry->isChecked() || rig.console().reconnectEnabled());
}

TEST(MainWindowStatus, theDisplayDimsUnderANoteAfterTwoSilentSecondsUntilTheNextReply) {
    FakeRig rig;
    ui::LcdDisplay *display = rig.window->display();
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(display);
    rig.goOnline();
    rig.socket.deliver(displayLine());
    QApplication::processEvents();
    const QImage live = display->grab().toImage();
    const QString liveDescription = reader->text(QAccessible::Description);

    rig.timers.advance(1999);
    EXPECT_FALSE(display->isStale());
    rig.timers.advance(1);
    ASSERT_TRUE(display->isStale());
    EXPECT_EQ(display->staleNote(), QStringLiteral("No reply"));
    EXPECT_EQ(spoken(rig.bar().staleLabel()), QStringLiteral("No reply"));
    EXPECT_EQ(reader->text(QAccessible::Description), liveDescription + " (No reply)");
    EXPECT_EQ(display->lineText(0).toStdString(), kShownText.substr(0, 20)) << "still readable";
    QApplication::processEvents();
    const QImage stale = display->grab().toImage();
    // The glass loses its colour, and the red note stands in the middle of it.
    EXPECT_LT(saturation(stale), saturation(live) * 0.6);
    const QRect note = display->staleNoteRect();
    ASSERT_FALSE(note.isEmpty());
    EXPECT_TRUE(display->rect().contains(note));
    const qreal ratio = display->devicePixelRatioF();
    const QColor noteColour(
        stale.pixel(QPointF((note.left() + 3) * ratio, note.center().y() * ratio).toPoint()));
    EXPECT_GT(noteColour.red(), 120);
    EXPECT_LT(noteColour.green(), 90);

    rig.socket.deliver(displayLine()); // the next valid reply clears it at once
    EXPECT_FALSE(display->isStale());
    EXPECT_FALSE(rig.bar().staleLabel()->isVisible());
    EXPECT_EQ(reader->text(QAccessible::Description), liveDescription);
    QApplication::processEvents();
    EXPECT_NEAR(saturation(display->grab().toImage()), saturation(live), 0.02);
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
    TempDir dir;
    fillProgramFolder(dir, port);
    RecordingSocket socket;
    platform::qt::QtTimerFactory timers;
    platform::qt::QtEventPump pump;
    RecordingMessageBox box;
    CountingBeep beep;
    platform::qt::QtClock clock;
    MemorySettings settings;
    NoFileDialog dialog;
    DiskFileSaver files;
    shell::MainController main(
        shell::ShellServices{{socket, timers, pump, box, beep, clock}, settings, dialog, files},
        dir.path(), shell::CommandLine("aqlremote", ""));
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
    EXPECT_EQ(server.simulator().counters().frames.badChecksum, 0u);
    EXPECT_EQ(server.simulator().counters().unknownCommands, 0u);
    EXPECT_TRUE(box.shown.empty());
    window.offlineButton()->click();
}

TEST(MainWindowDialogs, boxesBelongToTheModalWindowElseTheWindowKeptOnTop) {
    QWidget fallback;
    EXPECT_EQ(ui::topmostWindow(&fallback), &fallback);
    QWidget onTop(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    ASSERT_TRUE(showAndWait(onTop));
    EXPECT_EQ(ui::topmostWindow(&fallback), &onTop);
    QDialog modal(&fallback);
    modal.setModal(true);
    modal.show();
    EXPECT_EQ(ui::topmostWindow(&fallback), &modal);
    modal.hide();
    onTop.hide();
    EXPECT_NE(ui::topmostWindow(&fallback), &onTop);
}

TEST(ConsoleProcess, theProgramIsNamedAsItRunsAndTheSettingsFileComesFromTheEnvironment) {
    TempDir dir;
    fillProgramFolder(dir, 4001);
    const std::string settings = (dir / "elsewhere.ini").u8string();
    qputenv(app::kSettingsVariable, QByteArray::fromStdString(settings));
    const char *arguments[] = {"renamed-by-a-shell", "010203"};
    app::ConsoleOptions options = app::processOptions(2, arguments);
    qunsetenv(app::kSettingsVariable);
    // The name of the file that runs, not what argv[0] claims.
    const std::string self =
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
    EXPECT_EQ(options.info.exeName, self);
    EXPECT_EQ(options.commandLine.argv(0), self);
    EXPECT_EQ(options.commandLine.argv(1), "010203");
    EXPECT_EQ(options.settingsFile.toStdString(), settings);

    options.programFolder = dir.path();
    options.commandLine = shell::CommandLine(self, "");
    app::ConsoleApp console(std::move(options));
    ASSERT_TRUE(console.start());
    EXPECT_EQ(console.main().console().errors().title(), self + " - V2.0");
    EXPECT_TRUE(std::filesystem::exists(settings)); // the start wrote its settings there
    console.main().closeAll();
}

// --- Look: every window in every state an operator sees, in both languages ----------------------

TEST(ConsoleLook, everyWindowHasRoomForItsTextsInBothLanguages) {
    for (const QString &language : {QStringLiteral("en"), QStringLiteral("nl")}) {
        {
            FakeRig rig;
            if (language == QLatin1String("nl")) {
                rig.main->chooseDutch();
            }
            ui::MainWindow &w = *rig.window;
            auto look = [&](const char *state) {
                return expectLooksRight(w, QStringLiteral("main-") + QLatin1String(state),
                                        language);
            };
            settleLayouts();
            w.resize(w.minimumSizeHint());
            EXPECT_GT(look("smallest"), 15u);
            w.resize(w.sizeHint() * 1.35);
            look("offline");
            // Connecting: the notice and its dots show while the connect waits.
            rig.socket.outcome = FakeSocket::ConnectOutcome::Hang;
            bool connecting = false;
            rig.pump.duringProcessEvents = [&] {
                if (!connecting && rig.socket.state() == platform::sockstate::kConnecting) {
                    connecting = true;
                    rig.timers.advance(700);
                    EXPECT_TRUE(
                        w.findChild<QLabel *>(QStringLiteral("connectingNotice"))->isVisibleTo(&w));
                    EXPECT_FALSE(w.onlineButton()->isEnabled());
                    look("connecting");
                    rig.socket.setState(platform::sockstate::kConnected);
                }
            };
            rig.goOnline();
            rig.pump.duringProcessEvents = nullptr;
            EXPECT_TRUE(connecting);
            rig.socket.deliver(displayLine(0xC5));
            rig.window->getLogButton()->click();
            rig.socket.deliver(recordLines(1, 237));
            rig.timers.advance(1000);
            look("download");
            rig.answerUntilComplete();
            look("online");
            rig.timers.advance(2500);
            ASSERT_TRUE(w.display()->isStale());
            look("stale");
            rig.main->chooseReconnect(true);
            rig.loseAndRefuse();
            ASSERT_TRUE(rig.console().status().reconnect.pending);
            look("countdown");
            w.findChild<QAbstractButton *>(QStringLiteral("shiftButton"))->click();
            rig.timers.advance(link::ConnectionModes::kSlideMs * 10);
            look("panel-lowered");
        }
        ConsoleRig rig;
        if (language == QLatin1String("nl")) {
            rig.main().chooseDutch();
        }
        rig.hold(1, 1234);
        rig.main().openConnectionWindow();
        QWidget &connection = *rig.windows().connectionWindow();
        expectLooksRight(connection, QStringLiteral("connection-password"), language);
        rig.main().console().connection().setPassword(link::TcpLink::kServicePassword);
        rig.main().console().connection().confirmPassword();
        expectLooksRight(connection, QStringLiteral("connection"), language);
        connection.close();

        rig.main().openVariables();
        QWidget &variables = *rig.windows().variablesWindow();
        expectLooksRight(variables, QStringLiteral("variables"), language);
        QLineEdit *cell = variables.findChild<QLineEdit *>(QStringLiteral("value6"));
        QTest::mouseClick(cell, Qt::LeftButton, {}, cell->rect().center());
        expectLooksRight(variables, QStringLiteral("variables-edit"), language);
        variables.close();

        rig.main().openOverview();
        auto &table = *qobject_cast<ui::RecordTableWindow *>(rig.windows().recordTableWindow());
        table.resize(table.fullSize());
        expectLooksRight(table, QStringLiteral("records"), language);
        table.close();
#ifdef AQL_HAS_TREND_WINDOW
        rig.main().openTrend();
        QWidget &trend = *rig.windows().trendWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&trend));
        expectLooksRight(trend, QStringLiteral("trend"), language);
        trend.close();
#endif
        auto modal = [&](const char *name) {
            return [name, language](QWidget *w) {
                expectLooksRight(*w, QLatin1String(name), language);
                qobject_cast<QDialog *>(w)->reject();
            };
        };
        ModalScript script({{named("configurationWindow"), modal("configuration")},
                            {isA<ui::LogWindow>(), modal("log")},
                            {isA<ui::AboutDialog>(), modal("about")}});
        rig.main().openConfiguration();
        rig.main().console().saveLog();
        rig.main().openAbout();
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(script.unexpectedBoxes.empty());
    }
}
