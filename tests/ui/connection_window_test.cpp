// The connection window over the link's logic on fakes: the password panel in front of it, what
// it shows of the link and what it hands back.

#include "ui/ConnectionWindow.h"
#include "ui/Latin1Text.h"
#include "unit/link/LinkRig.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;

namespace {

// The connection window on a console of fakes; its texts are "T" and their number.
struct ConnectionRig : LinkRig {
    ConnectionRig() { console.connection().retranslate(); }

    link::TcpLink &link() { return console.connection(); }
    ui::ConnectionWindow window{console.connection()};

    template <typename W = QWidget> W *find(const char *name) {
        auto *w = window.findChild<W *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit *password() { return find<QLineEdit>("password"); }
    QString text(const char *name) { return find<QLineEdit>(name)->text(); }
    bool passwordPanelShown() {
        return window.findChild<QStackedWidget *>()->currentWidget()->isAncestorOf(password());
    }
    // Shows the window through the link, as the main window's button does.
    void open() {
        link().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
    }
    void typePassword(const char *text) {
        QTest::keyClicks(password(), QString::fromLatin1(text));
        QTest::keyClick(password(), Qt::Key_Return);
    }
    std::vector<QString> shownLog() {
        auto *log = find<QListWidget>("eventLog");
        std::vector<QString> lines;
        for (int i = 0; i < log->count(); ++i) {
            lines.push_back(log->item(i)->text());
        }
        return lines;
    }
    std::vector<QString> linkLog() {
        std::vector<QString> lines;
        for (const std::string &line : link().view().eventLog) {
            lines.push_back(ui::printableBytes(line));
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
    EXPECT_TRUE(rig.password()->text().isEmpty());
    EXPECT_TRUE(rig.password()->hasFocus());
    QTest::mouseClick(rig.find<QPushButton>("passwordOk"), Qt::LeftButton);
    EXPECT_TRUE(rig.passwordPanelShown());
    EXPECT_TRUE(rig.password()->hasFocus()) << "focus goes back into the box after OK too";

    auto spontaneousClose = [](ConnectionRig &r) { // the close box, from the window system
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QApplication::instance()->notify(&r.window, &close);
    };
    const std::vector<std::function<void(ConnectionRig &)>> ways = {
        [](ConnectionRig &r) { QTest::mouseClick(r.find<QPushButton>("hide"), Qt::LeftButton); },
        [](ConnectionRig &r) { QTest::keyClick(&r.window, Qt::Key_Escape); },
        spontaneousClose,
    };
    for (std::size_t way = 0; way < ways.size(); ++way) {
        rig.typePassword("Tobrin47");
        ASSERT_FALSE(rig.passwordPanelShown()) << way;
        EXPECT_TRUE(rig.password()->text().isEmpty()) << "the password is not kept in the box";
        ways[way](rig);
        EXPECT_FALSE(rig.window.isVisible() || rig.link().view().visible) << way;
        rig.open();
        EXPECT_TRUE(rig.passwordPanelShown()) << way;
    }
    // Cancel and Escape on the password panel hide the window and forget what was typed.
    for (const bool escape : {false, true}) {
        QTest::keyClicks(rig.password(), QStringLiteral("Tob"));
        if (escape) {
            QTest::keyClick(rig.password(), Qt::Key_Escape);
        } else {
            QTest::mouseClick(rig.find<QPushButton>("passwordCancel"), Qt::LeftButton);
        }
        EXPECT_FALSE(rig.window.isVisible()) << escape;
        EXPECT_TRUE(rig.link().view().password.empty() && rig.password()->text().isEmpty());
        rig.open();
    }
}

TEST(ConnectionWindowUi, showsTheLinksEndpointTrafficAndLastLinesAndHandsBackWhatIsTyped) {
    ConnectionRig rig;
    rig.open();
    rig.typePassword("Tobrin47");
    EXPECT_EQ(rig.text("host"), QStringLiteral("0.0.0.0"));
    EXPECT_EQ(rig.text("port"), QStringLiteral("0"));
    QTest::mouseClick(rig.find<QPushButton>("connect"), Qt::LeftButton);
    ASSERT_TRUE(rig.console.connected());
    EXPECT_EQ(rig.text("host"), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(rig.text("port"), QStringLiteral("5000"));
    EXPECT_EQ(rig.shownLog(), (std::vector<QString>{QStringLiteral("T77 127.0.0.1: 5000"),
                                                    QStringLiteral("T82"), QStringLiteral("T78")}));
    rig.socket.deliver("\x01"
                       "0123\r");
    EXPECT_EQ(rig.text("lastReceived"), QStringLiteral("[01]0123[0D]"));

    // Frames carry control bytes; more of them than the log holds push the oldest lines out.
    for (int i = 0; i < 30; ++i) {
        rig.link().send(std::string("\x02\x01") + static_cast<char>('A' + i % 26) + "\x7f\x90");
    }
    EXPECT_EQ(rig.shownLog().size(), 25u);
    EXPECT_EQ(rig.shownLog(), rig.linkLog());
    EXPECT_EQ(rig.shownLog().back(), QStringLiteral("[02][01]D[7F][90]"));
    EXPECT_EQ(rig.text("lastSent"), rig.shownLog().back());
    QTest::mouseClick(rig.find<QPushButton>("close"), Qt::LeftButton);
    EXPECT_FALSE(rig.console.connected());
    EXPECT_EQ(rig.shownLog().back(), QStringLiteral("T80"));

    auto *timeout = rig.find<QLineEdit>("answerTimeout");
    EXPECT_EQ(timeout->text(), QStringLiteral("10000"));
    timeout->selectAll();
    QTest::keyClicks(timeout, QStringLiteral("2500"));
    EXPECT_EQ(rig.link().view().answerTimeout, "2500");
    rig.find<QLineEdit>("attempts")->selectAll();
    QTest::keyClicks(rig.find("attempts"), QStringLiteral("5"));
    EXPECT_EQ(rig.link().view().attempts, "5");
}

TEST(ConnectionWindowUi, everyControlCarriesItsCaptionAsAccessibleName) {
    ConnectionRig rig;
    EXPECT_EQ(rig.window.windowTitle(), QStringLiteral("T5"));
    const std::pair<const char *, const char *> named[] = {{"password", "T26"},
                                                           {"passwordOk", "T27"},
                                                           {"passwordCancel", "T28"},
                                                           {"connect", "T29"},
                                                           {"hide", "T30"},
                                                           {"close", "T31"},
                                                           {"lastSent", "T32"},
                                                           {"lastReceived", "T33"},
                                                           {"attempts", "T34 T35"},
                                                           {"host", "T21"},
                                                           {"answerTimeout", "T34 T36"},
                                                           {"connectTicks", "T37 T38"},
                                                           {"port", "T22"}};
    for (const auto &[control, name] : named) {
        EXPECT_EQ(rig.find(control)->accessibleName(), QLatin1String(name)) << control;
    }
    // Every caption of the window shows somewhere, the time-out label twice.
    QStringList labels;
    for (const QLabel *label : rig.window.findChildren<QLabel *>()) {
        labels << label->text();
    }
    labels.sort();
    EXPECT_EQ(labels, QStringList({"T21", "T22", "T26", "T32", "T33", "T34", "T34", "T35", "T36",
                                   "T37", "T38"}));
}
