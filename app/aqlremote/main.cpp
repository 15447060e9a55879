// aqlremote: the console an operator runs.
//   aqlremote            the site's systems from config.xml beside the program
//   aqlremote ppssnn     project mode: that pool of the project file, Online at once
// AQL_SETTINGS names a settings file to use instead of the user's own; AQL_DEMO runs the console
// without an operator (see DemoDriver.h).

#include "aqlremote/ConsoleApp.h"
#include "aqlremote/DemoDriver.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    // The program ends with its main window, whatever other window is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    aql::app::ConsoleApp console(aql::app::processOptions(argc, argv));
    QObject::connect(&console.window(), &aql::ui::MainWindow::closedForGood, &application,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    if (!console.start()) {
        return 1;
    }
    aql::app::DemoDriver demo(console);
    demo.begin();
    const int status = QApplication::exec();
    return status != 0 ? status : demo.exitStatus();
}
