#include "sim/FrameReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace aql::sim;

namespace {

// Hand-written frames for address 1: checksum = 1 + 105 + command.
const std::string kPoll("\x40\x01\x42\x00\x00\x00\x00\xAC\x23", 9);
const std::string kGetLog("\x40\x01\x41\x00\x00\x00\x00\xAB\x23", 9);
const std::string kSetVar("\x40\x01\x03\x01\x0C\xFF\xFE\x6D\x23", 9); // block 1, var 12, -2

std::vector<Frame> readAll(FrameReader &reader, const std::string &bytes) {
    reader.append(bytes);
    std::vector<Frame> frames;
    Frame f;
    for (int guard = 0; guard < 1000 && reader.next(f); ++guard) {
        frames.push_back(f);
    }
    return frames;
}

} // namespace

TEST(FrameReader, decodesCommandAndParameters) {
    FrameReader reader(1);
    const auto frames = readAll(reader, kPoll + kSetVar);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].command, 0x42);
    EXPECT_EQ(frames[1].command, 3);
    EXPECT_EQ(frames[1].b2, 1);
    EXPECT_EQ(frames[1].b3, 12);
    EXPECT_EQ(frames[1].b4, 0xFF);
    EXPECT_EQ(frames[1].b5, 0xFE);
    EXPECT_EQ(reader.counts().accepted, 2u);
}

TEST(FrameReader, frameSplitAtEveryByteIsReadOnce) {
    for (std::size_t cut = 1; cut < kPoll.size(); ++cut) {
        FrameReader reader(1);
        EXPECT_TRUE(readAll(reader, kPoll.substr(0, cut)).empty()) << cut;
        EXPECT_EQ(readAll(reader, kPoll.substr(cut) + kGetLog).size(), 2u) << cut;
    }
}

TEST(FrameReader, resynchronisesOnStartMarkerAfterNoise) {
    FrameReader reader(1);
    const auto frames = readAll(reader, std::string("xyz\r\n", 5) + kPoll);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].command, 0x42);
    EXPECT_EQ(reader.counts().skippedBytes, 5u);
}

TEST(FrameReader, brokenFramesAreCountedAndTheNextGoodFrameIsFound) {
    std::string badEnd = kPoll;
    badEnd[8] = '!';
    std::string badSum = kPoll;
    badSum[7] = '\xAD';
    FrameReader reader(1);
    const auto frames = readAll(reader, badEnd + badSum + kGetLog);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].command, 0x41);
    EXPECT_EQ(reader.counts().badEndMarker, 1u);
    EXPECT_EQ(reader.counts().badChecksum, 1u);
}

TEST(FrameReader, aFrameStartingInsideABrokenOneIsStillFound) {
    // A truncated frame (the console's connection hiccuped) runs straight into a whole one.
    FrameReader reader(1);
    const auto frames = readAll(reader, kPoll.substr(0, 4) + kGetLog);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].command, 0x41);
}

TEST(FrameReader, framesForAnotherAddressAreSkippedWhole) {
    // Address 2 poll: 2 + 105 + 66 = 173 = 0xAD. Its parameter byte is an "@" that must not
    // start a frame of its own.
    const std::string other("\x40\x02\x42\x40\x01\x42\x00\xAD\x23", 9);
    FrameReader reader(1);
    const auto frames = readAll(reader, other + kPoll);
    EXPECT_EQ(frames.size(), 1u);
    EXPECT_EQ(reader.counts().otherAddress, 1u);
    EXPECT_EQ(reader.counts().badChecksum, 0u);
}

TEST(FrameReader, endlessNoiseIsNotKept) {
    FrameReader reader(1);
    for (int i = 0; i < 100; ++i) {
        readAll(reader, std::string(1000, 'x'));
    }
    EXPECT_EQ(reader.counts().skippedBytes, 100000u);
    EXPECT_EQ(readAll(reader, kPoll).size(), 1u);
}
