#pragma once

#include "link/Console.h"
#include "records/RecordList.h"
#include "support/LinkFakes.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace aql::test {

inline const std::string kPanelText =
    "pH  7.25   Cl  0.60 Redox  712 mV       Flow  42 m3/h       Temp 27.5 C";

// Test-side encoding of the controller's lines: low nibble first, as "0".."?" characters, the
// checksum (first byte + 105 + second byte) as the payload's last byte.
inline std::string nibbles(const std::string &payload) {
    std::string out;
    for (unsigned char b : payload) {
        out += {static_cast<char>(0x30 | (b & 0x0F)), static_cast<char>(0x30 | (b >> 4))};
    }
    return out;
}

inline char byteAt(int v) {
    return static_cast<char>(v & 0xFF);
}

inline std::string withLineChecksum(std::string payload, std::size_t bytes) {
    payload.resize(bytes - 1, '\0');
    payload.push_back(byteAt(static_cast<unsigned char>(payload[0]) + 105 +
                             static_cast<unsigned char>(payload[1])));
    return payload;
}

// A kind-1 line (171 characters) carrying `body`.
inline std::string unaddressedLine(const std::string &body) {
    return "\x01" + nibbles(withLineChecksum(body, 85));
}

// A kind-2 line of the given total length carrying address + `body`.
inline std::string addressedLine(std::uint8_t address, const std::string &body,
                                 std::size_t lineLength = 173) {
    return "\x02" + nibbles(withLineChecksum(std::string(1, static_cast<char>(address)) + body,
                                             (lineLength - 1) / 2));
}

inline std::string displayBody(std::uint8_t flags, std::uint8_t cursor, std::string text) {
    text.resize(80, ' ');
    return std::string{'\x01', static_cast<char>(flags), static_cast<char>(cursor)} + text;
}

// A log record body: type 3, key and number (little-endian), 2026-12-06 14:30, a 68-byte value
// block (pH word 725 at its positions 11-12) and two unread bytes.
inline std::string recordBody(std::int32_t key, std::int32_t number) {
    std::string b(1, '\x03');
    for (std::int32_t v : {key, number}) {
        for (int i = 0; i < 4; ++i) {
            b.push_back(
                byteAt(static_cast<std::int32_t>(static_cast<std::uint32_t>(v) >> (8 * i))));
        }
    }
    b += std::string{byteAt(0xEA), byteAt(0x07), 12, 6, 14, 30};
    std::string block(70, '\0');
    block[10] = byteAt(0xD5);
    block[11] = byteAt(0x02);
    return b + block;
}

// Record lines number first .. first + count - 1 (key 1000 + number), each ended by CR.
inline std::string recordStream(int first, int count) {
    std::string stream;
    for (int n = first; n < first + count; ++n) {
        stream += addressedLine(1, recordBody(1000 + n, n)) + "\r";
    }
    return stream;
}

inline std::string corruptReply(bool addressed = true) {
    const std::string body = displayBody(1, 0, kPanelText);
    std::string line = addressed ? addressedLine(1, body) : unaddressedLine(body);
    line.back() = static_cast<char>(line.back() ^ 0x01);
    return line + "\r";
}

// A variable block packet: type 5, block, one unread byte, 26 little-endian values.
inline std::string blockLine(int block, const std::vector<std::pair<int, int>> &values) {
    std::string raw(52, '\0');
    for (auto [var, value] : values) {
        raw[static_cast<std::size_t>(2 * var - 2)] = byteAt(value);
        raw[static_cast<std::size_t>(2 * var - 1)] = byteAt(value >> 8);
    }
    return addressedLine(1, std::string{'\x05', static_cast<char>(block), '\0'} + raw) + "\r";
}

// A console wired to fakes, with its current pool's records and a way to speak as the controller.
struct LinkRig {
    FakePump pump;
    FakeSocket socket{pump};
    ManualTimerFactory timers;
    RecordingMessageBox box;
    CountingBeep beep;
    FixedClock clock;
    records::RecordList records;
    link::Console console{{socket, timers, pump, box, beep, clock},
                          numberedText,
                          link::ProgramInfo{"AQLRemote", 2, 0, 41}};

    explicit LinkRig(std::uint8_t address = 1) {
        clock.timers = &timers;
        console.setCurrentPool(&records, address);
        console.setEndpoint("127.0.0.1", "5000");
    }

    const link::PanelView &panel() const { return console.view(); }
    const link::TcpLink::View &connectionWindow() const { return console.connection().view(); }

    // The Online choice as the user makes it, with a controller that accepts the connection.
    void goOnline() { console.chooseOnline(); }
    // The main window's load: Offline, the record count and the cursor blink running.
    void loadMainWindow() { console.startOffline(); }
    // The connection is gone without the socket reporting it.
    void connectionDropsSilently() { socket.setState(platform::sockstate::kClosed); }
    void dropWithSocketError(int number = 10054) {
        socket.postError(number, "reset by peer");
        pump.runPosted();
    }
    // The controller's display, as an unaddressed line (which any connection delivers).
    void controllerShows(std::uint8_t flags, std::uint8_t cursor, const std::string &text) {
        socket.deliver(unaddressedLine(displayBody(flags, cursor, text)) + "\r");
    }
    // A click on the value of `variable` on the tab of `block` of the variables window, and a
    // value typed into the edit panel and confirmed with Enter.
    void chooseVariable(int block, int variable) {
        console.variables().selectTab(block - 1);
        console.variables().selectCell((block - 1) * 25 + (variable - 1));
    }
    void typeValue(const std::string &text) {
        console.variables().setEditText(text);
        console.variables().confirmEdit();
    }
    bool logHas(const std::string &line) const {
        const auto &log = connectionWindow().eventLog;
        return std::find(log.begin(), log.end(), line) != log.end();
    }

    // Frames sent so far, as command bytes.
    std::vector<int> commandBytes() const {
        std::vector<int> out;
        for (const auto &f : socket.sent) {
            out.push_back(static_cast<unsigned char>(f[2]));
        }
        return out;
    }
};

} // namespace aql::test
