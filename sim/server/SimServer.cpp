#include "sim/server/SimServer.h"

#include "sim/Session.h"

#include <QAbstractSocket>
#include <QTcpSocket>

#include <algorithm>
#include <deque>

namespace aql::sim {

namespace {
constexpr int kTickMs = 10;
// A console that stops reading gets no more pushed log lines once this much is waiting.
constexpr qint64 kMaxUnsent = 1 << 20;
} // namespace

struct SimServer::Connection {
    QTcpSocket *socket = nullptr;
    std::unique_ptr<Session> session;
    std::deque<Transmission> pending;
    QTimer sendTimer;
    std::uint64_t syncedMs = 0; // server clock when the session's clock was last moved
    bool dead = false;
};

SimServer::SimServer(const Options &options, QObject *parent) : QObject(parent), m_sim(options) {
    connect(&m_server, &QTcpServer::newConnection, this, &SimServer::accept);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &SimServer::tick);
}

SimServer::~SimServer() {
    for (auto &c : m_connections) {
        c->sendTimer.stop();
        c->socket->disconnect(this);
        c->socket->abort();
        delete c->socket;
    }
}

quint16 SimServer::listen(const QHostAddress &address, quint16 port) {
    if (!m_server.listen(address, port)) {
        return 0;
    }
    m_clock.start();
    m_lastTickMs = 0;
    m_tick.start(kTickMs);
    return m_server.serverPort();
}

QString SimServer::errorString() const {
    return m_server.errorString();
}

int SimServer::connectionCount() const {
    return static_cast<int>(std::count_if(m_connections.begin(), m_connections.end(),
                                          [](const auto &c) { return !c->dead; }));
}

void SimServer::accept() {
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        // The console waits for each answer before its next poll; Nagle would hold small lines.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto c = std::make_unique<Connection>();
        Connection *conn = c.get();
        conn->socket = socket;
        conn->session = m_sim.openSession();
        conn->syncedMs = static_cast<std::uint64_t>(m_clock.elapsed());
        conn->sendTimer.setSingleShot(true);
        conn->sendTimer.setTimerType(Qt::PreciseTimer);
        connect(&conn->sendTimer, &QTimer::timeout, this, [this, conn]() {
            if (!conn->dead) {
                sync(*conn, conn->socket->bytesToWrite() < kMaxUnsent);
                flushDue(*conn);
            }
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, conn]() { receive(*conn); });
        connect(socket, &QTcpSocket::disconnected, this, [this, conn]() {
            // Deleted on the next tick: this may run inside flushDue's own close.
            if (!conn->dead) {
                conn->dead = true;
                conn->sendTimer.stop();
                emit connectionClosed();
            }
        });
        m_connections.push_back(std::move(c));
        emit connectionOpened();
    }
}

void SimServer::sync(Connection &c, bool canPush) {
    const auto now = static_cast<std::uint64_t>(m_clock.elapsed());
    c.session->advance(now - c.syncedMs, canPush);
    c.syncedMs = now;
    for (Transmission &t : c.session->takeOutput()) {
        c.pending.push_back(std::move(t));
    }
}

void SimServer::receive(Connection &c) {
    if (c.dead) {
        return;
    }
    const QByteArray data = c.socket->readAll();
    sync(c, c.socket->bytesToWrite() < kMaxUnsent);
    c.session->receive(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    sync(c, c.socket->bytesToWrite() < kMaxUnsent);
    flushDue(c);
}

void SimServer::flushDue(Connection &c) {
    bool wrote = false;
    while (!c.dead && !c.pending.empty() && c.pending.front().dueMs <= c.session->now()) {
        Transmission t = std::move(c.pending.front());
        c.pending.pop_front();
        if (!t.bytes.empty()) {
            c.socket->write(t.bytes.data(), static_cast<qint64>(t.bytes.size()));
            wrote = true;
        }
        if (t.closeAfter) {
            c.pending.clear();
            c.socket->flush();
            c.socket->disconnectFromHost();
            return;
        }
    }
    if (wrote) {
        c.socket->flush();
    }
    if (!c.dead && !c.pending.empty()) {
        const std::uint64_t wait = c.pending.front().dueMs - c.session->now();
        c.sendTimer.start(static_cast<int>(std::min<std::uint64_t>(wait, 60'000)));
    }
}

void SimServer::tick() {
    const auto now = static_cast<std::uint64_t>(m_clock.elapsed());
    m_sim.advance(now - m_lastTickMs);
    m_lastTickMs = now;
    for (auto &c : m_connections) {
        if (!c->dead) {
            sync(*c, c->socket->bytesToWrite() < kMaxUnsent);
            flushDue(*c);
        }
    }
    removeDead();
}

void SimServer::removeDead() {
    auto dead = std::stable_partition(m_connections.begin(), m_connections.end(),
                                      [](const auto &c) { return !c->dead; });
    for (auto it = dead; it != m_connections.end(); ++it) {
        (*it)->socket->disconnect(this);
        (*it)->socket->deleteLater();
    }
    m_connections.erase(dead, m_connections.end());
}

} // namespace aql::sim
