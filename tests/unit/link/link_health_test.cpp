#include "LinkRig.h"

#include "link/LinkStatusText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace aql;
using namespace aql::test;
using link::EndReason;
using link::LinkPhase;
namespace ss = aql::platform::sockstate;

namespace {

const std::string kText = "pH  7.25   Cl  0.60 Redox  712 mV       Flow  42 m3/h       Temp 27.5 C";

bool logHas(const LinkRig &rig, const std::string &line) {
    const auto &log = rig.connectionWindow().eventLog;
    return std::find(log.begin(), log.end(), line) != log.end();
}

std::string recordLines(int first, int count) {
    std::string stream;
    for (int n = first; n < first + count; ++n) {
        stream += addressedLine(1, recordBody(1000 + n, n)) + "\r";
    }
    return stream;
}

std::string corruptLine() {
    std::string line = addressedLine(1, displayBody(1, 0, kText));
    line.back() = static_cast<char>(line.back() ^ 0x01);
    return line + "\r";
}

void dropWithSocketError(LinkRig &rig, int number = 10054) {
    rig.socket.postError(number, "reset by peer");
    rig.pump.runPosted();
}

} // namespace

// ---- reconnecting -------------------------------------------------------------------------------

TEST(Reconnect, pausesDoubleFromOneSecondToAMinuteAndStartAgainOnceAReplyCame) {
    for (int attempt = 1; attempt <= 9; ++attempt) {
        const int expected[] = {1, 2, 4, 8, 16, 32, 60, 60, 60};
        EXPECT_EQ(link::Reconnector::pauseBeforeAttempt(attempt), expected[attempt - 1]);
    }
    EXPECT_EQ(link::Reconnector::pauseBeforeAttempt(1000000), 60);

    LinkRig rig;
    rig.console.setReconnect(true);
    rig.goOnline();
    std::vector<std::int64_t> connects;
    rig.socket.whenConnecting = [&] { connects.push_back(rig.timers.now()); };
    rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
    dropWithSocketError(rig);
    EXPECT_TRUE(rig.console.status().reconnect.pending);
    EXPECT_EQ(rig.console.status().reconnect.secondsLeft, 1);
    EXPECT_EQ(rig.console.status().reconnect.attempt, 1);

    rig.timers.advance(183000); // 1 + 2 + 4 + 8 + 16 + 32 + 60 + 60 seconds
    std::vector<std::int64_t> pauses;
    std::int64_t previous = 0;
    for (std::int64_t at : connects) {
        pauses.push_back(at - previous);
        previous = at;
    }
    EXPECT_EQ(pauses,
              (std::vector<std::int64_t>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000}));
    EXPECT_EQ(rig.console.status().reconnect.attempt, 9);
    EXPECT_EQ(rig.console.status().reconnect.pauseSeconds, 60);
    EXPECT_TRUE(rig.box.shown.empty()); // a night of failed attempts piles up no boxes

    // The ninth attempt connects and the controller answers: the next loss starts from 1 s.
    rig.socket.outcome = FakeSocket::ConnectOutcome::Connect;
    rig.timers.advance(60000);
    ASSERT_EQ(rig.socket.state(), ss::kConnected);
    EXPECT_TRUE(rig.panel().onlineSelected);
    EXPECT_EQ(rig.console.operatingMode(), 2);
    rig.controllerShows(0x01, 0, kText);
    EXPECT_EQ(rig.console.status().reconnect.attempt, 0);
    connects.clear();
    dropWithSocketError(rig);
    const std::int64_t lost = rig.timers.now();
    rig.timers.advance(1000);
    EXPECT_EQ(connects, (std::vector<std::int64_t>{lost + 1000}));
}

