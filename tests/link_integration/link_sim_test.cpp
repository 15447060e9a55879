// The link logic with the real Qt socket and timers against the simulated controller on
// loopback, with each of the controller's faults: the link always ends Offline with the right
// message, records already held are never lost, and nothing crashes.

#include "link/Console.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtTimerFactory.h"
#include "records/RecordList.h"
#include "sim/Options.h"
#include "sim/server/SimServer.h"
#include "support/LinkFakes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace aql;
namespace ss = aql::platform::sockstate;

namespace {

struct SimRig {
    explicit SimRig(const sim::Options &options) : server(options) {
        port = server.listen(QHostAddress::LocalHost, 0);
        console.setCurrentPool(&records, options.address);
        console.setEndpoint("127.0.0.1", std::to_string(port));
    }

    // Runs the event loop until `done` holds or `ms` have passed.
    bool runUntil(const std::function<bool()> &done, int ms) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            50);
        }
        return done();
    }

    bool online() const { return console.view().onlineSelected && console.connected(); }

    bool ordered() const {
        bool ok = true;
        std::int32_t last = INT32_MIN;
        records.forEach([&](const records::LogRecord &r) {
            ok = ok && r.recordNumber > last;
            last = r.recordNumber;
        });
        return ok;
    }

    sim::SimServer server;
    quint16 port = 0;
    platform::qt::QtSocket socket;
    platform::qt::QtTimerFactory timers;
    platform::qt::QtEventPump pump;
    test::RecordingMessageBox box;
    test::CountingBeep beep;
    platform::qt::QtClock clock;
    records::RecordList records;
    link::Console console{{socket, timers, pump, box, beep, clock}, test::numberedText};
};

sim::Options options(std::uint32_t records, std::uint32_t logRate = 2000) {
    sim::Options o;
    o.records = records;
    o.logRate = logRate;
    o.seed = 11;
    return o;
}

std::string firstLine(const std::vector<test::ShownBox> &shown) {
    return shown.empty() ? "(no message)" : shown[0].text.substr(0, shown[0].text.find('\r'));
}

} // namespace

struct FaultCase {
    const char *fault;
    std::uint32_t records;
    bool staysOnline;             // the link is expected to survive the fault
    const char *messageStart;     // expected start of the first message, if any
    std::uint32_t logRate = 2000; // 0: one record line per poll, as a real controller sends them
};

void PrintTo(const FaultCase &c, std::ostream *out) {
    *out << c.fault;
}

class LinkUnderFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(LinkUnderFault, endsCleanlyAndKeepsTheRecordsHeld) {
    const FaultCase &c = GetParam();
    sim::Options o = options(c.records, c.logRate);
    ASSERT_EQ(sim::applyFault(c.fault, o.faults), "") << c.fault;
    SimRig rig(o);
    // A short answer time-out, so a silent controller is noticed quickly.
    rig.console.connection().setAnswerTimeout("1500");
    rig.console.chooseOnline();
    ASSERT_TRUE(rig.online());
    rig.console.requestLog();

    std::size_t heldWhenClosed = 0;
    rig.runUntil(
        [&] {
            if (!rig.console.view().onlineSelected && heldWhenClosed == 0) {
                heldWhenClosed = rig.records.count();
            }
            return !rig.console.view().onlineSelected || rig.records.count() == c.records;
        },
        20000);
    // Let whatever else happens after the last record happen.
    rig.runUntil([] { return false; }, 500);

