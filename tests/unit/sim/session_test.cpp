#include "SimTestLines.h"

#include "sim/Session.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

using namespace aql::sim;
using namespace aql::sim::test;
using aql::link::LineStatus;

namespace {

// A frame for address 1 built from the frame layout: checksum 1 + 105 + command.
std::string frame(std::uint8_t command, std::uint8_t b2 = 0, std::uint8_t b3 = 0,
                  std::uint8_t b4 = 0, std::uint8_t b5 = 0) {
    std::string f = "@";
    for (int b : {1, int{command}, int{b2}, int{b3}, int{b4}, int{b5}, 1 + 105 + command}) {
        f.push_back(static_cast<char>(b));
    }
    return f + "#";
}
const std::string kPoll("\x40\x01\x42\x00\x00\x00\x00\xAC\x23", 9);
const std::string kGetLog("\x40\x01\x41\x00\x00\x00\x00\xAB\x23", 9);

Options withRecords(std::uint32_t n, const std::string &fault = {}) {
    Options o;
    o.records = n;
    if (!fault.empty()) {
        const std::string error = applyFault(fault, o.faults);
        EXPECT_TRUE(error.empty()) << error;
    }
    return o;
}
Options withFault(const std::string &fault, std::uint32_t records = 0) {
    return withRecords(records, fault);
}

std::vector<Transmission> sendTo(Session &s, const std::string &bytes) {
    s.receive(bytes);
    return s.takeOutput();
}

std::string joined(const std::vector<Transmission> &out) {
    std::string all;
    for (const auto &t : out) {
        all += t.bytes;
    }
    return all;
}

struct Rig {
    explicit Rig(const Options &o) : sim(o), session(sim.openSession()) {}
    std::string send(const std::string &bytes) { return joined(sendTo(*session, bytes)); }
    std::string drain() { return joined(session->takeOutput()); }
    std::vector<ReceivedLine> polls(int n) { return receiveLines(send(repeat(kPoll, n))); }

    Simulator sim;
    std::unique_ptr<Session> session;
};

std::uint8_t typeOf(const ReceivedLine &l) {
    return static_cast<std::uint8_t>(l.payload[1]);
}

std::uint32_t recordNumber(const ReceivedLine &l) {
    const auto *p = reinterpret_cast<const unsigned char *>(l.payload.data());
    return p[6] | p[7] << 8 | p[8] << 16 | static_cast<std::uint32_t>(p[9]) << 24;
}

// Record numbers of the good lines for our address, as the console would keep them.
std::vector<std::uint32_t> recordNumbers(const std::vector<ReceivedLine> &lines) {
    std::vector<std::uint32_t> numbers;
    for (const auto &l : lines) {
        if (l.status == LineStatus::Ok && l.payload[0] == 1 && typeOf(l) == 3) {
            numbers.push_back(recordNumber(l));
        }
    }
    return numbers;
}
std::vector<std::uint32_t> acceptedRecords(const std::string &stream, std::size_t chunk = 0) {
    return recordNumbers(receiveLines(stream, chunk));
}

std::vector<std::uint32_t> oneTo(std::uint32_t n) {
    std::vector<std::uint32_t> v(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        v[i] = i + 1;
    }
    return v;
}

} // namespace

TEST(Session, eachPollGetsOneAddressedDisplayLineOfTheCurrentScreen) {
    Rig rig(withRecords(0));
    const auto lines = rig.polls(3);
    ASSERT_EQ(lines.size(), 3u);
    for (const auto &l : lines) {
        EXPECT_EQ(l.status, LineStatus::Ok);
        EXPECT_EQ(l.kind, 2);
        EXPECT_EQ(l.payload.size(), 86u);
        EXPECT_EQ(l.payload[0], 1);
        EXPECT_EQ(typeOf(l), 1);
        EXPECT_EQ(l.payload.substr(4, 80), rig.sim.controller().display().text);
    }
}

TEST(Session, unaddressedModeSendsKindOneButVariableBlocksStayAddressed) {
    Options o = withRecords(2);
    o.unaddressed = true;
    Rig rig(o);
    const auto lines = receiveLines(rig.send(kPoll + kGetLog + kPoll + frame(4, 3) + kPoll));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].kind, 1);
    EXPECT_EQ(lines[0].payload[0], 1) << "display type first";
    EXPECT_EQ(lines[1].kind, 1);
    EXPECT_EQ(lines[1].payload[0], 3) << "record type first";
    EXPECT_EQ(lines[2].kind, 2);
    EXPECT_EQ(typeOf(lines[2]), 5);
    for (const auto &l : lines) {
        EXPECT_EQ(l.status, LineStatus::Ok);
    }
}