TEST(Reconnect, aConnectThatNeverBringsAReplyDoesNotStartThePausesAgain) {
    LinkRig rig;
    rig.console.setReconnect(true);
    rig.goOnline();
    std::vector<std::int64_t> connects;
    rig.socket.whenConnecting = [&] { connects.push_back(rig.timers.now()); };
    dropWithSocketError(rig);
    rig.timers.advance(1000); // attempt 1 connects, the controller stays silent
    ASSERT_EQ(rig.socket.state(), ss::kConnected);
    rig.timers.advance(500);
    dropWithSocketError(rig);                             // lost again at 1500
    EXPECT_EQ(rig.console.status().reconnect.attempt, 2); // not 1
    rig.timers.advance(2000);
    EXPECT_EQ(connects, (std::vector<std::int64_t>{1000, 3500}));
}

TEST(Reconnect, pollsResumeEvery120msWithoutCatchingUpTheMissedOnes) {
    LinkRig rig;
    rig.console.setReconnect(true);
    rig.goOnline();
    rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
    dropWithSocketError(rig);
    int connects = 0;
    std::size_t sentBefore = 0;
    rig.socket.whenConnecting = [&] {
        if (++connects == 4) {
            rig.socket.outcome = FakeSocket::ConnectOutcome::Connect;
            sentBefore = rig.socket.sent.size();
        }
    };
    rig.timers.advance(15000); // attempts at 1, 3 and 7 s fail; the one at 15 s connects
    ASSERT_EQ(rig.socket.state(), ss::kConnected);
    rig.socket.sent.erase(rig.socket.sent.begin(),
                          rig.socket.sent.begin() + static_cast<std::ptrdiff_t>(sentBefore));
    EXPECT_TRUE(rig.socket.sent.empty()); // nothing at the connect itself
    rig.timers.advance(119);
    EXPECT_TRUE(rig.socket.sent.empty());
    rig.timers.advance(881); // the rest of the first second
    EXPECT_EQ(rig.commandBytes(), std::vector<int>(8, 66));
    rig.timers.advance(1000);
    EXPECT_EQ(rig.socket.sent.size(), 16u);
}

TEST(Reconnect, neverAfterTheOperatorClosedTheConnection) {
    const std::vector<std::pair<const char *, std::function<void(LinkRig &)>>> closes = {
        {"Offline chosen", [](LinkRig &rig) { rig.console.chooseOffline(); }},
        {"connection window's Close",
         [](LinkRig &rig) { rig.console.connection().closeConnection(); }},
    };
    for (const auto &[name, close] : closes) {
        SCOPED_TRACE(name);
        LinkRig rig;
        rig.console.setReconnect(true);
        rig.goOnline();
        close(rig);
        rig.timers.advance(300000);
        EXPECT_EQ(rig.socket.connectCalls, 1);
        EXPECT_FALSE(rig.console.status().reconnect.pending);
        EXPECT_EQ(rig.console.status().lastEnd.reason, EndReason::OperatorOffline);
        EXPECT_EQ(rig.console.status().phase, LinkPhase::Offline);
    }
}

// A write the operator typed must not reach the controller minutes later with nobody watching.
TEST(Reconnect, aPendingVariableWriteIsDroppedByTheLossAndNeverReplayed) {
    for (bool reconnect : {true, false}) {
        SCOPED_TRACE(reconnect ? "reconnect on" : "reconnect off");
        LinkRig rig;
        rig.console.setReconnect(reconnect);
        rig.goOnline();
        auto &variables = rig.console.variables();
        variables.selectTab(3);
        variables.selectCell(3 * 25 + 6); // block 4, variable 7
        variables.setEditText("25");
        variables.confirmEdit();
        rig.socket.deliver(blockLine(4, {{7, 3}}));
        ASSERT_EQ(rig.commandBytes().back(), 3); // the write went out once

        dropWithSocketError(rig);
        if (reconnect) {
            EXPECT_FALSE(variables.writePending());
            EXPECT_TRUE(logHas(rig, "14:05:09 T237 4, 7, 25"));
            rig.timers.advance(1000); // reconnected
        } else {
            // As it always was: the write waits for the operator's next Online.
            EXPECT_TRUE(variables.writePending());
            rig.console.chooseOnline();
        }
        ASSERT_EQ(rig.socket.state(), ss::kConnected);
        rig.socket.sent.clear();
        for (int i = 0; i < 10; ++i) {
            rig.socket.deliver(blockLine(4, {{7, 3}}));
            rig.timers.advance(500);
        }
        const auto bytes = rig.commandBytes();
        const bool written = std::find(bytes.begin(), bytes.end(), 3) != bytes.end();
        EXPECT_EQ(written, !reconnect);
    }
}

