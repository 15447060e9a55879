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

const char *name(DownloadState s) {
    switch (s) {
    case DownloadState::WaitingForFirstRecord: return "WaitingForFirstRecord";
    case DownloadState::Receiving: return "Receiving";
    case DownloadState::Complete: return "Complete";
    case DownloadState::NoRecords: return "NoRecords";
    case DownloadState::NoValidReply: return "NoValidReply";
    case DownloadState::StoppedAnswering: return "StoppedAnswering";
    case DownloadState::LinkLost: return "LinkLost";
    case DownloadState::TooManyRecords: return "TooManyRecords";
    case DownloadState::Cancelled: return "Cancelled";
    }
    return "?";
}

// A controller over time: its cumulative counts at a moment (ms since the download started).
using Controller = std::function<DownloadCounts(std::int64_t ms)>;

// Every poll (120 ms) answered until `answersUntil`, with a record until `recordsUntil`.
Controller answering(std::int64_t recordsUntil, std::int64_t answersUntil,
                     std::int64_t recordEvery = 120) {
    return [=](std::int64_t ms) {
        DownloadCounts c;
        const std::int64_t answered = std::min(ms, answersUntil);
        c.validReplies = static_cast<std::uint64_t>(answered / 120);
        c.recordPackets = static_cast<std::uint64_t>(std::min(ms, recordsUntil) / recordEvery);
        c.recordsHeld = c.recordPackets;
        return c;
    };
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

DownloadRules rules(std::int64_t firstRecordMs = 30000, std::size_t maxRecords = 1000000) {
    DownloadRules r;
    r.firstRecordMs = firstRecordMs;
    r.maxRecords = maxRecords;
    return r;
}

const Timeline kTimelines[] = {
    {"records, then answers without records: complete after the quiet time",
     answering(5000, 1 << 30), rules(), DownloadState::Complete, 8000, 8200},
    {"the controller goes silent mid-download: never complete", answering(1800, 1800), rules(),
     DownloadState::StoppedAnswering, 3700, 4000},
    {"silent right after its last record", answering(3000, 3000), rules(),
     DownloadState::StoppedAnswering, 4900, 5200},
    {"a slow log outlasts the first-record time", answering(58000, 1 << 30, 1000), rules(2000),
     DownloadState::Complete, 61000, 61200},
    {"answers, but no record", answering(0, 1 << 30), rules(), DownloadState::NoRecords, 30000,
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
         DownloadCounts c = answering(1 << 30, 1 << 30)(ms);
         c.linkOpen = ms < 1500;
         return c;
     },
     rules(), DownloadState::LinkLost, 1500, 1600},
    {"the cap on records held", answering(1 << 30, 1 << 30, 10), rules(30000, 500),
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
    EXPECT_STREQ(name(rule.state()), name(t.ends));
    EXPECT_GE(ms, t.endsFrom);
    EXPECT_LE(ms, t.endsTo);
    // Once ended it stays ended, whatever arrives later.
    DownloadCounts more = t.controller(ms + 10000);
    more.recordPackets += 1000;
    more.validReplies += 1000;
    EXPECT_STREQ(name(rule.observe(ms + 10000, more)), name(t.ends));
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
    EXPECT_EQ(cancelled.state(), DownloadState::Cancelled);
    cancelled.observe(100, answering(1 << 30, 1 << 30)(100));
    EXPECT_EQ(cancelled.state(), DownloadState::Cancelled);
}

// ---- through a console ------------------------------------------------------------------------

struct DownloadRig : LinkRig {
    link::DownloadRules downloadRules = rules(30000);
    std::unique_ptr<link::LogDownload> download;
    int finishedCalls = 0;
    DownloadState ended = DownloadState::WaitingForFirstRecord;

    void start() {
        goOnline();
        download = std::make_unique<link::LogDownload>(console, records, timers, downloadRules,
                                                       [this] { return timers.now(); });
        download->finished = [this](DownloadState s) {
            ++finishedCalls;
            ended = s;
        };
        download->start();
    }
    // The controller answers the polls that went out since the last call.
    void answerPolls(const std::function<std::string()> &reply) {
        for (const auto &frame : socket.sent) {
            if (static_cast<unsigned char>(frame[2]) == 66) {
                socket.deliver(reply());
            }
        }
        socket.sent.clear();
    }
};

TEST(LogDownload, completeOnlyWhileTheControllerGoesOnAnsweringWithoutRecords) {
    DownloadRig rig;
    rig.start();
    ASSERT_EQ(rig.commandBytes(), std::vector<int>{65}) << "Get Log goes out at once";
    rig.socket.sent.clear();
    int number = 0;
    for (int i = 0; i < 25; ++i) {
        rig.timers.advance(120);
        rig.answerPolls([&] {
            ++number;
            return addressedLine(1, recordBody(number, number)) + "\r";
        });
    }
    EXPECT_EQ(rig.download->state(), DownloadState::Receiving);
    while (rig.finishedCalls == 0 && rig.timers.now() < 20000) {
        rig.timers.advance(120);
        rig.answerPolls([] { return addressedLine(1, displayBody(1, 0, "menu")) + "\r"; });
    }
    EXPECT_EQ(rig.ended, DownloadState::Complete);
    EXPECT_EQ(rig.finishedCalls, 1);
    EXPECT_EQ(rig.records.count(), 25u);
}

// The controller stops answering mid-download: the old 3 s end-of-log rule fired before the 10 s
// answer time-out and called such a download complete.
TEST(LogDownload, aControllerThatStopsAnsweringMidDownloadIsNeverComplete) {
    DownloadRig rig;
    rig.start();
    rig.socket.sent.clear();
    int number = 0;
    for (int i = 0; i < 15; ++i) {
        rig.timers.advance(120);
        rig.answerPolls([&] {
            ++number;
            return addressedLine(1, recordBody(number, number)) + "\r";
        });
    }
    while (rig.finishedCalls == 0 && rig.timers.now() < 20000) {
        rig.timers.advance(120);
        rig.socket.sent.clear(); // polls go out; nothing comes back
    }
    EXPECT_EQ(rig.ended, DownloadState::StoppedAnswering);
    EXPECT_LT(rig.timers.now(), 1800 + 10000) << "before the link's own answer time-out";
    EXPECT_EQ(rig.records.count(), 15u);
}

TEST(LogDownload, cancelEndsItOnceAndANotOnlineConsoleEndsAtOnce) {
    DownloadRig rig;
    rig.start();
    rig.download->cancel();
    rig.download->cancel();
    rig.timers.advance(5000);
    EXPECT_EQ(rig.ended, DownloadState::Cancelled);
    EXPECT_EQ(rig.finishedCalls, 1);

    LinkRig offline;
    link::LogDownload download(offline.console, offline.records, offline.timers, rules(),
                               [&] { return offline.timers.now(); });
    DownloadState ended = DownloadState::Receiving;
    download.finished = [&](DownloadState s) { ended = s; };
    download.start();
    EXPECT_EQ(ended, DownloadState::LinkLost);
    EXPECT_TRUE(offline.socket.sent.empty()) << "no Get Log without a connection";
}

} // namespace
