#pragma once

#include "core/Observers.h"
#include "link/CommandSender.h"
#include "link/ConnectionModes.h"
#include "link/ErrorReporter.h"
#include "link/LinkMonitor.h"
#include "link/LinkState.h"
#include "link/LinkStatus.h"
#include "link/PanelView.h"
#include "link/ReceiveDispatcher.h"
#include "link/Reconnector.h"
#include "link/RemotePanel.h"
#include "link/TcpLink.h"
#include "link/VariablesController.h"
#include "platform/Beep.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/MessageBox.h"
#include "platform/Socket.h"
#include "platform/Timer.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace aql::link {

struct PlatformServices {
    platform::Socket &socket;
    platform::TimerFactory &timers;
    platform::EventPump &pump;
    platform::MessageBox &messageBox;
    platform::Beep &beep;
    const platform::Clock &clock;
};

struct ProgramInfo {
    std::string exeName = "AQLRemote";
    int major = 2;
    int minor = 0;
    int revision = 41;
};

// The controller side of the main window, wired together: the connection, the command sender,
// the receive dispatcher, the mirrored panel, the mode panel and (once opened) the variables
// window. The main window draws view() and calls the actions; the command-line tool drives the
// same object.
class Console {
public:
    using Endpoint = std::pair<std::string, std::string>; // host and port as configured

    Console(PlatformServices services, TextSource texts, ProgramInfo info = {});
    ~Console();
    Console(const Console &) = delete;
    Console &operator=(const Console &) = delete;

    const PanelView &view() const { return m_panel.view(); }
    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        return m_panel.subscribe(std::move(observer));
    }

    // How the link is doing, for a status bar: told when its state changes and once a second.
    const LinkStatus &status() const { return m_monitor.view(); }
    [[nodiscard]] Subscription subscribeStatus(std::function<void()> observer) {
        return m_monitor.subscribe(std::move(observer));
    }

    // What the operator does on the panel. Choosing a mode stops a reconnect countdown.
    void chooseOnline();
    void chooseOffline();
    void requestLog();
    void saveLog() { m_modes.saveLog(); }
    void toggleShift() { m_modes.toggleShift(); }
    void pressKey(int index) { m_keypad.pressKey(index); }
    void keyDown(int keyCode) { m_keypad.keyDown(keyCode); }
    void chooseRealtime(bool on) { m_keypad.chooseRealtime(on); }

    // What the main window's load does.
    // A fresh start of the link: mode "created", no pool, no reconnect countdown; the connection
    // itself stays.
    void restart();
    // Offline with an empty display; the record count and the cursor start running.
    void startOffline();
    void blankDisplay();
    // A pool was chosen: Online may be chosen again; a reconnect countdown stops.
    void allowOnline();
    // Online at the project-mode start: there may be nobody to choose Online again, so with
    // reconnecting on a failed connect is retried like a lost connection.
    void startOnline();

    // Reconnecting by itself after a lost connection: off until switched on. While on, the losses
    // it retries are reported in the status and the connection window's event log instead of
    // message boxes, and a lost connection drops a pending variable write.
    void setReconnect(bool on) { m_reconnector.setEnabled(on); }
    bool reconnectEnabled() const { return m_reconnector.enabled(); }
    // Stops a countdown to the next attempt (the pool or the configuration changed).
    void cancelReconnect() { m_reconnector.cancel(); }

    // The times and the cap by which the status decides that a log download has ended (the same
    // rule the command-line tool and the demo use).
    void setDownloadRules(DownloadRules rules) { m_monitor.setDownloadRules(rules); }

    // The pool being operated: its records receive the log, its address goes into every frame.
    void setCurrentPool(records::RecordList *records, std::uint8_t address);
    // The endpoint of the pool chosen in the selection box.
    void setEndpoint(std::string host, std::string port);
    // Or asked for at every connect, so it follows the selection box.
    void setEndpointProvider(std::function<Endpoint()> provider);
    // Replaces every hook of the mode panel; one left empty does nothing.
    void setModeHooks(ConnectionModes::Hooks hooks) { m_modes.setHooks(std::move(hooks)); }

    // Shows `text` titled with the program's name and the error's number (0 without one).
    void reportError(const std::string &text, const std::optional<AqlError> &error = std::nullopt);

    // The connection and its service window.
    TcpLink &connection() { return m_tcp; }
    const TcpLink &connection() const { return m_tcp; }
    bool connected() const { return m_tcp.connected(); }

    // The variables window, created and loaded on first use.
    VariablesController &variables();
    bool variablesLoaded() const { return m_variables != nullptr; }
    const VariablesController *loadedVariables() const { return m_variables.get(); }
    void unloadVariables();
    // Told after the variables window has stored a block.
    void setBlockObserver(std::function<void(std::int16_t block)> observer);
    // Told of every log record received (the log archive).
    void setRecordObserver(std::function<void(const records::LogRecord &)> observer) {
        m_dispatcher.setRecordObserver(std::move(observer));
    }

    std::uint8_t controllerAddress() const { return m_state.controllerAddress; }
    bool replyReceived() const { return m_state.replyReceived; }
    std::int32_t operatingMode() const { return m_sender.operatingMode(); }
    // The frames to the controller, for a tool that drives the protocol itself.
    CommandSender &commands() { return m_sender; }
    const ReceiveDispatcher::Counters &receiveCounters() const { return m_dispatcher.counters(); }
    const ReceiveDispatcher &dispatcher() const { return m_dispatcher; }
    const ConnectionModes &modes() const { return m_modes; }
    const RemotePanel &keypad() const { return m_keypad; }
    const ErrorReporter &errors() const { return m_errors; }

private:
    bool connectionEnded(const ConnectionEnd &end);
    void dropPendingWrite();

    PlatformServices m_services;
    TextSource m_texts;
    PanelModel m_panel;
    LinkState m_state;
    ErrorReporter m_errors;
    TcpLink m_tcp;
    CommandSender m_sender;
    ReceiveDispatcher m_dispatcher;
    RemotePanel m_keypad;
    ConnectionModes m_modes;
    LinkMonitor m_monitor;
    Reconnector m_reconnector;
    bool m_lossTakenOver = false; // the last connection's loss is being reconnected
    Endpoint m_endpoint;
    std::function<Endpoint()> m_endpointProvider;
    std::function<void(std::int16_t)> m_blockObserver;
    std::unique_ptr<VariablesController> m_variables;
};

} // namespace aql::link
