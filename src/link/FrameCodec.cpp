// Outgoing command frame (9 bytes):
//
//   0   0x40 "@"          start marker
//   1   address           the controller being operated
//   2   b1                command byte
//   3-6 b2..b5            parameters (not covered by the checksum)
//   7   checksum          (address + 105 + b1) mod 256
//   8   0x23 "#"          end marker
//
// Incoming line: kind character (1 unaddressed, 2 addressed), then the payload as nibble pairs
// (low nibble first, only the low 4 bits of each character count), ended by CR. Accepted lengths
// of the whole line: kind 1: 171; kind 2: 173, 175, 199, 413, 471. The payload's last byte is the
// checksum of its first two bytes.

#include "link/FrameCodec.h"

#include "core/Error.h"

namespace aql::link {

std::uint8_t frameChecksum(std::uint8_t first, std::uint8_t second) {
    return static_cast<std::uint8_t>((first + 105 + second) & 0xFF);
}

Bytes commandFrame(std::uint8_t address, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                   std::uint8_t b4, std::uint8_t b5) {
    Bytes frame(kFrameSize, '\0');
    frame[0] = '@';
    frame[1] = static_cast<char>(address);
    frame[2] = static_cast<char>(b1);
    frame[3] = static_cast<char>(b2);
    frame[4] = static_cast<char>(b3);
    frame[5] = static_cast<char>(b4);
    frame[6] = static_cast<char>(b5);
    frame[7] = static_cast<char>(frameChecksum(address, b1));
    frame[8] = '#';
    return frame;
}

Bytes getLogFrame(std::uint8_t address) {
    return commandFrame(address, cmd::kGetLog);
}

Bytes sendNextPacketFrame(std::uint8_t address) {
    return commandFrame(address, cmd::kSendNextPacket);
}

Bytes keyFrame(std::uint8_t address, std::uint8_t keyCode) {
    return commandFrame(address, keyCode);
}

namespace {
std::uint8_t blockByte(std::int16_t block, const char *source) {
    if (block < 0 || block > 255) {
        throw standardError(errc::kOverflow, source);
    }
    return static_cast<std::uint8_t>(block);
}
} // namespace

Bytes setVarFrame(std::uint8_t address, std::int16_t block, std::int16_t variable,
                  std::int16_t value) {
    std::uint8_t b2 = blockByte(block, "CommandSender.sendSetVariable");
    if (variable < 0 || variable > 255) {
        throw standardError(errc::kInvalidArgument, "CommandSender.sendSetVariable");
    }
    auto bits = static_cast<std::uint16_t>(value); // two's complement, high byte first
    return commandFrame(address, cmd::kSetVar, b2, static_cast<std::uint8_t>(variable),
                        static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits));
}

Bytes askBlockFrame(std::uint8_t address, std::int16_t block) {
    return commandFrame(address, cmd::kAskBlock, blockByte(block, "CommandSender.sendAskBlock"));
}

char nibblePairToByte(std::string_view pair) {
    auto lo = static_cast<unsigned char>(pair[0]) & 0x0F;
    auto hi = static_cast<unsigned char>(pair[1]) & 0x0F;
    return static_cast<char>((hi << 4) | lo);
}

std::size_t decodeNibbleTextInto(std::string_view text, char *out) {
    const std::size_t n = text.size() / 2;
    const auto *in = reinterpret_cast<const unsigned char *>(text.data());
    for (std::size_t k = 0; k < n; ++k) {
        out[k] = static_cast<char>(((in[2 * k + 1] & 0x0F) << 4) | (in[2 * k] & 0x0F));
    }
    return n;
}

Bytes decodeNibbleText(std::string_view text) {
    Bytes out(text.size() / 2, '\0');
    decodeNibbleTextInto(text, out.data());
    return out;
}

bool frameChecksumOK(std::string_view payload) {
    if (payload.size() < 2) {
        return false;
    }
    auto p1 = static_cast<std::uint8_t>(payload[0]);
    auto p2 = static_cast<std::uint8_t>(payload[1]);
    return static_cast<std::uint8_t>(payload.back()) == frameChecksum(p1, p2);
}

bool acceptedLineLength(std::uint8_t kind, std::size_t length) {
    if (kind == kUnaddressedLine) {
        return length == 171;
    }
    if (kind == kAddressedLine) {
        return length == 173 || length == 175 || length == 199 || length == 413 || length == 471;
    }
    return false;
}

} // namespace aql::link
