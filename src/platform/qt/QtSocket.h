#pragma once

#include "platform/Socket.h"

#include <QAbstractSocket>
#include <QVariant>

#include <memory>
#include <string>

class QTcpSocket;
class QTimer;

namespace aql::platform::qt {

// platform::Socket over QTcpSocket. Listener events are always posted to the event loop, so the
// logic never sees one from inside its own call, and an event of a connection that was closed or
// replaced is dropped instead of reaching the next one.
class QtSocket final : public platform::Socket {
public:
    // Windows gives up on an unanswered connect after about 21 s; operators know that wait.
    static constexpr int kDefaultConnectTimeoutMs = 21000;
    // How long a close may wait for unsent bytes to leave before the connection is cut.
    static constexpr int kCloseGraceMs = 1000;
    // Received bytes Qt holds before it stops reading and lets TCP flow control hold the sender.
    static constexpr qint64 kReadBufferLimit = 64 * 1024;

    QtSocket();
    ~QtSocket() override;
    QtSocket(const QtSocket &) = delete;
    QtSocket &operator=(const QtSocket &) = delete;

    void setListener(SocketListener *listener) override;
    void setRemoteHost(const std::string &host) override;
    void setRemotePort(std::int32_t port) override;
    void setLocalPort(std::int32_t port) override;
    void connect() override;
    int state() const override;
    void send(const std::string &bytes) override;
    std::string readAll() override;
    void close() override;

    // Takes effect at the next connect.
    void setConnectTimeout(int milliseconds);
    int connectTimeout() const { return m_connectTimeoutMs; }
    // The live option of the underlying socket (invalid before a connection exists).
    QVariant socketOption(QAbstractSocket::SocketOption option) const;

private:
    void onConnected();
    void onReadyRead();
    void onErrorOccurred(QAbstractSocket::SocketError error);
    void onDisconnected();
    void onConnectTimeout();
    void fail(int number, const std::string &description);
    void beginGeneration();
    void postArrival();
    void deliverArrival(unsigned generation);
    void deliverError(unsigned generation, int number, const std::string &description);
    std::size_t bytesWaiting() const;

    std::unique_ptr<QTcpSocket> m_socket;
    std::unique_ptr<QTimer> m_connectTimer;
    std::unique_ptr<QTimer> m_closeTimer;
    SocketListener *m_listener = nullptr;
    std::string m_host;
    std::int32_t m_port = 0;
    std::int32_t m_localPort = 0;
    int m_connectTimeoutMs = kDefaultConnectTimeoutMs;
    // Bytes taken out of a connection that failed before the logic read them.
    std::string m_salvaged;
    // Bumped by connect() and close(); posted events carry the value they were posted under.
    unsigned m_generation = 0;
    // True from connect() until close() or the first failure: only then do Qt signals count.
    bool m_live = false;
    bool m_arrivalPosted = false;
};

} // namespace aql::platform::qt
