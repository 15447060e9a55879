#include "SimTestLines.h"

#include "sim/FrameReader.h"

#include <gtest/gtest.h>

using namespace aql::sim;
using namespace aql::sim::test;

namespace {

// The frames read (command and parameters), then the counts: accepted, bad end marker, bad
// checksum, other address, skipped bytes. The bytes arrive in two pieces, cut at `cut`.
std::string readAll(const std::string &bytes, std::size_t cut) {
    FrameReader reader(1);
    std::string out;
    Frame f;
    for (const std::string &piece : {bytes.substr(0, cut), bytes.substr(cut)}) {
        reader.append(piece);
        while (reader.next(f)) {
            out += char(f.command);
            out.append(f.parameters.begin(), f.parameters.end());
        }
    }
    const FrameCounts &c = reader.counts();
    for (std::uint64_t n : {c.accepted, c.badEndMarker, c.badChecksum, c.otherAddress}) {
        out += std::to_string(n) + " ";
    }
    return out + std::to_string(c.skippedBytes);
}

} // namespace

TEST(FrameReader, resynchronisesAndCountsWhatItSetsAsideWhereverTheBytesAreCut) {
    const std::string setVar("\x40\x01\x03\x01\x0C\xFF\xFE\x6D\x23", 9); // block 1, var 12, -2
    const std::string badEnd = kPoll.substr(0, 8) + "!", badSum = kPoll.substr(0, 7) + "\xAD#";
    // Address 2 poll (2 + 105 + 66 = 0xAD) whose parameter "@" must not start a frame.
    const std::string other("\x40\x02\x42\x40\x01\x42\x00\xAD\x23", 9);
    const std::pair<std::string, std::string> cases[] = {
        {kPoll + setVar, fromHex("4200000000 03010CFFFE") + "2 0 0 0 0"},
        {"xyz\r\n" + kPoll, fromHex("4200000000") + "1 0 0 0 5"},
        // Each broken frame gives up its "@" only; the 8 bytes after it are skipped.
        {badEnd + badSum + kGetLog, fromHex("4100000000") + "1 1 1 0 16"},
        // A truncated frame, then a whole one.
        {kPoll.substr(0, 4) + kGetLog, fromHex("4100000000") + "1 1 0 0 3"},
        {other + kPoll, fromHex("4200000000") + "1 0 0 1 0"},
        {std::string(5000, 'x') + kPoll.substr(0, 8), "0 0 0 0 5000"},
    };
    for (const auto &[bytes, expected] : cases) {
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            ASSERT_EQ(readAll(bytes, cut), expected) << "cut at " << cut;
        }
    }
}