    EXPECT_TRUE(rig.ordered());
    if (c.staysOnline) {
        EXPECT_EQ(rig.records.count(), c.records) << c.fault;
        EXPECT_TRUE(rig.online()) << c.fault;
        if (*c.messageStart != '\0') {
            EXPECT_EQ(firstLine(rig.box.shown).rfind(c.messageStart, 0), 0u)
                << firstLine(rig.box.shown);
        }
    } else {
        EXPECT_FALSE(rig.console.view().onlineSelected) << c.fault;
        EXPECT_EQ(rig.socket.state(), ss::kClosed);
        EXPECT_EQ(rig.console.operatingMode(), 0);
        EXPECT_GE(rig.records.count(), heldWhenClosed); // nothing held was lost
        EXPECT_EQ(firstLine(rig.box.shown).rfind(c.messageStart, 0), 0u)
            << firstLine(rig.box.shown);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFault, LinkUnderFault,
                         ::testing::Values(FaultCase{"split", 300, true, ""},
                                           FaultCase{"duplicates=5", 300, true, ""},
                                           FaultCase{"slow=30", 60, true, ""},
                                           FaultCase{"wrong-address=4", 300, true, ""},
                                           FaultCase{"unknown-type=20", 200, true, "T94 "},
                                           FaultCase{"garbage=10", 200, true, ""},
                                           FaultCase{"corrupt-checksum=50", 300, false, "T96"},
                                           FaultCase{"drop-after=40", 300, false, "T92 10053"},
                                           FaultCase{"drop-after=40:mid", 300, false, "T92 10053"},
                                           FaultCase{"silent-after=20", 300, false, "T92 0", 0}));

// With reconnecting on, a controller that drops the connection or stops answering is connected
// again by itself, the polls resume, and a new Get Log completes the log; nobody is asked to click
// a message box away.
TEST(LinkAgainstSimulator, withReconnectOnALostConnectionComesBackAndPollingResumes) {
    struct Case {
        const char *fault;
        std::uint32_t records;
        std::uint32_t logRate;
        link::EndReason reason;
    } cases[] = {
        {"drop-after=40", 300, 2000, link::EndReason::ClosedByController},
        {"drop-after=40:mid", 300, 2000, link::EndReason::ClosedByController},
        {"silent-after=20", 60, 0, link::EndReason::AnswerTimeout},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        sim::Options o = options(c.records, c.logRate);
        ASSERT_EQ(sim::applyFault(c.fault, o.faults), "");
        SimRig rig(o);
        rig.console.connection().setAnswerTimeout("1500");
        rig.console.setReconnect(true);
        rig.console.chooseOnline();
        ASSERT_TRUE(rig.online());
        rig.console.requestLog();

        ASSERT_TRUE(rig.runUntil([&] { return rig.console.status().reconnect.pending; }, 20000));
        EXPECT_EQ(rig.console.status().lastEnd.reason, c.reason);
        // Told in the event log (which the polls soon scroll on) rather than in a box.
        EXPECT_NE(rig.console.connection().view().eventLog.back().find(" T227 ("),
                  std::string::npos);
        EXPECT_EQ(rig.console.status().download.state, link::DownloadStatus::State::Interrupted);
        const std::size_t heldAtLoss = rig.records.count();
        // Back, and proven by a reply: the pauses start from the first again.
        ASSERT_TRUE(rig.runUntil(
            [&] { return rig.online() && rig.console.status().reconnect.attempt == 0; }, 10000));

        // The polls go on: replies keep coming and the display is never marked stale.
        const std::uint64_t linesBefore = rig.console.status().linesReceived;
        bool everStale = false;
        rig.runUntil(
            [&] {
                everStale = everStale || rig.console.status().stale;
                return false;
            },
            2500);
        EXPECT_FALSE(everStale);
        EXPECT_GT(rig.console.status().linesReceived, linesBefore + 10);
        EXPECT_TRUE(rig.console.view().cells[0] != '\0');

        rig.console.requestLog();
        EXPECT_TRUE(rig.runUntil([&] { return rig.records.count() == c.records; }, 30000))
            << rig.records.count() << " of " << c.records;
        EXPECT_GE(rig.records.count(), heldAtLoss);
        EXPECT_TRUE(rig.ordered());
        EXPECT_TRUE(rig.online());
        EXPECT_TRUE(rig.box.shown.empty());
        rig.console.chooseOffline();
    }
}
