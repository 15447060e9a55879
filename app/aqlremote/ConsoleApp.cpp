#include "aqlremote/ConsoleApp.h"

#include "platform/qt/IniSettingsBackend.h"
#include "shell/RecordTable.h"
#include "ui/ConfigurationWindow.h"
#include "ui/ConnectionWindow.h"
#include "ui/VariablesWindow.h"
#include "ui/logwindows/AboutDialog.h"
#include "ui/logwindows/LogWindow.h"
#include "ui/logwindows/RecordTableWindow.h"

#ifdef AQL_HAS_TREND_WINDOW
#include "ui/TrendWindow.h"
#endif

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
    ui::WindowFactory windows;
    windows.connectionWindow = [](link::TcpLink &link, QWidget *parent) -> QWidget * {
        return new ui::ConnectionWindow(link, parent);
    };
    windows.variablesWindow = [](shell::MainController &main, QWidget *parent) -> QWidget * {
        auto *window = new ui::VariablesWindow(
            main.console().variables(), [&main](int n) { return main.getText(n); }, parent);
        // Its state goes with it, as it always did: the next opening starts afresh.
        QObject::connect(window, &ui::VariablesWindow::closed, window, [window, &main] {
            window->deleteLater();
            main.console().unloadVariables();
        });
        return window;
    };
    windows.recordTableWindow = [](shell::MainController &main, QWidget *parent) -> QWidget * {
        const config::Pool *pool = main.currentPool();
        auto *window = new ui::RecordTableWindow(
            shell::RecordTable(pool != nullptr ? &pool->records() : nullptr), parent);
        // The copy of a large log goes with the window, not with the program.
        window->setAttribute(Qt::WA_DeleteOnClose);
        return window;
    };
    windows.configurationWindow = [](config::ConfigurationController &configuration,
                                     QWidget *parent) -> QDialog * {
        return new ui::ConfigurationWindow(configuration, parent);
    };
    windows.logWindow = [](shell::LogController &log, QWidget *parent) -> QDialog * {
        return new ui::LogWindow(log, parent);
    };
    windows.aboutDialog = [](shell::AboutController &about, QWidget *parent) -> QDialog * {
        return new ui::AboutDialog(about, parent);
    };
#ifdef AQL_HAS_TREND_WINDOW
    windows.trendWindow = [](shell::MainController &main, QWidget *parent) -> QWidget * {
        static const records::RecordList kNone;
        const config::Pool *pool = main.currentPool();
        const config::Pool *source = main.recordsSource();
        const shell::ShellServices &services = main.services();
        // The PNG goes where the log's exports go by default.
        auto *window = new ui::TrendWindow(
            pool != nullptr ? pool->records() : kNone,
            source != nullptr ? source->name() : std::string(), services.files, services.fileDialog,
            services.link.messageBox, [&main](int n) { return main.getText(n); },
            (main.programFolder() / "Data").u8string(), parent);
        // Its copy of a large log goes with the window, not with the program.
        window->setAttribute(Qt::WA_DeleteOnClose);
        return window;
    };
    windows.reloadTrend = [](QWidget *window, shell::MainController &main) {
        static const records::RecordList kNone;
        const config::Pool *pool = main.currentPool();
        if (auto *trend = qobject_cast<ui::TrendWindow *>(window)) {
            trend->reload(pool != nullptr ? pool->records() : kNone);
        }
    };
#endif
    return windows;
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
                             m_saver,
                             &m_archives},
        m_options.programFolder, m_options.commandLine, m_options.info);
    const link::TextSource texts = [this](int n) { return m_main->getText(n); };
    m_log = std::make_unique<shell::LogController>(
        shell::LogServices{m_timers, m_clock, m_files, m_messages, m_saver, m_opener}, texts,
        m_options.programFolder, m_options.info);
    m_about = std::make_unique<shell::AboutController>(texts, m_options.info);
    wireLog();
    m_window = std::make_unique<ui::MainWindow>(*m_main);
    m_messages.setFallback(m_window.get());
    m_files.setFallback(m_window.get());
    m_companions = std::make_unique<ui::CompanionWindows>(
        *m_main, ui::WindowControllers{*m_log, *m_about}, m_options.windows, m_window.get());
    wireWindows();
}

ConsoleApp::~ConsoleApp() {
    // The windows go first: they hold subscriptions to the logic.
    m_companions.reset();
    m_window.reset();
    m_logSaved.reset();
    m_main->setWindows({});
    m_about.reset();
    m_log.reset();
    m_main.reset();
}

void ConsoleApp::wireLog() {
    shell::MainController &main = *m_main;
    // Never a pointer kept: a configuration saved replaces every pool.
    m_log->setPoolProvider([&main]() -> const config::Pool * { return main.currentPool(); });
    // Exports name the system the records were downloaded from, not the pool that lends them its
    // list.
    m_log->setSourceProvider([&main] {
        shell::LogSource source;
        if (const config::Pool *from = main.recordsSource()) {
            source.siteName = from->resort();
            source.poolName = from->name();
        }
        source.sitePoolCount = main.pools().count();
        return source;
    });
    m_logSaved = m_log->subscribeSaved([&main] { main.markSaved(); });
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
