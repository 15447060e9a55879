#pragma once

#include "link/LineFramer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace aql::sim::test {

// Bytes from hex pairs; blanks are skipped so expectations can be laid out field by field.
inline std::string fromHex(std::string_view hex) {
    std::string out;
    int high = -1;
    for (char c : hex) {
        int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (v < 0) {
            continue;
        }
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<char>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

inline std::string repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

// Test-side line encoder, written from the wire format and kept apart from the simulator's.
inline std::string nibbleLine(std::uint8_t kind, const std::string &payload) {
    std::string out(1, static_cast<char>(kind));
    for (unsigned char b : payload) {
        out.push_back(static_cast<char>('0' + (b & 0x0F)));
        out.push_back(static_cast<char>('0' + (b >> 4)));
    }
    return out + "\r";
}

struct ReceivedLine {
    link::LineStatus status;
    std::uint8_t kind;
    std::string payload; // decoded, checksum included
};

// What the console's own framer and line checker make of a byte stream, received whole or in
// chunks of `chunk` bytes.
inline std::vector<ReceivedLine> receiveLines(std::string_view stream, std::size_t chunk = 0) {
    if (chunk == 0) {
        chunk = stream.size() + 1;
    }
    link::LineFramer framer;
    std::vector<ReceivedLine> lines;
    char buffer[link::kLongestPayload];
    for (std::size_t pos = 0; pos < stream.size(); pos += chunk) {
        framer.append(stream.substr(pos, chunk));
        std::string_view line;
        while (framer.nextLine(line)) {
            const link::CheckedLine c = link::checkLine(line, buffer);
            lines.push_back({c.status, c.kind, std::string(c.payload)});
        }
    }
    return lines;
}

} // namespace aql::sim::test
