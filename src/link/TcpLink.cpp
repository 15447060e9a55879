#include "link/TcpLink.h"

#include "core/Error.h"
#include "core/Numbers.h"

#include <tuple>

namespace aql::link {

namespace ss = platform::sockstate;

TcpLink::TcpLink(platform::Socket &socket, platform::TimerFactory &timers,
                 platform::EventPump &pump, platform::MessageBox &box, const platform::Clock &clock,
                 PanelView &panel, TextSource texts)
    : m_socket(socket), m_pump(pump), m_box(box), m_clock(clock), m_panel(panel),
      m_texts(std::move(texts)), m_tmrStateConnect(timers.createTimer(1)),
      m_tmrRespons(timers.createTimer(10)) {
    m_tmrStateConnect->setOnTick([this] { tmrStateConnect_Timer(); });
    m_tmrRespons->setOnTick([this] { tmrRespons_Timer(); });
    m_socket.setListener(this);
}

TcpLink::~TcpLink() {
    m_socket.setListener(nullptr);
}

void TcpLink::notifyWindow() {
    if (windowChanged) {
        windowChanged();
    }
}

void TcpLink::Connect() {
    std::string host;
    std::string portText;
    if (m_hooks.endpoint) {
        std::tie(host, portText) = m_hooks.endpoint();
    }
    m_socket.setRemoteHost(host);
    std::int32_t port = -1;
    try {
        port = textToInt32(portText);
    } catch (const AqlError &) {
        // A port that is not a number can never be reached; the socket reports it as an address
        // error below instead of the conversion error ending the Online choice half done.
        port = -1;
    }
    m_socket.setRemotePort(port);
    logLine(m_texts(77) + " " + host + ": " + portText);
    connectAndWait();
    if (connected()) {
        logLine(m_texts(78));
    }
    txtIP = host;
    txtPort = portText;
    notifyWindow();
}

void TcpLink::connectAndWait() {
    m_panel.lblProces.clear();
    connectTicks = 0;
    logLine(m_texts(82));
    setConnectingUi(false);
    m_tmrStateConnect->setEnabled(true);
    Connecting();
    while (state() == ss::kConnecting) {
        m_pump.waitForEvents();
    }
    if (!connected()) {
        // A socket may leave "connecting" a moment before it reports why; let that report
        // arrive now, so a failed connect is known before the Online choice goes on.
        m_pump.processEvents();
    }
    m_tmrStateConnect->setEnabled(false);
    setConnectingUi(true);
}

void TcpLink::Connecting() {
    m_socket.connect();
}

void TcpLink::CloseCon() {
    m_tmrStateConnect->setEnabled(false);
    m_panel.lblConnectingVisible = false;
    m_panel.lblProces.clear();
    m_panel.notify();
    logLine(m_texts(79));
    Closing();
    logLine(m_texts(80));
    m_panel.shpLCD = colour::kBacklightOff;
    m_panel.notify();
    if (m_hooks.selectOffLine) {
        m_hooks.selectOffLine();
    }
    m_tmrRespons->setEnabled(false);
}

void TcpLink::Closing() {
    m_socket.close();
    m_socket.setLocalPort(0);
    while (state() == ss::kClosing) {
        m_pump.waitForEvents();
    }
}

void TcpLink::Sending(const Bytes &frame) {
    if (connected()) {
        Text1 = frame;
        m_socket.send(frame);
        logLine(frame);
    }
    // Accumulated over every send since the last arrival: a silent controller is noticed even
    // while polls keep going out.
    m_tmrRespons->setEnabled(true);
}

void TcpLink::tmrStateConnect_Timer() {
    ++connectTicks;
    if (connectTicks % 20 == 0) {
        m_panel.lblProces += ".";
        if (m_panel.lblProces.size() >= 21) {
            m_panel.lblProces.clear();
        }
        m_panel.notify();
    }
    Text8 = std::to_string(connectTicks);
    notifyWindow();
}

void TcpLink::tmrRespons_Timer() {
    responseElapsed += 10;
    // The time-out box holds digits as typed; anything else counts as 0, so a broken setting
    // closes at the first tick rather than never.
    double limit = leadingNumber(Text7);
    if (!(limit < 2147483647.0)) {
        limit = 2147483647.0;
    }
    if (responseElapsed > limit) {
        CloseCon();
        showSocketError(0, "");
        m_tmrRespons->setEnabled(false);
        responseElapsed = 0;
    }
}

void TcpLink::dataArrival(std::size_t) {
    m_tmrRespons->setEnabled(false);
    try {
        std::string text = m_socket.readAll();
        responseElapsed = 0;
        Text2 = text;
        notifyWindow();
        if (m_hooks.received) {
            m_hooks.received(text);
        }
    } catch (const std::exception &) {
        // Errors of single lines are handled by the dispatcher; anything else ends the event.
    }
}

void TcpLink::socketError(int number, const std::string &description) {
    CloseCon();
    showSocketError(number, description);
}

void TcpLink::setConnectingUi(bool enable) {
    m_panel.optOnLineEnabled = enable;
    m_panel.mnuFileEnabled = enable;
    m_panel.mnuOptionsEnabled = enable;
    m_panel.mnuHelpEnabled = enable;
    m_panel.lblConnectingVisible = !enable;
    m_panel.lblProcesVisible = !enable;
    if (connected()) {
        m_panel.optGetLogEnabled = true;
    } else {
        m_panel.optGetLogEnabled = false;
        m_panel.optProcessLogEnabled = false;
    }
    m_panel.notify();
}

void TcpLink::logLine(const std::string &text) {
    while (List1.size() >= kLogLines) {
        List1.pop_front();
    }
    List1.push_back(text);
    notifyWindow();
}

std::string TcpLink::socketErrorText(int number, const std::string &description) const {
    const std::string crlf = "\r\n";
    switch (number) {
    case 0:
        return m_texts(196) + crlf + crlf + m_texts(197) + crlf + m_texts(198) + crlf +
               m_texts(199) + crlf + m_texts(200) + crlf + m_texts(201);
    case platform::sockerr::kAddressNotAvailable:
    case platform::sockerr::kTimedOut:
    case platform::sockerr::kHostNotFound:
        return m_texts(84) + crlf + crlf + m_texts(85) + crlf + m_texts(86) + crlf + m_texts(87) +
               crlf + m_texts(88);
    case platform::sockerr::kConnectionAborted: return m_texts(121);
    case platform::sockerr::kConnectionRefused:
        return m_texts(89) + crlf + crlf + m_texts(194) + crlf + m_texts(195);
    case platform::sockerr::kHostUnreachable: return m_texts(122);
    default: return description;
    }
}

void TcpLink::showSocketError(int number, const std::string &description) {
    const std::string text = socketErrorText(number, description);
    if (number == platform::sockerr::kAddressNotAvailable ||
        number == platform::sockerr::kTimedOut || number == platform::sockerr::kHostNotFound) {
        m_panel.lblProces.clear();
        m_panel.notify();
    }
    platform::LocalTime t = m_clock.now();
    const std::string now =
        padded(t.hour, 2) + ":" + padded(t.minute, 2) + ":" + padded(t.second, 2);
    logLine(now + " " + m_texts(92) + " " + std::to_string(number));
    m_box.show(m_texts(92) + " " + std::to_string(number) + "   " + text,
               platform::style::kCritical);
}

void TcpLink::cmdPassword_Click() {
    if (txtPassword == kServicePassword) {
        txtPassword.clear();
        fraPasswordVisible = false;
        passwordFocused = false;
    } else {
        txtPassword.clear();
        passwordFocused = true;
    }
    notifyWindow();
}

void TcpLink::cmdCancel_Click() {
    txtPassword.clear();
    visible = false;
    notifyWindow();
}

void TcpLink::cmdhide_Click() {
    fraPasswordVisible = true;
    visible = false;
    notifyWindow();
}

void TcpLink::cmdConnect_Click() {
    if (m_hooks.selectOnLine) {
        m_hooks.selectOnLine();
    }
}

void TcpLink::cmdClose_Click() {
    CloseCon();
}

} // namespace aql::link
