#pragma once

#include "link/LineFramer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace aql::sim::test {

// Hand-written frames for address 1: "@", address, command, 4 parameters, 1 + 105 + command, "#".
inline const std::string kPoll("\x40\x01\x42\x00\x00\x00\x00\xAC\x23", 9);
inline const std::string kGetLog("\x40\x01\x41\x00\x00\x00\x00\xAB\x23", 9);

// Bytes from hex pairs; blanks are skipped so expectations can be laid out field by field.
inline std::string fromHex(std::string_view hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += hex[i] == ' ' ? 1 : 2) {
        if (hex[i] != ' ') {
            out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
        }
    }
    return out;
}

inline std::string repeat(std::string_view piece, int times) {
    std::string out;
    while (times-- > 0) {
        out += piece;
    }
    return out;
}

// Test-side line encoder, written from the wire format and kept apart from the simulator's.
inline std::string nibbleLine(std::uint8_t kind, const std::string &payload) {
    std::string out(1, static_cast<char>(kind));
    for (unsigned char b : payload) {
        out += {static_cast<char>('0' + (b & 0x0F)), static_cast<char>('0' + (b >> 4))};
    }
    return out + "\r";
}

struct ReceivedLine {
    link::LineStatus status;
    std::uint8_t kind;
    std::string payload; // decoded, checksum included
};

// What the console's own framer and line checker make of a byte stream.
inline std::vector<ReceivedLine> receiveLines(std::string_view stream) {
    link::LineFramer framer;
    framer.append(stream);
    std::vector<ReceivedLine> lines;
    char buffer[link::kLongestPayload];
    std::string_view line;
    while (framer.nextLine(line)) {
        const link::CheckedLine c = link::checkLine(line, buffer);
        lines.push_back({c.status, c.kind, std::string(c.payload)});
    }
    return lines;
}

} // namespace aql::sim::test
