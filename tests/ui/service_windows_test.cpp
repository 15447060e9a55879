// The connection, configuration and variables windows over their logic on fakes: what the
// operator types, clicks and presses reaches the logic, and the windows show what it says. A
// variable's write to a controller and back is tested against the simulated one.

#include "support/ShellRig.h"
#include "ui/ConfigurationWindow.h"
#include "ui/ConnectionWindow.h"
#include "ui/Latin1Text.h"
#include "ui/VariablesWindow.h"
#include "unit/link/LinkRig.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;

namespace {

// A shown window and its children by name.
template <class Window> struct Shown {
    Window &window;
    explicit Shown(Window &w) : window(w) {}
    template <typename W = QLineEdit> W *find(const char *name) {
        auto *w = window.template findChild<W *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char *name) { return find(name)->text(); }
    void click(const char *button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    void retype(const char *name, const char *text) {
        find(name)->setFocus();
        find(name)->selectAll();
        QTest::keyClicks(find(name), QLatin1String(text));
    }
    void activate() {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
    }
};

// --- The connection window; its texts are "T" and their number -----------------------------------

struct ConnectionRig : LinkRig {
    ConnectionRig() { console.connection().retranslate(); }
    link::TcpLink &link() { return console.connection(); }
    ui::ConnectionWindow window{console.connection()};
    Shown<ui::ConnectionWindow> controls{window};

    bool passwordPanelShown() {
        return window.findChild<QStackedWidget *>()->currentWidget()->isAncestorOf(
            controls.find("password"));
    }
    // Shows the window through the link, as the main window's button does.
    void open() {
        link().show();
        controls.activate();
    }
    void typePassword(const char *text) {
        QTest::keyClicks(controls.find("password"), QLatin1String(text));
        QTest::keyClick(controls.find("password"), Qt::Key_Return);
    }
    std::vector<QString> shownLog() {
        auto *log = controls.find<QListWidget>("eventLog");
        std::vector<QString> lines;
        for (int i = 0; i < log->count(); ++i) {
            lines.push_back(log->item(i)->text());
        }
        return lines;
    }
};

} // namespace

TEST(ConnectionWindowUi, onlyTheServicePasswordUncoversTheWindowAndEveryWayOutCoversItAgain) {
    ConnectionRig rig;
    rig.open();
    EXPECT_TRUE(rig.passwordPanelShown());
    rig.typePassword("tobrin47");
    EXPECT_TRUE(rig.passwordPanelShown());
    EXPECT_TRUE(rig.controls.text("password").isEmpty());
    EXPECT_TRUE(rig.controls.find("password")->hasFocus());
    rig.controls.click("passwordOk");
    EXPECT_TRUE(rig.passwordPanelShown());
    EXPECT_TRUE(rig.controls.find("password")->hasFocus())
        << "focus goes back into the box after OK";

    // Every way out covers the window again and forgets what was typed: from the open window
    // Hide, Escape and the close box (a close event from the window system), from the password
    // panel Cancel and Escape.
    using WayOut = std::function<void(ConnectionRig &)>;
    const std::pair<bool, WayOut> waysOut[] = {
        {true, [](ConnectionRig &r) { r.controls.click("hide"); }},
        {true, [](ConnectionRig &r) { QTest::keyClick(&r.window, Qt::Key_Escape); }},
        {true,
         [](ConnectionRig &r) {
             QCloseEvent close;
             QSpontaneKeyEvent::setSpontaneous(&close);
             QApplication::instance()->notify(&r.window, &close);
         }},
        {false, [](ConnectionRig &r) { r.controls.click("passwordCancel"); }},
        {false,
         [](ConnectionRig &r) { QTest::keyClick(r.controls.find("password"), Qt::Key_Escape); }}};
    for (const auto &[uncovered, wayOut] : waysOut) {
        if (uncovered) {
            rig.typePassword("Tobrin47");
            ASSERT_FALSE(rig.passwordPanelShown());
        } else {
            QTest::keyClicks(rig.controls.find("password"), QStringLiteral("Tob"));
        }
        wayOut(rig);
        EXPECT_FALSE(rig.window.isVisible() || rig.link().view().visible) << uncovered;
        EXPECT_TRUE(rig.link().view().password.empty() && rig.controls.text("password").isEmpty());
        rig.open();
        EXPECT_TRUE(rig.passwordPanelShown());
    }
}

TEST(ConnectionWindowUi, showsTheLinksLastLinesAndTrafficReadablyAndHandsBackWhatIsTyped) {
    ConnectionRig rig;
    rig.open();
    rig.typePassword("Tobrin47");
    rig.controls.click("connect");
    ASSERT_TRUE(rig.console.connected());
    rig.socket.deliver("\x01"
                       "0123\r");
    EXPECT_EQ(rig.controls.text("lastReceived"), QStringLiteral("[01]0123[0D]"));
    // Frames carry control bytes; more of them than the log holds push the oldest lines out.
    for (int i = 0; i < 30; ++i) {
        rig.link().send(std::string("\x02\x01") + static_cast<char>('A' + i % 26) + "\x7f\x90");
    }
    std::vector<QString> linkLog;
    for (const std::string &line : rig.link().view().eventLog) {
        linkLog.push_back(ui::printableBytes(line));
    }
    EXPECT_EQ(rig.shownLog(), linkLog);
    EXPECT_EQ(rig.shownLog().back(), QStringLiteral("[02][01]D[7F][90]"));
    EXPECT_EQ(rig.controls.text("lastSent"), rig.shownLog().back());
    rig.controls.click("close");
    EXPECT_FALSE(rig.console.connected());
    EXPECT_EQ(rig.shownLog().back(), QStringLiteral("T80"));
    rig.controls.retype("answerTimeout", "2500");
    EXPECT_EQ(rig.link().view().answerTimeout, "2500");
}

TEST(ConnectionWindowUi, everyControlCarriesItsCaptionAsAccessibleName) {
    ConnectionRig rig;
    EXPECT_EQ(rig.window.windowTitle(), QStringLiteral("T5"));
    // Each control, then the name it carries.
    for (const char *named :
         {"password T26", "passwordOk T27", "passwordCancel T28", "connect T29", "hide T30",
          "close T31", "lastSent T32", "lastReceived T33", "attempts T34 T35",
          "answerTimeout T34 T36", "connectTicks T37 T38", "host T21", "port T22"}) {
        const QString control = QString::fromLatin1(named).section(QLatin1Char(' '), 0, 0);
        EXPECT_EQ(rig.window.findChild<QWidget *>(control)->accessibleName(),
                  QString::fromLatin1(named).section(QLatin1Char(' '), 1))
            << named;
    }
}

// --- The configuration window over the main window's logic, on a site of three systems ----------

namespace {

// The site file as the program writes it, a system "name ip port" a line.
std::string siteWith(const std::vector<std::string> &systems) {
    std::string file = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<aqlRemoteConfig "
                       "version=\"1.0\">\r\n    <siteName>Velmaro AQL</siteName>\r\n"
                       "    <managedSystems>\r\n";
    int address = 0;
    for (const std::string &system : systems) {
        const std::size_t port = system.rfind(' '), ip = system.rfind(' ', port - 1);
        file += "      <system address=\"" + std::to_string(++address) + "\" ipaddress=\"" +
                system.substr(ip + 1, port - ip - 1) + "\" port=\"" + system.substr(port + 1) +
                "\" name=\"" + system.substr(0, ip) + "\"/>\r\n";
    }
    return file + "    </managedSystems>\r\n</aqlRemoteConfig>\r\n";
}

struct ConfigurationRig : ShellRig {
    ConfigurationRig() : ShellRig(readBytes(fixture("config_files/site_three_written.xml"))) {
        EXPECT_TRUE(started);
        main->configuration().open(false);
        window.show();
        controls.activate();
    }
    QComboBox *systems() { return controls.find<QComboBox>("systems"); }
    // The operator steps through the selection with the arrow keys until it shows `name`.
    void select(const char *name) {
        systems()->setFocus();
        for (int i = 0; i <= systems()->count() && systems()->currentText() != name; ++i) {
            QTest::keyClick(systems(), i == 0 ? Qt::Key_Home : Qt::Key_Down);
        }
        ASSERT_EQ(systems()->currentText(), QLatin1String(name));
    }
    QStringList items() {
        QStringList out;
        for (int i = 0; i < systems()->count(); ++i) {
            out << systems()->itemText(i);
        }
        return out;
    }

