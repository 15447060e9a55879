#pragma once

#include "link/Console.h"
#include "records/RecordList.h"
#include "support/LinkFakes.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace aql::test {

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
    // The controller's display, as an unaddressed line (which any connection delivers).
    void controllerShows(std::uint8_t flags, std::uint8_t cursor, const std::string &text);

    // Frames sent so far, as command bytes.
    std::vector<int> commandBytes() const {
        std::vector<int> out;
        for (const auto &f : socket.sent) {
            out.push_back(static_cast<unsigned char>(f[2]));
        }
        return out;
    }
};

// Test-side encoding of the controller's lines: low nibble first, as "0".."?" characters, the
// checksum appended as the payload's last byte.
inline std::string nibbles(const std::string &payload) {
    std::string out;
    for (unsigned char b : payload) {
        out.push_back(static_cast<char>(0x30 | (b & 0x0F)));
        out.push_back(static_cast<char>(0x30 | (b >> 4)));
    }
    return out;
}

inline char byteAt(int v) {
    return static_cast<char>(v & 0xFF);
}

// A kind-1 line (171 characters) carrying `body` (padded to 84 bytes) and its checksum.
inline std::string unaddressedLine(std::string body) {
    body.resize(84, '\0');
    body.push_back(
        byteAt(static_cast<unsigned char>(body[0]) + 105 + static_cast<unsigned char>(body[1])));
    return std::string(1, '\x01') + nibbles(body);
}

// A kind-2 line of the given total length carrying address + `body` and the checksum.
inline std::string addressedLine(std::uint8_t address, std::string body,
                                 std::size_t lineLength = 173) {
    const std::size_t payloadBytes = (lineLength - 1) / 2;
    std::string payload(1, static_cast<char>(address));
    payload += body;
    payload.resize(payloadBytes - 1, '\0');
    payload.push_back(byteAt(address + 105 + static_cast<unsigned char>(payload[1])));
    return std::string(1, '\x02') + nibbles(payload);
}

inline std::string displayBody(std::uint8_t flags, std::uint8_t cursor, const std::string &text) {
    std::string body;
    body.push_back('\x01');
    body.push_back(static_cast<char>(flags));
    body.push_back(static_cast<char>(cursor));
    std::string t = text;
    t.resize(80, ' ');
    return body + t;
}

// A log record body: type 3, key and number (little-endian), timestamp, a 68-byte value block
// (pH word 725 at its positions 11-12) and two unread bytes.
inline std::string recordBody(std::int32_t key, std::int32_t number) {
    std::string b;
    b.push_back('\x03');
    for (std::int32_t v : {key, number}) {
        for (int i = 0; i < 4; ++i) {
            b.push_back(byteAt(static_cast<std::uint32_t>(v) >> (8 * i)));
        }
    }
    b += std::string{byteAt(0xEA), byteAt(0x07), 12, 6, 14, 30}; // 2026-12-06 14:30
    std::string block(68, '\0');
    block[10] = byteAt(0xD5);
    block[11] = byteAt(0x02);
    return b + block + std::string(2, '\0');
}

// A variable block packet: type 5, block, one unread byte, 26 little-endian values.
inline std::string blockLine(int block, const std::vector<std::pair<int, int>> &values) {
    std::string body{'\x05', static_cast<char>(block), '\0'};
    std::string raw(52, '\0');
    for (auto [var, value] : values) {
        raw[static_cast<std::size_t>(2 * var - 2)] = static_cast<char>(value & 0xFF);
        raw[static_cast<std::size_t>(2 * var - 1)] = static_cast<char>((value >> 8) & 0xFF);
    }
    return addressedLine(1, body + raw) + "\r";
}

inline void LinkRig::controllerShows(std::uint8_t flags, std::uint8_t cursor,
                                     const std::string &text) {
    socket.deliver(unaddressedLine(displayBody(flags, cursor, text)) + "\r");
}

} // namespace aql::test
