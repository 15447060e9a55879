#pragma once

#include "link/FrameCodec.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace aql::link {

// Cuts the controller's byte stream into CR-ended lines. Received text is appended as it comes;
// complete lines are then taken off the front one by one. A line that grows beyond the longest
// accepted line (471) without a CR can never be a packet: it is discarded whole, up to and
// including its CR, and counted, so a peer that never sends a CR cannot make the buffer grow.
class LineFramer {
public:
    void append(std::string_view received);

    // The next complete line without its CR, or false when none is complete. The view stays valid
    // until the next append().
    bool nextLine(std::string_view &line);

    // Characters received since the last CR (the partial line).
    std::string_view pending() const;

    std::uint64_t discardedBytes() const { return m_discardedBytes; }
    std::uint64_t overlongLines() const { return m_overlongLines; }

    void clear();

private:
    std::string m_buffer;
    std::size_t m_readPos = 0;
    bool m_discarding = false; // inside an over-long line, waiting for its CR
    std::uint64_t m_discardedBytes = 0;
    std::uint64_t m_overlongLines = 0;
};

enum class LineStatus {
    Ignored,       // empty, unknown kind or a length that no packet has: dropped silently
    ChecksumError, // right kind and length, but the payload's checksum is wrong
    Ok,
};

struct CheckedLine {
    LineStatus status = LineStatus::Ignored;
    std::uint8_t kind = 0;
    std::string_view payload; // decoded, checksum byte included; valid while the buffer lives
};

// Checks one line in the order kind, length, nibble decoding, checksum. `payloadBuffer` must hold
// kLongestPayload bytes; the returned payload points into it.
CheckedLine checkLine(std::string_view line, char *payloadBuffer);

} // namespace aql::link
