// A service window made after a language switch starts in the new language, from the language
// files the program ships (the switch itself, reaching every open window, is tested on the whole
// console).

#include "support/ShellRig.h"
#include "ui/ConfigurationWindow.h"
#include "ui/ConnectionWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace aql;
using namespace aql::test;

namespace {

const std::string kSite = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                          "<aqlRemoteConfig version=\"1.0\">\r\n"
                          "    <siteName>Zwembad Oost</siteName>\r\n"
                          "    <managedSystems>\r\n"
                          "      <system address=\"1\" ipaddress=\"127.0.0.1\" port=\"4001\" "
                          "name=\"Main pool\"/>\r\n"
                          "    </managedSystems>\r\n"
                          "</aqlRemoteConfig>\r\n";

struct Texts {
    const char *connectionTitle, *password, *connect, *close, *hide, *sent, *timeoutAfter, *host;
    const char *configurationTitle, *selectSystem, *name, *newSystem, *newTip, *save;
};

const Texts kDutch = {"Verbinding",
                      "Wachtwoord:",
                      "&Verbinden",
                      "&Sluiten",
                      "Ver&bergen",
                      "Verzenden",
                      "Time-out na",
                      "&IP-adres:",
                      "Configuratie",
                      "Kies s&ysteem",
                      "Naa&m:",
                      "&Nieuw",
                      "Een nieuw systeem toevoegen",
                      "&Opslaan"};

template <typename W> W *child(QWidget &window, const char *name) {
    auto *w = window.findChild<W *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QString labelFor(QWidget &window, const char *box) {
    for (QLabel *label : window.findChildren<QLabel *>()) {
        if (label->buddy() == child<QWidget>(window, box)) {
            return label->text();
        }
    }
    return {};
}

void expectTexts(ui::ConnectionWindow &connection, ui::ConfigurationWindow &configuration,
                 const Texts &t) {
    const auto q = [](const char *s) { return QString::fromLatin1(s); };
    EXPECT_EQ(connection.windowTitle(), q(t.connectionTitle));
    EXPECT_EQ(labelFor(connection, "password"), q(t.password));
    EXPECT_EQ(child<QPushButton>(connection, "connect")->text(), q(t.connect));
    EXPECT_EQ(child<QPushButton>(connection, "close")->text(), q(t.close));
    EXPECT_EQ(child<QPushButton>(connection, "hide")->text(), q(t.hide));
    EXPECT_EQ(labelFor(connection, "lastSent"), q(t.sent));
    EXPECT_EQ(labelFor(connection, "answerTimeout"), q(t.timeoutAfter));
    EXPECT_EQ(labelFor(connection, "host"), q(t.host));

    EXPECT_EQ(configuration.windowTitle(), q(t.configurationTitle));
    EXPECT_EQ(labelFor(configuration, "systems"), q(t.selectSystem));
    EXPECT_EQ(labelFor(configuration, "name"), q(t.name));
    EXPECT_EQ(child<QPushButton>(configuration, "newSystem")->text(), q(t.newSystem));
    EXPECT_EQ(child<QPushButton>(configuration, "newSystem")->toolTip(), q(t.newTip));
    EXPECT_EQ(child<QPushButton>(configuration, "saveSystem")->text(), q(t.save));
}

} // namespace

TEST(ServiceWindowsLanguage, aWindowCreatedAfterTheSwitchStartsInTheNewLanguage) {
    ShellRig rig(kSite);
    ASSERT_TRUE(rig.started);
    rig.main->chooseDutch();
    ui::ConnectionWindow connection(rig.main->console().connection());
    ui::ConfigurationWindow configuration(rig.main->configuration());
    expectTexts(connection, configuration, kDutch);
}
