#include "LinkRig.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;
namespace ss = aql::platform::sockstate;
using link::EndReason;
using link::LinkPhase;
using State = link::DownloadStatus::State;

namespace {

// A rig with reconnecting on, Online, that records when each connect starts.
struct ReconnectRig : LinkRig {
    std::vector<std::int64_t> connects;
    explicit ReconnectRig(bool reconnect = true) {
        console.setReconnect(reconnect);
        goOnline();
        socket.whenConnecting = [this] { connects.push_back(timers.now()); };
    }
    const link::LinkStatus &status() const { return console.status(); }
};

} // namespace

// ---- reconnecting -------------------------------------------------------------------------------

TEST(Reconnect, pausesDoubleFromOneSecondToAMinuteAndStartAgainOnceAReplyCame) {
    EXPECT_EQ(link::Reconnector::pauseBeforeAttempt(1000000), 60);
    ReconnectRig rig;
    rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
    rig.dropWithSocketError();
    EXPECT_TRUE(rig.status().reconnect.pending);
    EXPECT_EQ(rig.status().reconnect.secondsLeft, 1);
    EXPECT_EQ(rig.status().reconnect.attempt, 1);

    rig.timers.advance(183000); // 1 + 2 + 4 + 8 + 16 + 32 + 60 + 60 seconds
    EXPECT_EQ(rig.connects,
              (std::vector<std::int64_t>{1000, 3000, 7000, 15000, 31000, 63000, 123000, 183000}));
    EXPECT_EQ(rig.status().reconnect.attempt, 9);
    EXPECT_EQ(rig.status().reconnect.pauseSeconds, 60);
    EXPECT_TRUE(rig.box.shown.empty()); // a night of failed attempts piles up no boxes

    // The ninth attempt connects and the controller answers: the next loss starts from 1 s.
    rig.socket.outcome = FakeSocket::ConnectOutcome::Connect;
    rig.timers.advance(60000);
    ASSERT_EQ(rig.socket.state(), ss::kConnected);
    rig.controllerShows(0x01, 0, kPanelText);
    EXPECT_EQ(rig.status().reconnect.attempt, 0);
    rig.connects.clear();
    rig.dropWithSocketError();
    const std::int64_t lost = rig.timers.now();
    rig.timers.advance(1000);
    EXPECT_EQ(rig.connects, (std::vector<std::int64_t>{lost + 1000}));
}

TEST(Reconnect, pollsResumeEvery120msWithoutCatchingUpTheMissedOnes) {
    ReconnectRig rig;
    rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
    rig.dropWithSocketError();
    rig.socket.whenConnecting = [&] {
        if (rig.socket.connectCalls == 5) { // attempts at 1, 3 and 7 s fail; the one at 15 s not
            rig.socket.outcome = FakeSocket::ConnectOutcome::Connect;
            rig.socket.sent.clear();
        }
    };
    rig.timers.advance(15000);
    ASSERT_EQ(rig.socket.state(), ss::kConnected);
    EXPECT_TRUE(rig.socket.sent.empty()); // nothing at the connect itself
    rig.timers.advance(119);
    EXPECT_TRUE(rig.socket.sent.empty());
    rig.timers.advance(881); // the rest of the first second
    EXPECT_EQ(rig.commandBytes(), std::vector<int>(8, 66));
    rig.timers.advance(1000);
    EXPECT_EQ(rig.socket.sent.size(), 16u);
}

