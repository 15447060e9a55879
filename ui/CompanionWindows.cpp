#include "ui/CompanionWindows.h"

#include "shell/AboutController.h"
#include "shell/LogController.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QWidget>

namespace aql::ui {

namespace {

void present(QWidget *window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void closeWindow(QWidget *window) {
    if (window != nullptr) {
        window->close();
    }
}

} // namespace

CompanionWindows::CompanionWindows(shell::MainController &main, WindowControllers controllers,
                                   WindowFactory factory, QWidget *mainWindow)
    : m_main(main), m_controllers(controllers), m_factory(std::move(factory)),
      m_mainWindow(mainWindow) {}

CompanionWindows::~CompanionWindows() {
    // Windows without a parent are not deleted by anyone else.
    for (QWidget *window :
         {static_cast<QWidget *>(m_connection), static_cast<QWidget *>(m_variables),
          static_cast<QWidget *>(m_recordTable), static_cast<QWidget *>(m_configuration),
          static_cast<QWidget *>(m_log), static_cast<QWidget *>(m_about)}) {
        if (window != nullptr && window->parent() == nullptr) {
            delete window;
        }
    }
}

void CompanionWindows::install(shell::MainController::Windows &hooks) {
    hooks.openConnection = [this] { openConnection(); };
    hooks.openVariables = [this] { openVariables(); };
    hooks.openRecordTable = [this] { openRecordTable(); };
    hooks.openConfiguration = [this] { runConfiguration(); };
    hooks.openLogWindow = [this] { runLog(); };
    hooks.openAbout = [this] { runAbout(); };
    hooks.closeConnection = [this] { closeConnection(); };
    hooks.closeVariables = [this] { closeVariables(); };
    hooks.closeRecordTable = [this] { closeRecordTable(); };
    hooks.closeConfiguration = [this] { closeConfiguration(); };
    hooks.closeLog = [this] { closeLog(); };
    hooks.closeAbout = [this] { closeAbout(); };
    hooks.retranslateVariables = [this] { retranslate(); };

    shell::LogController &log = m_controllers.log;
    hooks.saveRealtimeCsv = [&log] { log.saveRealtimeCsv(); };
    hooks.retranslateLog = [&log] { log.retranslate(); };
    // The log's logic asks the main window's for the pool each time: it only has to show the
    // count of the new one.
    hooks.currentPoolChanged = [&log](config::Pool *) { log.poolChanged(); };
    shell::AboutController &about = m_controllers.about;
    hooks.retranslateAbout = [&about] { about.retranslate(); };
}

void CompanionWindows::retranslate() {
    if (m_variables) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(m_variables, &change);
    }
}

void CompanionWindows::openConnection() {
    if (!m_connection && m_factory.connectionWindow) {
        m_connection = m_factory.connectionWindow(m_main.console().connection(), m_mainWindow);
    }
    if (m_connection) {
        present(m_connection);
    }
}

void CompanionWindows::openVariables() {
    if (m_variables && m_variables->isHidden()) {
        // Closed: it has let go of logic that is unloaded since, and only waits to be deleted.
        delete m_variables;
    }
    if (!m_variables && m_factory.variablesWindow) {
        m_variables = m_factory.variablesWindow(m_main, m_mainWindow);
    }
    if (m_variables) {
        present(m_variables);
    }
}

void CompanionWindows::openRecordTable() {
    if (m_recordTable) {
        m_recordTable->close();
        m_recordTable->deleteLater();
    }
    if (m_factory.recordTableWindow) {
        m_recordTable = m_factory.recordTableWindow(m_main, m_mainWindow);
    }
    if (m_recordTable) {
        present(m_recordTable);
    }
}

void CompanionWindows::runConfiguration() {
    if (!m_configuration && m_factory.configurationWindow) {
        m_configuration = m_factory.configurationWindow(m_main.configuration(), m_mainWindow);
    }
    if (m_configuration) {
        m_configuration->exec();
    }
}

void CompanionWindows::runLog() {
    if (m_log || !m_factory.logWindow) {
        return; // it is modal: a second Save cannot come while it runs
    }
    QPointer<QDialog> window = m_factory.logWindow(m_controllers.log, m_mainWindow);
    m_log = window;
    if (window) {
        window->exec();
    }
    if (window) {
        window->deleteLater();
    }
    m_log = nullptr;
}

void CompanionWindows::runAbout() {
    if (!m_about && m_factory.aboutDialog) {
        m_about = m_factory.aboutDialog(m_controllers.about, m_mainWindow);
    }
    if (m_about) {
        m_about->exec();
    }
}

void CompanionWindows::closeConnection() {
    closeWindow(m_connection);
}

void CompanionWindows::closeVariables() {
    closeWindow(m_variables);
}

void CompanionWindows::closeRecordTable() {
    closeWindow(m_recordTable);
}

void CompanionWindows::closeConfiguration() {
    closeWindow(m_configuration);
}

void CompanionWindows::closeLog() {
    closeWindow(m_log);
}

void CompanionWindows::closeAbout() {
    closeWindow(m_about);
}

} // namespace aql::ui
