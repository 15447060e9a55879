#include "LinkRig.h"
#include "cli/CliArgs.h"
#include "cli/DownloadSession.h"
#include "cli/VariablesSession.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace aql;
using namespace aql::test;

namespace {

struct DownloadRig : LinkRig {
    cli::DownloadSettings settings() {
        cli::DownloadSettings s;
        s.host = "127.0.0.1";
        s.port = "5000";
        s.address = 1;
        s.idleSeconds = 3;
        s.timeoutSeconds = 30;
        return s;
    }
    std::unique_ptr<cli::DownloadSession> session;
    cli::DownloadSession::Outcome ended = cli::DownloadSession::Outcome::Running;
    void start() {
        session = std::make_unique<cli::DownloadSession>(console, timers, records, settings());
        session->finished = [this](cli::DownloadSession::Outcome o) { ended = o; };
        session->start();
    }
};

} // namespace

TEST(DownloadSession, endsWhenTheControllerHasBeenQuietForTheIdleTime) {
    DownloadRig rig;
    rig.start();
    ASSERT_EQ(rig.commandBytes(), std::vector<int>{65}); // Get Log went out at once
    rig.timers.advance(500);
    rig.socket.deliver(addressedLine(1, recordBody(1, 1)) + "\r");
    rig.timers.advance(2000);
    rig.socket.deliver(addressedLine(1, recordBody(2, 2)) + "\r");
    rig.timers.advance(2900);
    EXPECT_EQ(rig.ended, cli::DownloadSession::Outcome::Running);
    // Only duplicates now: they still count as arrivals, the controller is still sending.
    rig.socket.deliver(addressedLine(1, recordBody(2, 2)) + "\r");
    rig.timers.advance(2900);
    EXPECT_EQ(rig.ended, cli::DownloadSession::Outcome::Running);
    rig.timers.advance(200);
    EXPECT_EQ(rig.ended, cli::DownloadSession::Outcome::Done);
    EXPECT_EQ(rig.records.count(), 2u);
    EXPECT_EQ(rig.socket.state(), platform::sockstate::kClosed); // left Offline
}

TEST(DownloadSession, aRefusedConnectionFailsAtOnceWithTheLinksMessage) {
    DownloadRig rig;
    rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
    rig.start();
    EXPECT_EQ(rig.ended, cli::DownloadSession::Outcome::ConnectFailed);
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text.substr(0, 9), "T92 10061");
}

TEST(DownloadSession, noRecordWithinTheTimeoutFailsAndALostLinkKeepsWhatArrived) {
    {
        DownloadRig rig;
        rig.start();
        for (int i = 0; i < 290; ++i) {
            rig.timers.advance(100);
            rig.socket.deliver(addressedLine(1, displayBody(1, 0, "menu")) + "\r");
        }
        EXPECT_EQ(rig.ended, cli::DownloadSession::Outcome::Running);
        rig.timers.advance(1000);
        EXPECT_EQ(rig.ended, cli::DownloadSession::Outcome::NoRecords);
    }
    {
        DownloadRig rig;
        rig.start();
        rig.socket.deliver(addressedLine(1, recordBody(7, 7)) + "\r");
        rig.socket.postError(platform::sockerr::kConnectionAborted, "closed");
        rig.pump.runPosted();
        rig.timers.advance(100);
        EXPECT_EQ(rig.ended, cli::DownloadSession::Outcome::LinkLost);
        EXPECT_EQ(rig.records.count(), 1u);
    }
}

TEST(VariablesSession, readsEveryBlockWithoutWaitingForTheWindowsSlowPass) {
    LinkRig rig;
    cli::VariablesSettings s;
    s.host = "h";
    s.port = "1";
    cli::VariablesSession session(rig.console, rig.timers, s);
    bool done = false;
    session.finished = [&](cli::VariablesSession::Outcome o) {
        done = o == cli::VariablesSession::Outcome::Done;
    };
    session.start();
    for (int round = 0; round < 40 && !done; ++round) {
        rig.timers.advance(200);
        // Answer every block request that went out.
        std::vector<int> asked;
        for (const auto &f : rig.socket.sent) {
            if (f[2] == 4) {
                asked.push_back(static_cast<unsigned char>(f[3]));
            }
        }
        rig.socket.sent.clear();
        for (int b : asked) {
            std::string body{'\x05', static_cast<char>(b), '\0'};
            std::string raw(52, '\0');
            raw[0] = static_cast<char>(b * 10); // variable 1 = block x 10
            rig.socket.deliver(addressedLine(1, body + raw) + "\r");
        }
    }
    ASSERT_TRUE(done);
    EXPECT_LE(rig.timers.now(), 2400); // nine blocks in a couple of seconds, not nine 3-second ticks
    const std::string report = session.report();
    EXPECT_NE(report.find("block 0: 0 0"), std::string::npos);
    EXPECT_NE(report.find("block 8: 80 0"), std::string::npos);
}

TEST(CliArgs, optionsValuesAndMistakes) {
    auto a = cli::parseCliArgs({"download", "--host", "10.0.0.5", "--port=4001", "--help"},
                               {"host", "port"});
    EXPECT_EQ(a.command, "download");
    EXPECT_EQ(a.value("host").value(), "10.0.0.5");
    EXPECT_EQ(a.value("port").value(), "4001");
    EXPECT_TRUE(a.help);
    EXPECT_THROW(cli::parseCliArgs({"download", "--hots", "x"}, {"host"}), std::invalid_argument);
    EXPECT_THROW(cli::parseCliArgs({"download", "--host"}, {"host"}), std::invalid_argument);
    EXPECT_THROW(cli::parseCliArgs({"download", "--host", "a", "--host", "b"}, {"host"}),
                 std::invalid_argument);
    EXPECT_THROW(cli::parseCliArgs({"download", "stray"}, {"host"}), std::invalid_argument);
    EXPECT_EQ(cli::parseBounded("port", "65535", 1, 65535), 65535);
    EXPECT_THROW(cli::parseBounded("port", "65536", 1, 65535), std::invalid_argument);
    EXPECT_THROW(cli::parseBounded("port", "12ab", 1, 65535), std::invalid_argument);
    EXPECT_THROW(cli::parseBounded("port", "", 1, 65535), std::invalid_argument);
}