    ui::ConfigurationWindow window{main->configuration()};
    Shown<ui::ConfigurationWindow> controls{window};
};

} // namespace

TEST(ConfigurationWindowUi, newDeleteAndSaveRoundTripThroughTheSiteFile) {
    ConfigurationRig rig;
    EXPECT_EQ(rig.items(), QStringList({"Wedstrijdbad", "Instructiebad", "Peuterbad"}));
    auto *remove = rig.controls.find<QPushButton>("deleteSystem");
    auto *save = rig.controls.find<QPushButton>("saveSystem");
    EXPECT_FALSE(remove->isEnabled() || save->isEnabled()) << "nothing selected";
    for (const auto &[control, name] : {std::pair{"systems", "Select system"},
                                        {"name", "Name:"},
                                        {"port", "Port:"},
                                        {"newSystem", "New"},
                                        {"deleteSystem", "Delete"}}) {
        EXPECT_EQ(rig.controls.find<QWidget>(control)->accessibleName(), QLatin1String(name))
            << control;
    }

    rig.select("Instructiebad");
    EXPECT_TRUE(remove->isEnabled() && save->isEnabled());
    EXPECT_EQ(rig.controls.text("name"), QStringLiteral("Instructiebad"));
    EXPECT_EQ(rig.controls.text("ipAddress"), QStringLiteral("192.168.10.22"));
    rig.controls.retype("ipAddress", "192.168.10.30");
    rig.controls.retype("port", "50x03");
    EXPECT_EQ(rig.controls.text("port"), QStringLiteral("5003"));
    EXPECT_EQ(rig.beep.count, 1);
    rig.controls.click("saveSystem");
    // A saved system moves to the end of the list, and with it its address.
    EXPECT_EQ(rig.siteFile(), siteWith({"Wedstrijdbad 192.168.10.21 5001", "Peuterbad 10.0.0.9 502",
                                        "Instructiebad 192.168.10.30 5003"}));
    EXPECT_EQ(rig.items(), QStringList({"Wedstrijdbad", "Peuterbad", "Instructiebad"}));
    EXPECT_TRUE(rig.controls.text("name").isEmpty());

    rig.controls.click("newSystem");
    EXPECT_EQ(rig.siteFile(), siteWith({"Wedstrijdbad 192.168.10.21 5001", "Peuterbad 10.0.0.9 502",
                                        "Instructiebad 192.168.10.30 5003", "System 0 0.0.0.0 0"}));
    EXPECT_EQ(rig.systems()->currentText(), QStringLiteral("System 0"));
    EXPECT_EQ(rig.controls.text("name"), QStringLiteral("System 0"));

    rig.select("Peuterbad");
    rig.box.answer = platform::kResultCancel;
    rig.controls.click("deleteSystem");
    EXPECT_EQ(rig.items().size(), 4);
    rig.box.answer = platform::kResultOk;
    rig.controls.click("deleteSystem");
    ASSERT_EQ(rig.box.shown.size(), 2u);
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kQuestionOkCancel);
    EXPECT_EQ(rig.siteFile(), siteWith({"Wedstrijdbad 192.168.10.21 5001",
                                        "Instructiebad 192.168.10.30 5003", "System 0 0.0.0.0 0"}));
    EXPECT_EQ(rig.items(), QStringList({"Wedstrijdbad", "Instructiebad", "System 0"}));
    // The main window's selection read the same file.
    EXPECT_EQ(rig.main->view().poolNames,
              (std::vector<std::string>{"Wedstrijdbad", "Instructiebad", "System 0"}));

