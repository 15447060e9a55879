#include "platform/qt/QtSocket.h"
#include "platform/qt/SocketErrorNumber.h"

#include "EventWait.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using aql::platform::SocketListener;
using aql::platform::qt::QtSocket;
using aql::test::runEventsFor;
using aql::test::waitUntil;
namespace sockerr = aql::platform::sockerr;
namespace sockstate = aql::platform::sockstate;

namespace {

// What the logic sees: by default it fetches everything on each arrival, as the logic does.
struct Recorder : SocketListener {
    explicit Recorder(QtSocket &s) : socket(s) { socket.setListener(this); }
    void dataArrival(std::size_t waiting) override {
        events += 'D';
        largestWaiting = std::max(largestWaiting, waiting);
        if (readOnArrival) {
            received += socket.readAll();
        }
        if (onArrival) {
            onArrival();
        }
    }
    void socketError(int number, const std::string &) override {
        events += 'E';
        errors.push_back(number);
        stateAtError = socket.state();
    }
    QtSocket &socket;
    std::string events; // 'D' per arrival, 'E' per error, in order
    std::string received;
    std::vector<int> errors;
    int stateAtError = -1;
    std::size_t largestWaiting = 0;
    bool readOnArrival = true;
    std::function<void()> onArrival;
};

// The controller's end of a loopback connection.
struct Peer {
    Peer() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            conn = server.nextPendingConnection();
            conn->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(conn, &QTcpSocket::readyRead,
                             [this] { received += conn->readAll().toStdString(); });
        });
    }
    void send(const std::string &bytes) {
        conn->write(bytes.data(), static_cast<qint64>(bytes.size()));
        conn->flush();
    }
    QTcpServer server;
    QTcpSocket *conn = nullptr;
    std::string received;
};

// A listener that never accepts and whose queue is already full: Linux drops further SYNs, so a
// connect to it stays pending. Nothing else holds a loopback connect open.
struct FullBacklog {
    FullBacklog() {
        server.setListenBacklogSize(0);
        server.listen(QHostAddress::LocalHost, 0);
        server.pauseAccepting();
        filler.connectToHost(QHostAddress::LocalHost, server.serverPort());
        waitUntil([&] { return filler.state() == QAbstractSocket::ConnectedState; });
    }
    QTcpServer server;
    QTcpSocket filler;
};

quint16 portWithNothingListening() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when probe goes
}

class QtSocketTest : public ::testing::Test {
protected:
    void connectTo(quint16 port) {
        socket.setRemoteHost("127.0.0.1");
        socket.setRemotePort(port);
        socket.connect();
    }
    void connectToPeer() {
        connectTo(peer.server.serverPort());
        ASSERT_TRUE(
            waitUntil([&] { return socket.state() == sockstate::kConnected && peer.conn; }));
    }
    Peer peer;
    QtSocket socket;
    Recorder rec{socket};
};

TEST_F(QtSocketTest, connectPassesThroughConnectingAndSetsNoDelay) {
    connectTo(peer.server.serverPort());
    EXPECT_EQ(socket.state(), sockstate::kConnecting);
    ASSERT_TRUE(waitUntil([&] { return socket.state() == sockstate::kConnected; }));
    EXPECT_EQ(socket.socketOption(QAbstractSocket::LowDelayOption).toInt(), 1);
    EXPECT_EQ(rec.events, "");
}

TEST_F(QtSocketTest, refusedConnectReports10061FromTheEventLoopAndEndsClosed) {
    connectTo(portWithNothingListening());
    EXPECT_EQ(rec.events, "") << "delivered from inside connect()";
    ASSERT_TRUE(waitUntil([&] { return !rec.errors.empty(); }));
    EXPECT_EQ(rec.errors, std::vector<int>{sockerr::kConnectionRefused});
    EXPECT_EQ(rec.stateAtError, sockstate::kClosed);
    EXPECT_EQ(socket.state(), sockstate::kClosed);
}

TEST_F(QtSocketTest, unusablePortOrHostReports10049InsteadOfConnecting) {
    const std::vector<std::pair<std::string, std::int32_t>> targets = {
        {"127.0.0.1", -1},
        {"127.0.0.1", 0},
        {"127.0.0.1", 65536},
        {"127.0.0.1", 1 << 20},
        {"0.0.0.0", peer.server.serverPort()},
        {"", 80}};
    for (const auto &[host, port] : targets) {
        SCOPED_TRACE(host + ":" + std::to_string(port));
        rec.errors.clear();
        socket.setRemoteHost(host);
        socket.setRemotePort(port);
        socket.connect();
        EXPECT_TRUE(rec.errors.empty()) << "delivered from inside connect()";
        ASSERT_TRUE(waitUntil([&] { return !rec.errors.empty(); }));
        EXPECT_EQ(rec.errors, std::vector<int>{sockerr::kAddressNotAvailable});
        EXPECT_EQ(socket.state(), sockstate::kClosed);
    }
    EXPECT_EQ(peer.conn, nullptr);
}

