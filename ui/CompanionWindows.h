#pragma once

#include "shell/MainController.h"
#include "ui/WindowFactory.h"

#include <QDialog>
#include <QPointer>

#include <string>

namespace aql::ui {

// The windows the main window opens, built through the factory on first use and closed with the
// main window. Windows that are not modal are shown and raised; modal ones run until closed.
class CompanionWindows {
public:
    CompanionWindows(shell::MainController &main, WindowControllers controllers,
                     WindowFactory factory, QWidget *mainWindow);
    ~CompanionWindows();
    CompanionWindows(const CompanionWindows &) = delete;
    CompanionWindows &operator=(const CompanionWindows &) = delete;

    // Fills the hooks that open, re-text and close these windows and feed the log window's logic;
    // every other hook stays as it is.
    void install(shell::MainController::Windows &hooks);

    void openConnection();
    // A variables window that was closed has let its logic go: a new one is built.
    void openVariables();
    // A new table each time: it shows the records as they stood when it opened.
    void openRecordTable();
    // One trend window at a time over a copy of the records. Opened again on records of the same
    // system it takes them as they stand now and comes to the front; on another system's records
    // it gives way to a new one, so its title never names a system whose records it does not
    // show.
    void openTrend();
    void runConfiguration();
    // Built for each showing and released after it.
    void runLog();
    void runAbout();

    void closeConnection();
    void closeVariables();
    void closeRecordTable();
    void closeTrend();
    void closeConfiguration();
    void closeLog();
    void closeAbout();
    // The language changed: the windows whose texts are their own take the new ones.
    void retranslate();

    QWidget *connectionWindow() const { return m_connection; }
    QWidget *variablesWindow() const { return m_variables; }
    QWidget *recordTableWindow() const { return m_recordTable; }
    QWidget *trendWindow() const { return m_trend; }
    QDialog *configurationWindow() const { return m_configuration; }
    QDialog *logWindow() const { return m_log; }
    QDialog *aboutDialog() const { return m_about; }

private:
    shell::MainController &m_main;
    WindowControllers m_controllers;
    WindowFactory m_factory;
    QPointer<QWidget> m_mainWindow;
    QPointer<QWidget> m_connection;
    QPointer<QWidget> m_variables;
    QPointer<QWidget> m_recordTable;
    QPointer<QWidget> m_trend;
    std::string m_trendSource; // the system whose records the trend window shows
    QPointer<QDialog> m_configuration;
    QPointer<QDialog> m_log;
    QPointer<QDialog> m_about;
};

} // namespace aql::ui
