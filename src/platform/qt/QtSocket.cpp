#include "platform/qt/QtSocket.h"

#include "platform/qt/SocketErrorNumber.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

namespace aql::platform::qt {

namespace {

constexpr const char *kAddressNotAvailableText =
    "The requested address is not valid in its context";
constexpr const char *kTimedOutText = "Connection timed out";
constexpr const char *kClosedByPeerText = "The remote host closed the connection";

bool isValidPort(std::int32_t port) {
    return port > 0 && port <= 65535;
}

// A connect to the wildcard address reaches the local machine on some systems and fails on
// others; the controller is never there, so it is refused up front the way Winsock refuses it.
bool isConnectableHost(const QString &host) {
    if (host.isEmpty()) {
        return false;
    }
    QHostAddress address;
    if (!address.setAddress(host)) {
        return true; // a name: the lookup decides
    }
    return address != QHostAddress::AnyIPv4 && address != QHostAddress::AnyIPv6;
}

} // namespace

QtSocket::QtSocket()
    : m_socket(std::make_unique<QTcpSocket>()), m_connectTimer(std::make_unique<QTimer>()),
      m_closeTimer(std::make_unique<QTimer>()) {
    // The controller sits on the local network; an application-wide proxy must not reroute it.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    m_socket->setReadBufferSize(kReadBufferLimit);

    m_connectTimer->setSingleShot(true);
    m_closeTimer->setSingleShot(true);

    QTcpSocket *socket = m_socket.get();
    QObject::connect(socket, &QTcpSocket::connected, socket, [this] { onConnected(); });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this] { onReadyRead(); });
    QObject::connect(socket, &QTcpSocket::errorOccurred, socket,
                     [this](QAbstractSocket::SocketError error) { onErrorOccurred(error); });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] { onDisconnected(); });
    QObject::connect(m_connectTimer.get(), &QTimer::timeout, socket,
                     [this] { onConnectTimeout(); });
    QObject::connect(m_closeTimer.get(), &QTimer::timeout, socket, [this] {
        if (m_socket->state() != QAbstractSocket::UnconnectedState) {
            m_socket->abort();
        }
    });
}

QtSocket::~QtSocket() {
    m_listener = nullptr;
    m_live = false;
    m_connectTimer->stop();
    m_closeTimer->stop();
    // No handler may run while the members go away; posted events die with the QTcpSocket.
    m_socket->disconnect();
    m_socket->abort();
}

void QtSocket::setListener(SocketListener *listener) {
    m_listener = listener;
}

void QtSocket::setRemoteHost(const std::string &host) {
    m_host = host;
}

void QtSocket::setRemotePort(std::int32_t port) {
    m_port = port;
}

void QtSocket::setLocalPort(std::int32_t port) {
    m_localPort = port;
}

void QtSocket::setConnectTimeout(int milliseconds) {
    m_connectTimeoutMs = milliseconds > 0 ? milliseconds : 1;
}

void QtSocket::beginGeneration() {
    m_live = false; // before abort(): its signals belong to the connection being dropped
    m_connectTimer->stop();
    m_closeTimer->stop();
    ++m_generation;
    m_arrivalPosted = false;
    m_salvaged.clear();
}

void QtSocket::connect() {
    beginGeneration();
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        m_socket->abort();
    }
    m_live = true;

    // Configuration text is single-byte; stray blanks around an address are not part of it.
    const QString host =
        QString::fromLatin1(m_host.data(), static_cast<qsizetype>(m_host.size())).trimmed();
    if (!isValidPort(m_port) || !isConnectableHost(host) ||
        (m_localPort != 0 && !isValidPort(m_localPort))) {
        fail(sockerr::kAddressNotAvailable, kAddressNotAvailableText);
        return;
    }
    if (m_localPort != 0 && !m_socket->bind(QHostAddress::Any, static_cast<quint16>(m_localPort))) {
        fail(socketErrorNumber(m_socket->error()),
             m_socket->errorString().toLatin1().toStdString());
        return;
    }
    m_connectTimer->start(m_connectTimeoutMs);
    m_socket->connectToHost(host, static_cast<quint16>(m_port));
}

int QtSocket::state() const {
    switch (m_socket->state()) {
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        return m_live ? sockstate::kConnecting : sockstate::kClosed;
    case QAbstractSocket::ConnectedState:
        // A failure already posted: the connection is gone even if Qt has not let go of it yet.
        return m_live ? sockstate::kConnected : sockstate::kClosed;
    case QAbstractSocket::ClosingState: return sockstate::kClosing;
    default: return sockstate::kClosed;
    }
}

