#include "SimTestLines.h"

#include "sim/Session.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <numeric>
#include <set>

using namespace aql::sim;
using namespace aql::sim::test;
using aql::link::LineStatus;

namespace {

// Record numbers of the good record lines for address 1, as the console would keep them.
std::vector<std::uint32_t> records(const std::vector<ReceivedLine> &lines) {
    std::vector<std::uint32_t> numbers;
    for (const auto &l : lines) {
        const auto *p = reinterpret_cast<const unsigned char *>(l.payload.data());
        if (l.status == LineStatus::Ok && p[0] == 1 && p[1] == ptype::kLogRecord) {
            numbers.push_back(p[6] | p[7] << 8 | p[8] << 16 | std::uint32_t{p[9]} << 24);
        }
    }
    return numbers;
}

std::vector<std::uint32_t> oneTo(std::uint32_t n) {
    std::vector<std::uint32_t> v(n);
    std::iota(v.begin(), v.end(), 1u);
    return v;
}

// A session sent `frames`, with what it wrote and what the console makes of it.
struct Served {
    Served(Simulator &simulator, const std::string &frames) : sim(simulator), s(sim.openSession()) {
        s->receive(frames);
        out = s->takeOutput();
        for (const auto &t : out) {
            bytes += t.bytes;
        }
        lines = receiveLines(bytes);
    }
    std::uint64_t count(const std::function<bool(const ReceivedLine &)> &is) const {
        return static_cast<std::uint64_t>(std::count_if(lines.begin(), lines.end(), is));
    }
    Simulator &sim;
    std::unique_ptr<Session> s;
    std::vector<Transmission> out;
    std::string bytes;
    std::vector<ReceivedLine> lines;
};

// A session under `fault`: a log request when there is a log, then `polls` polls.
void strike(const char *fault, std::uint32_t records, int polls,
            const std::function<void(Served &, const FaultCounts &)> &check) {
    SCOPED_TRACE(fault);
    Options o;
    o.records = records;
    ASSERT_EQ(applyFault(fault, o.faults), "");
    Simulator sim(o);
    Served served(sim, (records > 0 ? kGetLog : "") + repeat(kPoll, polls));
    check(served, served.sim.counters().faults);
}

} // namespace

// Each fault with a plan that makes it strike, and proof that it did what it claims.
TEST(Faults, eachFaultStrikesAsConfiguredAndIsCounted) {
    strike("corrupt-checksum=3", 0, 9, [](Served &r, const FaultCounts &f) {
        ASSERT_EQ(r.lines.size(), 9u);
        for (std::size_t i = 0; i < 9; ++i) {
            EXPECT_EQ(r.lines[i].status == LineStatus::ChecksumError, i % 3 == 2) << i;
        }
        EXPECT_EQ(f.corruptChecksum, 3u);
    });
    strike("drop-after=2:mid", 0, 5, [](Served &r, const FaultCounts &f) {
        ASSERT_EQ(r.bytes.size(), 2 * 174u + 87u);
        EXPECT_EQ(r.bytes.find('\r', 2 * 174u), std::string::npos) << "half a line, no CR";
        EXPECT_TRUE(r.out.back().closeAfter && r.s->closed());
        EXPECT_EQ(Served(r.sim, repeat(kPoll, 5)).lines.size(), 5u) << "strikes once per run";
        EXPECT_EQ(f.drops, 1u);
    });
    strike("silent-after=2", 0, 6, [](Served &r, const FaultCounts &f) {
        EXPECT_EQ(r.lines.size(), 2u);
        EXPECT_EQ(f.silentPolls, 4u);
        EXPECT_EQ(Served(r.sim, repeat(kPoll, 3)).lines.size(), 3u);
    });
    strike("slow=250", 0, 1, [](Served &r, const FaultCounts &f) {
        EXPECT_EQ(r.out.at(0).dueMs, 250u);
        r.s->advance(100);
        r.s->receive(kPoll);
        EXPECT_EQ(r.s->takeOutput().at(0).dueMs, 350u);
        EXPECT_EQ(f.slowAnswers, 2u);
    });
    strike("split", 40, 50, [](Served &r, const FaultCounts &f) {
        EXPECT_EQ(records(r.lines), oneTo(40));
        for (const Transmission &t : r.out) {
            ASSERT_TRUE(!t.bytes.empty() && t.bytes.size() <= 64u);
        }
        // Every piece but a line's first leaves 1 ms after the one before.
        EXPECT_EQ(r.out.back().dueMs, r.out.size() - 50);
        EXPECT_EQ(f.splitLines, 50u);
    });
    strike("wrong-address=2", 30, 40, [](Served &r, const FaultCounts &f) {
        EXPECT_EQ(r.count([](auto &l) { return l.status != LineStatus::Ok; }), 0u);
        EXPECT_EQ(r.count([](auto &l) { return l.payload[0] != 1; }), f.wrongAddress);
        EXPECT_GT(f.wrongAddress, 5u);
        EXPECT_EQ(records(r.lines), oneTo(30));
    });
    strike("unknown-type=3", 30, 40, [](Served &r, const FaultCounts &f) {
        EXPECT_EQ(r.count([](auto &l) { return l.payload[1] == ptype::kUnknown; }), f.unknownType);
        EXPECT_GT(f.unknownType, 5u);
        EXPECT_EQ(records(r.lines), oneTo(30));
    });
    strike("garbage=2", 60, 80, [](Served &r, const FaultCounts &f) {
        EXPECT_EQ(r.count([](auto &l) { return l.status == LineStatus::Ignored; }), f.garbage);
        EXPECT_GT(f.garbage, 10u);
        EXPECT_EQ(records(r.lines), oneTo(60));
    });
    strike("duplicates=4", 200, 400, [](Served &r, const FaultCounts &f) {
        const auto numbers = records(r.lines);
        std::set<std::uint32_t> seen;
        std::uint32_t newest = 0, swapped = 0; // a record first seen before a lower one
        for (std::uint32_t n : numbers) {
            swapped += seen.insert(n).second && n < newest ? 1 : 0;
            newest = std::max(newest, n);
        }
        EXPECT_EQ(seen.size(), 200u);
        EXPECT_EQ(numbers.size(), 200u + f.duplicates);
        EXPECT_EQ(swapped, f.reordered);
        EXPECT_TRUE(f.duplicates > 10 && f.reordered > 10);
    });
}
