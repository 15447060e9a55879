// The service windows in the states an operator sees, drawn offscreen into PNG files for looking
// at them:  service-windows-shots FOLDER
// Each window in English and Dutch; the scale comes from QT_SCALE_FACTOR, which names the files.

#include "support/ShellRig.h"
#include "ui/ConfigurationWindow.h"
#include "ui/ConnectionWindow.h"
#include "ui/VariablesWindow.h"
#include "unit/link/LinkRig.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;

namespace {

const std::string kSite = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                          "<aqlRemoteConfig version=\"1.0\">\r\n"
                          "    <siteName>Zwembad Oost</siteName>\r\n"
                          "    <managedSystems>\r\n"
                          "      <system address=\"1\" ipaddress=\"192.168.10.21\" port=\"5001\" "
                          "name=\"Wedstrijdbad\"/>\r\n"
                          "      <system address=\"2\" ipaddress=\"192.168.10.22\" port=\"5002\" "
                          "name=\"Instructiebad\"/>\r\n"
                          "      <system address=\"3\" ipaddress=\"10.0.0.9\" port=\"502\" "
                          "name=\"Peuterbad\"/>\r\n"
                          "    </managedSystems>\r\n"
                          "</aqlRemoteConfig>\r\n";

std::string blockLine(int block, const std::vector<std::pair<int, int>> &values) {
    std::string body{'\x05', static_cast<char>(block), '\0'};
    std::string raw(52, '\0');
    for (auto [variable, value] : values) {
        raw[static_cast<std::size_t>(2 * variable - 2)] = static_cast<char>(value & 0xFF);
        raw[static_cast<std::size_t>(2 * variable - 1)] = static_cast<char>((value >> 8) & 0xFF);
    }
    return addressedLine(1, body + raw) + "\r";
}

QString g_folder;
QString g_scale;
int g_failures = 0;

void save(QWidget &window, const QString &name, const QString &language) {
    if (!showAndWait(window)) {
        std::fprintf(stderr, "%s did not show\n", qPrintable(name));
    }
    QApplication::processEvents();
    const QString file =
        QStringLiteral("%1/%2-%3-scale%4.png").arg(g_folder, name, language, g_scale);
    if (window.grab().save(file)) {
        std::printf("%s\n", qPrintable(file));
    } else {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        ++g_failures;
    }
}

void shootAll(bool dutch) {
    const QString language = dutch ? QStringLiteral("nl") : QStringLiteral("en");
    ShellRig rig(kSite);
    if (!rig.started) {
        std::fprintf(stderr, "the console did not start\n");
        ++g_failures;
        return;
    }
    if (dutch) {
        rig.main->chooseDutch();
    }
    link::Console &console = rig.main->console();

    // The connection window: first behind its password, then open on a live connection.
    ui::ConnectionWindow connection(console.connection());
    console.connection().show();
    save(connection, QStringLiteral("connection-password"), language);
    console.connection().setPassword(link::TcpLink::kServicePassword);
    console.connection().confirmPassword();
    console.chooseOnline();
    rig.timers.advance(600); // a few polls
    rig.socket.deliver(unaddressedLine(displayBody(0x19, 0xC5, "AQL-170  Wedstrijdbad")) + "\r");
    save(connection, QStringLiteral("connection"), language);

    // The variables window with values on the first tab, then editing one, then busy.
    ui::VariablesWindow variables(console.variables(),
                                  [&rig](int n) { return rig.main->getText(n); });
    rig.socket.deliver(blockLine(1, {{1, 720},
                                     {2, 780},
                                     {3, 680},
                                     {4, 60},
                                     {5, 150},
                                     {6, 20},
                                     {7, 850},
                                     {8, 550},
                                     {9, 12},
                                     {10, 4},
                                     {14, 0xFFFF},
                                     {20, 32767},
                                     {25, 0x8000}}));
    rig.timers.advance(link::VariablesController::kIdleInterval);
    save(variables, QStringLiteral("variables"), language);
    QLineEdit *cell = variables.valueCell(6);
    QTest::mouseClick(cell, Qt::LeftButton, {}, cell->rect().center());
    QTest::keyClicks(variables.findChild<QLineEdit *>(QStringLiteral("editBox")),
                     QStringLiteral("900"));
    save(variables, QStringLiteral("variables-edit"), language);
    QTest::keyClick(variables.findChild<QLineEdit *>(QStringLiteral("editBox")), Qt::Key_Return);
    QTest::mouseClick(cell, Qt::LeftButton, {}, cell->rect().center());
    save(variables, QStringLiteral("variables-busy"), language);
    variables.close();

    // The configuration window with a system chosen, while Offline.
    console.chooseOffline();
    ui::ConfigurationWindow configuration(rig.main->configuration());
    rig.main->configuration().open(false);
    rig.main->configuration().selectEntry(1);
    save(configuration, QStringLiteral("configuration"), language);
    rig.main->configuration().open(true);
    save(configuration, QStringLiteral("configuration-online"), language);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: service-windows-shots FOLDER\n");
        return 2;
    }
    g_folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_folder);
    g_scale = qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")
                  ? QStringLiteral("1")
                  : QString::fromLocal8Bit(qgetenv("QT_SCALE_FACTOR"));
    shootAll(false);
    shootAll(true);
    return g_failures == 0 ? 0 : 1;
}
