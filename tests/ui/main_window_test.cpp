// The main window over its logic: what the widgets can get wrong. The logic itself is tested
// without widgets; these check that the window shows what the views say, hands clicks and keys to
// the right intent, and closes everything with it.

#include "aqlremote/ConsoleApp.h"
#include "link/FrameCodec.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtTimerFactory.h"
#include "sim/server/SimServer.h"
#include "support/DiskFileSaver.h"
#include "support/LinkFakes.h"
#include "support/MemorySettings.h"
#include "support/ShellRig.h"
#include "support/TempDir.h"
#include "ui/DialogParent.h"
#include "ui/LinkStatusBar.h"
#include "ui/MainWindow.h"
#include "ui/widgets/Keypad.h"
#include "ui/widgets/Lamp.h"
#include "ui/widgets/LcdDisplay.h"
#include "ui/widgets/SlidingPanel.h"
#include "unit/link/LinkRig.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;

namespace {

class NoFileDialog : public platform::FileDialog {
public:
    std::optional<std::string> openFile(const std::string &, const std::string &) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string &, const std::string &) override {
        return std::nullopt;
    }
};

std::string siteFile(int port) {
    const std::string p = std::to_string(port);
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
           "<aqlRemoteConfig version=\"1.0\">\r\n<siteName>Test site</siteName>\r\n"
           "<managedSystems>\r\n"
           "<system address=\"1\" ipaddress=\"127.0.0.1\" port=\"" +
           p + "\" name=\"Main pool\"/>\r\n<system address=\"1\" ipaddress=\"127.0.0.1\" port=\"" +
           p + "\" name=\"Kids pool\"/>\r\n</managedSystems>\r\n</aqlRemoteConfig>\r\n";
}

// A program folder with the real language files and a site of two systems.
void fillProgramFolder(const TempDir &dir, int port) {
    for (const char *language : {"English.lng", "Nederlands.lng"}) {
        writeBytes(dir / language, readBytes(std::filesystem::path(AQL_RESOURCES_DIR) / language));
    }
    writeBytes(dir / "config.xml", siteFile(port));
}

void showAndWait(QWidget &window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
}

// The main window over fakes: time and the controller move only when the test says so.
struct FakeRig : ShellRig {
    std::unique_ptr<ui::MainWindow> window;

    FakeRig() : ShellRig(::siteFile(4001)) {
        EXPECT_TRUE(started);
        window = std::make_unique<ui::MainWindow>(*main);
        showAndWait(*window);
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    link::Console &console() { return main->console(); }
    void goOnline() {
        window->onlineButton()->click();
        ASSERT_TRUE(console().connected());
    }
    void hold(std::int32_t number) {
        records::LogRecord r;
        r.recordNumber = number;
        main->currentPool()->records().insert(r);
    }
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
};

} // namespace

// Readable failure messages for texts (GoogleTest looks for this name).
// NOLINTNEXTLINE(readability-identifier-naming)
void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

TEST(MainWindowDisplay, aDisplayPacketShowsInTheCellsWithTheCursorBlinkingAtItsCell) {
    FakeRig rig;
    rig.goOnline();
    std::string text = "AQL-170   Main pool ";
    text += std::string(20, ' ') + "pH 7.21  sp 7.20    " + "Rx 738mV  Flow 47   ";
    // Cursor code 0xC5: address 69, the sixth cell of the second row, shown.
    rig.socket.deliver(unaddressedLine(displayBody(0, 0xC5, text)) + "\r");
    ui::LcdDisplay *display = rig.window->display();
    EXPECT_EQ(display->lineText(0), QStringLiteral("AQL-170   Main pool "));
    EXPECT_EQ(display->lineText(2), QStringLiteral("pH 7.21  sp 7.20    "));
    EXPECT_EQ(display->lineText(3), QStringLiteral("Rx 738mV  Flow 47   "));
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(display);
    ASSERT_NE(reader, nullptr);
    EXPECT_TRUE(reader->text(QAccessible::Name).startsWith(QStringLiteral("AQL-170   Main pool")));

    rig.timers.advance(500);
    for (int cell = 0; cell < ui::LcdDisplay::kCells; ++cell) {
        EXPECT_EQ(display->cursorCells()[static_cast<std::size_t>(cell)], cell == 25) << cell;
    }
    rig.timers.advance(500);
    EXPECT_FALSE(display->cursorCells()[25]); // it blinks
    rig.timers.advance(500);
    EXPECT_TRUE(display->cursorCells()[25]);

    // Offline blanks the display.
    rig.window->offlineButton()->click();
    EXPECT_EQ(display->text().trimmed(), QString());
    EXPECT_FALSE(rig.window->onlineButton()->isChecked());
}

