// The configuration window over the main window's logic: what the operator types and clicks
// reaches the site file, and the window follows the logic's rules.

#include "ShellRig.h"
#include "ui/ConfigurationWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;

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

// The configuration window over the main window's logic, on a site of three systems.
struct ConfigurationRig : ShellRig {
    ConfigurationRig() : ShellRig(readBytes(fixture("config_files/site_three_written.xml"))) {
        EXPECT_TRUE(started);
        main->configuration().open(false);
        EXPECT_TRUE(showAndWait(window));
        QApplication::setActiveWindow(&window);
    }
    template <typename W = QLineEdit> W *find(const char *name) {
        return window.findChild<W *>(QString::fromLatin1(name));
    }
    QComboBox *systems() { return find<QComboBox>("systems"); }
    void click(const char *button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    // The operator steps through the selection with the arrow keys until it shows `name`.
    void select(const char *name) {
        systems()->setFocus();
        for (int i = 0; i <= systems()->count() && systems()->currentText() != name; ++i) {
            QTest::keyClick(systems(), i == 0 ? Qt::Key_Home : Qt::Key_Down);
        }
        ASSERT_EQ(systems()->currentText(), QLatin1String(name));
    }
    void retype(const char *name, const char *text) {
        find(name)->setFocus();
        find(name)->selectAll();
        QTest::keyClicks(find(name), QString::fromLatin1(text));
    }
    QStringList items() {
        QStringList out;
        for (int i = 0; i < systems()->count(); ++i) {
            out << systems()->itemText(i);
        }
        return out;
    }

    ui::ConfigurationWindow window{main->configuration()};
};

} // namespace

TEST(ConfigurationWindowUi, newDeleteAndSaveRoundTripThroughTheSiteFile) {
    ConfigurationRig rig;
    EXPECT_EQ(rig.items(), QStringList({"Wedstrijdbad", "Instructiebad", "Peuterbad"}));
    auto *remove = rig.find<QPushButton>("deleteSystem");
    auto *save = rig.find<QPushButton>("saveSystem");
    EXPECT_FALSE(remove->isEnabled() || save->isEnabled()) << "nothing selected";
    for (const auto &[control, name] : {std::pair{"systems", "Select system"},
                                        {"name", "Name:"},
                                        {"port", "Port:"},
                                        {"newSystem", "New"},
                                        {"deleteSystem", "Delete"}}) {
        EXPECT_EQ(rig.find<QWidget>(control)->accessibleName(), QLatin1String(name)) << control;
    }

    rig.select("Instructiebad");
    EXPECT_TRUE(remove->isEnabled() && save->isEnabled());
    EXPECT_EQ(rig.find("name")->text(), QStringLiteral("Instructiebad"));
    EXPECT_EQ(rig.find("ipAddress")->text(), QStringLiteral("192.168.10.22"));
    rig.retype("ipAddress", "192.168.10.30");
    rig.retype("port", "50x03");
    EXPECT_EQ(rig.find("port")->text(), QStringLiteral("5003"));
    EXPECT_EQ(rig.beep.count, 1);
    rig.click("saveSystem");
    // A saved system moves to the end of the list, and with it its address.
    EXPECT_EQ(rig.siteFile(), siteWith({"Wedstrijdbad 192.168.10.21 5001", "Peuterbad 10.0.0.9 502",
                                        "Instructiebad 192.168.10.30 5003"}));
    EXPECT_EQ(rig.items(), QStringList({"Wedstrijdbad", "Peuterbad", "Instructiebad"}));
    EXPECT_TRUE(rig.find("name")->text().isEmpty());

    rig.click("newSystem");
    EXPECT_EQ(rig.siteFile(), siteWith({"Wedstrijdbad 192.168.10.21 5001", "Peuterbad 10.0.0.9 502",
                                        "Instructiebad 192.168.10.30 5003", "System 0 0.0.0.0 0"}));
    EXPECT_EQ(rig.systems()->currentText(), QStringLiteral("System 0"));
    EXPECT_EQ(rig.find("name")->text(), QStringLiteral("System 0"));

    rig.select("Peuterbad");
    rig.box.answer = platform::kResultCancel;
    rig.click("deleteSystem");
    EXPECT_EQ(rig.items().size(), 4);
    rig.box.answer = platform::kResultOk;
    rig.click("deleteSystem");
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
    EXPECT_FALSE(rig.find<QPushButton>("newSystem")->isEnabled());
    EXPECT_FALSE(rig.find("name")->isEnabled() || rig.systems()->isEnabled());
}

TEST(ConfigurationWindowUi, thePortTakesDigitsFromEveryRoute) {
    ConfigurationRig rig;
    rig.select("Peuterbad");
    QLineEdit *port = rig.find("port");
    rig.retype("port", "8a0");
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
        EXPECT_FALSE(rig.find<QPushButton>("deleteSystem")->isEnabled());
        EXPECT_TRUE(rig.window.isModal());
        rig.select("Wedstrijdbad");
        EXPECT_EQ(rig.find("name")->text(), QStringLiteral("Wedstrijdbad"));
        checked = true;
        rig.window.reject();
    });
    rig.window.run(false);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(rig.find("name")->text().isEmpty() && rig.find("ipAddress")->text().isEmpty());
}
