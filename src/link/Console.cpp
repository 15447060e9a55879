#include "link/Console.h"

namespace aql::link {

Console::Console(PlatformServices services, TextSource texts, ProgramInfo info)
    : error(services.messageBox, info.exeName, info.major, info.minor),
      tcp(services.socket, services.timers, services.pump, services.messageBox, services.clock,
          panel, texts),
      comms(tcp, panel), online(panel, services.pump, texts),
      remote(panel, comms, services.pump, services.timers),
      modes(panel, tcp, comms, remote, services.timers, services.pump, texts), m_services(services),
      m_texts(std::move(texts)) {
    TcpLink::Hooks linkHooks;
    linkHooks.selectOffLine = [this] { modes.selectOffLine(); };
    linkHooks.selectOnLine = [this] { modes.selectOnLine(); };
    linkHooks.received = [this](const std::string &text) { online.collectReceivedText(text); };
    linkHooks.endpoint = [this] {
        return m_endpointProvider ? m_endpointProvider() : std::make_pair(m_host, m_port);
    };
    tcp.setHooks(std::move(linkHooks));

    ReceiveDispatcher::Hooks onlineHooks;
    onlineHooks.closeCon = [this] { tcp.CloseCon(); };
    onlineHooks.errorBox = [this](const std::string &text) { error.show(text); };
    onlineHooks.restartCommsAlarm = [this] { modes.restartCommsAlarm(); };
    onlineHooks.askBlockOKnow = [this](std::int16_t block, std::string_view values) {
        variables().AskBlockOKnow(block, values);
        if (blockReceived) {
            blockReceived(block);
        }
    };
    onlineHooks.beep = [this] { m_services.beep.beep(); };
    online.setHooks(std::move(onlineHooks));
}

Console::~Console() = default;

void Console::setCurrentPool(records::RecordList *records, std::uint8_t address) {
    panel.currentPool = records;
    panel.controllerAddress = address;
}

void Console::setEndpoint(std::string host, std::string port) {
    m_host = std::move(host);
    m_port = std::move(port);
}

void Console::setEndpointProvider(std::function<std::pair<std::string, std::string>()> provider) {
    m_endpointProvider = std::move(provider);
}

VariablesController &Console::variables() {
    if (!m_variables) {
        m_variables = std::make_unique<VariablesController>(comms, m_services.timers,
                                                     m_services.messageBox, m_texts);
        m_variables->Form_Load();
    }
    return *m_variables;
}

void Console::unloadVariables() {
    m_variables.reset();
}

} // namespace aql::link