TEST(MainWindowKeys, controllerKeysGoToTheKeypadWhereverTheFocusIsAndChangeNothingElse) {
    struct Case {
        Qt::Key key;
        int code; // the key code the controller receives
    };
    const Case cases[] = {{Qt::Key_Up, 18},   {Qt::Key_Right, 17}, {Qt::Key_Down, 19},
                          {Qt::Key_Left, 16}, {Qt::Key_V, 21},     {Qt::Key_X, 20},
                          {Qt::Key_F7, 21},   {Qt::Key_F9, 20}};
    FakeRig rig;
    rig.goOnline();
    QWidget *targets[] = {rig.window->onlineButton(), rig.window->offlineButton(),
                          rig.window->getLogButton()};
    for (QWidget *target : targets) {
        for (const Case &c : cases) {
            SCOPED_TRACE(target->objectName().toStdString() + " key " + std::to_string(c.key));
            rig.socket.sent.clear();
            target->setFocus();
            QTest::keyClick(target, c.key);
            EXPECT_EQ(rig.keysSent(), std::vector<int>{c.code});
            EXPECT_TRUE(rig.console().view().onlineSelected);
            EXPECT_TRUE(rig.console().connected());
            EXPECT_EQ(QApplication::focusWidget(), target);
        }
    }
}

TEST(MainWindowKeys, downOnThePoolSelectionFlashesTheKeyAndKeepsThePoolAndItsRecords) {
    FakeRig rig;
    rig.hold(5);
    QComboBox *pools = rig.window->poolSelection();
    pools->setFocus();
    const std::size_t flashes = rig.pump.sleeps.size();
    QTest::keyClick(pools, Qt::Key_Down);
    QTest::keyClick(pools, Qt::Key_Up);
    EXPECT_EQ(rig.pump.sleeps.size(), flashes + 2); // each one a key press, flashed
    EXPECT_EQ(pools->currentIndex(), 0);
    EXPECT_EQ(rig.main->view().poolIndex, 0);
    EXPECT_EQ(rig.main->currentPool()->records().count(), 1u);
    EXPECT_TRUE(rig.box.shown.empty());
}

TEST(MainWindowPanel, anAssistiveToolChoosesOnlineAndOfflineAsAClickDoes) {
    FakeRig rig;
    auto toggle = [](QWidget *button) {
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->role(), QAccessible::RadioButton);
        reader->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    toggle(rig.window->onlineButton());
    EXPECT_TRUE(rig.console().view().onlineSelected);
    EXPECT_TRUE(rig.console().connected());
    toggle(rig.window->offlineButton());
    EXPECT_FALSE(rig.console().view().onlineSelected);
    EXPECT_TRUE(rig.window->offlineButton()->isChecked());
    EXPECT_FALSE(rig.window->onlineButton()->isChecked());
}

TEST(MainWindowKeys, otherKeysAccessKeysAndOpenMenusAreLeftAlone) {
    FakeRig rig;
    rig.goOnline();
    rig.socket.sent.clear();
    QWidget *online = rig.window->onlineButton();
    online->setFocus();

    // Tab still moves the focus, and a letter that is no controller key does nothing.
    QTest::keyClick(online, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), online);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
    // With Ctrl, a controller key is not one.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_TRUE(rig.keysSent().empty());

    // Alt and a menu's access key open the menu; inside it the arrows walk the menu.
    QApplication::setActiveWindow(rig.window.get());
    QTest::keyClick(rig.window.get(), Qt::Key_F, Qt::AltModifier);
    QMenu *file = rig.window->findChild<QMenu *>(QStringLiteral("fileMenu"));
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == file; }, 2000));
    QTest::keyClick(file, Qt::Key_Down);
    EXPECT_TRUE(rig.keysSent().empty());
    file->close();
}

TEST(MainWindowKeys, tabReachesEveryModeControlAndSpaceChoosesOnline) {
    FakeRig rig;
    rig.window->offlineButton()->setFocus();
    std::vector<QWidget *> visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(visited.front(), rig.window->onlineButton());
    QTest::keyClick(rig.window->onlineButton(), Qt::Key_Space);
    EXPECT_TRUE(rig.console().view().onlineSelected);
}

