#include "LinkRig.h"
#include "cli/DownloadSession.h"
#include "cli/VariablesSession.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace aql;
using namespace aql::test;
using link::DownloadState;

namespace {

constexpr int kSetVar = 3;
constexpr int kAskBlock = 4;
constexpr int kPoll = 66;

// A connect that takes `ms` of the manual clock before it succeeds.
void slowConnect(LinkRig &rig, std::int64_t ms) {
    rig.socket.outcome = FakeSocket::ConnectOutcome::Hang;
    rig.pump.duringProcessEvents = [&rig, ms] {
        if (rig.socket.state() == platform::sockstate::kConnecting) {
            rig.timers.advance(50);
            if (rig.timers.now() >= ms) {
                rig.socket.setState(platform::sockstate::kConnected);
            }
        }
    };
}

struct DownloadRig : LinkRig {
    cli::DownloadSettings settings;
    std::unique_ptr<cli::DownloadSession> session;
    int finishedCalls = 0;

    DownloadRig() {
        settings.host = "127.0.0.1";
        settings.port = "5000";
        settings.timeoutMs = 3000;
        settings.quietMs = 1000;
    }
    void start() {
        session = std::make_unique<cli::DownloadSession>(console, timers, records, settings,
                                                         [this] { return timers.now(); });
        session->finished = [this] { ++finishedCalls; };
        session->start();
    }
    void answerPolls(const std::function<std::string()> &reply) {
        for (const auto &frame : socket.sent) {
            if (static_cast<unsigned char>(frame[2]) == kPoll) {
                socket.deliver(reply());
            }
        }
        socket.sent.clear();
    }
    void runUntilFinished(const std::function<std::string()> &reply, std::int64_t untilMs) {
        while (finishedCalls == 0 && timers.now() < untilMs) {
            timers.advance(120);
            answerPolls(reply);
        }
    }
};

std::string display() {
    return addressedLine(1, displayBody(1, 0, "menu")) + "\r";
}

} // namespace

TEST(DownloadSession, theTimeoutCoversTheConnectAndTheWaitForTheFirstRecord) {
    DownloadRig rig;
    slowConnect(rig, 2500);
    rig.start();
    ASSERT_TRUE(rig.console.connected());
    rig.runUntilFinished([] { return std::string(); }, 20000);
    EXPECT_EQ(rig.session->state(), DownloadState::NoValidReply);
    EXPECT_GE(rig.timers.now(), 3000);
    EXPECT_LE(rig.timers.now(), 3200) << "the connect's 2.5 s came off the 3 s";
    EXPECT_EQ(rig.session->summary(), "no valid reply from address 1 within 3 s");
    EXPECT_FALSE(rig.session->succeeded());
    EXPECT_EQ(rig.socket.state(), platform::sockstate::kClosed);
}

TEST(DownloadSession, theTimeoutNeverCutsOffADownloadThatIsReceiving) {
    DownloadRig rig;
    rig.start();
    int number = 0;
    rig.runUntilFinished(
        [&] {
            ++number;
            // One record in three polls: a 400-record log takes far longer than the time-out.
            return number % 3 == 0 ? addressedLine(1, recordBody(number, number)) + "\r"
                                   : display();
        },
        rig.settings.timeoutMs + 400 * 3 * 120);
    EXPECT_EQ(rig.finishedCalls, 0);
    EXPECT_EQ(rig.session->state(), DownloadState::Receiving);
    rig.runUntilFinished(display, rig.timers.now() + 10000);
    EXPECT_TRUE(rig.session->succeeded());
    EXPECT_EQ(rig.session->summary(),
              "log downloaded: " + std::to_string(rig.records.count()) + " records held");
    EXPECT_GT(rig.records.count(), 400u);
}

// A refused connection, an interruption and the record cap are run by the process table against
// the simulator.
TEST(DownloadSession, aStrangerOnThePortIsNamed) {
    const std::pair<std::string, const char *> strangers[] = {
        {addressedLine(2, displayBody(1, 0, "menu")) + "\r",
         "no valid reply from address 1 within 3 s (24 replies for other addresses: is the "
         "address right?)"},
        {"HTTP/1.1 400 Bad Request\r",
         "no valid reply from address 1 within 3 s (24 lines that are no controller reply: is "
         "this the controller's port?)"},
    };
    for (const auto &[line, summary] : strangers) {
        DownloadRig rig;
        rig.start();
        rig.runUntilFinished([&] { return line; }, 20000);
        EXPECT_EQ(rig.session->summary(), summary);
    }
}

// ---- variables --------------------------------------------------------------------------------

namespace {

struct VariablesRig : LinkRig {
    cli::VariablesSettings settings;
    std::unique_ptr<cli::VariablesSession> session;
    cli::VariablesSession::Outcome ended = cli::VariablesSession::Outcome::Running;
    // The controller's variables, raw 16-bit values; a write is taken when `accepts`.
    std::array<std::array<std::uint16_t, 27>, 9> held{};
    bool accepts = true;
    bool answers = true;
    int writesSeen = 0;

