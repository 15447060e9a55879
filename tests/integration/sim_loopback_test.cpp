#include "sim/server/SimServer.h"

#include "link/LineFramer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

using namespace aql::sim;

namespace {

// Runs the event loop in short slices until `done` or the time is up.
bool waitFor(const std::function<bool()> &done, int timeoutMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Written from the wire format: low nibble first, '0' + nibble.
std::string nibbleLine(char kind, const std::string &payload) {
    std::string out(1, kind);
    for (unsigned char b : payload) {
        out += static_cast<char>('0' + (b & 15));
        out += static_cast<char>('0' + (b >> 4));
    }
    return out + "\r";
}

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) {
        s += static_cast<char>(b);
    }
    return s;
}

const std::string kPoll("\x40\x01\x42\x00\x00\x00\x00\xAC\x23", 9);
const std::string kGetLog("\x40\x01\x41\x00\x00\x00\x00\xAB\x23", 9);
const std::string kKeyAccept("\x40\x01\x15\x00\x00\x00\x00\x7F\x23", 9);     // 1 + 105 + 21
const std::string kAskBlock1("\x40\x01\x04\x01\x00\x00\x00\x6E\x23", 9);     // 1 + 105 + 4
const std::string kSetVar1_1_735("\x40\x01\x03\x01\x01\x02\xDF\x6D\x23", 9); // 735 = 0x02DF

class Client {
public:
    explicit Client(quint16 port) {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this]() {
            const QByteArray data = m_socket.readAll();
            m_received.append(data.constData(), static_cast<std::size_t>(data.size()));
        });
        m_socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
        EXPECT_TRUE(
            waitFor([this]() { return m_socket.state() == QAbstractSocket::ConnectedState; }));
    }

    void send(const std::string &frames) {
        m_socket.write(frames.data(), static_cast<qint64>(frames.size()));
        m_socket.flush();
    }

    // The next line with its CR, or empty after the time-out.
    std::string line(int timeoutMs = 3000) {
        if (!waitFor([this]() { return m_received.find('\r') != std::string::npos; }, timeoutMs)) {
            return {};
        }
        const auto cr = m_received.find('\r');
        std::string l = m_received.substr(0, cr + 1);
        m_received.erase(0, cr + 1);
        return l;
    }

    bool closedByPeer(int timeoutMs = 3000) {
        return waitFor([this]() { return m_socket.state() == QAbstractSocket::UnconnectedState; },
                       timeoutMs);
    }

    const std::string &unread() const { return m_received; }

private:
    QTcpSocket m_socket;
    std::string m_received;
};

struct Server {
    explicit Server(const Options &o) : server(o) {
        port = server.listen(QHostAddress(QHostAddress::LocalHost), 0);
        EXPECT_NE(port, 0) << server.errorString().toStdString();
    }
    SimServer server;
    quint16 port = 0;
};

Options smallLog(std::uint32_t records) {
    Options o;
    o.records = records;
    return o;
}

// The decoded record number of an addressed record line, or 0 for any other line.
std::uint32_t recordNumberOf(const std::string &line) {
    char buffer[aql::link::kLongestPayload];
    const auto checked =
        aql::link::checkLine(std::string_view(line).substr(0, line.size() - 1), buffer);
    if (checked.status != aql::link::LineStatus::Ok || checked.payload[1] != 3) {
        return 0;
    }
    const auto *p = reinterpret_cast<const unsigned char *>(checked.payload.data());
    return p[6] | p[7] << 8 | p[8] << 16 | static_cast<std::uint32_t>(p[9]) << 24;
}

} // namespace

TEST(SimLoopback, keyThenPollAnswersWithTheSettingsScreen) {
    Server s(smallLog(0));
    Client c(s.port);
    c.send(kKeyAccept + kPoll);
    // Address 1, display, flags RUN + backlight + beep, cursor hidden, the settings list, spare,
    // checksum 1 + 105 + 1.
    const std::string expected = nibbleLine(
        2, bytes({0x01, 0x01, 0x19, 0x00}) + "SETTINGS       01/11" + ">pH setpoint    7.20" +
               " pH high alm    7.60" + " pH low alm     6.80" + bytes({0x00, 0x6B}));
    EXPECT_EQ(c.line(), expected);
}

