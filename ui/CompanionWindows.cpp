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

// The windows whose texts are their own take a new language as Qt's own event.
void sendLanguageChange(QWidget *window) {
    if (window != nullptr) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(window, &change);
    }
}

} // namespace

CompanionWindows::CompanionWindows(shell::MainController &main, WindowControllers controllers,
                                   WindowFactory factory, QWidget *mainWindow)
    : m_main(main), m_controllers(controllers), m_factory(std::move(factory)),
      m_mainWindow(mainWindow) {}

CompanionWindows::~CompanionWindows() {
    m_controllers.log.setTrendOpener({});
    // Windows without a parent are not deleted by anyone else.
    for (QWidget *window :
         {static_cast<QWidget *>(m_connection), static_cast<QWidget *>(m_variables),
          static_cast<QWidget *>(m_recordTable), static_cast<QWidget *>(m_trend),
          static_cast<QWidget *>(m_configuration), static_cast<QWidget *>(m_log),
          static_cast<QWidget *>(m_about)}) {
        if (window != nullptr && window->parent() == nullptr) {
            delete window;
        }
    }
}

void CompanionWindows::install(shell::MainController::Windows &hooks) {
    hooks.openConnection = [this] { openConnection(); };
    hooks.openVariables = [this] { openVariables(); };
    hooks.openRecordTable = [this] { openRecordTable(); };
    if (m_factory.trendWindow) {
        // Only a build with the window has the entry and the log window's button.
        hooks.openTrend = [this] { openTrend(); };
        m_controllers.log.setTrendOpener([this] { openTrend(); });
    }
    hooks.closeTrend = [this] { closeTrend(); };
    hooks.retranslateTrend = [this] { sendLanguageChange(m_trend); };
    hooks.openConfiguration = [this] { runConfiguration(); };
    hooks.openLogWindow = [this] { runLog(); };
    hooks.openAbout = [this] { runAbout(); };
    hooks.closeConnection = [this] { closeConnection(); };
    hooks.closeVariables = [this] { closeVariables(); };
    hooks.closeRecordTable = [this] { closeRecordTable(); };
    hooks.closeConfiguration = [this] { closeConfiguration(); };
    hooks.closeLog = [this] { closeLog(); };
    hooks.closeAbout = [this] { closeAbout(); };
    hooks.retranslateVariables = [this] { sendLanguageChange(m_variables); };

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
    sendLanguageChange(m_variables);
    sendLanguageChange(m_trend);
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

void CompanionWindows::openTrend() {
    if (m_trend && m_trend->isHidden()) {
        // Closed: it goes with its copy of the records and only waits to be deleted.
        m_trend->deleteLater();
        m_trend = nullptr;
    }
    const config::Pool *source = m_main.recordsSource();
    const std::string sourceName = source != nullptr ? source->name() : std::string();
    if (m_trend && m_trendSource == sourceName) {
        if (m_factory.reloadTrend) {
            m_factory.reloadTrend(m_trend, m_main);
        }
        present(m_trend);
        return;
    }
    if (m_trend) {
        m_trend->close();
        m_trend->deleteLater();
    }
    if (m_factory.trendWindow) {
        m_trend = m_factory.trendWindow(m_main, m_mainWindow);
        m_trendSource = sourceName;
    }
    if (m_trend) {
        present(m_trend);
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

void CompanionWindows::closeTrend() {
    closeWindow(m_trend);
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
