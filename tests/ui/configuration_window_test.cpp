#include "support/ShellRig.h"
#include "ui/ConfigurationWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
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

const std::string kHead = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                          "<aqlRemoteConfig version=\"1.0\">\r\n"
                          "    <siteName>Velmaro AQL</siteName>\r\n"
                          "    <managedSystems>\r\n";
const std::string kTail = "    </managedSystems>\r\n</aqlRemoteConfig>\r\n";

std::string line(int address, const std::string &ip, const std::string &port,
                 const std::string &name) {
    return "      <system address=\"" + std::to_string(address) + "\" ipaddress=\"" + ip +
           "\" port=\"" + port + "\" name=\"" + name + "\"/>\r\n";
}

// The configuration window over the main window's logic, on a site of three systems.
struct ConfigurationRig : ShellRig {
    ConfigurationRig() : ShellRig(readBytes(fixture("config_files/site_three_written.xml"))) {
        EXPECT_TRUE(started);
        window = std::make_unique<ui::ConfigurationWindow>(main->configuration());
        main->configuration().open(false);
        EXPECT_TRUE(showAndWait(*window));
        QApplication::setActiveWindow(window.get());
    }

    template <typename W> W *find(const char *name) {
        auto *w = window->findChild<W *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QComboBox *systems() { return find<QComboBox>("systems"); }
    QLineEdit *field(const char *name) { return find<QLineEdit>(name); }
    void click(const char *button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }

    // The operator steps through the selection with the arrow keys until it shows `name`.
    void select(const std::string &name) {
        systems()->setFocus();
        const QString wanted = QString::fromLatin1(name);
        for (int i = 0; i < systems()->count() + 1 && systems()->currentText() != wanted; ++i) {
            QTest::keyClick(systems(), i == 0 ? Qt::Key_Home : Qt::Key_Down);
        }
        ASSERT_EQ(systems()->currentText(), wanted);
    }
    void retype(const char *name, const char *text) {
        field(name)->setFocus();
        field(name)->selectAll();
        QTest::keyClicks(field(name), QString::fromLatin1(text));
    }
    QStringList items() {
        QStringList out;
        for (int i = 0; i < systems()->count(); ++i) {
            out << systems()->itemText(i);
        }
        return out;
    }

    std::unique_ptr<ui::ConfigurationWindow> window;
};

} // namespace

TEST(ConfigurationWindowUi, newDeleteAndSaveRoundTripThroughTheSiteFile) {
    ConfigurationRig rig;
    EXPECT_EQ(rig.items(), QStringList({"Wedstrijdbad", "Instructiebad", "Peuterbad"}));

    rig.select("Instructiebad");
    EXPECT_EQ(rig.field("name")->text(), QStringLiteral("Instructiebad"));
    EXPECT_EQ(rig.field("ipAddress")->text(), QStringLiteral("192.168.10.22"));
    EXPECT_EQ(rig.field("port")->text(), QStringLiteral("5002"));
    rig.retype("ipAddress", "192.168.10.30");
    rig.retype("port", "50x03");
    EXPECT_EQ(rig.field("port")->text(), QStringLiteral("5003"));
    EXPECT_EQ(rig.beep.count, 1);
    rig.click("saveSystem");
    // A saved system moves to the end of the list, and with it its address.
    EXPECT_EQ(rig.siteFile(), kHead + line(1, "192.168.10.21", "5001", "Wedstrijdbad") +
                                  line(2, "10.0.0.9", "502", "Peuterbad") +
                                  line(3, "192.168.10.30", "5003", "Instructiebad") + kTail);
    EXPECT_EQ(rig.items(), QStringList({"Wedstrijdbad", "Peuterbad", "Instructiebad"}));
    EXPECT_TRUE(rig.field("name")->text().isEmpty());

    rig.click("newSystem");
    EXPECT_EQ(rig.siteFile(), kHead + line(1, "192.168.10.21", "5001", "Wedstrijdbad") +
                                  line(2, "10.0.0.9", "502", "Peuterbad") +
                                  line(3, "192.168.10.30", "5003", "Instructiebad") +
                                  line(4, "0.0.0.0", "0", "System 0") + kTail);
    EXPECT_EQ(rig.systems()->currentText(), QStringLiteral("System 0"));
    EXPECT_EQ(rig.field("name")->text(), QStringLiteral("System 0"));

    rig.select("Peuterbad");
    rig.click("deleteSystem");
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].style, platform::style::kQuestionOkCancel);
    EXPECT_EQ(rig.siteFile(), kHead + line(1, "192.168.10.21", "5001", "Wedstrijdbad") +
                                  line(2, "192.168.10.30", "5003", "Instructiebad") +
                                  line(3, "0.0.0.0", "0", "System 0") + kTail);
    EXPECT_EQ(rig.items(), QStringList({"Wedstrijdbad", "Instructiebad", "System 0"}));
    // The main window's selection read the same file.
    const std::vector<std::string> mainPools = {"Wedstrijdbad", "Instructiebad", "System 0"};
    EXPECT_EQ(rig.main->view().poolNames, mainPools);
}

