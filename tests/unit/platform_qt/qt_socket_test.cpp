#include "platform/qt/QtSocket.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using aql::platform::qt::QtSocket;
namespace sockstate = aql::platform::sockstate;

namespace {

// Runs the event loop until `done` holds or `timeoutMs` passes; returns `done()`.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// The logic's side and the controller's (`peer`) of a loopback connection. `events` gets "D" per
// arrival and "E" with the number per error, in order.
class QtSocketTest : public ::testing::Test, public aql::platform::SocketListener {
protected:
    QtSocketTest() {
        socket.setListener(this);
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead,
                             [this] { peerReceived += peer->readAll().toStdString(); });
        });
    }
    void dataArrival(std::size_t) override {
        events += 'D';
        received += readOnArrival ? socket.readAll() : "";
        if (onArrival) {
            onArrival();
        }
    }
    void socketError(int number, const std::string &) override {
        events += "E" + std::to_string(number);
        EXPECT_EQ(socket.state(), sockstate::kClosed) << "a reported failure leaves it closed";
    }
    bool failed() const { return events.find('E') != std::string::npos; }
    void connectTo(const std::string &host, std::int32_t port) {
        socket.setRemoteHost(host);
        socket.setRemotePort(port);
        socket.connect();
    }
    void connectToPeer() {
        peer = nullptr;
        connectTo("127.0.0.1", server.serverPort());
        ASSERT_TRUE(waitUntil([&] { return socket.state() == sockstate::kConnected && peer; }));
    }
    void peerSends(const std::string &bytes) {
        peer->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    std::string peerReceived;
    QtSocket socket;
    std::string events;
    std::string received;
    bool readOnArrival = true; // as the logic does
    std::function<void()> onArrival;
};

TEST_F(QtSocketTest, carriesABurstExactlyAndSendsQueuedBytesBeforeClosingQuietly) {
    connectToPeer();
    std::string burst(8 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < burst.size(); ++i) {
        burst[i] = static_cast<char>((i * 7 + i / 251) & 0xFF); // every byte value, no period
    }
    peerSends(burst);
    socket.send(burst.substr(0, 1000));
    ASSERT_TRUE(waitUntil([&] { return received.size() >= burst.size(); }, 60000));
    EXPECT_TRUE(received == burst);
    socket.send("bye");
    socket.close();
    EXPECT_TRUE(waitUntil([&] { return peer->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(socket.state(), sockstate::kClosed);
    EXPECT_TRUE(peerReceived == burst.substr(0, 1000) + "bye") << "queued bytes leave first";
    waitUntil([] { return false; }, 100);
    EXPECT_FALSE(failed());
}

TEST_F(QtSocketTest, failedConnectsReportFromTheEventLoop) {
    const std::tuple<std::string, std::int32_t, const char *> targets[] = {
        {"127.0.0.1", 1, "E10061"} /* nothing listens on 1 */, {"", 80, "E10049"}};
    for (const auto &[host, port, expected] : targets) {
        events.clear();
        connectTo(host, port);
        EXPECT_EQ(events, "") << "delivered from inside connect()";
        ASSERT_TRUE(waitUntil([&] { return failed(); }));
        EXPECT_EQ(events, expected) << host << ":" << port;
    }
}

// The failure is already queued behind the last arrival; the logic closing in that arrival
// (a corrupt reply) must not get a report of a connection it has put away.
TEST_F(QtSocketTest, closeInsideTheLastArrivalDropsTheQueuedCloseReport) {
    readOnArrival = false;
    connectToPeer();
    peerSends("9X");
    ASSERT_TRUE(waitUntil([&] { return events == "D"; }));
    readOnArrival = true;
    onArrival = [&] { socket.close(); };
    peer->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 2; }));
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(events, "DD");
    EXPECT_EQ(received, "9X");
}

} // namespace
