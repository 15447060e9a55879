#include "link/Console.h"

#include "core/TextId.h"
#include "link/Hooks.h"
#include "link/LinkStatusText.h"

namespace aql::link {

Console::Console(PlatformServices services, TextSource texts, ProgramInfo info)
    : m_services(services), m_texts(std::move(texts)),
      m_errors(services.messageBox, info.exeName, info.major, info.minor),
      m_tcp(services.socket, services.timers, services.pump, services.messageBox, services.clock,
            m_panel, m_texts),
      m_sender(m_tcp, m_state), m_dispatcher(m_panel, m_state, services.pump, m_texts),
      m_keypad(m_panel, m_state, m_sender, services.pump, services.timers),
      m_modes(m_panel, m_state, m_tcp, m_sender, m_keypad, services.timers, services.pump, m_texts),
      m_monitor(services.clock, services.timers, m_panel, m_tcp, m_dispatcher, m_state),
      m_reconnector(services.timers) {
    setBlockObserver({});

    TcpLink::Hooks linkHooks;
    linkHooks.chooseOffline = [this] { m_modes.chooseOffline(); };
    linkHooks.chooseOnline = [this] { chooseOnline(); }; // the connection window's Connect
    linkHooks.ended = [this](const ConnectionEnd &end) { return connectionEnded(end); };
    linkHooks.received = [this](const std::string &text) {
        m_dispatcher.collectReceivedText(text);
    };
    linkHooks.endpoint = [this] { return m_endpointProvider ? m_endpointProvider() : m_endpoint; };
    m_tcp.setHooks(std::move(linkHooks));

    ReceiveDispatcher::Hooks dispatcherHooks;
    dispatcherHooks.corruptReply = [this](const std::string &text) {
        m_tcp.closeConnection({EndReason::CorruptReply, 0});
        if (!m_lossTakenOver) {
            m_errors.show(text);
        }
    };
    dispatcherHooks.showError = [this](const std::string &text) { m_errors.show(text); };
    dispatcherHooks.replyArrived = [this] {
        m_monitor.replyArrived();
        m_reconnector.replyArrived();
    };
    dispatcherHooks.addressedReplyArrived = [this] { m_modes.restartReplyWatch(); };
    dispatcherHooks.blockReceived = [this](std::int16_t block, std::string_view values) {
        variables().handleBlockReceived(block, values);
        m_blockObserver(block);
    };
    dispatcherHooks.beep = [this] { m_services.beep.beep(); };
    m_dispatcher.setHooks(std::move(dispatcherHooks));

    Reconnector::Hooks reconnectHooks;
    reconnectHooks.goOnline = [this] { m_modes.chooseOnline(); };
    reconnectHooks.changed = [this] { m_monitor.reconnectChanged(m_reconnector.status()); };
    reconnectHooks.lossTakenOver = [this](const ConnectionEnd &end) {
        const ReconnectStatus &r = m_reconnector.status();
        m_tcp.logEvent(m_texts(TextId::ConnectionLost) + " (" + describeEnd(end, m_texts) + "). " +
                       m_texts(TextId::ReconnectingIn) + " " + std::to_string(r.secondsLeft) +
                       " s, " + m_texts(TextId::Attempt) + " " + std::to_string(r.attempt));
    };
    reconnectHooks.attemptStarted = [this](int attempt) {
        m_tcp.logEvent(m_texts(TextId::ReconnectAttempt) + " " + std::to_string(attempt));
    };
    reconnectHooks.countdownCancelled = [this] {
        m_tcp.logEvent(m_texts(TextId::ReconnectCancelled));
    };
    m_reconnector.setHooks(std::move(reconnectHooks));
}

Console::~Console() = default;

void Console::chooseOnline() {
    m_reconnector.cancel();
    m_modes.chooseOnline();
}

void Console::chooseOffline() {
    m_reconnector.cancel();
    m_modes.chooseOffline();
}

void Console::startOnline() {
    m_reconnector.cancel();
    m_reconnector.goOnlineRetryingFailure();
}

void Console::requestLog() {
    const std::uint64_t before = m_sender.framesSent();
    m_modes.requestLog();
    // Only a request that went out starts a download.
    if (m_sender.framesSent() != before) {
        m_monitor.downloadRequested();
    }
}

bool Console::connectionEnded(const ConnectionEnd &end) {
    m_lossTakenOver = m_reconnector.connectionEnded(end);
    if (m_reconnector.enabled() && isLoss(end.reason)) {
        dropPendingWrite();
    }
    m_monitor.connectionEnded(end);
    return m_lossTakenOver;
}

void Console::dropPendingWrite() {
    // Written again after a reconnect, the value would reach the controller minutes or hours after
    // the operator typed it, with nobody watching; they write it again if they still want it.
    if (!m_variables) {
        return;
    }
    if (const auto dropped = m_variables->cancelPendingWrite()) {
        m_tcp.logEvent(m_texts(TextId::VariableWriteCancelled) + " " +
                       std::to_string(dropped->block) + ", " + std::to_string(dropped->variable) +
                       ", " + std::to_string(dropped->value));
    }
}

void Console::restart() {
    m_reconnector.cancel();
    m_sender.setOperatingMode(mode::kCreated);
    setCurrentPool(nullptr, 0);
}

void Console::startOffline() {
    m_modes.resetToOffline();
    m_state.replyReceived = true;
    m_state.cursorPosition = 0;
    m_panel.edit().cells.fill('\0');
    m_panel.edit().cursorDrawn.fill(false);
    m_panel.changed();
    m_modes.startRecordCount();
    m_keypad.startCursorBlink();
}

void Console::blankDisplay() {
    m_panel.edit().cells.fill('\0');
    m_panel.changed();
}

void Console::allowOnline() {
    m_reconnector.cancel();
    m_panel.edit().onlineEnabled = true;
    m_panel.changed();
}

void Console::setCurrentPool(records::RecordList *records, std::uint8_t address) {
    m_state.currentRecords = records;
    m_state.controllerAddress = address;
}

void Console::setEndpoint(std::string host, std::string port) {
    m_endpoint = {std::move(host), std::move(port)};
}

void Console::setEndpointProvider(std::function<Endpoint()> provider) {
    m_endpointProvider = std::move(provider);
}

void Console::reportError(const std::string &text, const std::optional<AqlError> &error) {
    m_errors.show(text, error);
}

VariablesController &Console::variables() {
    if (!m_variables) {
        m_variables = std::make_unique<VariablesController>(m_sender, m_services.timers,
                                                            m_services.messageBox, m_texts);
        m_variables->load();
    }
    return *m_variables;
}

void Console::unloadVariables() {
    m_variables.reset();
}

void Console::setBlockObserver(std::function<void(std::int16_t block)> observer) {
    keepCallable(observer);
    m_blockObserver = std::move(observer);
}

} // namespace aql::link