enum class Loss {
    AnswerTimeout,
    SocketError,
    ClosedByController,
    CorruptReply,
    RefusedAtStart,
    RefusedWhenChosen
};

struct LossCase {
    Loss loss;
    const char *name;
    std::string box;    // the message shown without reconnecting
    std::string reason; // in the event log while reconnecting
    link::ConnectionEnd end;
    bool retried; // by the reconnect when it is on
};

void cause(LinkRig &rig, Loss loss) {
    switch (loss) {
    case Loss::AnswerTimeout:
        rig.goOnline();
        rig.timers.advance(10200); // the first poll arms the watchdog at 120 ms
        break;
    case Loss::SocketError:
        rig.goOnline();
        dropWithSocketError(rig, 10054);
        break;
    case Loss::ClosedByController:
        rig.goOnline();
        dropWithSocketError(rig, 10053);
        break;
    case Loss::CorruptReply:
        rig.goOnline();
        rig.socket.deliver(corruptLine());
        break;
    case Loss::RefusedAtStart:
        rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
        rig.console.startOnline();
        break;
    case Loss::RefusedWhenChosen:
        rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
        rig.console.chooseOnline();
        break;
    }
}

TEST(Reconnect, lossesGoToTheEventLogWhileOnAndToTheSameBoxesAsBeforeWhileOff) {
    const std::string refused = "T92 10061   T89\r\n\r\nT194\r\nT195";
    const LossCase cases[] = {
        {Loss::AnswerTimeout,
         "answer time-out",
         "T92 0   T196\r\n\r\nT197\r\nT198\r\nT199\r\nT200\r\nT201",
         "T230",
         {EndReason::AnswerTimeout, 0},
         true},
        {Loss::SocketError,
         "socket error",
         "T92 10054   reset by peer",
         "T92 10054",
         {EndReason::SocketError, 10054},
         true},
        {Loss::ClosedByController,
         "closed by the controller",
         "T92 10053   T121",
         "T233, T92 10053",
         {EndReason::ClosedByController, 10053},
         true},
        {Loss::CorruptReply,
         "corrupt reply",
         "T96\r\n",
         "T231",
         {EndReason::CorruptReply, 0},
         true},
        {Loss::RefusedAtStart,
         "refused at the project-mode start",
         refused,
         "T232, T92 10061",
         {EndReason::ConnectFailed, 10061},
         true},
        // The operator is there and reads why; trying again is theirs.
        {Loss::RefusedWhenChosen,
         "refused when Online was chosen",
         refused,
         "",
         {EndReason::ConnectFailed, 10061},
         false},
    };
    for (const auto &c : cases) {
        for (bool on : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (on ? ", reconnect on" : ", reconnect off"));
            LinkRig rig;
            rig.console.setReconnect(on);
            cause(rig, c.loss);
            EXPECT_FALSE(rig.panel().onlineSelected);
            EXPECT_EQ(rig.socket.state(), ss::kClosed);
            EXPECT_EQ(rig.console.status().lastEnd, c.end);
            const int connects = rig.socket.connectCalls;
            rig.socket.outcome = FakeSocket::ConnectOutcome::Connect;
            if (on && c.retried) {
                EXPECT_TRUE(rig.box.shown.empty());
                EXPECT_TRUE(logHas(rig, "14:05:09 T227 (" + c.reason + "). T225 1 s, T226 1"));
                EXPECT_EQ(rig.console.status().reconnect.attempt, 1);
                rig.timers.advance(1000);
                EXPECT_EQ(rig.socket.connectCalls, connects + 1);
                EXPECT_TRUE(rig.panel().onlineSelected);
                EXPECT_TRUE(logHas(rig, "14:05:09 T228 1"));
            } else {
                ASSERT_EQ(rig.box.shown.size(), 1u);
                EXPECT_EQ(rig.box.shown[0].text, c.box);
                EXPECT_EQ(rig.box.shown[0].style, 16);
                rig.timers.advance(120000);
                EXPECT_EQ(rig.socket.connectCalls, connects);
                EXPECT_FALSE(rig.console.status().reconnect.pending);
            }
        }
    }
}