TEST(MainWindowKeys, aHeldKeyPressesOnceNotOncePerRepeat) {
    FakeRig rig;
    rig.goOnline();
    rig.socket.sent.clear();
    QWidget *online = rig.window->onlineButton();
    for (bool repeat : {false, true, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(online, &press);
    }
    EXPECT_EQ(rig.keysSent(), std::vector<int>{18});
}

TEST(MainWindowLanguage, switchingToDutchAndBackRetextsTheWholeWindow) {
    FakeRig rig;
    auto menuTitles = [&] {
        QStringList titles;
        for (QAction *action : rig.window->menuBar()->actions()) {
            titles << action->text();
        }
        return titles.join(QLatin1Char(','));
    };
    auto caption = [&](const char *lamp) {
        return rig.window->findChild<ui::Lamp *>(QLatin1String(lamp))->caption();
    };
    struct Shown {
        QString menus, offline, online, getLog, save, run, manual, select, connection;
    };
    auto shown = [&] {
        return Shown{
            menuTitles(),
            rig.window->offlineButton()->text(),
            rig.window->onlineButton()->text(),
            rig.window->getLogButton()->text(),
            rig.window->saveButton()->text(),
            caption("runLamp"),
            caption("manualLamp"),
            rig.window->findChild<QLabel *>(QStringLiteral("selectSystemLabel"))->text(),
            rig.window->findChild<QPushButton *>(QStringLiteral("connectionButton"))->text()};
    };
    const Shown english = shown();
    EXPECT_EQ(english.menus, QStringLiteral("&File,O&ptions,&Help"));
    EXPECT_EQ(english.getLog, QStringLiteral("&Get Log"));
    EXPECT_EQ(english.run, QStringLiteral("RUN"));
    EXPECT_EQ(english.connection, QStringLiteral("Communication"));

    QMenu *options = rig.window->findChild<QMenu *>(QStringLiteral("optionsMenu"));
    QAction *dutch = nullptr;
    for (QAction *action : options->actions()) {
        if (action->menu() != nullptr) {
            for (QAction *entry : action->menu()->actions()) {
                if (entry->text() == QLatin1String("Dutch")) {
                    dutch = entry;
                }
            }
        }
    }
    ASSERT_NE(dutch, nullptr);
    dutch->trigger();
    const Shown nl = shown();
    EXPECT_EQ(nl.menus, QStringLiteral("&Bestand,O&pties,&Help"));
    EXPECT_EQ(nl.getLog, QStringLiteral("&Log ophalen"));
    EXPECT_EQ(nl.save, QStringLiteral("&Opslaan"));
    EXPECT_EQ(nl.run, QStringLiteral("BEDRIJF"));
    EXPECT_EQ(nl.manual, QStringLiteral("HAND"));
    EXPECT_EQ(nl.select, QStringLiteral("Kies s&ysteem"));
    EXPECT_TRUE(dutch->isChecked());
    EXPECT_EQ(rig.window->poolSelection()->accessibleName(), QStringLiteral("Kies systeem"));

    rig.main->chooseEnglish();
    const Shown back = shown();
    EXPECT_EQ(back.menus, english.menus);
    EXPECT_EQ(back.save, english.save);
    EXPECT_EQ(back.manual, english.manual);
    EXPECT_EQ(back.connection, english.connection);
    EXPECT_FALSE(dutch->isChecked());
}

TEST(MainWindowPanel, thePanelIsDrawnAtEachStepOfTheLogicsSlide) {
    FakeRig rig;
    ui::SlidingPanel *panel = rig.window->modePanel();
    ASSERT_EQ(panel->position(), link::kPanelTopRaised);
    rig.window->findChild<QAbstractButton *>(QStringLiteral("shiftButton"))->click();
    rig.timers.advance(link::ConnectionModes::kSlideMs * 4);
    EXPECT_EQ(panel->position(), link::kPanelTopRaised + 4 * link::ConnectionModes::kSlideStep);
    const int midway = panel->content()->y();
    rig.timers.advance(link::ConnectionModes::kSlideMs * 6);
    ASSERT_EQ(rig.console().view().panelTop, link::kPanelTopLowered);
    EXPECT_EQ(panel->position(), link::kPanelTopLowered);
    EXPECT_GT(panel->content()->y(), midway);
}

TEST(MainWindowPanel, recordCountAndSaveTooltipFollowTheRecordsHeld) {
    FakeRig rig;
    rig.goOnline();
    for (std::int32_t n = 1; n <= 3; ++n) {
        rig.hold(n);
    }
    rig.timers.advance(100);
    EXPECT_EQ(rig.window->recordCount()->text(), QStringLiteral("3"));
    EXPECT_EQ(rig.window->saveButton()->toolTip(), QStringLiteral("3 records held"));
    EXPECT_TRUE(rig.window->saveButton()->isEnabled());
    QAccessibleInterface *count = QAccessible::queryAccessibleInterface(rig.window->recordCount());
    EXPECT_EQ(count->text(QAccessible::Name), QStringLiteral("3"));
}

// --- The link's status bar and the stale display -------------------------------------------------

namespace {

const std::string kShownText = std::string("pH   7.21  sp  7.20 ") + "Cl   0.77  sp  0.80 " +
                               "Rx  738mV  Flow  47 " + "27.1C  AUTO    08:00";

// The controller's answer to a poll: its display.
std::string displayLine() {
    return unaddressedLine(displayBody(0x01 | 0x08, 0, kShownText)) + "\r";
}

std::string recordLines(int first, int count) {
    std::string lines;
    for (int n = first; n < first + count; ++n) {
        lines += addressedLine(1, recordBody(1000 + n, n)) + "\r";
    }
    return lines;
}

// The status bar's texts as an assistive tool reads them.
QString spoken(QLabel *label) {
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(label);
    return reader != nullptr && label->isVisible() ? reader->text(QAccessible::Name) : QString();
}

// How colourful a picture is on average (0 grey, 1 fully saturated).
double saturation(const QImage &image) {
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            sum += QColor(image.pixel(x, y)).hsvSaturationF();
            ++count;
        }
    }
    return count > 0 ? sum / count : 0;
}