    // Going Online forbids editing; the window follows at once.
    rig.main->console().chooseOnline();
    EXPECT_FALSE(rig.controls.find<QPushButton>("newSystem")->isEnabled());
    EXPECT_FALSE(rig.controls.find("name")->isEnabled() || rig.systems()->isEnabled());
}

TEST(ConfigurationWindowUi, thePortTakesDigitsFromEveryRoute) {
    ConfigurationRig rig;
    rig.select("Peuterbad");
    QLineEdit *port = rig.controls.find("port");
    rig.controls.retype("port", "8a0");
    EXPECT_EQ(port->text(), QStringLiteral("80"));
    EXPECT_EQ(rig.beep.count, 1);
    // Pasted text meets the same rule as typed keys: letters refuse the whole paste.
    QApplication::clipboard()->setText(QStringLiteral("9b9"));
    port->end(false);
    port->paste();
    EXPECT_EQ(port->text(), QStringLiteral("80"));
    EXPECT_EQ(rig.beep.count, 2);
    QApplication::clipboard()->setText(QStringLiteral("77"));
    port->paste();
    EXPECT_EQ(rig.main->configuration().view().port.text, "8077");
    // Cursor keys and Delete pass without a beep.
    QTest::keyClick(port, Qt::Key_Home);
    QTest::keyClick(port, Qt::Key_Delete);
    EXPECT_EQ(rig.main->configuration().view().port.text, "077");
    EXPECT_EQ(rig.beep.count, 2);
}

TEST(ConfigurationWindowUi, eachRunOpensWithNothingSelectedAndEmptiesTheBoxesAfterwards) {
    ConfigurationRig rig;
    rig.select("Peuterbad");
    rig.window.hide();
    bool checked = false;
    QTimer::singleShot(0, &rig.window, [&] {
        EXPECT_EQ(rig.systems()->currentIndex(), -1);
        EXPECT_FALSE(rig.controls.find<QPushButton>("deleteSystem")->isEnabled());
        EXPECT_TRUE(rig.window.isModal());
        rig.select("Wedstrijdbad");
        EXPECT_EQ(rig.controls.text("name"), QStringLiteral("Wedstrijdbad"));
        checked = true;
        rig.window.reject();
    });
    rig.window.run(false);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(rig.controls.text("name").isEmpty() && rig.controls.text("ipAddress").isEmpty());
}

