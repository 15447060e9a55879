// The console as an operator feels its speed:
//   startup  process start to a visible main window, against an empty Qt main window measured
//            the same way in the same run (needs an X display: run under xvfb-run)
//   stream   the longest stall of the event loop while a 100,000-record log streams in from an
//            aqlsim process with --log-rate
//   idle     the processor time the console takes while it sits Offline
//
//   bench_console [startup] [stream] [idle]        (all three by default)
// Prints the figures and whether each meets its target; the exit status is 0 either way.

#include "aqlremote/ConsoleApp.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kStartupRounds = 10;
constexpr int kStartupTargetMs = 100; // more than the empty window
constexpr std::uint32_t kStreamRecords = 100000;
constexpr int kStreamRate = 50000; // record lines per second
constexpr int kStallTargetMs = 50;
constexpr int kIdleSeconds = 10;
constexpr double kIdleTargetPercent = 1.0;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds from starting `program` until it prints "shown"; negative when it never does.
double timeToShown(const QString &program, const QProcessEnvironment &environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    double shownAt = -1;
    while (shownAt < 0 && process.waitForReadyRead(20000)) {
        while (process.canReadLine()) {
            if (process.readLine().trimmed() == "shown") {
                shownAt = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            }
        }
    }
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
    return shownAt;
}

void startup() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::printf("startup: skipped, no X display (run under xvfb-run)\n");
        return;
    }
    QTemporaryDir settings;
    QProcessEnvironment console = QProcessEnvironment::systemEnvironment();
    console.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcessEnvironment empty = console;
    console.insert(QStringLiteral("AQL_DEMO"), QStringLiteral("shown"));
    console.insert(QStringLiteral("AQL_SETTINGS"), settings.filePath(QStringLiteral("s.ini")));

    std::vector<double> consoleMs;
    std::vector<double> emptyMs;
    // One of each first, not counted: the libraries come into the file cache.
    timeToShown(QStringLiteral(AQL_EMPTY_WINDOW_PATH), empty);
    timeToShown(QStringLiteral(AQLREMOTE_PATH), console);
    for (int round = 0; round < kStartupRounds; ++round) {
        emptyMs.push_back(timeToShown(QStringLiteral(AQL_EMPTY_WINDOW_PATH), empty));
        consoleMs.push_back(timeToShown(QStringLiteral(AQLREMOTE_PATH), console));
    }
    if (*std::min_element(consoleMs.begin(), consoleMs.end()) < 0 ||
        *std::min_element(emptyMs.begin(), emptyMs.end()) < 0) {
        std::printf("startup: a program did not show its window\n");
        return;
    }
    const double extra = median(consoleMs) - median(emptyMs);
    std::printf("startup: console %.1f ms (min %.1f), empty Qt main window %.1f ms (min %.1f), "
                "median of %d each\n",
                median(consoleMs), *std::min_element(consoleMs.begin(), consoleMs.end()),
                median(emptyMs), *std::min_element(emptyMs.begin(), emptyMs.end()), kStartupRounds);
    std::printf("startup: %.1f ms more than the empty window (target <= %d ms): %s\n", extra,
                kStartupTargetMs, extra <= kStartupTargetMs ? "met" : "NOT MET");
}

// The event loop as the program runs it, for a while or until `done` holds (looked at every
// 20 ms).
void runFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void runUntil(const std::function<bool()> &done) {
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    look.start(20);
    loop.exec();
}

// A program folder for an in-process console whose site points at `port`.
std::unique_ptr<aql::app::ConsoleApp> consoleOn(const QTemporaryDir &folder, int port) {
    for (const char *language : {"English.lng", "Nederlands.lng"}) {
        QFile::copy(QStringLiteral(AQL_RESOURCES_DIR "/") + QLatin1String(language),
                    folder.filePath(QLatin1String(language)));
    }
    QFile site(folder.filePath(QStringLiteral("config.xml")));
    site.open(QIODevice::WriteOnly);
    site.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                              "<aqlRemoteConfig version=\"1.0\"><siteName>Bench</siteName>"
                              "<managedSystems><system address=\"1\" ipaddress=\"127.0.0.1\" "
                              "port=\"%1\" name=\"Main pool\"/></managedSystems>"
                              "</aqlRemoteConfig>\r\n")
                   .arg(port)
                   .toLatin1());
    site.close();
    aql::app::ConsoleOptions options;
    options.programFolder = std::filesystem::u8path(folder.path().toStdString());
    options.settingsFile = folder.filePath(QStringLiteral("settings.ini"));
    auto console = std::make_unique<aql::app::ConsoleApp>(std::move(options));
    if (!console->start()) {
        return nullptr;
    }
    return console;
}