// The manual timers drive the link's clock as well: ages and rates follow them.
struct TimedRig : FakeRig {
    TimedRig() { clock.timers = &timers; }
    ui::LinkStatusBar &bar() { return *window->linkStatus(); }
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

TEST(MainWindowStatus, theStatusBarTellsTheLinksStateToEyesAndAssistiveToolsAndFollowsIt) {
    TimedRig rig;
    ui::LinkStatusBar &bar = rig.bar();
    EXPECT_EQ(spoken(bar.phaseLabel()), QStringLiteral("Offline"));
    EXPECT_FALSE(bar.replyLabel()->isVisible());
    EXPECT_EQ(spoken(bar.linesReceivedLabel()), QStringLiteral("Lines received: 0"));
    EXPECT_EQ(spoken(bar.checksumErrorsLabel()), QStringLiteral("Checksum errors: 0"));

    rig.goOnline();
    EXPECT_EQ(bar.phaseLabel()->text(), QStringLiteral("Online"));
    rig.socket.deliver(displayLine());
    rig.socket.deliver(addressedLine(9, displayBody(1, 0, kShownText)) + "\r"); // not ours
    rig.timers.advance(1000);
    EXPECT_TRUE(bar.replyLabel()->text().startsWith(QStringLiteral("Last reply ")));
    EXPECT_TRUE(bar.replyLabel()->text().endsWith(QStringLiteral(" ago")));
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
    EXPECT_TRUE(progress.contains(QStringLiteral(" records/s   Elapsed: 0:0")))
        << progress.toStdString();
    rig.answerUntilComplete();
    EXPECT_EQ(spoken(bar.downloadLabel()), QStringLiteral("Log complete: 30 records"));

    // A lost connection with reconnecting on: the countdown, then Online again.
    rig.main->chooseReconnect(true);
    EXPECT_FALSE(bar.reconnectLabel()->isVisible());
    rig.socket.postError(10054, "reset by peer");
    rig.pump.runPosted();
    EXPECT_EQ(bar.phaseLabel()->text(), QStringLiteral("Offline"));
    const QString countdown = spoken(bar.reconnectLabel());
    EXPECT_TRUE(countdown.startsWith(QStringLiteral("Reconnecting in 1 s, attempt 1 (")))
        << countdown.toStdString();
    EXPECT_TRUE(rig.box.shown.empty()) << "a loss that is reconnected is no message box";
    rig.timers.advance(1000);
    EXPECT_EQ(bar.phaseLabel()->text(), QStringLiteral("Online"));
    EXPECT_FALSE(bar.reconnectLabel()->isVisible());

    // The language switch re-texts it at once, not at the next tick.
    rig.main->chooseDutch();
    EXPECT_TRUE(bar.linesReceivedLabel()->text().startsWith(QStringLiteral("Ontvangen regels: ")));
    EXPECT_EQ(bar.checksumErrorsLabel()->text(), QStringLiteral("Controlesomfouten: 0"));
}

TEST(MainWindowStatus, theDisplayDimsUnderANoteAfterTwoSilentSecondsUntilTheNextReply) {
    TimedRig rig;
    ui::LcdDisplay *display = rig.window->display();
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(display);
    ASSERT_NE(reader, nullptr);
    rig.goOnline();
    rig.socket.deliver(displayLine());
    QApplication::processEvents();
    const QImage live = display->grab().toImage();
    const QString liveDescription = reader->text(QAccessible::Description);

    rig.timers.advance(1999);
    EXPECT_FALSE(display->isStale());
    EXPECT_FALSE(rig.bar().staleLabel()->isVisible());
    rig.timers.advance(1);
    ASSERT_TRUE(display->isStale());
    EXPECT_EQ(display->staleNote(), QStringLiteral("No reply"));
    EXPECT_EQ(spoken(rig.bar().staleLabel()), QStringLiteral("No reply"));
    EXPECT_EQ(reader->text(QAccessible::Description),
              liveDescription + QStringLiteral(" (No reply)"));
    EXPECT_EQ(display->lineText(0), QString::fromLatin1(kShownText.substr(0, 20).c_str()))
        << "what it last showed stays readable";
    QApplication::processEvents();
    const QImage stale = display->grab().toImage();
    // The glass loses its colour, and the note stands in the middle of it.
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
    EXPECT_TRUE(display->staleNoteRect().isEmpty());
    EXPECT_FALSE(rig.bar().staleLabel()->isVisible());
    EXPECT_EQ(reader->text(QAccessible::Description), liveDescription);
    QApplication::processEvents();
    EXPECT_NEAR(saturation(display->grab().toImage()), saturation(live), 0.02);
}

TEST(MainWindowMenus, theReconnectEntryShowsTheSwitchAsTheLogicKeepsIt) {
    FakeRig rig;
    QAction *entry = rig.window->reconnectEntry();
    EXPECT_TRUE(entry->isCheckable());
    EXPECT_FALSE(entry->isChecked());
    EXPECT_EQ(entry->text(), QStringLiteral("Reconnect automatically"));
    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_TRUE(rig.console().reconnectEnabled());
    rig.main->chooseDutch();
    EXPECT_EQ(entry->text(), QStringLiteral("Automatisch opnieuw verbinden"));
    EXPECT_TRUE(entry->isChecked());
    entry->trigger();
    EXPECT_FALSE(entry->isChecked());
    EXPECT_FALSE(rig.console().reconnectEnabled());
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

struct SimRig {
    sim::SimServer server{sim::Options{}};
    quint16 port = server.listen(QHostAddress::LocalHost, 0);
    TempDir dir;
    RecordingSocket socket;
    platform::qt::QtTimerFactory timers;
    platform::qt::QtEventPump pump;
    RecordingMessageBox box;
    CountingBeep beep;
    platform::qt::QtClock clock;
    MemorySettings settings;
    NoFileDialog dialog;
    DiskFileSaver files;
    std::unique_ptr<shell::MainController> main;
    std::unique_ptr<ui::MainWindow> window;

    SimRig() {
        fillProgramFolder(dir, port);
        main = std::make_unique<shell::MainController>(
            shell::ShellServices{{socket, timers, pump, box, beep, clock}, settings, dialog, files},
            dir.path(), shell::CommandLine("aqlremote", ""));
        EXPECT_FALSE(main->start());
        window = std::make_unique<ui::MainWindow>(*main);
        showAndWait(*window);
    }
    // Through the window, as a real click travels, to whatever child lies under the point.
    void click(QWidget *widget, QPoint at) {
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                          widget->mapTo(window.get(), at));
    }
};

std::string frame(std::initializer_list<int> bytes) {
    std::string f;
    for (int b : bytes) {
        f.push_back(static_cast<char>(b));
    }
    return f;
}

} // namespace

