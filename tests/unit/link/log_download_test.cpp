#include "LinkRig.h"
#include "link/LogDownload.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

using namespace aql;
using namespace aql::test;
using link::DownloadCounts;
using link::DownloadRules;
using link::DownloadState;

namespace {

// A controller over time: its cumulative counts at a moment (ms since the download started).
using Controller = std::function<DownloadCounts(std::int64_t ms)>;

// Every poll (120 ms) answered until `answersUntil`, with a record until `recordsUntil`.
Controller answering(std::int64_t recordsUntil, std::int64_t answersUntil,
                     std::int64_t recordEvery = 120) {
    return [=](std::int64_t ms) {
        DownloadCounts c;
        c.validReplies = static_cast<std::uint64_t>(std::min(ms, answersUntil) / 120);
        c.recordPackets = static_cast<std::uint64_t>(std::min(ms, recordsUntil) / recordEvery);
        c.recordsHeld = c.recordPackets;
        return c;
    };
}

DownloadRules rules(std::int64_t firstRecordMs = 30000, std::size_t maxRecords = 1000000) {
    DownloadRules r;
    r.firstRecordMs = firstRecordMs;
    r.maxRecords = maxRecords;
    return r;
}

struct Timeline {
    const char *what;
    Controller controller;
    DownloadRules rules;
    DownloadState ends;
    std::int64_t endsFrom; // the rule's verdict falls within [endsFrom, endsTo] ms
    std::int64_t endsTo;
};

std::ostream &operator<<(std::ostream &out, const Timeline &t) {
    return out << t.what;
}

constexpr std::int64_t kEver = 1 << 30;

const Timeline kTimelines[] = {
    {"records, then answers without records: complete after the quiet time", answering(5000, kEver),
     rules(), DownloadState::Complete, 8000, 8200},
    {"the controller goes silent mid-download: never complete", answering(1800, 1800), rules(),
     DownloadState::StoppedAnswering, 3700, 4000},
    {"a slow log outlasts the first-record time", answering(58000, kEver, 1000), rules(2000),
     DownloadState::Complete, 61000, 61200},
    {"answers, but no record", answering(0, kEver), rules(), DownloadState::NoRecords, 30000,
     30100},
    {"nothing at all", [](std::int64_t) { return DownloadCounts{}; }, rules(),
     DownloadState::NoValidReply, 30000, 30100},
    {"only replies for another address",
     [](std::int64_t ms) {
         DownloadCounts c;
         c.otherAddress = static_cast<std::uint64_t>(ms / 120);
         return c;
     },
     rules(5000), DownloadState::NoValidReply, 5000, 5100},
    {"answered, then silent before any record", answering(0, 600), rules(),
     DownloadState::StoppedAnswering, 2500, 2800},
    {"the connection closes",
     [](std::int64_t ms) {
         DownloadCounts c = answering(kEver, kEver)(ms);
         c.linkOpen = ms < 1500;
         return c;
     },
     rules(), DownloadState::LinkLost, 1500, 1600},
    {"the cap on records held", answering(kEver, kEver, 10), rules(30000, 500),
     DownloadState::TooManyRecords, 5000, 5100},
};

class LogDownloadRuleTimelines : public ::testing::TestWithParam<Timeline> {};

TEST_P(LogDownloadRuleTimelines, endsAsTheControllerBehaved) {
    const Timeline &t = GetParam();
    link::LogDownloadRule rule(t.rules);
    rule.start(0, t.controller(0));
    std::int64_t ms = 0;
    while (!link::isFinished(rule.state()) && ms < 120000) {
        ms += 100;
        rule.observe(ms, t.controller(ms));
    }
    EXPECT_EQ(static_cast<int>(rule.state()), static_cast<int>(t.ends));
    EXPECT_GE(ms, t.endsFrom);
    EXPECT_LE(ms, t.endsTo);
    // Once ended it stays ended, whatever arrives later.
    DownloadCounts more = t.controller(ms + 10000);
    more.recordPackets += 1000;
    more.validReplies += 1000;
    EXPECT_EQ(static_cast<int>(rule.observe(ms + 10000, more)), static_cast<int>(t.ends));
}

INSTANTIATE_TEST_SUITE_P(Controllers, LogDownloadRuleTimelines, ::testing::ValuesIn(kTimelines));

TEST(LogDownloadRule, countsOnlyWhatArrivedSinceItsStartAndCanBeCancelled) {
    link::LogDownloadRule rule(rules(1000));
    DownloadCounts before;
    before.recordPackets = 40; // an earlier download of the same console
    before.validReplies = 400;
    before.otherAddress = 7;
    rule.start(0, before);
    DownloadCounts later = before;
    later.otherAddress += 3;
    rule.observe(100, later);
    EXPECT_EQ(rule.recordPackets(), 0u);
    EXPECT_EQ(rule.otherAddressReplies(), 3u);
    rule.observe(1000, later);
    EXPECT_EQ(rule.state(), DownloadState::NoValidReply) << "the earlier replies do not count";

    link::LogDownloadRule cancelled;
    cancelled.start(0, {});
    cancelled.cancel();
    cancelled.observe(100, answering(kEver, kEver)(100));
    EXPECT_EQ(cancelled.state(), DownloadState::Cancelled);
}

// ---- through a console ------------------------------------------------------------------------

struct DownloadRig : LinkRig {
    std::unique_ptr<link::LogDownload> download;
    int finishedCalls = 0;
    DownloadState ended = DownloadState::WaitingForFirstRecord;

    void start() {
        goOnline();
        download = std::make_unique<link::LogDownload>(console, records, timers, rules(),
                                                       [this] { return timers.now(); });
        download->finished = [this](DownloadState s) {
            ++finishedCalls;
            ended = s;
        };
        download->start();
        EXPECT_EQ(commandBytes(), std::vector<int>{65}) << "Get Log goes out at once";
        socket.sent.clear();
    }
    // For `polls` polls (or until the download ends) the controller answers each with `reply`.
    void answerPolls(int polls, const std::function<std::string()> &reply) {
        for (int i = 0; i < polls && finishedCalls == 0; ++i) {
            timers.advance(120);
            for (const auto &frame : socket.sent) {
                if (static_cast<unsigned char>(frame[2]) == 66 && reply) {
                    socket.deliver(reply());
                }
            }
            socket.sent.clear();
        }
    }
    std::function<std::string()> nextRecord() {
        return [this, n = 0]() mutable { return recordStream(++n, 1); };
    }
};

// The controller stops answering mid-download: the old 3 s end-of-log rule fired before the 10 s
// answer time-out and called such a download complete.
TEST(LogDownload, completeOnlyWhileTheControllerGoesOnAnsweringWithoutRecords) {
    DownloadRig rig;
    rig.start();
    rig.answerPolls(25, rig.nextRecord());
    EXPECT_EQ(rig.download->state(), DownloadState::Receiving);
    rig.answerPolls(200, [] { return addressedLine(1, displayBody(1, 0, "menu")) + "\r"; });
    EXPECT_EQ(rig.ended, DownloadState::Complete);
    EXPECT_EQ(rig.finishedCalls, 1);
    EXPECT_EQ(rig.records.count(), 25u);

    DownloadRig silent;
    silent.start();
    silent.answerPolls(15, silent.nextRecord());
    silent.answerPolls(200, nullptr); // polls go out; nothing comes back
    EXPECT_EQ(silent.ended, DownloadState::StoppedAnswering);
    EXPECT_LT(silent.timers.now(), 1800 + 10000) << "before the link's own answer time-out";
    EXPECT_EQ(silent.records.count(), 15u);
}

} // namespace