    VariablesRig() {
        settings.host = "h";
        settings.port = "1";
        settings.timeoutMs = 2000;
        held[1][4] = 80;
        for (int b = 0; b <= 8; ++b) {
            held[static_cast<std::size_t>(b)][1] = static_cast<std::uint16_t>(b * 10);
        }
    }
    void start() {
        session = std::make_unique<cli::VariablesSession>(console, timers, settings,
                                                          [this] { return timers.now(); });
        session->finished = [this](cli::VariablesSession::Outcome o) { ended = o; };
        session->start();
    }
    std::string blockLine(int block) const {
        std::string body{'\x05', static_cast<char>(block), '\0'};
        for (int v = 1; v <= 26; ++v) {
            const std::uint16_t raw =
                held[static_cast<std::size_t>(block)][static_cast<std::size_t>(v)];
            body.push_back(static_cast<char>(raw & 0xFF));
            body.push_back(static_cast<char>(raw >> 8));
        }
        return addressedLine(1, body) + "\r";
    }
    // The controller takes the frames in order: writes at once, block requests answered in turn.
    void serve() {
        std::vector<std::string> frames;
        frames.swap(socket.sent);
        for (const auto &f : frames) {
            const int command = static_cast<unsigned char>(f[2]);
            if (command == kSetVar) {
                ++writesSeen;
                if (accepts) {
                    held[static_cast<unsigned char>(f[3])][static_cast<unsigned char>(f[4])] =
                        static_cast<std::uint16_t>((static_cast<unsigned char>(f[5]) << 8) |
                                                   static_cast<unsigned char>(f[6]));
                }
            } else if (command == kAskBlock && answers) {
                socket.deliver(blockLine(static_cast<unsigned char>(f[3])));
            }
        }
    }
    void runUntilFinished() {
        while (ended == cli::VariablesSession::Outcome::Running && timers.now() < 30000) {
            timers.advance(100);
            serve();
        }
    }
};

cli::VariableWrite write(int block, int variable, std::int16_t value) {
    cli::VariableWrite w;
    w.block = block;
    w.variable = variable;
    w.value = value;
    return w;
}

} // namespace

TEST(VariablesSession, onlyAReplyAfterTheWriteConfirmsItAndTheValueReadBackIsTold) {
    VariablesRig rig;
    rig.settings.write = write(1, 4, -32700);
    rig.accepts = false;
    rig.start();
    // A reply of block 1 that was on its way before the write: it holds the old value.
    rig.timers.advance(100);
    rig.serve();
    EXPECT_EQ(rig.ended, cli::VariablesSession::Outcome::Running);
    rig.accepts = true;
    rig.runUntilFinished();
    EXPECT_EQ(rig.ended, cli::VariablesSession::Outcome::Done);
    EXPECT_EQ(rig.session->writesSent(), 2) << "written again after 500 ms";
    EXPECT_EQ(rig.session->summary(),
              "variable 4 of block 1 now reads 32836 (the same 16 bits as -32700: the controller "
              "shows values up to 33000 as positive)");
}

TEST(VariablesSession, failuresSayWhatWasMissing) {
    using Outcome = cli::VariablesSession::Outcome;
    const struct {
        const char *what;
        std::function<void(VariablesRig &)> arrange;
        Outcome ends;
        const char *summary;
    } rows[] = {
        {"a write the controller never takes",
         [](VariablesRig &r) {
             r.settings.write = write(1, 4, 95);
             r.accepts = false;
         },
         Outcome::NotConfirmed,
         "the controller did not confirm the write within 2 s (4 writes sent; variable 4 of block "
         "1 reads 80)"},
        {"a write to a controller that never answers",
         [](VariablesRig &r) {
             r.settings.write = write(1, 4, 95);
             r.answers = false;
         },
         Outcome::NoValidReply, "no valid reply from address 1 within 2 s"},
    };
    for (const auto &row : rows) {
        VariablesRig rig;
        row.arrange(rig);
        rig.start();
        rig.runUntilFinished();
        EXPECT_EQ(rig.ended, row.ends) << row.what;
        EXPECT_EQ(rig.session->summary(), row.summary) << row.what;
        EXPECT_LE(rig.timers.now(), 2100) << row.what;
    }
}

TEST(VariablesSession, readsEveryBlockWithoutWaitingForTheWindowsSlowPass) {
    VariablesRig rig;
    rig.start();
    rig.runUntilFinished();
    ASSERT_EQ(rig.ended, cli::VariablesSession::Outcome::Done);
    EXPECT_LE(rig.timers.now(), 2400) << "nine blocks in a couple of seconds, not nine 3 s ticks";
    const std::string report = rig.session->report();
    EXPECT_NE(report.find("block 0: 0 0"), std::string::npos);
    EXPECT_NE(report.find("block 1: 10 0 0 80 "), std::string::npos);
    EXPECT_NE(report.find("block 8: 80 0"), std::string::npos);
    EXPECT_EQ(rig.writesSeen, 0);
}