// A write the operator typed must not reach the controller minutes later with nobody watching.
TEST(Reconnect, aPendingVariableWriteIsDroppedByTheLossAndNeverReplayed) {
    for (bool reconnect : {true, false}) {
        SCOPED_TRACE(reconnect ? "reconnect on" : "reconnect off");
        ReconnectRig rig(reconnect);
        auto &variables = rig.console.variables();
        rig.chooseVariable(4, 7);
        rig.typeValue("25");
        rig.socket.deliver(blockLine(4, {{7, 3}}));
        ASSERT_EQ(rig.commandBytes().back(), 3); // the write went out once

        rig.dropWithSocketError();
        if (reconnect) {
            EXPECT_FALSE(variables.writePending());
            EXPECT_TRUE(rig.logHas("14:05:09 T237 4, 7, 25"));
            rig.timers.advance(1000); // reconnected
        } else {
            EXPECT_TRUE(variables.writePending()); // as it always was: it waits for Online
            rig.console.chooseOnline();
        }
        ASSERT_EQ(rig.socket.state(), ss::kConnected);
        rig.socket.sent.clear();
        for (int i = 0; i < 10; ++i) {
            rig.socket.deliver(blockLine(4, {{7, 3}}));
            rig.timers.advance(500);
        }
        const auto bytes = rig.commandBytes();
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 3) > 0, !reconnect);
    }
}

enum class Loss {
    AnswerTimeout,
    SocketError,
    ClosedByController,
    CorruptReply,
    CorruptUnaddressedReply,
    RefusedAtStart,
    RefusedWhenChosen
};

TEST(Reconnect, lossesAreRetriedWithoutABoxWhileOnAndGetOneBoxWhileOff) {
    const struct {
        Loss loss;
        link::ConnectionEnd end;
        bool retried; // by the reconnect when it is on
    } cases[] = {
        {Loss::AnswerTimeout, {EndReason::AnswerTimeout, 0}, true},
        {Loss::SocketError, {EndReason::SocketError, 10054}, true},
        {Loss::ClosedByController, {EndReason::ClosedByController, 10053}, true},
        {Loss::CorruptReply, {EndReason::CorruptReply, 0}, true},
        {Loss::CorruptUnaddressedReply, {EndReason::CorruptReply, 0}, true},
        {Loss::RefusedAtStart, {EndReason::ConnectFailed, 10061}, true},
        // The operator is there and reads why; trying again is theirs.
        {Loss::RefusedWhenChosen, {EndReason::ConnectFailed, 10061}, false},
    };
    for (const auto &c : cases) {
        for (bool on : {false, true}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(c.loss)) + (on ? " on" : " off"));
            LinkRig rig;
            rig.console.setReconnect(on);
            switch (c.loss) {
            case Loss::AnswerTimeout:
                rig.goOnline();
                rig.timers.advance(10200); // the first poll arms the watchdog at 120 ms
                break;
            case Loss::SocketError: rig.goOnline(), rig.dropWithSocketError(10054); break;
            case Loss::ClosedByController: rig.goOnline(), rig.dropWithSocketError(10053); break;
            case Loss::CorruptReply: rig.goOnline(), rig.socket.deliver(corruptReply()); break;
            case Loss::CorruptUnaddressedReply:
                rig.goOnline(), rig.socket.deliver(corruptReply(false));
                break;
            case Loss::RefusedAtStart:
                rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
                rig.console.startOnline();
                break;
            case Loss::RefusedWhenChosen:
                rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
                rig.goOnline();
                break;
            }
            EXPECT_FALSE(rig.panel().onlineSelected);
            EXPECT_EQ(rig.socket.state(), ss::kClosed);
            EXPECT_EQ(rig.console.status().lastEnd, c.end);
            const int connects = rig.socket.connectCalls;
            rig.socket.outcome = FakeSocket::ConnectOutcome::Connect;
            if (on && c.retried) {
                EXPECT_TRUE(rig.box.shown.empty());
                rig.timers.advance(1000);
                EXPECT_EQ(rig.socket.connectCalls, connects + 1);
                EXPECT_TRUE(rig.panel().onlineSelected);
            } else {
                ASSERT_EQ(rig.box.shown.size(), 1u);
                rig.socket.sent.clear();
                rig.timers.advance(120000);
                EXPECT_EQ(rig.socket.connectCalls, connects);
                EXPECT_TRUE(rig.socket.sent.empty());
                EXPECT_FALSE(rig.console.status().reconnect.pending);
            }
        }
    }
}