// --- The variables window on an Online console --------------------------------------------------

namespace {

int cellOf(int block, int variable) {
    return (block - 1) * 25 + (variable - 1);
}

struct VariablesRig : LinkRig {
    VariablesRig() {
        goOnline();
        window.show();
        controls.activate();
    }
    bool shown(const char *panel) { return controls.find<QWidget>(panel)->isVisible(); }
    QString label(const char *name) { return controls.find<QLabel>(name)->text(); }
    // A variable block packet: type 5, block, one unread byte, 26 little-endian values.
    void controllerReports(int block, const std::vector<std::pair<int, int>> &values) {
        std::string body{'\x05', static_cast<char>(block), '\0'};
        body.resize(body.size() + 52, '\0');
        for (auto [variable, value] : values) {
            body[static_cast<std::size_t>(2 * variable + 1)] = static_cast<char>(value & 0xFF);
            body[static_cast<std::size_t>(2 * variable + 2)] =
                static_cast<char>((value >> 8) & 0xFF);
        }
        socket.deliver(addressedLine(1, body) + "\r");
    }
    // The operator opens the tab of `block` and clicks the value of `variable` on it.
    void clickValue(int block, int variable) {
        controls.find<QTabWidget>("blocks")->setCurrentIndex(block - 1);
        QLineEdit *cell = window.valueCell(cellOf(block, variable));
        QTest::mouseClick(cell, Qt::LeftButton, {}, cell->rect().center());
    }

    ui::VariablesWindow window{console.variables(), numberedText};
    Shown<ui::VariablesWindow> controls{window};
};

} // namespace

TEST(VariablesWindowUi, mouseAndKeyboardOpenTheEditPanelAndABusyNoticeWhileAWriteIsPending) {
    VariablesRig rig;
    rig.controllerReports(4, {{7, 24}});
    rig.timers.advance(link::VariablesController::kIdleInterval);
    // The block's answer shows in its cell on its own tab at the next poll.
    QLineEdit *value = rig.window.valueCell(cellOf(4, 7));
    EXPECT_EQ(value->text(), QStringLiteral("24"));
    EXPECT_TRUE(rig.controls.find<QTabWidget>("blocks")->widget(3)->isAncestorOf(value));
    rig.clickValue(4, 7);
    ASSERT_TRUE(rig.shown("editPanel"));
    QLineEdit *edit = rig.controls.find("editBox");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(rig.label("editVariable"), QStringLiteral("Var. nr.: 7"));
    EXPECT_EQ(rig.label("editCurrent"), QStringLiteral("Var. Actueel: 24"));
    QTest::keyClicks(edit, QStringLiteral("99"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(rig.shown("editPanel") || rig.console.variables().writePending());

    QLineEdit *cell = rig.window.valueCell(cellOf(4, 3));
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_F2, Qt::Key_Return}) {
        cell->setFocus();
        QTest::keyClick(cell, key);
        EXPECT_TRUE(rig.shown("editPanel")) << key;
        EXPECT_EQ(rig.console.variables().view().editVariableText, "Var. nr.: 3");
    }
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("25"));
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_FALSE(rig.shown("editPanel"));
    ASSERT_TRUE(rig.console.variables().writePending());
    const auto &w = rig.console.variables().lastWrite();
    EXPECT_EQ(std::vector<int>({w.block, w.variable, w.value}), std::vector<int>({4, 3, 25}));

    rig.clickValue(4, 8); // not while the write is pending
    EXPECT_TRUE(rig.shown("busyNotice"));
    EXPECT_FALSE(rig.shown("editPanel"));
    auto *ok = rig.controls.find<QPushButton>("busyOk");
    EXPECT_TRUE(ok->hasFocus());
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_FALSE(rig.shown("busyNotice"));
    EXPECT_EQ(w.variable, 3) << "the pending write is unchanged";
    rig.controllerReports(4, {{3, 24}}); // the write goes out with the block's next answer
    rig.controllerReports(4, {{3, 25}}); // and is done when a later one reads it back
    EXPECT_FALSE(rig.console.variables().writePending());
    // A row of the grid opens the panel too.
    auto *grid = rig.controls.find<QTableWidget>("variableGrid");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(6, 1)).center());
    EXPECT_EQ(rig.label("editVariable"), QStringLiteral("Var. nr.: 5"));
}
