#pragma once

#include "link/Console.h"
#include "platform/qt/QtArchiveStorage.h"
#include "platform/qt/QtBeep.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtFileOpener.h"
#include "platform/qt/QtFileSaver.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtTimerFactory.h"
#include "shell/AboutController.h"
#include "shell/CommandLine.h"
#include "shell/LogController.h"
#include "shell/MainController.h"
#include "ui/CompanionWindows.h"
#include "ui/DialogParent.h"
#include "ui/MainWindow.h"
#include "ui/WindowFactory.h"

#include <QString>

#include <filesystem>
#include <memory>

namespace aql::app {

// What a console process starts from.
struct ConsoleOptions {
    std::filesystem::path programFolder; // the language files and the site file live here
    shell::CommandLine commandLine{"aqlremote", ""};
    link::ProgramInfo info;
    // The settings file; empty: the user's own settings (the registry on Windows).
    QString settingsFile;
    ui::WindowFactory windows;
};

// The environment variable that names a settings file of its own, so that a demonstration or a
// test never reads or changes the settings the operator made.
constexpr const char *kSettingsVariable = "AQL_SETTINGS";

// The options of this process: the program folder and executable name as the system reports
// them, the arguments after the program's name as its command line, the settings file named by
// AQL_SETTINGS if set, and the windows this build has.
ConsoleOptions processOptions(int argc, const char *const *argv);

// The windows this build can open beside the main window.
ui::WindowFactory availableWindows();

// The whole console wired together: the Qt platform, the main window's logic and the windows.
// Lives on the user-interface thread, after QApplication.
class ConsoleApp {
public:
    explicit ConsoleApp(ConsoleOptions options);
    ~ConsoleApp();
    ConsoleApp(const ConsoleApp &) = delete;
    ConsoleApp &operator=(const ConsoleApp &) = delete;

    // Program start: the language, the main window's load and the window shown. False when the
    // program cannot work (a message has told the operator why).
    bool start();

    shell::MainController &main() { return *m_main; }
    shell::LogController &log() { return *m_log; }
    shell::AboutController &about() { return *m_about; }
    ui::MainWindow &window() { return *m_window; }
    ui::CompanionWindows &companions() { return *m_companions; }
    platform::FileSaver &saver() { return m_saver; }
    // What every message box and file dialog of the program goes through.
    platform::MessageBox &messageBox() { return m_messages; }
    platform::FileDialog &fileDialog() { return m_files; }
    const platform::Clock &clock() const { return m_clock; }

private:
    void wireLog();
    void wireWindows();

    ConsoleOptions m_options;
    platform::qt::QtSocket m_socket;
    platform::qt::QtTimerFactory m_timers;
    platform::qt::QtEventPump m_pump;
    platform::qt::QtMessageBox m_box;
    platform::qt::QtBeep m_beep;
    platform::qt::QtClock m_clock;
    platform::qt::QtFileDialog m_dialog;
    platform::QtFileSaver m_saver;
    ui::TopmostMessageBox m_messages;
    ui::TopmostFileDialog m_files;
    platform::qt::QtFileOpener m_opener;
    platform::QtArchiveStorage m_archives;
    std::unique_ptr<platform::SettingsBackend> m_settings;
    std::unique_ptr<shell::MainController> m_main;
    std::unique_ptr<shell::LogController> m_log;
    std::unique_ptr<shell::AboutController> m_about;
    Subscription m_logSaved;
    std::unique_ptr<ui::MainWindow> m_window;
    std::unique_ptr<ui::CompanionWindows> m_companions;
};

} // namespace aql::app