void QtSocket::send(const std::string &bytes) {
    if (state() != sockstate::kConnected || bytes.empty()) {
        return;
    }
    m_socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Hand the frame to the network now rather than on the next write notification.
    m_socket->flush();
}

std::string QtSocket::readAll() {
    std::string bytes;
    bytes.swap(m_salvaged);
    if (m_socket->bytesAvailable() > 0) {
        // Draining the buffer is also what lets Qt resume reading once the limit was reached.
        const QByteArray received = m_socket->readAll();
        bytes.append(received.constData(), static_cast<std::size_t>(received.size()));
    }
    return bytes;
}

void QtSocket::close() {
    beginGeneration();
    switch (m_socket->state()) {
    case QAbstractSocket::UnconnectedState: break;
    case QAbstractSocket::ConnectedState:
    case QAbstractSocket::ClosingState:
        // Lets a frame that is still queued leave; the grace timer cuts a peer that never
        // takes it.
        m_socket->disconnectFromHost();
        if (m_socket->state() != QAbstractSocket::UnconnectedState) {
            m_closeTimer->start(kCloseGraceMs);
        }
        break;
    default:
        // A pending connect would otherwise finish first and only then close.
        m_socket->abort();
        break;
    }
}

QVariant QtSocket::socketOption(QAbstractSocket::SocketOption option) const {
    return m_socket->socketOption(option);
}

void QtSocket::onConnected() {
    m_connectTimer->stop();
    if (!m_live) {
        return;
    }
    // Frames are tiny and each one matters now: Nagle would hold a frame until the previous
    // one is acknowledged, and delayed acknowledgements make that tens of milliseconds.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void QtSocket::onReadyRead() {
    if (m_live) {
        postArrival();
    }
}

void QtSocket::onErrorOccurred(QAbstractSocket::SocketError error) {
    if (!m_live) {
        return;
    }
    fail(socketErrorNumber(error), m_socket->errorString().toLatin1().toStdString());
}

void QtSocket::onDisconnected() {
    // Qt reports a close by the peer as an error first; this only catches a path that does not.
    if (m_live) {
        fail(sockerr::kConnectionAborted, kClosedByPeerText);
    }
}

void QtSocket::onConnectTimeout() {
    if (!m_live) {
        return;
    }
    m_live = false;
    m_socket->abort();
    fail(sockerr::kTimedOut, kTimedOutText);
}

void QtSocket::fail(int number, const std::string &description) {
    m_live = false;
    m_connectTimer->stop();
    // Whatever arrived before the failure is still the controller's answer: keep it, because
    // taking the socket down clears Qt's buffer.
    if (m_socket->bytesAvailable() > 0) {
        const QByteArray received = m_socket->readAll();
        m_salvaged.append(received.constData(), static_cast<std::size_t>(received.size()));
    }
    if (!m_salvaged.empty()) {
        postArrival();
    }
    const unsigned generation = m_generation;
    QMetaObject::invokeMethod(
        m_socket.get(),
        [this, generation, number, description] { deliverError(generation, number, description); },
        Qt::QueuedConnection);
}

void QtSocket::postArrival() {
    if (m_arrivalPosted) {
        return;
    }
    m_arrivalPosted = true;
    const unsigned generation = m_generation;
    QMetaObject::invokeMethod(
        m_socket.get(), [this, generation] { deliverArrival(generation); }, Qt::QueuedConnection);
}

void QtSocket::deliverArrival(unsigned generation) {
    if (generation != m_generation) {
        return;
    }
    m_arrivalPosted = false;
    const std::size_t waiting = bytesWaiting();
    if (waiting > 0 && m_listener != nullptr) {
        m_listener->dataArrival(waiting);
    }
}

void QtSocket::deliverError(unsigned generation, int number, const std::string &description) {
    if (generation != m_generation) {
        return;
    }
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        m_socket->abort();
    }
    if (m_listener != nullptr) {
        m_listener->socketError(number, description);
    }
}

std::size_t QtSocket::bytesWaiting() const {
    return m_salvaged.size() + static_cast<std::size_t>(m_socket->bytesAvailable());
}

} // namespace aql::platform::qt
