#pragma once

#include <functional>

class QDialog;
class QWidget;

namespace aql::config {
class ConfigurationController;
}
namespace aql::link {
class TcpLink;
class VariablesController;
} // namespace aql::link
namespace aql::shell {
class MainController;
}

namespace aql::ui {

// How the console builds the windows the main window opens. Each function makes one window over
// its logic, as a child of `parent` (the main window), so that it stays above the main window and
// goes with it; the window keeps itself up to date from its logic's view. A function left empty,
// or one that returns null, means this build has no such window and its command does nothing.
//
// The main window's own logic is passed where a window needs more than one part of it (the
// current pool and its records, the system they came from, the language texts, the program
// folder, markSaved after a save).
struct WindowFactory {
    // Not modal.
    std::function<QWidget *(link::TcpLink &link, QWidget *parent)> connectionWindow;
    std::function<QWidget *(link::VariablesController &variables, QWidget *parent)> variablesWindow;
    std::function<QWidget *(shell::MainController &main, QWidget *parent)> recordTableWindow;
    // Modal: run with exec().
    std::function<QDialog *(config::ConfigurationController &configuration, QWidget *parent)>
        configurationWindow;
    std::function<QDialog *(shell::MainController &main, QWidget *parent)> logWindow;
    std::function<QDialog *(shell::MainController &main, QWidget *parent)> aboutDialog;
};

} // namespace aql::ui
