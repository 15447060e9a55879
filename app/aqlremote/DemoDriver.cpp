#include "aqlremote/DemoDriver.h"

#include "aqlremote/ConsoleApp.h"
#include "records/Exports.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

#include <cctype>
#include <cstdio>
#include <iostream>

namespace aql::app {

namespace {

// A pool name as a file name: letters and digits stay, everything else becomes "_".
std::string fileStem(const std::string &name) {
    std::string stem;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        stem += (u < 128 && std::isalnum(u) != 0) ? c : '_';
    }
    return stem.empty() ? std::string("log") : stem;
}

std::string twoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string timestampText(const platform::LocalTime &t) {
    return std::to_string(t.year) + "-" + twoDigits(t.month) + "-" + twoDigits(t.day) + " " +
           twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second);
}

} // namespace

DemoDriver::DemoDriver(ConsoleApp &console, QObject *parent)
    : QObject(parent), m_console(console), m_mode(modeFromEnvironment()) {
    m_out = qEnvironmentVariable("AQL_DEMO_OUT");
    if (m_out.isEmpty()) {
        m_out = QStringLiteral("out");
    }
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, [this] { watch(); });
}

DemoDriver::Mode DemoDriver::modeFromEnvironment() {
    const QString mode = qEnvironmentVariable("AQL_DEMO");
    if (mode == QLatin1String("shown")) {
        return Mode::Shown;
    }
    if (mode == QLatin1String("poll")) {
        return Mode::Poll;
    }
    if (mode == QLatin1String("download")) {
        return Mode::Download;
    }
    return Mode::None;
}

void DemoDriver::begin() {
    if (m_mode == Mode::None) {
        return;
    }
    m_elapsed.start();
    if (m_mode == Mode::Shown) {
        // Told the moment the window system shows it, not at the next look of a timer.
        QWindow *handle = m_console.window().windowHandle();
        if (handle != nullptr && handle->isExposed()) {
            std::cout << "shown" << std::endl;
            finish(true);
            return;
        }
        if (handle != nullptr) {
            handle->installEventFilter(this);
        }
    }
    m_linesAtStart = m_console.main().console().receiveCounters().linesHandled;
    if (m_mode != Mode::Shown && !m_console.main().console().view().onlineSelected) {
        // As the operator does it: the click runs the connect.
        m_console.window().onlineButton()->click();
    }
    m_watch.start();
}

bool DemoDriver::eventFilter(QObject *watched, QEvent *event) {
    if (!m_done && event->type() == QEvent::Expose &&
        static_cast<QWindow *>(watched)->isExposed()) {
        m_done = true;
        std::cout << "shown" << std::endl;
        QTimer::singleShot(0, this, [this] { finish(true); });
    }
    return false;
}

bool DemoDriver::online() const {
    const link::Console &link = m_console.main().console();
    return link.view().onlineSelected && link.connected();
}

void DemoDriver::watch() {
    if (m_done) {
        return;
    }
    const qint64 now = m_elapsed.elapsed();
    if (m_mode == Mode::Shown) {
        if (now > kTimeoutMs) {
            finish(false, "the main window did not appear");
        }
        return;
    }
    if (!online()) {
        finish(false, "the console is not connected to the controller");
        return;
    }
    const link::ReceiveDispatcher::Counters &counters =
        m_console.main().console().receiveCounters();
    if (m_mode == Mode::Poll) {
        if (counters.linesHandled - m_linesAtStart >= kDisplayPacketsBeforeShot) {
            std::cout << "title: " << m_console.window().windowTitle().toStdString() << std::endl;
            finish(saveScreenshot());
        } else if (now > kTimeoutMs) {
            finish(false, "the controller's display did not arrive");
        }
        return;
    }

    if (!m_logRequested) {
        m_console.window().getLogButton()->click();
        m_logRequested = true;
        m_lastRecordMs = now;
        return;
    }
    // The end of the log: records have come, and for a while none has although the controller
    // still answers the polls. A controller that falls silent is not an end of the log; the
    // link's own answer time-out closes the connection then and the run fails above.
    const std::uint64_t recordPackets = counters.recordsInserted + counters.recordsAlreadyHeld;
    if (recordPackets != m_lastRecordPackets) {
        m_lastRecordPackets = recordPackets;
        m_lastRecordMs = now;
    }
    if (counters.linesHandled != m_lastLines) {
        m_lastLines = counters.linesHandled;
        m_lastAnswerMs = now;
    }
    if (recordPackets == 0) {
        if (now > kTimeoutMs) {
            finish(false, "the controller sent no log record");
        }
        return;
    }
    if (now - m_lastRecordMs >= kQuietMs && m_lastAnswerMs > m_lastRecordMs) {
        // The window shows the final count before its picture is taken.
        m_console.main().console().chooseRealtime(false);
        m_console.window().refresh();
        finish(saveScreenshot() && saveLog());
    } else if (now > kTimeoutMs) {
        finish(false, "the log did not end within " + std::to_string(kTimeoutMs / 1000) + " s");
    }
}

bool DemoDriver::saveScreenshot() {
    if (!QDir().mkpath(m_out)) {
        std::cerr << "cannot create " << m_out.toStdString() << "\n";
        return false;
    }
    const QString path = QDir(m_out).filePath(QStringLiteral("console.png"));
    if (!m_console.window().grab().save(path)) {
        std::cerr << "cannot write " << path.toStdString() << "\n";
        return false;
    }
    std::cout << QFileInfo(path).absoluteFilePath().toStdString() << std::endl;
    return true;
}

bool DemoDriver::saveLog() {
    shell::MainController &main = m_console.main();
    const config::Pool *source = main.recordsSource();
    if (main.currentPool() == nullptr || source == nullptr) {
        std::cerr << "no pool holds the records\n";
        return false;
    }
    const records::RecordList &records = main.currentPool()->records();
    records::XmlDocumentInfo info;
    info.executableName = main.info().exeName;
    info.majorVersion = main.info().major;
    info.minorVersion = main.info().minor;
    info.revision = main.info().revision;
    info.generatedAt = timestampText(m_console.clock().now());
    info.siteName = source->resort();
    info.poolName = source->name();
    info.numberOfPools = main.pools().count();
    const std::filesystem::path folder = std::filesystem::u8path(m_out.toStdString());
    const std::string stem = fileStem(source->name());
    const std::filesystem::path csv = folder / (stem + ".csv");
    const std::filesystem::path xml = folder / (stem + ".xml");
    try {
        m_console.saver().saveWhole(csv, records::recordListCsv(records));
        m_console.saver().saveWhole(xml, records::xmlDocument(info, records));
    } catch (const AqlError &e) {
        std::cerr << e.description() << "\n";
        return false;
    }
    main.markSaved();
    std::cout << std::filesystem::absolute(csv).u8string() << "\n"
              << std::filesystem::absolute(xml).u8string() << "\n"
              << records.count() << " records from " << source->name() << std::endl;
    return true;
}

void DemoDriver::finish(bool ok, const std::string &why) {
    m_done = true;
    m_watch.stop();
    m_status = ok ? 0 : 1;
    if (!why.empty()) {
        std::cerr << "aqlremote: " << why << "\n";
    }
    // Unattended: nobody could answer a question about unsaved records.
    m_console.main().closeAll();
}

} // namespace aql::app