TEST(SimLoopback, variableBlockReadsBackAWrite) {
    Server s(smallLog(0));
    Client c(s.port);
    c.send(kAskBlock1 + kPoll);
    // Block 1: the panel's setpoints and limits, manual off, then the unlisted parameters.
    const std::string defaults =
        bytes({0xD0, 0x02, 0xF8, 0x02, 0xA8, 0x02, 0x50, 0x00, 0x96, 0x00, 0x28, 0x00, 0x52,
               0x03, 0x8A, 0x02, 0x14, 0x00, 0x0A, 0x00, 0x00, 0x00, 69,   0,    80,   0,
               91,   0,    2,    0,    13,   0,    24,   0,    35,   0,    46,   0,    57,
               0,    68,   0,    79,   0,    90,   0,    1,    0,    12,   0,    23,   0});
    const std::string tail = std::string(29, '\0') + bytes({0x6F});
    EXPECT_EQ(c.line(), nibbleLine(2, bytes({0x01, 0x05, 0x01, 0x00}) + defaults + tail));

    c.send(kSetVar1_1_735 + kAskBlock1 + kPoll);
    std::string changed = defaults;
    changed[0] = '\xDF';
    EXPECT_EQ(c.line(), nibbleLine(2, bytes({0x01, 0x05, 0x01, 0x00}) + changed + tail));
}

TEST(SimLoopback, getLogSendsRecordsWithTheirHeadersThenTheDisplay) {
    Server s(smallLog(3));
    Client c(s.port);
    c.send(kGetLog + kPoll + kPoll + kPoll + kPoll);
    // Key 0x10000 + number, number, 2024-06-03 07:30 / 07:45 / 08:00 (the default clock start).
    const int minutes[3][2] = {{7, 30}, {7, 45}, {8, 0}};
    for (int n = 1; n <= 3; ++n) {
        const std::string header = bytes({0x01, 0x03, n, 0x00, 0x01, 0x00, n, 0, 0, 0, 0xE8, 0x07,
                                          6, 3, minutes[n - 1][0], minutes[n - 1][1]});
        const std::string line = c.line();
        ASSERT_EQ(line.size(), 174u);
        const std::string encodedHeader = nibbleLine(2, header);
        EXPECT_EQ(line.substr(0, encodedHeader.size() - 1),
                  encodedHeader.substr(0, encodedHeader.size() - 1));
        EXPECT_EQ(line.substr(171), "=6\r") << "checksum 1 + 105 + 3";
        EXPECT_EQ(recordNumberOf(line), static_cast<std::uint32_t>(n));
    }
    EXPECT_EQ(c.line().substr(0, 5), "\x02"
                                     "1010");
}

TEST(SimLoopback, splitLinesArriveWholeAtTheConsoleFramer) {
    Options o = smallLog(20);
    ASSERT_TRUE(applyFault("split", o.faults).empty());
    Server s(o);
    Client c(s.port);
    c.send(kGetLog);
    std::set<std::uint32_t> numbers;
    for (int i = 0; i < 40 && numbers.size() < 20; ++i) {
        c.send(kPoll);
        const std::string line = c.line();
        ASSERT_EQ(line.size(), 174u);
        if (const auto n = recordNumberOf(line)) {
            numbers.insert(n);
        }
    }
    EXPECT_EQ(numbers.size(), 20u);
    EXPECT_GT(s.server.simulator().counters().faults.splitLines, 20u);
}

TEST(SimLoopback, dropMidLineClosesAfterHalfALine) {
    Options o = smallLog(0);
    ASSERT_TRUE(applyFault("drop-after=1:mid", o.faults).empty());
    Server s(o);
    Client c(s.port);
    c.send(kPoll);
    EXPECT_EQ(c.line().size(), 174u);
    c.send(kPoll);
    EXPECT_TRUE(c.closedByPeer());
    EXPECT_EQ(c.unread().size(), 87u);
    EXPECT_EQ(c.unread().find('\r'), std::string::npos);
}

TEST(SimLoopback, logRatePushesTheWholeLogWithoutPolls) {
    Options o = smallLog(400);
    o.logRate = 4000;
    Server s(o);
    Client c(s.port);
    c.send(kGetLog);
    std::uint32_t expected = 1;
    for (int i = 0; i < 600 && expected <= 400; ++i) {
        const std::string line = c.line();
        ASSERT_FALSE(line.empty()) << "stalled before record " << expected;
        if (const auto n = recordNumberOf(line)) {
            ASSERT_EQ(n, expected);
            ++expected;
        }
    }
    EXPECT_EQ(expected, 401u);
}

TEST(SimExecutable, announcesItsPortServesAndEndsCleanlyOnSigterm) {
    QProcess p;
    p.start(QStringLiteral(AQLSIM_PATH), {"--port", "0", "--records", "5", "--seed", "3"});
    ASSERT_TRUE(p.waitForStarted(5000));
    ASSERT_TRUE(p.waitForReadyRead(5000));
    const QString announce = QString::fromLatin1(p.readLine()).trimmed();
    const auto m = QRegularExpression("^listening on 127\\.0\\.0\\.1:(\\d+)$").match(announce);
    ASSERT_TRUE(m.hasMatch()) << announce.toStdString();
    {
        Client c(static_cast<quint16>(m.captured(1).toUInt()));
        c.send(kPoll);
        EXPECT_EQ(c.line().size(), 174u);
    }
    p.terminate(); // SIGTERM
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty()) << "one line on stdout only";
    EXPECT_TRUE(p.readAllStandardError().contains("polls: 1\n"));
}
