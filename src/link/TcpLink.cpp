#include "link/TcpLink.h"

#include "core/Error.h"
#include "core/Numbers.h"
#include "core/TextId.h"
#include "link/Hooks.h"

#include <tuple>

namespace aql::link {

namespace ss = platform::sockstate;

namespace {
constexpr int kConnectTickMs = 1;
constexpr int kAnswerTickMs = 10;
constexpr int kTicksPerDot = 20;
constexpr std::size_t kDotsBeforeRestart = 21;
} // namespace

TcpLink::TcpLink(platform::Socket &socket, platform::TimerFactory &timers,
                 platform::EventPump &pump, platform::MessageBox &box, const platform::Clock &clock,
                 PanelModel &panel, TextSource texts)
    : m_socket(socket), m_pump(pump), m_box(box), m_clock(clock), m_panel(panel),
      m_texts(std::move(texts)), m_connectTimer(timers.createTimer(kConnectTickMs)),
      m_answerTimer(timers.createTimer(kAnswerTickMs)) {
    setHooks({});
    m_connectTimer->setOnTick([this] { countConnectTick(); });
    m_answerTimer->setOnTick([this] { countAnswerWait(); });
    m_socket.setListener(this);
}

TcpLink::~TcpLink() {
    m_socket.setListener(nullptr);
}

void TcpLink::setHooks(Hooks hooks) {
    keepCallable(hooks.chooseOffline);
    keepCallable(hooks.chooseOnline);
    keepCallable(hooks.received);
    if (!hooks.ended) {
        hooks.ended = [](const ConnectionEnd &) { return false; };
    }
    if (!hooks.endpoint) {
        hooks.endpoint = [] { return std::pair<std::string, std::string>(); };
    }
    m_hooks = std::move(hooks);
}

void TcpLink::connect() {
    std::string host;
    std::string portText;
    std::tie(host, portText) = m_hooks.endpoint();
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
    logLine(m_texts(TextId::LogConnectingTo) + " " + host + ": " + portText);
    connectAndWait();
    if (connected()) {
        logLine(m_texts(TextId::LogConnected));
    }
    m_view.host = host;
    m_view.port = portText;
    changed();
}

void TcpLink::connectAndWait() {
    m_panel.edit().connectingDots.clear();
    m_connectTicks = 0;
    logLine(m_texts(TextId::LogWaitingForConnection));
    m_connecting = true;
    setConnectingUi(false);
    m_connectTimer->setEnabled(true);
    m_socket.connect();
    while (state() == ss::kConnecting) {
        m_pump.waitForEvents();
    }
    if (!connected()) {
        // A socket may leave "connecting" a moment before it reports why; let that report
        // arrive now, so a failed connect is known before the Online choice goes on.
        m_pump.processEvents();
    }
    m_connecting = false;
    m_connectTimer->setEnabled(false);
    setConnectingUi(true);
}

void TcpLink::closeConnection(ConnectionEnd why) {
    m_connectTimer->setEnabled(false);
    m_panel.edit().connectingNoticeVisible = false;
    m_panel.edit().connectingDots.clear();
    m_panel.changed();
    logLine(m_texts(TextId::LogClosing));
    closeSocket();
    logLine(m_texts(TextId::LogClosed));
    m_panel.edit().backlightColour = colour::kBacklightOff;
    m_panel.changed();
    m_hooks.chooseOffline();
    m_answerTimer->setEnabled(false);
    m_lastEnd = why;
    m_lossReportedElsewhere = m_hooks.ended(why);
}

void TcpLink::closeSocket() {
    m_socket.close();
    m_socket.setLocalPort(0);
    while (state() == ss::kClosing) {
        m_pump.waitForEvents();
    }
}

void TcpLink::send(const Bytes &frame) {
    if (connected()) {
        m_view.lastSent = frame;
        m_socket.send(frame);
        logLine(frame);
    }
    // Accumulated over every send since the last arrival: a silent controller is noticed even
    // while polls keep going out.
    m_answerTimer->setEnabled(true);
}

void TcpLink::countConnectTick() {
    ++m_connectTicks;
    if (m_connectTicks % kTicksPerDot == 0) {
        std::string &dots = m_panel.edit().connectingDots;
        dots += ".";
        if (dots.size() >= kDotsBeforeRestart) {
            dots.clear();
        }
        m_panel.changed();
    }
    m_view.connectTicks = std::to_string(m_connectTicks);
    changed();
}

void TcpLink::countAnswerWait() {
    m_answerWaitMs += kAnswerTickMs;
    // The time-out box holds digits as typed; anything else counts as 0, so a broken setting
    // closes at the first tick rather than never.
    double limit = leadingNumber(m_view.answerTimeout);
    if (!(limit < 2147483647.0)) {
        limit = 2147483647.0;
    }
    if (m_answerWaitMs > limit) {
        closeConnection({EndReason::AnswerTimeout, 0});
        showSocketError(0, "");
        m_answerTimer->setEnabled(false);
        m_answerWaitMs = 0;
    }
}

void TcpLink::dataArrival(std::size_t) {
    m_answerTimer->setEnabled(false);
    try {
        std::string text = m_socket.readAll();
        m_answerWaitMs = 0;
        m_view.lastReceived = text;
        changed();
        m_hooks.received(text);
    } catch (const std::exception &) {
        // Errors of single lines are handled by the dispatcher; anything else ends the event.
    }
}

void TcpLink::socketError(int number, const std::string &description) {
    EndReason reason = EndReason::SocketError;
    if (m_connecting) {
        reason = EndReason::ConnectFailed;
    } else if (number == platform::sockerr::kConnectionAborted) {
        reason = EndReason::ClosedByController;
    }
    closeConnection({reason, number});
    showSocketError(number, description);
}

void TcpLink::setConnectingUi(bool enable) {
    PanelView &panel = m_panel.edit();
    panel.onlineEnabled = enable;
    panel.fileMenuEnabled = enable;
    panel.optionsMenuEnabled = enable;
    panel.helpMenuEnabled = enable;
    panel.connectingNoticeVisible = !enable;
    panel.connectingDotsVisible = !enable;
    if (connected()) {
        panel.getLogEnabled = true;
    } else {
        panel.getLogEnabled = false;
        panel.saveEnabled = false;
    }
    m_panel.changed();
}

void TcpLink::logLine(const std::string &text) {
    while (m_view.eventLog.size() >= kLogLines) {
        m_view.eventLog.pop_front();
    }
    m_view.eventLog.push_back(text);
    changed();
}

std::string TcpLink::socketErrorText(int number, const std::string &description) const {
    const std::string crlf = "\r\n";
    switch (number) {
    case 0:
        return m_texts(TextId::NoAnswerHeading) + crlf + crlf + m_texts(TextId::NoAnswerAdvice1) +
               crlf + m_texts(TextId::NoAnswerAdvice2) + crlf + m_texts(TextId::NoAnswerAdvice3) +
               crlf + m_texts(TextId::NoAnswerAdvice4) + crlf + m_texts(TextId::NoAnswerAdvice5);
    case platform::sockerr::kAddressNotAvailable:
    case platform::sockerr::kTimedOut:
    case platform::sockerr::kHostNotFound:
        return m_texts(TextId::NotReachableHeading) + crlf + crlf +
               m_texts(TextId::NotReachableAdvice1) + crlf + m_texts(TextId::NotReachableAdvice2) +
               crlf + m_texts(TextId::NotReachableAdvice3) + crlf +
               m_texts(TextId::NotReachableAdvice4);
    case platform::sockerr::kConnectionAborted: return m_texts(TextId::ConnectionAborted);
    case platform::sockerr::kConnectionRefused:
        return m_texts(TextId::RefusedHeading) + crlf + crlf + m_texts(TextId::RefusedAdvice1) +
               crlf + m_texts(TextId::RefusedAdvice2);
    case platform::sockerr::kHostUnreachable: return m_texts(TextId::HostUnreachable);
    default: return description;
    }
}

void TcpLink::showSocketError(int number, const std::string &description) {
    const std::string text = socketErrorText(number, description);
    if (number == platform::sockerr::kAddressNotAvailable ||
        number == platform::sockerr::kTimedOut || number == platform::sockerr::kHostNotFound) {
        m_panel.edit().connectingDots.clear();
        m_panel.changed();
    }
    if (m_lossReportedElsewhere) {
        return; // the event log has it already, with the number
    }
    const std::string heading = m_texts(TextId::CommunicationError) + " " + std::to_string(number);
    logEvent(heading);
    m_box.show(heading + "   " + text, platform::style::kCritical);
}

std::string TcpLink::timeOfDay() const {
    platform::LocalTime t = m_clock.now();
    return padded(t.hour, 2) + ":" + padded(t.minute, 2) + ":" + padded(t.second, 2);
}

void TcpLink::logEvent(const std::string &text) {
    logLine(timeOfDay() + " " + text);
}

void TcpLink::show() {
    m_view.visible = true;
    changed();
}

void TcpLink::hide() {
    m_view.passwordPanelVisible = true;
    m_view.visible = false;
    changed();
}

void TcpLink::setPassword(std::string text) {
    m_view.password = std::move(text);
    changed();
}

void TcpLink::confirmPassword() {
    const bool right = m_view.password == kServicePassword;
    m_view.password.clear();
    if (right) {
        m_view.passwordPanelVisible = false;
        m_view.passwordFocused = false;
    } else {
        m_view.passwordFocused = true;
    }
    changed();
}

void TcpLink::cancelPassword() {
    m_view.password.clear();
    m_view.visible = false;
    changed();
}

void TcpLink::goOnline() {
    m_hooks.chooseOnline();
}

void TcpLink::setAttempts(std::string text) {
    m_view.attempts = std::move(text);
    changed();
}

void TcpLink::setAnswerTimeout(std::string text) {
    m_view.answerTimeout = std::move(text);
    changed();
}

void TcpLink::retranslate() {
    Captions &c = m_view.captions;
    c.title = m_texts(TextId::ConnectionTitle);
    c.passwordLabel = m_texts(TextId::PasswordLabel);
    c.ok = m_texts(TextId::Ok);
    c.cancel = m_texts(TextId::Cancel);
    c.connect = m_texts(TextId::Connect);
    c.hide = m_texts(TextId::Hide);
    c.close = m_texts(TextId::CloseConnection);
    c.hostLabel = m_texts(TextId::IpAddressLabel);
    c.portLabel = m_texts(TextId::PortLabel);
    c.sentLabel = m_texts(TextId::SentLabel);
    c.receivedLabel = m_texts(TextId::ReceivedLabel);
    c.attemptsBefore = m_texts(TextId::TimeoutAfter);
    c.attemptsAfter = m_texts(TextId::Attempts);
    c.timeoutBefore = m_texts(TextId::TimeoutAfter);
    c.timeoutAfter = m_texts(TextId::MsNoReaction);
    c.ticksBefore = m_texts(TextId::ConnectIn);
    c.ticksAfter = m_texts(TextId::Milliseconds);
    changed();
}

} // namespace aql::link