TEST(Session, writtenVariablesReadBackAndBadRequestsAreCounted) {
    Rig rig(withRecords(0));
    // Block 4, variable 7 = 25; block 1 variable 12 = -2; then a block and a variable that do
    // not exist.
    rig.send(frame(3, 4, 7, 0x00, 0x19) + frame(3, 1, 12, 0xFF, 0xFE) + frame(3, 1, 27, 0, 1) +
             frame(4, 9) + frame(0x30));
    const auto lines = receiveLines(rig.send(frame(4, 4) + frame(4, 1) + kPoll + kPoll));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].payload.substr(1, 3), std::string("\x05\x04\x00", 3));
    EXPECT_EQ(lines[0].payload.substr(4 + 12, 2), std::string("\x19\x00", 2));
    EXPECT_EQ(lines[1].payload.substr(4 + 22, 2), "\xFE\xFF");
    EXPECT_EQ(rig.sim.counters().rejectedCommands, 2u);
    EXPECT_EQ(rig.sim.counters().unknownCommands, 1u);
}

TEST(Session, logDownloadInterleavesDisplaysAndEndsWithDisplays) {
    Rig rig(withRecords(10));
    rig.send(kGetLog);
    EXPECT_EQ(rig.session->pendingLogLines(), 10u);
    const auto lines = rig.polls(16);
    std::string types;
    for (const auto &l : lines) {
        types += static_cast<char>('0' + typeOf(l));
    }
    EXPECT_EQ(types, "3333133331331111");
    const auto numbers = recordNumbers(lines);
    EXPECT_EQ(numbers, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(Session, aKeyPressIsAnsweredWithTheDisplayEvenDuringTheLog) {
    Rig rig(withRecords(10));
    rig.send(kGetLog + kPoll);
    const auto lines = receiveLines(rig.send(frame(21) + kPoll + kPoll));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(typeOf(lines[0]), 1);
    EXPECT_EQ(lines[0].payload.substr(4, 8), "SETTINGS");
    EXPECT_TRUE(lines[0].payload[2] & flag::kBeep);
    EXPECT_EQ(recordNumber(lines[1]), 2u);
}

TEST(Session, logRatePushesRecordLinesWithoutPolls) {
    Options o = withRecords(300);
    o.logRate = 1000;
    Rig rig(o);
    rig.send(kGetLog);
    rig.session->advance(100);
    auto lines = receiveLines(rig.drain());
    EXPECT_EQ(lines.size(), 100u);
    EXPECT_EQ(recordNumbers(lines).size(), 80u);
    rig.session->advance(1000, false); // the console is not reading
    EXPECT_EQ(rig.drain(), "");
    EXPECT_EQ(typeOf(rig.polls(1).at(0)), 1) << "polls get the display";
    for (int i = 0; i < 10; ++i) {
        rig.session->advance(100);
        const auto more = receiveLines(rig.drain());
        lines.insert(lines.end(), more.begin(), more.end());
    }
    const auto numbers = recordNumbers(lines);
    ASSERT_EQ(numbers.size(), 300u);
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(rig.session->pendingLogLines(), 0u);
}

TEST(Faults, corruptChecksumSpoilsEveryNthLineOnly) {
    Simulator sim(withFault("corrupt-checksum=3"));
    auto s = sim.openSession();
    const auto lines = receiveLines(joined(sendTo(*s, repeat(kPoll, 9))));
    ASSERT_EQ(lines.size(), 9u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].status, (i + 1) % 3 == 0 ? LineStatus::ChecksumError : LineStatus::Ok)
            << i;
    }
    EXPECT_EQ(sim.counters().faults.corruptChecksum, 3u);
}

TEST(Faults, dropAfterClosesOnceAfterNLines) {
    Simulator sim(withFault("drop-after=2"));
    auto first = sim.openSession();
    const auto out = sendTo(*first, repeat(kPoll, 5));
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(out.back().closeAfter);
    EXPECT_EQ(receiveLines(joined(out)).size(), 2u);
    EXPECT_TRUE(first->closed());
    EXPECT_TRUE(sendTo(*first, kPoll).empty());
    // The reconnected console is served to the end.
    auto second = sim.openSession();
    EXPECT_EQ(receiveLines(joined(sendTo(*second, repeat(kPoll, 5)))).size(), 5u);
    EXPECT_EQ(sim.counters().faults.drops, 1u);
}

TEST(Faults, dropAfterMidLineLeavesHalfALineWithoutCR) {
    Simulator sim(withFault("drop-after=1:mid"));
    auto s = sim.openSession();
    const std::string bytes = joined(sendTo(*s, repeat(kPoll, 3)));
    ASSERT_EQ(bytes.size(), 174u + 87u);
    EXPECT_EQ(bytes[173], '\r');
    EXPECT_EQ(bytes.find('\r', 174), std::string::npos);
    EXPECT_EQ(bytes[174], '\x02');
}

TEST(Faults, silentAfterIgnoresLaterPollsUntilReconnect) {
    Simulator sim(withFault("silent-after=2"));
    auto s = sim.openSession();
    EXPECT_EQ(receiveLines(joined(sendTo(*s, repeat(kPoll, 6)))).size(), 2u);
    EXPECT_TRUE(s->silent());
    EXPECT_EQ(sim.counters().faults.silentPolls, 4u);
    auto again = sim.openSession();
    EXPECT_EQ(receiveLines(joined(sendTo(*again, repeat(kPoll, 3)))).size(), 3u);
}