TEST(MainWindowAgainstSimulator, aClickOnEachKeySendsItsFrameAndTheControllerTakesIt) {
    SimRig rig;
    ASSERT_NE(rig.port, 0);
    rig.click(rig.window->onlineButton(), rig.window->onlineButton()->rect().center());
    ASSERT_TRUE(rig.main->console().connected());
    ASSERT_FALSE(rig.window->keypad()->isCovered());
    // The controller's display arrives with the polls.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !rig.window->display()->text().trimmed().isEmpty(); }, 5000));

    // Written out by hand: "@", address 1, the key code, four zeros, (1 + 105 + code), "#".
    const std::string expected[] = {
        frame({'@', 1, 18, 0, 0, 0, 0, 124, '#'}), // up
        frame({'@', 1, 17, 0, 0, 0, 0, 123, '#'}), // right
        frame({'@', 1, 19, 0, 0, 0, 0, 125, '#'}), // down
        frame({'@', 1, 16, 0, 0, 0, 0, 122, '#'}), // left
        frame({'@', 1, 21, 0, 0, 0, 0, 127, '#'}), // accept
        frame({'@', 1, 20, 0, 0, 0, 0, 126, '#'}), // cancel
    };
    const sim::Counters before = rig.server.simulator().counters();
    ui::Keypad *keypad = rig.window->keypad();
    for (int key = 0; key < ui::Keypad::kKeys; ++key) {
        SCOPED_TRACE(key);
        rig.socket.sent.clear();
        rig.click(keypad, keypad->keyRect(key).center());
        std::vector<std::string> keys;
        for (const std::string &sent : rig.socket.sent) {
            if (sent != link::sendNextPacketFrame(1)) {
                keys.push_back(sent);
            }
        }
        EXPECT_EQ(keys, std::vector<std::string>{expected[key]});
    }
    // Every frame reached the controller whole: the six keys on top of the polls.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const sim::Counters &now = rig.server.simulator().counters();
            return (now.frames.accepted - before.frames.accepted) - (now.polls - before.polls) >= 6;
        },
        3000));
    const sim::Counters &after = rig.server.simulator().counters();
    EXPECT_EQ(after.frames.badChecksum, 0u);
    EXPECT_EQ(after.unknownCommands, 0u);
    EXPECT_EQ((after.frames.accepted - before.frames.accepted) - (after.polls - before.polls), 6u);
    EXPECT_TRUE(rig.box.shown.empty());
    rig.window->offlineButton()->click();
}

