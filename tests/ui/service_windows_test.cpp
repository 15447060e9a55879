// The connection, configuration and variables windows over their logic on fakes: what the
// operator types, clicks and presses reaches the logic, and the windows show what it says.

#include "support/ShellRig.h"
#include "ui/ConfigurationWindow.h"
#include "ui/ConnectionWindow.h"
#include "ui/VariablesWindow.h"
#include "unit/link/LinkRig.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;

namespace {

// A shown window and its children by name.
template <class Window> struct Shown {
    Window &window;
    explicit Shown(Window &w) : window(w) {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
    }
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
};

} // namespace

TEST(ConnectionWindowUi, showsTheLinksTrafficWithEveryByteVisibleAndHandsBackWhatIsTyped) {
    LinkRig rig;
    rig.console.connection().retranslate();
    ui::ConnectionWindow window{rig.console.connection()};
    rig.console.connection().show();
    Shown<ui::ConnectionWindow> controls{window};
    QTest::keyClicks(controls.find("password"), QLatin1String(link::TcpLink::kServicePassword));
    QTest::keyClick(controls.find("password"), Qt::Key_Return);
    controls.click("connect");
    ASSERT_TRUE(rig.console.connected());
    rig.socket.deliver("\x01"
                       "0123\r");
    EXPECT_EQ(controls.text("lastReceived"), QStringLiteral("[01]0123[0D]"));
    // Frames carry control bytes; more of them than the log holds push the oldest lines out.
    for (int i = 0; i < 30; ++i) {
        rig.console.connection().send(std::string("\x02\x01") + static_cast<char>('A' + i % 26) +
                                      "\x7f\x90");
    }
    auto *log = controls.find<QListWidget>("eventLog");
    ASSERT_EQ(log->count(), static_cast<int>(rig.connectionWindow().eventLog.size()));
    EXPECT_EQ(log->item(0)->text(), QStringLiteral("[02][01]F[7F][90]"));
    EXPECT_EQ(log->item(log->count() - 1)->text(), QStringLiteral("[02][01]D[7F][90]"));
    EXPECT_EQ(controls.text("lastSent"), log->item(log->count() - 1)->text());
    controls.click("close");
    EXPECT_FALSE(rig.console.connected());
    controls.retype("answerTimeout", "2500");
    EXPECT_EQ(rig.connectionWindow().answerTimeout, "2500");
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
    rig.controls.click("deleteSystem");
    EXPECT_EQ(rig.siteFile(), siteWith({"Wedstrijdbad 192.168.10.21 5001",
                                        "Instructiebad 192.168.10.30 5003", "System 0 0.0.0.0 0"}));
    EXPECT_EQ(rig.items(), QStringList({"Wedstrijdbad", "Instructiebad", "System 0"}));

    // Going Online forbids editing; the window follows at once.
    rig.main->console().chooseOnline();
    EXPECT_FALSE(rig.controls.find<QPushButton>("newSystem")->isEnabled());
    EXPECT_FALSE(rig.controls.find("name")->isEnabled() || rig.systems()->isEnabled());
}

// --- The variables window on an Online console --------------------------------------------------

namespace {

struct VariablesRig : LinkRig {
    VariablesRig() { goOnline(); }
    bool shown(const char *panel) { return controls.find<QWidget>(panel)->isVisible(); }
    QString label(const char *name) { return controls.find<QLabel>(name)->text(); }
    // The value of `variable` on the tab of `block`.
    QLineEdit *cell(int block, int variable) {
        controls.find<QTabWidget>("blocks")->setCurrentIndex(block - 1);
        return window.valueCell((block - 1) * 25 + (variable - 1));
    }
    void clickValue(int block, int variable) {
        QLineEdit *value = cell(block, variable);
        QTest::mouseClick(value, Qt::LeftButton, {}, value->rect().center());
    }

    ui::VariablesWindow window{console.variables(), numberedText};
    Shown<ui::VariablesWindow> controls{window};
};

} // namespace

TEST(VariablesWindowUi, mouseAndKeyboardOpenTheEditPanelAndABusyNoticeWhileAWriteIsPending) {
    VariablesRig rig;
    rig.socket.deliver(blockLine(4, {{7, 24}}));
    rig.timers.advance(link::VariablesController::kIdleInterval);
    // The block's answer shows in its cell on its own tab at the next poll.
    EXPECT_EQ(rig.cell(4, 7)->text(), QStringLiteral("24"));
    rig.clickValue(4, 7);
    ASSERT_TRUE(rig.shown("editPanel"));
    QLineEdit *edit = rig.controls.find("editBox");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(rig.label("editCurrent"), QStringLiteral("Var. Actueel: 24"));
    QTest::keyClicks(edit, QStringLiteral("99"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(rig.shown("editPanel") || rig.console.variables().writePending());

    QLineEdit *cell = rig.cell(4, 3);
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_F2, Qt::Key_Return}) {
        cell->setFocus();
        QTest::keyClick(cell, key);
        EXPECT_TRUE(rig.shown("editPanel")) << key;
        EXPECT_EQ(rig.label("editVariable"), QStringLiteral("Var. nr.: 3")) << key;
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
    QTest::keyClick(rig.controls.find<QPushButton>("busyOk"), Qt::Key_Return);
    EXPECT_FALSE(rig.shown("busyNotice"));
    rig.socket.deliver(blockLine(4, {{3, 24}})); // the write goes out with the next answer
    rig.socket.deliver(blockLine(4, {{3, 25}})); // and is done when a later one reads it back
    ASSERT_FALSE(rig.console.variables().writePending());
    // A row of the grid opens the panel on the variable of the row clicked, whatever the column.
    auto *grid = rig.controls.find<QTableWidget>("variableGrid");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(6, 0)).center());
    EXPECT_EQ(rig.label("editVariable"), QStringLiteral("Var. nr.: 5"));
    EXPECT_EQ(rig.label("editCurrent"), "Var. Actueel: " + grid->item(6, 0)->text());
    EXPECT_NE(grid->item(6, 0)->text(), grid->item(6, 1)->text());
}
