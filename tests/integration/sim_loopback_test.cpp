#include "sim/server/SimServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <gtest/gtest.h>

// The simulated controller on a loopback TCP port, driven with hand-written frames for address
// 1 ("@", address, command, 4 parameters, 1 + 105 + command, "#") and answered with lines
// written by hand from the wire format (each byte low nibble first as '0' + nibble).
TEST(SimLoopback, answersHandWrittenFramesOverTcp) {
    int argc = 1;
    char name[] = "sim_integration_tests", *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    aql::sim::SimServer server{aql::sim::Options()};
    const quint16 port = server.listen(QHostAddress(QHostAddress::LocalHost), 0);
    ASSERT_NE(port, 0) << server.errorString().toStdString();
    QTcpSocket client;
    client.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    ASSERT_TRUE(client.waitForConnected(3000));
    std::string received;
    // Sends the frames and returns the next whole line that comes back (empty after 3 s).
    const auto exchange = [&](const std::string &frames) {
        client.write(frames.data(), static_cast<qint64>(frames.size()));
        QElapsedTimer clock;
        clock.start();
        while (received.find('\r') == std::string::npos && clock.elapsed() < 3000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
            received += client.readAll().toStdString();
        }
        const std::string line = received.substr(0, received.find('\r') + 1);
        received.erase(0, line.size());
        return line;
    };
    const std::string poll("\x40\x01\x42\x00\x00\x00\x00\xAC\x23", 9);
    const std::string keyV("\x40\x01\x15\x00\x00\x00\x00\x7F\x23", 9);
    const std::string setVar1_1_735("\x40\x01\x03\x01\x01\x02\xDF\x6D\x23", 9);
    const std::string askBlock1("\x40\x01\x04\x01\x00\x00\x00\x6E\x23", 9);

    // clang-format off
    // Address 1, display, flags RUN + backlight + beep (0x19), cursor hidden, the settings list,
    // spare, checksum 1 + 105 + 1 = 0x6B.
    std::string settings = "\x02" "10" "10" "91" "00";
    for (unsigned char c : std::string("SETTINGS       01/11>pH setpoint    7.20"
                                       " pH high alm    7.60 pH low alm     6.80")) {
        settings += {static_cast<char>('0' + (c & 15)), static_cast<char>('0' + (c >> 4))};
    }
    EXPECT_EQ(exchange(keyV + poll), settings + "00" ";6" "\r");
    // Variable 1 of block 1 written as 735 = 0x02DF, then read back: address 1, type 5, block 1,
    // 0, then 0xDF 0x02.
    EXPECT_EQ(exchange(setVar1_1_735 + askBlock1 + poll).substr(0, 13),
              "\x02" "10" "50" "10" "00" "?=" "20");
    // clang-format on
}
