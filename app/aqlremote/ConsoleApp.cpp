#include "aqlremote/ConsoleApp.h"

#include "platform/qt/IniSettingsBackend.h"

#include <QApplication>
#include <QCoreApplication>

namespace aql::app {

ConsoleOptions processOptions(int argc, const char *const *argv) {
    ConsoleOptions options;
    options.programFolder =
        std::filesystem::u8path(QCoreApplication::applicationDirPath().toStdString());
    // The name the program really runs under, so the error reporter's title names it.
    const std::string exeName =
        shell::executableStem(QCoreApplication::applicationFilePath().toStdString());
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        arguments += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    options.commandLine = shell::CommandLine(exeName, arguments);
    options.info.exeName = exeName;
    options.settingsFile = qEnvironmentVariable(kSettingsVariable);
    options.windows = availableWindows();
    return options;
}

ui::WindowFactory availableWindows() {
    // The connection, variables, configuration, log, record table and About windows are built
    // in their own files; each one takes its place here.
    return {};
}

ConsoleApp::ConsoleApp(ConsoleOptions options)
    : m_options(std::move(options)), m_box(QString::fromLatin1(shell::kProductCaption)),
      m_messages(m_box, nullptr), m_files(m_dialog, nullptr) {
    if (m_options.settingsFile.isEmpty()) {
        m_settings = std::make_unique<platform::qt::IniSettingsBackend>();
    } else {
        m_settings = std::make_unique<platform::qt::IniSettingsBackend>(m_options.settingsFile);
    }
    m_main = std::make_unique<shell::MainController>(
        shell::ShellServices{{m_socket, m_timers, m_pump, m_messages, m_beep, m_clock},
                             *m_settings,
                             m_files,
                             m_saver},
        m_options.programFolder, m_options.commandLine, m_options.info);
    m_window = std::make_unique<ui::MainWindow>(*m_main);
    m_messages.setFallback(m_window.get());
    m_files.setFallback(m_window.get());
    m_companions =
        std::make_unique<ui::CompanionWindows>(*m_main, m_options.windows, m_window.get());
    wireWindows();
}

ConsoleApp::~ConsoleApp() {
    // The windows go first: they hold subscriptions to the logic.
    m_companions.reset();
    m_window.reset();
    m_main.reset();
}

void ConsoleApp::wireWindows() {
    shell::MainController::Windows hooks;
    m_companions->install(hooks);
    m_window->install(hooks);
    m_main->setWindows(std::move(hooks));
}

bool ConsoleApp::start() {
    // With a system code the start ends by connecting; the operator should see the window (and
    // its connecting notice) meanwhile rather than nothing at all.
    if (m_options.commandLine.argc() >= 2) {
        m_window->show();
        QCoreApplication::processEvents();
    }
    if (m_main->start()) {
        return false;
    }
    m_window->show();
    return true;
}

} // namespace aql::app