// --- The whole console, as the program wires it --------------------------------------------------

namespace {

// Windows that stand in for the others: plain ones, the modal ones closing as soon as they open.
ui::WindowFactory standInWindows(std::vector<QPointer<QWidget>> &made) {
    auto plain = [&made](const char *name, QWidget *parent) {
        auto *w = new QWidget(parent, Qt::Window);
        w->setObjectName(QLatin1String(name));
        made.emplace_back(w);
        return w;
    };
    auto modal = [&made](const char *name, QWidget *parent) {
        auto *d = new QDialog(parent);
        d->setObjectName(QLatin1String(name));
        QTimer::singleShot(0, d, &QDialog::accept);
        made.emplace_back(d);
        return d;
    };
    ui::WindowFactory f;
    f.connectionWindow = [plain](link::TcpLink &, QWidget *p) { return plain("connection", p); };
    f.variablesWindow = [plain](shell::MainController &, QWidget *p) {
        return plain("variables", p);
    };
    f.recordTableWindow = [plain](shell::MainController &, QWidget *p) {
        return plain("records", p);
    };
    f.configurationWindow = [modal](config::ConfigurationController &, QWidget *p) {
        return modal("configuration", p);
    };
    f.aboutDialog = [modal](shell::AboutController &, QWidget *p) { return modal("about", p); };
    return f;
}

struct AppRig {
    TempDir dir;
    std::vector<QPointer<QWidget>> made;
    std::unique_ptr<app::ConsoleApp> console;