TEST(ConfigurationWindowUi, deleteAnsweredWithCancelLeavesTheFileAlone) {
    ConfigurationRig rig;
    const std::string before = rig.siteFile();
    rig.box.answer = platform::kResultCancel;
    rig.select("Wedstrijdbad");
    rig.click("deleteSystem");
    EXPECT_EQ(rig.siteFile(), before);
    EXPECT_EQ(rig.items().size(), 3);
}

TEST(ConfigurationWindowUi, buttonsAndBoxesFollowTheRules) {
    ConfigurationRig rig;
    auto *remove = rig.find<QPushButton>("deleteSystem");
    auto *save = rig.find<QPushButton>("saveSystem");
    EXPECT_TRUE(rig.find<QPushButton>("newSystem")->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_FALSE(save->isEnabled());
    rig.select("Peuterbad");
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_TRUE(save->isEnabled());
    rig.retype("name", "");
    QTest::keyClick(rig.field("name"), Qt::Key_Backspace);
    EXPECT_FALSE(save->isEnabled()) << "no name, nothing to save";

    // Going Online forbids editing; the window follows at once.
    rig.main->console().chooseOnline();
    EXPECT_FALSE(rig.find<QPushButton>("newSystem")->isEnabled());
    EXPECT_FALSE(rig.field("name")->isEnabled());
    EXPECT_FALSE(rig.systems()->isEnabled());
}

TEST(ConfigurationWindowUi, portTakesDigitsFromEveryRoute) {
    ConfigurationRig rig;
    rig.select("Peuterbad");
    QLineEdit *port = rig.field("port");
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
    EXPECT_EQ(port->text(), QStringLiteral("8077"));
    EXPECT_EQ(rig.main->configuration().view().port.text, "8077");

    // Cursor keys and Delete pass without a beep.
    QTest::keyClick(port, Qt::Key_Home);
    QTest::keyClick(port, Qt::Key_Delete);
    EXPECT_EQ(rig.main->configuration().view().port.text, "077");
    EXPECT_EQ(rig.beep.count, 2);
}

TEST(ConfigurationWindowUi, runOpensWithNothingSelectedAndEmptiesTheBoxesAfterwards) {
    ConfigurationRig rig;
    rig.select("Peuterbad");
    rig.window->hide();
    bool checked = false;
    QTimer::singleShot(0, rig.window.get(), [&] {
        EXPECT_EQ(rig.systems()->currentIndex(), -1);
        EXPECT_FALSE(rig.find<QPushButton>("deleteSystem")->isEnabled());
        EXPECT_TRUE(rig.window->isModal());
        rig.select("Wedstrijdbad");
        EXPECT_EQ(rig.field("name")->text(), QStringLiteral("Wedstrijdbad"));
        checked = true;
        rig.window->reject();
    });
    rig.window->run(false);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(rig.field("name")->text().isEmpty());
    EXPECT_TRUE(rig.field("ipAddress")->text().isEmpty());
}

TEST(ConfigurationWindowUi, everyControlCarriesItsCaptionAsAccessibleName) {
    ConfigurationRig rig;
    EXPECT_EQ(rig.window->windowTitle(), QStringLiteral("Configuration"));
    const std::vector<std::pair<const char *, const char *>> named = {
        {"systems", "Select system"}, {"name", "Name:"},
        {"ipAddress", "IP address:"}, {"port", "Port:"},
        {"newSystem", "New"},         {"deleteSystem", "Delete"},
        {"saveSystem", "Save"},
    };
    for (const auto &[control, name] : named) {
        EXPECT_EQ(rig.find<QWidget>(control)->accessibleName(), QString::fromLatin1(name))
            << control;
    }
    EXPECT_EQ(rig.find<QPushButton>("newSystem")->text(), QStringLiteral("&New"));
    EXPECT_EQ(rig.find<QPushButton>("newSystem")->toolTip(), QStringLiteral("Add a new system"));
}
