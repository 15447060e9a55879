#include "link/LineFramer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace aql::link;

namespace {

// Test-side nibble encoder: low nibble first, as "0".."?" characters.
std::string encode(const std::string &payload) {
    std::string out;
    for (unsigned char b : payload) {
        out.push_back(static_cast<char>(0x30 | (b & 0x0F)));
        out.push_back(static_cast<char>(0x30 | (b >> 4)));
    }
    return out;
}

// A kind-1 display line written out from its layout: type 1, flags, cursor, 80 text characters,
// one unread byte, checksum (1 + 105 + flags).
std::string displayLine(unsigned char flags, const std::string &text80) {
    std::string payload;
    payload.push_back('\x01');
    payload.push_back(static_cast<char>(flags));
    payload.push_back(static_cast<char>(0x85)); // cursor shown at address 5
    payload += text80;
    payload.push_back('\0');
    payload.push_back(static_cast<char>((1 + 105 + flags) & 0xFF));
    return std::string(1, '\x01') + encode(payload);
}

std::vector<std::string> drain(LineFramer &framer) {
    std::vector<std::string> lines;
    std::string_view line;
    while (framer.nextLine(line)) {
        lines.emplace_back(line);
    }
    return lines;
}

const std::string kText80 = "pH  7.25   Cl  0.60 "
                            "Redox  712 mV       "
                            "Flow  42 m3/h       "
                            "Temp 27.5 C    RUN  ";

} // namespace

TEST(DisplayLine, aHandWrittenKindOneLineChecksAndDecodes) {
    const std::string line = displayLine(0x19, kText80);
    ASSERT_EQ(line.size(), 171u);
    // The first payload byte (type 1) is "1" then "0"; the flags 0x19 are "9" then "1".
    EXPECT_EQ(line.substr(0, 5), std::string("\x01") + "1091");
    char buffer[kLongestPayload];
    CheckedLine checked = checkLine(line, buffer);
    ASSERT_EQ(checked.status, LineStatus::Ok);
    EXPECT_EQ(checked.kind, 1);
    ASSERT_EQ(checked.payload.size(), 85u);
    EXPECT_EQ(checked.payload.substr(3, 80), kText80);
    EXPECT_EQ(static_cast<unsigned char>(checked.payload[2]), 0x85);
}

TEST(LineFramer, aLineSplitAtEveryByteBoundaryIsHandledOnceAsTheJoinedLine) {
    const std::string stream = displayLine(0x01, kText80) + "\r";
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        LineFramer framer;
        framer.append(stream.substr(0, cut));
        auto first = drain(framer);
        framer.append(stream.substr(cut));
        auto second = drain(framer);
        if (cut == stream.size()) {
            ASSERT_EQ(first.size(), 1u);
            EXPECT_TRUE(second.empty());
        } else {
            EXPECT_TRUE(first.empty()) << cut;
            ASSERT_EQ(second.size(), 1u) << cut;
            EXPECT_EQ(second[0], stream.substr(0, stream.size() - 1));
        }
    }
}

TEST(LineFramer, anOverlongLineWithoutCarriageReturnIsDiscardedAndCountedNotBuffered) {
    LineFramer framer;
    const std::string good = displayLine(0x01, kText80);
    framer.append(good + "\r");
    // 10 MB without a CR, in 4 KiB reads: the buffer must stay bounded.
    std::string junk(4096, 'x');
    for (int i = 0; i < 2560; ++i) {
        framer.append(junk);
        EXPECT_LE(framer.pending().size(), kLongestLine);
    }
    framer.append("tail-of-junk\r" + good + "\r");
    auto lines = drain(framer);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], good);
    EXPECT_EQ(lines[1], good);
    EXPECT_EQ(framer.overlongLines(), 1u);
    EXPECT_EQ(framer.discardedBytes(), 2560u * 4096u + 13u);
}

TEST(LineFramer, aLineOfExactlyTheLongestLengthIsKept) {
    LineFramer framer;
    std::string longest(kLongestLine, '2');
    framer.append(longest);
    framer.append("\r");
    auto lines = drain(framer);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), kLongestLine);
    EXPECT_EQ(framer.overlongLines(), 0u);

    framer.append(std::string(kLongestLine + 1, '2'));
    framer.append("\r");
    EXPECT_TRUE(drain(framer).empty());
    EXPECT_EQ(framer.overlongLines(), 1u);
}