    AppRig() {
        fillProgramFolder(dir, 4001);
        app::ConsoleOptions options;
        options.programFolder = dir.path();
        options.settingsFile = QString::fromStdString((dir / "settings.ini").u8string());
        options.windows = standInWindows(made);
        console = std::make_unique<app::ConsoleApp>(std::move(options));
        EXPECT_TRUE(console->start());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&console->window()));
    }
    void openEveryWindow() {
        shell::MainController &main = console->main();
        main.openConnectionWindow();
        main.openVariables();
        main.openOverview();
        main.openConfiguration();
        main.openAbout();
    }
    std::vector<std::string> visibleWindows() const {
        std::vector<std::string> names;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) {
                names.push_back(window->objectName().toStdString());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

TEST(MainWindowShutdown, theCloseBoxClosesEveryWindowAndTheConnection) {
    AppRig rig;
    rig.openEveryWindow();
    EXPECT_EQ(rig.visibleWindows(),
              (std::vector<std::string>{"connection", "mainWindow", "records", "variables"}));
    EXPECT_EQ(rig.made.size(), 5u);
    QSignalSpy closed(&rig.console->window(), &ui::MainWindow::closedForGood);
    EXPECT_TRUE(rig.console->window().close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(rig.visibleWindows().empty());
    EXPECT_TRUE(rig.console->main().closing());
}

TEST(MainWindowShutdown, unsavedRecordsAskFirstAndCancelKeepsEverythingOpen) {
    AppRig rig;
    rig.openEveryWindow();
    records::LogRecord r;
    r.recordNumber = 9;
    rig.console->main().currentPool()->records().insert(r);
    QWidget *boxParent = nullptr;
    QWidget *active = QApplication::activeWindow();
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxParent = box->parentWidget();
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_FALSE(rig.console->window().close());
    // In front of the window the operator was working in.
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(boxParent, active);
    EXPECT_EQ(rig.visibleWindows(),
              (std::vector<std::string>{"connection", "mainWindow", "records", "variables"}));
    EXPECT_FALSE(rig.console->main().closing());
    rig.console->main().markSaved();
    EXPECT_TRUE(rig.console->window().close());
}

TEST(MainWindowDialogs, boxesBelongToTheModalWindowElseTheWindowKeptOnTop) {
    QWidget fallback;
    fallback.setObjectName(QStringLiteral("fallback"));
    EXPECT_EQ(ui::topmostWindow(&fallback), &fallback);
    QWidget onTop(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    onTop.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&onTop));
    EXPECT_EQ(ui::topmostWindow(&fallback), &onTop);

    QDialog modal(&fallback);
    modal.setModal(true);
    modal.show();
    EXPECT_EQ(ui::topmostWindow(&fallback), &modal);
    modal.hide();
    onTop.hide();
    EXPECT_NE(ui::topmostWindow(&fallback), &onTop);
}

// --- Look: nothing clipped or overlapping, in both languages, at the smallest size ---------------

namespace {

QString scaleSuffix() {
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR");
    return scale.isEmpty() ? QStringLiteral("1") : scale;
}

void saveScreenshot(QWidget &window, const QString &name) {
    QDir().mkpath(QStringLiteral(AQL_SCREENSHOT_DIR));
    const QString file = QStringLiteral(AQL_SCREENSHOT_DIR) + QLatin1Char('/') + name +
                         QStringLiteral("-scale") + scaleSuffix() + QStringLiteral(".png");
    EXPECT_TRUE(window.grab().save(file)) << file.toStdString();
}

bool carriesText(const QWidget *w) {
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        return !label->text().isEmpty();
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(w)) {
        return !button->text().isEmpty();
    }
    return qobject_cast<const QComboBox *>(w) || qobject_cast<const ui::Lamp *>(w) ||
           qobject_cast<const ui::LcdDisplay *>(w) || qobject_cast<const ui::Keypad *>(w);
}

// Every visible control with text has at least the room it asks for, lies inside its parent and
// overlaps no other such control.
void expectNothingClipped(QWidget &window) {
    std::vector<QWidget *> shown;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (w->isVisibleTo(&window) && carriesText(w) && !qobject_cast<QMenu *>(w->window())) {
            shown.push_back(w);
        }
    }
    ASSERT_GT(shown.size(), 15u);
    for (QWidget *w : shown) {
        const std::string name = w->objectName().isEmpty()
                                     ? std::string(w->metaObject()->className())
                                     : w->objectName().toStdString();
        SCOPED_TRACE(name);
        const QSize least = w->minimumSizeHint();
        EXPECT_GE(w->width(), least.width());
        EXPECT_GE(w->height(), least.height());
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << "outside its parent";
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            QWidget *a = shown[i];
            QWidget *b = shown[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a)) {
                continue;
            }
            const QRect ra(a->mapTo(&window, QPoint(0, 0)), a->size());
            const QRect rb(b->mapTo(&window, QPoint(0, 0)), b->size());
            EXPECT_FALSE(ra.intersects(rb))
                << a->objectName().toStdString() << " overlaps " << b->objectName().toStdString();
        }
    }
}

} // namespace

