#include "aqlremote/DemoDriver.h"

#include "aqlremote/ConsoleApp.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <system_error>
#include <utility>

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

// The operator's answers in the log window, given without an operator: the save dialog names
// the file chosen beforehand; a notice is read (printed) and confirmed; the question whether to
// open the saved workbook is declined, as nobody would look at it. A box that reports a failure
// is counted.
class ScriptedAnswers final : public platform::FileDialog, public platform::MessageBox {
public:
    std::filesystem::path nextFile;
    int failures = 0;

    std::optional<std::string> openFile(const std::string &, const std::string &) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string &, const std::string &) override {
        return nextFile.u8string();
    }
    int show(const std::string &text, int style, const std::string & /*title*/) override {
        std::string shown = text;
        for (char &c : shown) {
            c = (c == '\r' || c == '\n') ? ' ' : c;
        }
        std::cout << "  " << shown << std::endl;
        if (style == platform::style::kCritical) {
            ++failures;
        }
        return style == platform::style::kQuestionOkCancel ? platform::kResultCancel
                                                           : platform::kResultOk;
    }
};

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
    if (m_trendRequested) {
        watchTrend(now);
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
            finish(saveScreenshot(m_console.window(), QStringLiteral("console.png")));
        } else if (now > kTimeoutMs) {
            finish(false, "the controller's display did not arrive");
        }
        return;
    }

    watchDownload(now);
}

void DemoDriver::watchDownload(qint64 now) {
    if (!m_logRequested) {
        m_console.window().getLogButton()->click();
        m_logRequested = true;
        return;
    }
    // What the status bar says, by the rule it goes by: the log is complete once the controller
    // has gone on answering for a while without sending a record. A controller that falls silent
    // is no end of the log.
    const link::DownloadStatus &download = m_console.main().console().status().download;
    switch (download.state) {
    case link::DownloadStatus::State::Complete: break;
    case link::DownloadStatus::State::ControllerSilent:
        finish(false, "the controller stopped answering during the download");
        return;
    case link::DownloadStatus::State::Interrupted:
        finish(false, "the connection ended during the download");
        return;
    case link::DownloadStatus::State::None:
    case link::DownloadStatus::State::Receiving:
        if (now > kTimeoutMs) {
            finish(false, "the log did not end within " + std::to_string(kTimeoutMs / 1000) + " s");
        }
        return;
    }
    if (download.recordsHeld == 0) {
        finish(false, "the controller sent no log record");
        return;
    }
    // The window shows the final count before its picture is taken.
    m_console.main().console().chooseRealtime(false);
    m_console.window().refresh();
    if (!saveScreenshot(m_console.window(), QStringLiteral("console.png")) || !saveLog()) {
        finish(false);
        return;
    }
    QAction *trend = m_console.window().trendEntry();
    if (!trend->isVisible()) {
        finish(true); // a build without Qt Charts
        return;
    }
    // As the operator opens it: Options, Trend.
    trend->trigger();
    m_trendRequested = true;
    m_trendRequestedMs = now;
}

void DemoDriver::watchTrend(qint64 now) {
    QWidget *window = m_console.companions().trendWindow();
    if (window != nullptr && window->windowHandle() != nullptr &&
        window->windowHandle()->isExposed()) {
        // Laid out and drawn at its size before the picture.
        QCoreApplication::processEvents();
        finish(saveScreenshot(*window, QStringLiteral("trend.png")));
    } else if (now - m_trendRequestedMs > kTimeoutMs) {
        finish(false, "the trend window did not appear");
    }
}

bool DemoDriver::saveScreenshot(QWidget &window, const QString &name) {
    if (!QDir().mkpath(m_out)) {
        std::cerr << "cannot create " << m_out.toStdString() << "\n";
        return false;
    }
    const QString path = QDir(m_out).filePath(name);
    if (!window.grab().save(path)) {
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
    // The log window's own save actions, as its buttons run them; only the answers are scripted.
    shell::LogController &log = m_console.log();
    ScriptedAnswers answers;
    log.useDialogs(&answers, &answers);
    const std::filesystem::path folder =
        std::filesystem::absolute(std::filesystem::u8path(m_out.toStdString()));
    const std::string stem = fileStem(source->name());
    const std::pair<std::string, void (shell::LogController::*)()> saves[] = {
        {".csv", &shell::LogController::saveCsv},
        {".xml", &shell::LogController::saveXml},
        {".xlsx", &shell::LogController::saveWorkbook}};
    bool written = true;
    for (const auto &[extension, save] : saves) {
        answers.nextFile = folder / (stem + extension);
        (log.*save)();
        std::error_code missing;
        if (!std::filesystem::is_regular_file(answers.nextFile, missing)) {
            std::cerr << "not written: " << answers.nextFile.u8string() << "\n";
            written = false;
        }
    }
    log.useDialogs(nullptr, nullptr);
    std::cout << main.currentPool()->records().count() << " records from " << source->name()
              << std::endl;
    if (const shell::ArchiveKeeper *archive = main.archive(); archive && archive->archiving()) {
        std::cout << "archived in "
                  << (archive->folder() / records::LogArchive::kFileName).u8string() << std::endl;
    }
    // Told by the log window's logic, as after a save from its buttons.
    if (main.unsavedRecords()) {
        std::cerr << "the saves were not registered\n";
        written = false;
    }
    return written && answers.failures == 0;
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
