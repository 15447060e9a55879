#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace aql::link {

// Frames and payloads are byte strings: each char carries one byte (0-255).
using Bytes = std::string;

constexpr std::size_t kFrameSize = 9;
constexpr std::size_t kLongestLine = 471; // longest accepted line, kind character included
constexpr std::size_t kLongestPayload = (kLongestLine - 1) / 2;

// Command bytes (b1) of the outgoing frames.
namespace cmd {
constexpr std::uint8_t kSetVar = 3;
constexpr std::uint8_t kAskBlock = 4;
constexpr std::uint8_t kGetLog = 65;         // "A"
constexpr std::uint8_t kSendNextPacket = 66; // "B", the poll
} // namespace cmd

// Line kinds of the incoming stream.
constexpr std::uint8_t kUnaddressedLine = 1;
constexpr std::uint8_t kAddressedLine = 2;

// The checksum of a frame and of a received payload: (first + 105 + second) mod 256.
std::uint8_t frameChecksum(std::uint8_t first, std::uint8_t second);

// The 9-byte command frame "@", address, b1..b5, checksum, "#".
Bytes commandFrame(std::uint8_t address, std::uint8_t b1, std::uint8_t b2 = 0, std::uint8_t b3 = 0,
                   std::uint8_t b4 = 0, std::uint8_t b5 = 0);

// The frames of the sending operations. Block and variable arrive as the 16-bit numbers the
// callers hold: a block outside 0-255 is an overflow (AqlError 6), a variable outside 0-255 an
// invalid argument (AqlError 5); in both cases no frame is built.
Bytes getLogFrame(std::uint8_t address);
Bytes sendNextPacketFrame(std::uint8_t address);
Bytes keyFrame(std::uint8_t address, std::uint8_t keyCode);
Bytes setVarFrame(std::uint8_t address, std::int16_t block, std::int16_t variable,
                  std::int16_t value);
Bytes askBlockFrame(std::uint8_t address, std::int16_t block);

// One byte from two nibble characters: low nibble from the first, high nibble from the second;
// the upper bits of both characters are ignored. `pair` holds at least 2 characters.
char nibblePairToByte(std::string_view pair);

// Decodes the nibble pairs of `text` (even length); a trailing odd character is ignored.
Bytes decodeNibbleText(std::string_view text);

// Decodes into `out`, which must hold text.size() / 2 bytes; returns the number written.
std::size_t decodeNibbleTextInto(std::string_view text, char *out);

// True when the last byte equals (byte 1 + 105 + byte 2) mod 256. False for fewer than 2 bytes.
bool frameChecksumOK(std::string_view payload);

// True when a line of this kind and length (kind character included, CR excluded) is a packet.
bool acceptedLineLength(std::uint8_t kind, std::size_t length);

} // namespace aql::link