TEST(Reconnect, aSecondCorruptLineOfTheSameReadIsTheSameLoss) {
    LinkRig rig;
    rig.console.setReconnect(true);
    rig.goOnline();
    rig.socket.deliver(corruptLine() + corruptLine());
    EXPECT_EQ(rig.console.status().reconnect.attempt, 1);
    EXPECT_EQ(rig.console.status().reconnect.secondsLeft, 1);
    EXPECT_TRUE(rig.box.shown.empty());
}

TEST(Reconnect, anyOperatorActionOnModePoolOrConfigurationStopsTheCountdown) {
    struct Action {
        const char *name;
        std::function<void(link::Console &)> act;
        bool connects; // the action itself goes Online
    };
    const Action actions[] = {
        {"Online chosen", [](link::Console &c) { c.chooseOnline(); }, true},
        {"Offline chosen", [](link::Console &c) { c.chooseOffline(); }, false},
        {"connection window's Connect", [](link::Console &c) { c.connection().goOnline(); }, true},
        {"connection window's Close", [](link::Console &c) { c.connection().closeConnection(); },
         false},
        {"pool chosen", [](link::Console &c) { c.allowOnline(); }, false},
        {"configuration read again", [](link::Console &c) { c.restart(); }, false},
        {"the shell cancels", [](link::Console &c) { c.cancelReconnect(); }, false},
        {"reconnect switched off", [](link::Console &c) { c.setReconnect(false); }, false},
    };
    for (const auto &a : actions) {
        SCOPED_TRACE(a.name);
        LinkRig rig;
        rig.console.setReconnect(true);
        rig.goOnline();
        rig.console.connection().setAnswerTimeout("100000000");
        rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
        dropWithSocketError(rig);
        rig.timers.advance(1000); // attempt 1 fails: 2 s to attempt 2
        ASSERT_TRUE(rig.console.status().reconnect.pending);
        rig.socket.outcome = FakeSocket::ConnectOutcome::Connect;
        const int connects = rig.socket.connectCalls;
        a.act(rig.console);
        EXPECT_FALSE(rig.console.status().reconnect.pending);
        EXPECT_EQ(rig.console.status().reconnect.attempt, 0);
        EXPECT_TRUE(logHas(rig, "14:05:09 T229"));
        EXPECT_EQ(rig.socket.connectCalls, connects + (a.connects ? 1 : 0));
        rig.timers.advance(120000);
        EXPECT_EQ(rig.socket.connectCalls, connects + (a.connects ? 1 : 0));
    }
}

// ---- the status -------------------------------------------------------------------------------

TEST(LinkStatus, staleAfterTwoSecondsWithoutAValidReplyUntilTheNextOneAndNeverOffline) {
    LinkRig rig;
    rig.goOnline();
    const link::LinkStatus &status = rig.console.status();
    rig.timers.advance(1999); // no reply since the connect
    EXPECT_FALSE(status.stale);
    rig.timers.advance(1);
    EXPECT_TRUE(status.stale);

    rig.controllerShows(0x01, 0, kText);
    EXPECT_FALSE(status.stale); // at once, not at the next tick
    rig.timers.advance(1500);
    rig.socket.deliver(unaddressedLine(displayBody(1, 0, kText)).substr(0, 170) + "\r");
    rig.socket.deliver(addressedLine(9, displayBody(1, 0, kText)) + "x\r");
    rig.timers.advance(499); // lines of the wrong length are no reply
    EXPECT_FALSE(status.stale);
    rig.timers.advance(1);
    EXPECT_TRUE(status.stale);

    rig.console.chooseOffline();
    EXPECT_FALSE(status.stale);
    rig.timers.advance(10000);
    EXPECT_FALSE(status.stale);
    EXPECT_EQ(status.phase, LinkPhase::Offline);
    EXPECT_FALSE(status.lastReplyAgeMs);
}