TEST(MainWindowLook, nothingIsClippedOrOverlapsInEitherLanguageAtTheSmallestSize) {
    FakeRig rig;
    for (const char *language : {"en", "nl"}) {
        SCOPED_TRACE(language);
        if (std::string(language) == "nl") {
            rig.main->chooseDutch();
        }
        QApplication::processEvents(); // the layout takes in the new texts
        rig.window->resize(rig.window->minimumSizeHint());
        QApplication::processEvents();
        expectNothingClipped(*rig.window);
        saveScreenshot(*rig.window, QStringLiteral("main-smallest-") + QLatin1String(language));
        rig.window->resize(1000, 700);
        QApplication::processEvents();
        expectNothingClipped(*rig.window);
    }
}

TEST(MainWindowLook, screenshotsOfTheStatesAnOperatorSees) {
    FakeRig rig;
    rig.window->resize(rig.window->sizeHint() * 1.35);
    QApplication::processEvents();
    saveScreenshot(*rig.window, QStringLiteral("main-offline"));

    // Connecting: the notice and its dots show while the connect waits.
    rig.socket.outcome = FakeSocket::ConnectOutcome::Hang;
    bool seen = false;
    rig.pump.duringProcessEvents = [&] {
        if (!seen && rig.socket.state() == platform::sockstate::kConnecting) {
            seen = true;
            rig.timers.advance(700);
            QApplication::processEvents();
            EXPECT_TRUE(
                rig.window->findChild<QLabel *>(QStringLiteral("connectingNotice"))->isVisible());
            EXPECT_FALSE(rig.window->onlineButton()->isEnabled());
            saveScreenshot(*rig.window, QStringLiteral("main-connecting"));
            rig.socket.setState(platform::sockstate::kConnected);
        }
    };
    rig.window->onlineButton()->click();
    rig.pump.duringProcessEvents = nullptr;
    ASSERT_TRUE(seen);
    ASSERT_TRUE(rig.console().connected());

    const std::string text = std::string("pH   7.21  sp  7.20 ") + "Cl   0.77  sp  0.80 " +
                             "Rx  738mV  Flow  47 " + "27.1C  AUTO    08:00";
    rig.socket.deliver(unaddressedLine(displayBody(0x01 | 0x08, 0xC5, text)) + "\r");
    rig.timers.advance(500);
    for (std::int32_t n = 1; n <= 412; ++n) {
        rig.hold(n);
    }
    rig.timers.advance(100);
    QApplication::processEvents();
    saveScreenshot(*rig.window, QStringLiteral("main-online"));

    rig.window->findChild<QAbstractButton *>(QStringLiteral("shiftButton"))->click();
    rig.timers.advance(link::ConnectionModes::kSlideMs * 10);
    ASSERT_EQ(rig.window->modePanel()->position(), link::kPanelTopLowered);
    saveScreenshot(*rig.window, QStringLiteral("main-panel-lowered"));
}

TEST(MainWindowLook, theStatusBarAndTheStaleDisplayInBothLanguages) {
    for (const char *language : {"en", "nl"}) {
        SCOPED_TRACE(language);
        TimedRig rig;
        if (std::string(language) == "nl") {
            rig.main->chooseDutch();
        }
        rig.window->resize(rig.window->sizeHint() * 1.35);
        auto shot = [&](const char *state) {
            QApplication::processEvents();
            expectNothingClipped(*rig.window);
            saveScreenshot(*rig.window, QStringLiteral("main-status-") + QLatin1String(state) +
                                            QLatin1Char('-') + QLatin1String(language));
        };
        rig.goOnline();
        rig.socket.deliver(displayLine());
        rig.window->getLogButton()->click();
        rig.socket.deliver(recordLines(1, 237));
        rig.timers.advance(1000);
        rig.socket.deliver(recordLines(238, 163));
        rig.timers.advance(1000);
        shot("download");
        rig.answerUntilComplete();
        shot("online");
        rig.timers.advance(2500);
        ASSERT_TRUE(rig.window->display()->isStale());
        shot("stale");

        // Lost, and the first attempt refused: counting down to the second.
        rig.main->chooseReconnect(true);
        rig.socket.postError(10054, "reset by peer");
        rig.pump.runPosted();
        rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
        rig.timers.advance(1000);
        rig.pump.runPosted();
        ASSERT_TRUE(rig.console().status().reconnect.pending);
        shot("countdown");
    }
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
