// The link's log download: how fast record packets go from received text into the record list,
// and what 100,000 held records cost in memory.
//
// BM_IngestRecordLines: the link logic alone, fed 4 KiB reads of pre-built record lines through a
// socket stand-in.
// BM_DownloadFromSimulator: the whole path over loopback TCP from the simulator process pushing
// its log at full speed (aqlsim --log-rate), through the Qt socket into the record list.

#include "link/Console.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtTimerFactory.h"
#include "records/RecordList.h"
#include "support/LinkFakes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace aql;

namespace {

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

std::string nibbles(const std::string &payload) {
    std::string out;
    for (unsigned char b : payload) {
        out.push_back(static_cast<char>(0x30 | (b & 0x0F)));
        out.push_back(static_cast<char>(0x30 | (b >> 4)));
    }
    return out;
}

// An addressed record line of 173 characters for record n.
std::string recordLine(std::int32_t n) {
    std::string p(1, '\x01');
    p.push_back('\x03');
    for (std::int32_t v : {n + 65536, n}) {
        for (int i = 0; i < 4; ++i) {
            p.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
        }
    }
    p += std::string{static_cast<char>(0xEA), 0x07, 12, 6, 14, 30};
    p.resize(85, '\x07');
    p.push_back(static_cast<char>((1 + 105 + 3) & 0xFF));
    return "\x02" + nibbles(p) + "\r";
}

void BM_IngestRecordLines(benchmark::State &state) {
    const int n = static_cast<int>(state.range(0));
    std::string stream;
    stream.reserve(static_cast<std::size_t>(n) * 174);
    for (int i = 1; i <= n; ++i) {
        stream += recordLine(i);
    }
    long before = 0;
    long after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        test::FakePump pump;
        test::FakeSocket socket(pump);
        test::ManualTimerFactory timers;
        test::RecordingMessageBox box;
        test::CountingBeep beep;
        test::FixedClock clock;
        auto records = std::make_unique<records::RecordList>();
        link::Console console({socket, timers, pump, box, beep, clock}, test::numberedText);
        console.setCurrentPool(records.get(), 1);
        before = residentKiB();
        state.ResumeTiming();
        for (std::size_t pos = 0; pos < stream.size(); pos += 4096) {
            socket.deliver(stream.substr(pos, 4096));
        }
        state.PauseTiming();
        after = residentKiB();
        if (records->count() != static_cast<std::size_t>(n)) {
            state.SkipWithError("records were lost");
        }
        state.ResumeTiming();
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(n) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["held_MB"] = static_cast<double>(after - before) / 1024.0;
}
BENCHMARK(BM_IngestRecordLines)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DownloadFromSimulator(benchmark::State &state) {
    const int n = static_cast<int>(state.range(0));
    double seconds = 0;
    long heldKiB = 0;
    for (auto _ : state) {
        QProcess sim;
        sim.start(AQLSIM_PATH, {"--port", "0", "--records", QString::number(n), "--log-rate",
                                "1000000", "--seed", "3"});
        if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
            state.SkipWithError("aqlsim did not start");
            return;
        }
        const QString banner = QString::fromLatin1(sim.readAllStandardOutput()).trimmed();
        const QString port = banner.section(':', -1);

        platform::qt::QtSocket socket;
        platform::qt::QtTimerFactory timers;
        platform::qt::QtEventPump pump;
        test::RecordingMessageBox box;
        test::CountingBeep beep;
        platform::qt::QtClock clock;
        auto records = std::make_unique<records::RecordList>();
        link::Console console({socket, timers, pump, box, beep, clock}, test::numberedText);
        console.setCurrentPool(records.get(), 1);
        console.setEndpoint("127.0.0.1", port.toStdString());
        const long before = residentKiB();
        console.chooseOnline();
        QElapsedTimer t;
        t.start();
        console.requestLog();
        while (records->count() < static_cast<std::size_t>(n) && t.elapsed() < 60000 &&
               console.view().onlineSelected) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            50);
        }
        seconds += static_cast<double>(t.nsecsElapsed()) / 1e9;
        heldKiB = residentKiB() - before;
        if (records->count() != static_cast<std::size_t>(n)) {
            state.SkipWithError("the download did not complete");
        }
        console.chooseOffline();
        sim.terminate();
        sim.waitForFinished(5000);
    }
    state.counters["records/s"] =
        static_cast<double>(n) * static_cast<double>(state.iterations()) / seconds;
    state.counters["held_MB"] = static_cast<double>(heldKiB) / 1024.0;
}
BENCHMARK(BM_DownloadFromSimulator)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
