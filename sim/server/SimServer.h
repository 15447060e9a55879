#pragma once

#include "sim/Options.h"
#include "sim/Simulator.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

namespace aql::sim {

// The simulated controller on TCP: one Session per accepted connection, real time driving the
// controller's clock, each session's output written when due.
class SimServer : public QObject {
    Q_OBJECT
public:
    explicit SimServer(const Options &options, QObject *parent = nullptr);
    ~SimServer() override;

    // The port bound (the free one chosen for port 0), or 0 when listening failed.
    quint16 listen(const QHostAddress &address, quint16 port);
    QString errorString() const;

    Simulator &simulator() { return m_sim; }
    const Simulator &simulator() const { return m_sim; }
    int connectionCount() const;

signals:
    void connectionOpened();
    void connectionClosed();

private:
    struct Connection;

    void accept();
    void receive(Connection &c);
    void tick();
    void sync(Connection &c, bool canPush);
    void flushDue(Connection &c);
    void removeDead();

    Simulator m_sim;
    QTcpServer m_server;
    QTimer m_tick;
    QElapsedTimer m_clock;
    std::uint64_t m_lastTickMs = 0;
    std::vector<std::unique_ptr<Connection>> m_connections;
};

} // namespace aql::sim