TEST(LinkStatus, observersHearOfPhaseChangesAndTicksNeverOfEachLine) {
    LinkRig rig;
    rig.socket.outcome = FakeSocket::ConnectOutcome::Hang;
    std::vector<LinkPhase> phases;
    int notifications = 0;
    auto subscription = rig.console.subscribeStatus([&] {
        ++notifications;
        if (phases.empty() || phases.back() != rig.console.status().phase) {
            phases.push_back(rig.console.status().phase);
        }
    });
    rig.pump.duringProcessEvents = [&] { rig.socket.setState(ss::kConnected); };
    rig.goOnline();
    rig.pump.duringProcessEvents = nullptr;
    EXPECT_EQ(phases, (std::vector<LinkPhase>{LinkPhase::Connecting, LinkPhase::Online}));

    rig.timers.advance(100);
    notifications = 0;
    std::string burst;
    for (int i = 0; i < 100; ++i) {
        burst += unaddressedLine(displayBody(1, 0, kText)) + "\r";
    }
    burst += unaddressedLine(displayBody(1, 0, kText)).substr(0, 100) + "\r"; // one dropped
    rig.socket.deliver(burst);
    rig.timers.advance(799);
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(rig.console.status().linesReceived, 0u);
    rig.timers.advance(101); // the tick at 1000 ms
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(rig.console.status().linesReceived, 101u);
    EXPECT_EQ(rig.console.status().droppedLines, 1u);
    EXPECT_EQ(rig.console.status().lastReplyAgeMs, std::optional<std::int64_t>(900));

    rig.socket.deliver(corruptLine());
    EXPECT_EQ(phases.back(), LinkPhase::Offline);
    rig.timers.advance(1000);
    EXPECT_EQ(rig.console.status().checksumErrors, 1u);
    EXPECT_EQ(rig.console.status().lastEnd.reason, EndReason::CorruptReply);
}

TEST(LinkStatus, downloadRateFollowsTheArrivalsAndTheEndOfLogRuleSaysWhenItIsComplete) {
    LinkRig rig;
    rig.loadMainWindow();
    rig.goOnline();
    link::DownloadRules rules;
    rules.quietMs = 2000;
    rules.silentMs = 2500;
    rig.console.setDownloadRules(rules);
    const link::DownloadStatus &d = rig.console.status().download;
    EXPECT_EQ(d.state, link::DownloadStatus::State::None);
    rig.console.requestLog(); // at 0 ms; the status ticks at every whole second
    EXPECT_EQ(d.state, link::DownloadStatus::State::Receiving);

    int next = 1;
    auto arrive = [&](int count) {
        rig.socket.deliver(recordLines(next, count));
        next += count;
    };
    rig.timers.advance(50);
    for (int i = 0; i < 10; ++i) { // 5 records every 100 ms
        arrive(5);
        rig.timers.advance(100);
    }
    // Now 1050: the tick at 1000 counted the 50.
    EXPECT_EQ(d.recordsPerSecond, 50u);
    EXPECT_EQ(d.recordsHeld, 50u);
    EXPECT_EQ(d.elapsedMs, 1000);
    for (int i = 0; i < 10; ++i) { // 2 every 100 ms
        arrive(2);
        rig.timers.advance(100);
    }
    EXPECT_EQ(d.recordsPerSecond, 20u);
    rig.timers.advance(1000); // none
    EXPECT_EQ(d.recordsPerSecond, 0u);
    rig.timers.advance(500);
    rig.socket.deliver(recordLines(1, 10)); // held already: received, not held again
    rig.timers.advance(500);
    EXPECT_EQ(d.recordsPerSecond, 10u);
    EXPECT_EQ(d.recordsReceived, 80u);
    EXPECT_EQ(d.recordsHeld, 70u);
    EXPECT_EQ(d.elapsedMs, 4000);

    // Answers keep coming and none of them is a record: the log is complete after the quiet time.
    const std::string display = addressedLine(1, displayBody(1, 0, kText));
    rig.socket.deliver(display);
    rig.timers.advance(1000);
    EXPECT_EQ(d.state, link::DownloadStatus::State::Receiving);
    rig.socket.deliver(display);
    rig.timers.advance(1000);
    EXPECT_EQ(d.state, link::DownloadStatus::State::Complete);
    EXPECT_EQ(d.recordsReceived, 80u);
    EXPECT_EQ(d.recordsHeld, 70u);
    EXPECT_EQ(describeStatus(rig.console.status(), numberedText).download, "T221 70 T222");
}