#ifdef Q_OS_LINUX
TEST_F(QtSocketTest, unansweredConnectTimesOutWith10060) {
    FullBacklog silent;
    socket.setConnectTimeout(200);
    QElapsedTimer clock;
    clock.start();
    connectTo(silent.server.serverPort());
    ASSERT_TRUE(waitUntil([&] { return !rec.errors.empty(); }));
    EXPECT_GE(clock.elapsed(), 190);
    EXPECT_EQ(rec.errors, std::vector<int>{sockerr::kTimedOut});
    EXPECT_EQ(rec.stateAtError, sockstate::kClosed);
    runEventsFor(300);
    EXPECT_EQ(rec.events, "E");
}

TEST_F(QtSocketTest, closeWhileConnectingEndsClosedWithNoLaterEvent) {
    FullBacklog silent;
    socket.setConnectTimeout(100);
    connectTo(silent.server.serverPort());
    runEventsFor(50);
    ASSERT_EQ(socket.state(), sockstate::kConnecting);
    socket.close();
    EXPECT_EQ(socket.state(), sockstate::kClosed);
    runEventsFor(400); // past the connect time-out that was armed
    EXPECT_EQ(rec.events, "");
    EXPECT_EQ(socket.state(), sockstate::kClosed);
}
#endif

TEST_F(QtSocketTest, closeByControllerWhileIdleReports10053) {
    connectToPeer();
    peer.conn->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return !rec.errors.empty(); }));
    EXPECT_EQ(rec.errors, std::vector<int>{sockerr::kConnectionAborted});
    EXPECT_EQ(rec.stateAtError, sockstate::kClosed);
    EXPECT_EQ(rec.events, "E");
}

TEST_F(QtSocketTest, bytesBeforeAMidLineCloseArriveBeforeTheError) {
    connectToPeer();
    peer.send("1,24,5");
    peer.conn->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return !rec.errors.empty(); }));
    EXPECT_EQ(rec.received, "1,24,5");
    EXPECT_EQ(rec.events.back(), 'E');
    EXPECT_EQ(rec.events.find('E'), rec.events.size() - 1);
    EXPECT_EQ(rec.errors, std::vector<int>{sockerr::kConnectionAborted});
}

TEST_F(QtSocketTest, bytesLeftUnreadAtACloseByControllerStayReadable) {
    rec.readOnArrival = false;
    connectToPeer();
    peer.send("partial");
    peer.conn->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return !rec.errors.empty(); }));
    EXPECT_EQ(socket.readAll(), "partial");
    EXPECT_EQ(socket.readAll(), "");
}

TEST_F(QtSocketTest, lineSplitAcrossTwoWritesArrivesWholeOverTwoEvents) {
    connectToPeer();
    peer.send("1A3F");
    ASSERT_TRUE(waitUntil([&] { return rec.received == "1A3F"; }));
    EXPECT_EQ(rec.events, "D");
    peer.send("0C\r");
    ASSERT_TRUE(waitUntil([&] { return rec.received.size() >= 7; }));
    EXPECT_EQ(rec.received, "1A3F0C\r");
    EXPECT_EQ(rec.events, "DD");
}

TEST_F(QtSocketTest, eightMegabyteBurstArrivesByteExact) {
    connectToPeer();
    std::string burst(8 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < burst.size(); ++i) {
        burst[i] = static_cast<char>((i * 7 + i / 251) & 0xFF); // every byte value, no period
    }
    peer.send(burst);
    ASSERT_TRUE(waitUntil([&] { return rec.received.size() >= burst.size(); }, 60000))
        << rec.received.size() << " bytes arrived";
    EXPECT_TRUE(rec.received == burst);
    EXPECT_LE(rec.largestWaiting, static_cast<std::size_t>(QtSocket::kReadBufferLimit));
}