// Also an operator closing a working connection: it must never be opened again behind their back.
TEST(Reconnect, anyOperatorActionOnModePoolOrConfigurationStopsTheCountdown) {
    const struct {
        std::function<void(link::Console &)> act;
        bool connects;
        bool whileConnected = false; // rather than during the countdown after a loss
    } actions[] = {
        {[](link::Console &c) { c.chooseOnline(); }, true},
        {[](link::Console &c) { c.chooseOffline(); }, false},
        {[](link::Console &c) { c.chooseOffline(); }, false, true},
        {[](link::Console &c) { c.connection().goOnline(); }, true},
        {[](link::Console &c) { c.connection().closeConnection(); }, false},
        {[](link::Console &c) { c.connection().closeConnection(); }, false, true},
        {[](link::Console &c) { c.allowOnline(); }, false}, // a pool chosen
        {[](link::Console &c) { c.restart(); }, false},     // the configuration read again
        {[](link::Console &c) { c.cancelReconnect(); }, false},
        {[](link::Console &c) { c.setReconnect(false); }, false},
    };
    int index = 0;
    for (const auto &[act, connects, whileConnected] : actions) {
        SCOPED_TRACE(index++);
        ReconnectRig rig;
        if (!whileConnected) {
            rig.console.connection().setAnswerTimeout("100000000");
            rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
            rig.dropWithSocketError();
            rig.timers.advance(1000); // attempt 1 fails: 2 s to attempt 2
            ASSERT_TRUE(rig.status().reconnect.pending);
            rig.socket.outcome = FakeSocket::ConnectOutcome::Connect;
        }
        const int before = rig.socket.connectCalls + (connects ? 1 : 0);
        act(rig.console);
        EXPECT_FALSE(rig.status().reconnect.pending);
        EXPECT_EQ(rig.status().reconnect.attempt, 0);
        EXPECT_EQ(rig.socket.connectCalls, before);
        EXPECT_EQ(rig.panel().onlineSelected, connects);
        rig.timers.advance(300000);
        EXPECT_EQ(rig.socket.connectCalls, before);
    }
}

// ---- the status -------------------------------------------------------------------------------

TEST(LinkStatus, staleAfterTwoSecondsWithoutAValidReplyUntilTheNextOne) {
    LinkRig rig;
    rig.goOnline();
    const link::LinkStatus &status = rig.console.status();
    rig.timers.advance(1999); // no reply since the connect
    EXPECT_FALSE(status.stale);
    rig.timers.advance(1);
    EXPECT_TRUE(status.stale);

    rig.controllerShows(0x01, 0, kPanelText);
    EXPECT_FALSE(status.stale); // at once, not at the next tick
    rig.timers.advance(1500);
    rig.socket.deliver(unaddressedLine(displayBody(1, 0, kPanelText)).substr(0, 170) + "\r");
    rig.socket.deliver(addressedLine(9, displayBody(1, 0, kPanelText)) + "x\r");
    rig.timers.advance(499); // lines of the wrong length are no reply
    EXPECT_FALSE(status.stale);
    rig.timers.advance(1);
    EXPECT_TRUE(status.stale);
}

TEST(LinkStatus, aControllerThatFallsSilentOrADroppedLinkNeverMakesALogComplete) {
    LinkRig rig;
    rig.loadMainWindow();
    rig.console.requestLog(); // Offline: nothing is asked, nothing starts
    EXPECT_EQ(rig.console.status().download.state, State::None);
    rig.goOnline();
    rig.console.requestLog();
    rig.socket.deliver(recordStream(1, 5));
    rig.timers.advance(1000);
    EXPECT_EQ(rig.console.status().download.state, State::Receiving);
    rig.timers.advance(4000); // unanswered polls are never an end of log
    EXPECT_EQ(rig.console.status().download.state, State::ControllerSilent);

    rig.console.requestLog();
    rig.socket.deliver(recordStream(6, 5));
    rig.timers.advance(1000);
    rig.dropWithSocketError();
    EXPECT_EQ(rig.console.status().download.state, State::Interrupted);
}
