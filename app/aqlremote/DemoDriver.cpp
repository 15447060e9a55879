#include "aqlremote/DemoDriver.h"

#include "aqlremote/ConsoleApp.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

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