// The longest gap between ticks of a 1 ms timer: how long the operator could not have been
// answered. Ticks delivered by the event processing that handlers do inside their work count.
struct StallWatch {
    QTimer probe;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longestNs = 0;
    std::vector<qint64> gapsNs;

    StallWatch() {
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            longestNs = std::max(longestNs, now - last);
            gapsNs.push_back(now - last);
            last = now;
        });
    }
    void start() {
        clock.start();
        last = 0;
        probe.start();
    }
};

void stream() {
    QProcess sim;
    sim.start(QStringLiteral(AQLSIM_PATH),
              {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--records"),
               QString::number(kStreamRecords), QStringLiteral("--log-rate"),
               QString::number(kStreamRate)});
    int port = 0;
    if (sim.waitForReadyRead(10000)) {
        const QByteArray line = sim.readLine().trimmed();
        port = line.mid(line.lastIndexOf(':') + 1).toInt();
    }
    if (port == 0) {
        std::printf("stream: aqlsim did not start\n");
        return;
    }
    QTemporaryDir folder;
    auto console = consoleOn(folder, port);
    if (!console) {
        std::printf("stream: the console did not start\n");
        return;
    }
    StallWatch watch;
    watch.start();
    QElapsedTimer download;
    download.start();
    console->window().onlineButton()->click();
    console->window().getLogButton()->click();
    const aql::records::RecordList &records = console->main().currentPool()->records();
    runUntil([&] {
        return records.count() >= kStreamRecords || download.elapsed() > 120000 ||
               !console->main().console().connected();
    });
    const double seconds = static_cast<double>(download.elapsed()) / 1000.0;
    watch.probe.stop();
    std::vector<qint64> gaps = watch.gapsNs;
    std::sort(gaps.begin(), gaps.end());
    const double p99 = gaps.empty() ? 0 : static_cast<double>(gaps[gaps.size() * 99 / 100]) / 1e6;
    const double longest = static_cast<double>(watch.longestNs) / 1e6;
    std::printf("stream: %zu records in %.2f s (%.0f records/s, --log-rate %d), window shown "
                "on the %s platform\n",
                records.count(), seconds, static_cast<double>(records.count()) / seconds,
                kStreamRate, qPrintable(QGuiApplication::platformName()));
    std::printf("stream: event loop stalled at most %.1f ms (99th percentile %.2f ms, %zu "
                "probes; target <= %d ms): %s\n",
                longest, p99, gaps.size(), kStallTargetMs,
                longest <= kStallTargetMs && records.count() == kStreamRecords ? "met" : "NOT MET");
    console->main().console().chooseOffline();
    console->main().markSaved();
    sim.terminate();
    sim.waitForFinished(5000);
}

void idle() {
    QTemporaryDir folder;
    auto console = consoleOn(folder, 9); // never connected: Offline throughout
    if (!console) {
        std::printf("idle: the console did not start\n");
        return;
    }
    // Settle first: the first paints and the initial layout are not idling.
    runFor(1000);
    const std::clock_t cpuBefore = std::clock();
    QElapsedTimer wall;
    wall.start();
    runFor(kIdleSeconds * 1000);
    const double cpuSeconds = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    const double percent = 100.0 * cpuSeconds / (static_cast<double>(wall.elapsed()) / 1000.0);
    std::printf("idle: Offline for %d s: %.3f s of processor time, %.2f %% (target <= %.0f %%): "
                "%s\n",
                kIdleSeconds, cpuSeconds, percent, kIdleTargetPercent,
                percent <= kIdleTargetPercent ? "met" : "NOT MET");
    console->main().markSaved();
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    std::vector<std::string> parts(argv + 1, argv + argc);
    if (parts.empty()) {
        parts = {"startup", "stream", "idle"};
    }
    for (const std::string &part : parts) {
        if (part == "startup") {
            startup();
        } else if (part == "stream") {
            stream();
        } else if (part == "idle") {
            idle();
        } else {
            std::fprintf(stderr, "bench_console: unknown part %s\n", part.c_str());
            return 2;
        }
        std::fflush(stdout);
    }
    return 0;
}
