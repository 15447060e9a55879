#include "link/FrameCodec.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <string>

using namespace aql::link;
using aql::test::errorNumberOf;

namespace {
Bytes bytes(std::initializer_list<int> values) {
    return Bytes(values.begin(), values.end());
}
} // namespace

TEST(CommandFrame, goldenFramesOfTheCommandTable) {
    // getLog at address 1: 1 + 105 + 65 = 171 = 0xAB.
    EXPECT_EQ(getLogFrame(1), bytes({0x40, 0x01, 0x41, 0, 0, 0, 0, 0xAB, 0x23}));
    // Poll at address 200: 200 + 105 + 66 = 371, minus 256 = 115 = 0x73.
    EXPECT_EQ(sendNextPacketFrame(200), bytes({0x40, 0xC8, 0x42, 0, 0, 0, 0, 0x73, 0x23}));
    // Block 2 at address 5: 5 + 105 + 4 = 114 = 0x72.
    EXPECT_EQ(askBlockFrame(5, 2), bytes({0x40, 0x05, 0x04, 0x02, 0, 0, 0, 0x72, 0x23}));
    // Block 1, variable 12, value -2 at address 1: value high byte first, checksum 109.
    EXPECT_EQ(setVarFrame(1, 1, 12, -2), bytes({0x40, 1, 3, 1, 0x0C, 0xFF, 0xFE, 109, 0x23}));
    EXPECT_EQ(setVarFrame(1, 4, 7, 300), bytes({0x40, 1, 3, 4, 7, 0x01, 0x2C, 109, 0x23}));
    EXPECT_EQ(setVarFrame(1, 4, 7, -32768), bytes({0x40, 1, 3, 4, 7, 0x80, 0x00, 109, 0x23}));
    // Key "up" (18) at address 0: 0 + 105 + 18 = 123.
    EXPECT_EQ(keyFrame(0, 18), bytes({0x40, 0x00, 0x12, 0, 0, 0, 0, 123, 0x23}));
    EXPECT_EQ(askBlockFrame(1, 255)[3], static_cast<char>(255));
}

TEST(CommandFrame, outOfRangeBlockOverflowsAndOutOfRangeVariableIsInvalid) {
    EXPECT_EQ(errorNumberOf([] { askBlockFrame(1, 256); }), 6);
    EXPECT_EQ(errorNumberOf([] { askBlockFrame(1, -1); }), 6);
    EXPECT_EQ(errorNumberOf([] { setVarFrame(1, 300, 3, 0); }), 6);
    EXPECT_EQ(errorNumberOf([] { setVarFrame(1, 1, 256, 0); }), 5);
    EXPECT_EQ(errorNumberOf([] { setVarFrame(1, 1, -1, 0); }), 5);
    EXPECT_EQ(errorNumberOf([] { setVarFrame(1, -5, -5, 0); }), 6); // the block is judged first
}

TEST(ReceivedBytes, nibblesLowFirstChecksumOfTheFirstTwoAndOnlyKnownLineLengths) {
    EXPECT_EQ(nibblePairToByte("AB"), static_cast<char>(0x21));
    EXPECT_EQ(nibblePairToByte("0?"), static_cast<char>(0xF0));
    EXPECT_EQ(nibblePairToByte(bytes({0xFF, 0x80})), static_cast<char>(0x0F)); // low bits only
    EXPECT_EQ(decodeNibbleText("1020?8:8"), bytes({0x01, 0x02, 0x8F, 0x8A}));
    EXPECT_EQ(decodeNibbleText(""), "");

    EXPECT_TRUE(frameChecksumOK(bytes({0x01, 0x20, 0x55, 0x8A}))); // 1 + 105 + 32 = 138
    EXPECT_FALSE(frameChecksumOK(bytes({0x01, 0x20, 0x55, 0x8B})));
    EXPECT_TRUE(frameChecksumOK(bytes({200, 1, 0, 0, 50}))); // 306 mod 256
    EXPECT_FALSE(frameChecksumOK(bytes({0x01})));
    EXPECT_FALSE(frameChecksumOK(""));

    EXPECT_TRUE(acceptedLineLength(1, 171));
    for (std::size_t n : {170u, 172u, 173u}) {
        EXPECT_FALSE(acceptedLineLength(1, n)) << n;
    }
    for (std::size_t n : {173u, 175u, 199u, 413u, 471u}) {
        EXPECT_TRUE(acceptedLineLength(2, n)) << n;
        EXPECT_FALSE(acceptedLineLength(2, n + 1)) << n;
        EXPECT_FALSE(acceptedLineLength(2, n - 1)) << n;
        EXPECT_FALSE(acceptedLineLength(3, n)) << n;
    }
    EXPECT_FALSE(acceptedLineLength(0, 171));
    EXPECT_FALSE(acceptedLineLength('1', 171)); // the kind is a byte value, not a digit
}
