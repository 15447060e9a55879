#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace aql::sim {

// One command frame as the console sent it: the command and the four bytes after it. A variable
// write carries block, variable, and the value's high and low byte; a block request the block.
struct Frame {
    std::uint8_t address = 0;
    std::uint8_t command = 0;
    std::array<std::uint8_t, 4> parameters{};
};

struct FrameCounts {
    std::uint64_t accepted = 0;
    std::uint64_t badEndMarker = 0;
    std::uint64_t badChecksum = 0;
    std::uint64_t otherAddress = 0;
    std::uint64_t skippedBytes = 0; // bytes outside any frame, passed over while looking for "@"
};

// Cuts the console's byte stream into 9-byte frames. It looks for the "@" start marker; a frame
// with a wrong end marker or checksum gives up only its "@", so a real frame that starts inside
// the broken one is still found. A well-formed frame for another address is passed over whole.
// At most one frame's worth of bytes waits between calls.
class FrameReader {
public:
    explicit FrameReader(std::uint8_t address);

    void append(std::string_view bytes);

    // The next frame for our address, or false when no complete frame is left.
    bool next(Frame &frame);

    const FrameCounts &counts() const { return m_counts; }

private:
    std::uint8_t m_address;
    std::string m_buffer;
    std::size_t m_pos = 0;
    FrameCounts m_counts;
};

} // namespace aql::sim