TEST_F(QtSocketTest, slowReaderHoldsAtMostTheBufferLimitAndLosesNothing) {
    rec.readOnArrival = false;
    connectToPeer();
    const std::string burst(1024 * 1024, 'x');
    peer.send(burst);
    runEventsFor(300);
    EXPECT_GE(rec.largestWaiting, 1u);
    EXPECT_LE(rec.largestWaiting, static_cast<std::size_t>(QtSocket::kReadBufferLimit));
    rec.readOnArrival = true;
    rec.received = socket.readAll();
    ASSERT_TRUE(waitUntil([&] { return rec.received.size() >= burst.size(); }, 30000));
    EXPECT_EQ(rec.received.size(), burst.size());
}

TEST_F(QtSocketTest, sentBytesReachThePeerUnchanged) {
    connectToPeer();
    std::string everyByte;
    for (int b = 0; b < 256; ++b) {
        everyByte += static_cast<char>(b);
    }
    socket.send(everyByte);
    ASSERT_TRUE(waitUntil([&] { return peer.received.size() >= 256; }));
    EXPECT_TRUE(peer.received == everyByte);
}

// Two frames in a row (a key and the next poll) are what Nagle holds back: the second waits
// for the acknowledgement of the first, which the controller delays while it waits for more.
TEST_F(QtSocketTest, backToBackFramesAreNotHeldForAcknowledgement) {
    connectToPeer();
    const std::string frame = "\x02"
                              "B1234567";
    QElapsedTimer clock;
    clock.start();
    for (int round = 1; round <= 20; ++round) {
        socket.send(frame);
        socket.send(frame);
        ASSERT_TRUE(waitUntil([&] { return peer.received.size() >= 18u * round; }));
        peer.send("ok\r");
        ASSERT_TRUE(waitUntil([&] { return rec.received.size() >= 3u * round; }));
    }
    EXPECT_LT(clock.elapsed(), 400) << "20 rounds; Nagle costs about 40 ms a round";
}

TEST_F(QtSocketTest, closeWhileConnectedReachesClosedWithoutAnError) {
    connectToPeer();
    socket.send("bye");
    socket.close();
    EXPECT_TRUE(waitUntil([&] { return socket.state() == sockstate::kClosed; }, 2000));
    ASSERT_TRUE(waitUntil([&] { return peer.conn->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(peer.received, "bye");
    runEventsFor(100);
    EXPECT_EQ(rec.events, "");
    socket.send("late"); // ignored, not a crash
    EXPECT_EQ(socket.readAll(), "");
}

// The failure is already queued behind the last arrival; the logic closing in that arrival
// (a corrupt reply) must not get a report of a connection it has put away.
TEST_F(QtSocketTest, closeInsideTheLastArrivalDropsTheQueuedCloseReport) {
    rec.readOnArrival = false;
    connectToPeer();
    peer.send("9X");
    ASSERT_TRUE(waitUntil([&] { return rec.events == "D"; }));
    rec.readOnArrival = true;
    rec.onArrival = [&] { socket.close(); };
    peer.conn->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return rec.events.size() >= 2; }));
    runEventsFor(200);
    EXPECT_EQ(rec.events, "DD");
    EXPECT_EQ(rec.received, "9X");
}

TEST_F(QtSocketTest, reconnectAfterAFailureWorks) {
    connectTo(portWithNothingListening());
    ASSERT_TRUE(waitUntil([&] { return !rec.errors.empty(); }));
    connectToPeer();
    peer.send("hello");
    ASSERT_TRUE(waitUntil([&] { return rec.received == "hello"; }));
    EXPECT_EQ(rec.events, "ED");
}

TEST(SocketErrorNumber, failuresLoopbackCannotProduceUseTheirWinsockNumbers) {
    using QAS = QAbstractSocket;
    using aql::platform::qt::socketErrorNumber;
    EXPECT_EQ(socketErrorNumber(QAS::HostNotFoundError), sockerr::kHostNotFound);
    EXPECT_EQ(socketErrorNumber(QAS::NetworkError), sockerr::kHostUnreachable);
    EXPECT_EQ(socketErrorNumber(QAS::SocketAddressNotAvailableError),
              sockerr::kAddressNotAvailable);
    EXPECT_EQ(socketErrorNumber(QAS::SocketTimeoutError), sockerr::kTimedOut);
    EXPECT_EQ(socketErrorNumber(QAS::UnknownSocketError), aql::platform::qt::kOtherSocketError);
    EXPECT_EQ(socketErrorNumber(QAS::SslHandshakeFailedError),
              aql::platform::qt::kOtherSocketError);
}

} // namespace