TEST(Faults, splitDeliversTheSameBytesInSmallTimedPieces) {
    Simulator sim(withFault("split", 40));
    auto s = sim.openSession();
    s->receive(kGetLog);
    const auto out = sendTo(*s, repeat(kPoll, 50));
    EXPECT_EQ(acceptedRecords(joined(out)), oneTo(40));
    std::size_t singles = 0, later = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        ASSERT_FALSE(out[i].bytes.empty());
        ASSERT_LE(out[i].bytes.size(), 64u);
        singles += out[i].bytes.size() == 1 ? 1 : 0;
        if (i > 0) {
            ASSERT_GE(out[i].dueMs, out[i - 1].dueMs);
            later += out[i].dueMs > out[i - 1].dueMs ? 1 : 0;
        }
    }
    EXPECT_GT(singles, 0u);
    // Only the first piece of a line may leave together with the end of the one before.
    EXPECT_GE(later, out.size() - 50);
    EXPECT_EQ(sim.counters().faults.splitLines, 50u);
}

TEST(Faults, wrongAddressAndUnknownTypeAddPacketsTheConsoleSetsAside) {
    Options o = withFault("wrong-address=2", 30);
    ASSERT_TRUE(applyFault("unknown-type=3", o.faults).empty());
    Simulator sim(o);
    auto s = sim.openSession();
    s->receive(kGetLog);
    const std::string bytes = joined(sendTo(*s, repeat(kPoll, 40)));
    std::uint64_t others = 0, unknown = 0;
    for (const auto &l : receiveLines(bytes)) {
        ASSERT_EQ(l.status, LineStatus::Ok);
        others += l.payload[0] != 1 ? 1 : 0;
        unknown += l.payload[1] == ptype::kUnknown ? 1 : 0;
    }
    EXPECT_GT(others, 5u);
    EXPECT_GT(unknown, 5u);
    EXPECT_EQ(others, sim.counters().faults.wrongAddress);
    EXPECT_EQ(unknown, sim.counters().faults.unknownType);
    EXPECT_EQ(acceptedRecords(bytes), oneTo(30));
}

TEST(Faults, garbageIsDroppedByTheConsoleWithoutLosingALine) {
    Simulator sim(withFault("garbage=2", 60));
    auto s = sim.openSession();
    s->receive(kGetLog);
    const std::string bytes = joined(sendTo(*s, repeat(kPoll, 80)));
    // Fed as a socket would deliver it, so over-long lines hit the console's length bound.
    EXPECT_EQ(acceptedRecords(bytes, 100), oneTo(60));
    aql::link::LineFramer framer;
    std::size_t ignored = 0;
    char buffer[aql::link::kLongestPayload];
    for (std::size_t pos = 0; pos < bytes.size(); pos += 100) {
        framer.append(std::string_view(bytes).substr(pos, 100));
        std::string_view line;
        while (framer.nextLine(line)) {
            ignored += aql::link::checkLine(line, buffer).status == LineStatus::Ignored ? 1 : 0;
        }
    }
    EXPECT_GT(framer.overlongLines(), 0u);
    EXPECT_GT(ignored, 0u);
    EXPECT_EQ(ignored + framer.overlongLines(), sim.counters().faults.garbage);
}

TEST(Faults, duplicatesResendAndReorderButLoseNoRecord) {
    Simulator sim(withFault("duplicates=4", 200));
    auto s = sim.openSession();
    s->receive(kGetLog);
    const auto numbers = acceptedRecords(joined(sendTo(*s, repeat(kPoll, 400))));
    const std::set<std::uint32_t> distinct(numbers.begin(), numbers.end());
    EXPECT_EQ(distinct.size(), 200u);
    EXPECT_EQ(*distinct.begin(), 1u);
    EXPECT_EQ(*distinct.rbegin(), 200u);
    std::size_t backwards = 0;
    for (std::size_t i = 1; i < numbers.size(); ++i) {
        backwards += numbers[i] < numbers[i - 1] ? 1 : 0;
    }
    const FaultCounts &f = sim.counters().faults;
    EXPECT_EQ(numbers.size(), 200u + f.duplicates);
    EXPECT_GT(f.duplicates, 10u);
    EXPECT_GT(f.reordered, 10u);
    EXPECT_GE(backwards, f.reordered);
}

TEST(Faults, slowHoldsEveryAnswerBackByItsDelay) {
    Simulator sim(withFault("slow=250"));
    auto s = sim.openSession();
    s->advance(1000);
    auto out = sendTo(*s, kPoll);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].dueMs, 1250u);
    s->advance(100);
    out = sendTo(*s, kPoll);
    EXPECT_EQ(out.at(0).dueMs, 1350u);
    EXPECT_EQ(sim.counters().faults.slowAnswers, 2u);
}