TEST(LinkStatus, aControllerThatFallsSilentOrADroppedLinkNeverMakesALogComplete) {
    LinkRig rig;
    rig.loadMainWindow();
    rig.console.requestLog(); // Offline: nothing is asked, nothing starts
    EXPECT_EQ(rig.console.status().download.state, link::DownloadStatus::State::None);
    rig.goOnline();
    rig.console.requestLog();
    rig.socket.deliver(recordLines(1, 5));
    rig.timers.advance(1000);
    EXPECT_EQ(rig.console.status().download.state, link::DownloadStatus::State::Receiving);
    rig.timers.advance(4000); // unanswered polls are never an end of log
    EXPECT_EQ(rig.console.status().download.state, link::DownloadStatus::State::ControllerSilent);

    rig.console.requestLog();
    rig.socket.deliver(recordLines(6, 5));
    rig.timers.advance(1000);
    dropWithSocketError(rig);
    EXPECT_EQ(rig.console.status().download.state, link::DownloadStatus::State::Interrupted);
    EXPECT_EQ(describeStatus(rig.console.status(), numberedText).download, "T224 T218 10");
}

TEST(LinkStatus, textsOfTheStatusBar) {
    link::LinkStatus s;
    s.phase = LinkPhase::Online;
    s.lastReplyAgeMs = 87;
    s.linesReceived = 1234;
    s.checksumErrors = 2;
    s.droppedLines = 5;
    link::LinkStatusTexts t = describeStatus(s, numberedText);
    EXPECT_EQ(t.phase, "T211");
    EXPECT_EQ(t.reply, "T213 87 ms T214");
    EXPECT_EQ(t.staleNote, "");
    EXPECT_EQ(t.linesReceived, "T215 1234");
    EXPECT_EQ(t.checksumErrors, "T216 2");
    EXPECT_EQ(t.droppedLines, "T217 5");
    EXPECT_EQ(t.download, "");
    EXPECT_EQ(t.reconnect, "");

    s.stale = true;
    s.lastReplyAgeMs = 2999;
    s.download.state = link::DownloadStatus::State::Receiving;
    s.download.recordsHeld = 120;
    s.download.recordsPerSecond = 35;
    s.download.elapsedMs = 72500;
    t = describeStatus(s, numberedText);
    EXPECT_EQ(t.reply, "T213 2 s T214");
    EXPECT_EQ(t.staleNote, "T212");
    EXPECT_EQ(t.download, "T218 120   35 T219   T220 1:12");

    s.phase = LinkPhase::Offline;
    s.lastEnd = {EndReason::AnswerTimeout, 0};
    s.reconnect.pending = true;
    s.reconnect.secondsLeft = 4;
    s.reconnect.attempt = 3;
    s.download.state = link::DownloadStatus::State::ControllerSilent;
    t = describeStatus(s, numberedText);
    EXPECT_EQ(t.phase, "T210");
    EXPECT_EQ(t.reconnect, "T225 4 s, T226 3 (T230)");
    EXPECT_EQ(t.download, "T223 T218 120");
    s.phase = LinkPhase::Connecting;
    EXPECT_EQ(describeStatus(s, numberedText).phase, "T202");

    const std::pair<std::int64_t, std::string> durations[] = {
        {0, "0:00"}, {999, "0:00"}, {7000, "0:07"}, {750000, "12:30"}, {3723000, "1:02:03"}};
    for (const auto &[ms, text] : durations) {
        EXPECT_EQ(link::minutesAndSeconds(ms), text) << ms;
    }
}
