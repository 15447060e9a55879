#include "link/Console.h"

#include "link/Hooks.h"

namespace aql::link {

Console::Console(PlatformServices services, TextSource texts, ProgramInfo info)
    : m_services(services), m_texts(std::move(texts)),
      m_errors(services.messageBox, info.exeName, info.major, info.minor),
      m_tcp(services.socket, services.timers, services.pump, services.messageBox, services.clock,
            m_panel, m_texts),
      m_sender(m_tcp, m_state), m_dispatcher(m_panel, m_state, services.pump, m_texts),
      m_keypad(m_panel, m_state, m_sender, services.pump, services.timers),
      m_modes(m_panel, m_state, m_tcp, m_sender, m_keypad, services.timers, services.pump,
              m_texts) {
    setBlockObserver({});

    TcpLink::Hooks linkHooks;
    linkHooks.chooseOffline = [this] { m_modes.chooseOffline(); };
    linkHooks.chooseOnline = [this] { m_modes.chooseOnline(); };
    linkHooks.received = [this](const std::string &text) {
        m_dispatcher.collectReceivedText(text);
    };
    linkHooks.endpoint = [this] { return m_endpointProvider ? m_endpointProvider() : m_endpoint; };
    m_tcp.setHooks(std::move(linkHooks));

    ReceiveDispatcher::Hooks dispatcherHooks;
    dispatcherHooks.closeConnection = [this] { m_tcp.closeConnection(); };
    dispatcherHooks.showError = [this](const std::string &text) { m_errors.show(text); };
    dispatcherHooks.addressedReplyArrived = [this] { m_modes.restartReplyWatch(); };
    dispatcherHooks.blockReceived = [this](std::int16_t block, std::string_view values) {
        variables().handleBlockReceived(block, values);
        m_blockObserver(block);
    };
    dispatcherHooks.beep = [this] { m_services.beep.beep(); };
    m_dispatcher.setHooks(std::move(dispatcherHooks));
}

Console::~Console() = default;

void Console::restart() {
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
