#pragma once

#include <functional>

class QDialog;
class QWidget;

namespace aql::config {
class ConfigurationController;
}
namespace aql::link {
class TcpLink;
} // namespace aql::link
namespace aql::shell {
class AboutController;
class LogController;
class MainController;
} // namespace aql::shell

namespace aql::ui {

// The logic of the windows that the main window's logic does not hold itself: the log window's
// (its real-time export runs with or without the window) and the About window's (loaded once).
struct WindowControllers {
    shell::LogController &log;
    shell::AboutController &about;
};

// How the console builds the windows the main window opens. Each function makes one window over
// its logic, as a child of `parent` (the main window), so that it stays above the main window and
// goes with it; the window keeps itself up to date from its logic's view. A function left empty,
// or one that returns null, means this build has no such window and its command does nothing.
//
// The main window's own logic is passed where a window needs more than one part of it (the
// current pool's records, the language texts, the variables and their unloading).
struct WindowFactory {
    // Not modal. The connection window hides itself and is shown again; the variables window is
    // destroyed when it closes and its logic unloaded; each record table is a new window over a
    // copy of the records. Windows that take a new language on a QEvent::LanguageChange are sent
    // one (the variables and trend windows).
    std::function<QWidget *(link::TcpLink &link, QWidget *parent)> connectionWindow;
    std::function<QWidget *(shell::MainController &main, QWidget *parent)> variablesWindow;
    std::function<QWidget *(shell::MainController &main, QWidget *parent)> recordTableWindow;
    // The trend window over a copy of the current pool's records; it saves and asks through the
    // main window's logic's services. Left empty where the build has no Qt Charts.
    std::function<QWidget *(shell::MainController &main, QWidget *parent)> trendWindow;
    // The records as they stand now, into a trend window this factory made.
    std::function<void(QWidget *window, shell::MainController &main)> reloadTrend;
    // Modal: run with exec().
    std::function<QDialog *(config::ConfigurationController &configuration, QWidget *parent)>
        configurationWindow;
    std::function<QDialog *(shell::LogController &log, QWidget *parent)> logWindow;
    std::function<QDialog *(shell::AboutController &about, QWidget *parent)> aboutDialog;
};

} // namespace aql::ui
