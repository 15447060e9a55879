#include "shell/LogController.h"

#include "core/Error.h"
#include "core/Numbers.h"
#include "core/TextId.h"
#include "link/ErrorReporter.h"
#include "records/Exports.h"
#include "records/Workbook.h"

#include <ctime>

namespace aql::shell {

namespace {

bool sameSecond(const platform::LocalTime &a, const platform::LocalTime &b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

// Chosen paths arrive in the file system's encoding (UTF-8 here); the boxes show single-byte
// text. Anything that is not UTF-8 is shown as it is.
std::string shownPath(const std::string &path) {
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size();) {
        const auto lead = static_cast<unsigned char>(path[i]);
        if (lead < 0x80) {
            out += path[i++];
            continue;
        }
        int length = 0;
        unsigned int code = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return path;
        }
        if (i + static_cast<std::size_t>(length) > path.size()) {
            return path;
        }
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(path[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                return path;
            }
            code = (code << 6) | (next & 0x3F);
        }
        out += code <= 0xFF ? static_cast<char>(code) : '?';
        i += static_cast<std::size_t>(length);
    }
    return out;
}

std::time_t toTime(const platform::LocalTime &t) {
    std::tm parts{};
    parts.tm_year = t.year - 1900;
    parts.tm_mon = t.month - 1;
    parts.tm_mday = t.day;
    parts.tm_hour = t.hour;
    parts.tm_min = t.minute;
    parts.tm_sec = t.second;
    parts.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&parts);
    return seconds == static_cast<std::time_t>(-1) ? 0 : seconds;
}

} // namespace

LogController::LogController(LogServices services, link::TextSource texts,
                             std::filesystem::path programFolder, link::ProgramInfo info)
    : m_services(services), m_texts(std::move(texts)), m_programFolder(std::move(programFolder)),
      m_info(std::move(info)), m_refreshTimer(services.timers.createTimer(kRefreshMs)) {
    m_refreshTimer->setOnTick([this] { refresh(); });
}

LogController::~LogController() = default;

void LogController::setPoolProvider(std::function<const config::Pool *()> provider) {
    m_poolProvider = std::move(provider);
    poolChanged();
}

void LogController::setPool(const config::Pool *pool) {
    setPoolProvider([pool] { return pool; });
}

const config::Pool *LogController::pool() const {
    return m_poolProvider ? m_poolProvider() : nullptr;
}

void LogController::poolChanged() {
    if (m_view.open) {
        m_view.recordCount = std::to_string(recordCount());
        changed();
    }
}

void LogController::setSourceProvider(std::function<LogSource()> provider) {
    m_sourceProvider = std::move(provider);
}

void LogController::useDialogs(platform::MessageBox *messageBox, platform::FileDialog *fileDialog) {
    m_windowBoxes = messageBox;
    m_windowDialogs = fileDialog;
}

LogSource LogController::source() const {
    if (m_sourceProvider) {
        return m_sourceProvider();
    }
    LogSource own;
    if (const config::Pool *p = pool()) {
        own.siteName = p->resort();
        own.poolName = p->name();
    }
    return own;
}

const records::RecordList &LogController::records() const {
    static const records::RecordList kNone;
    const config::Pool *p = pool();
    return p ? p->records() : kNone;
}

std::size_t LogController::recordCount() const {
    return records().count();
}

platform::MessageBox &LogController::messageBox() {
    return m_windowBoxes ? *m_windowBoxes : m_services.messageBox;
}

platform::FileDialog &LogController::fileDialog() {
    return m_windowDialogs ? *m_windowDialogs : m_services.fileDialog;
}

void LogController::open(platform::TopmostWindow &window) {
    window.makeTopmost();
    m_view.open = true;
    retranslate();
    m_view.recordCount = std::to_string(recordCount());
    m_refreshTimer->setEnabled(true);
    changed();
}

void LogController::retranslate() {
    m_view.title = m_texts(TextId::LogWindowTitle);
    m_view.countCaption = m_texts(TextId::RecordCountLabel);
    m_view.saveCsv = m_texts(TextId::Save);
    m_view.excel = m_texts(TextId::Excel);
    m_view.xml = m_texts(TextId::Xml);
    m_view.quit = m_texts(TextId::Quit);
    m_view.trend = m_texts(TextId::TrendButton);
    changed();
}

void LogController::refresh() {
    m_view.recordCount = std::to_string(recordCount());
    // The title the operator has always seen after the first half second.
    m_view.title = "AQL - ";
    changed();
}

void LogController::quit() {
    close();
}

void LogController::showTrend() {
    if (!m_trendOpener) {
        return;
    }
    close();
    m_trendOpener();
}

void LogController::setTrendOpener(std::function<void()> opener) {
    m_trendOpener = std::move(opener);
    m_view.trendAvailable = static_cast<bool>(m_trendOpener);
    changed();
}

void LogController::close() {
    m_refreshTimer->setEnabled(false);
    if (m_view.open) {
        m_view.open = false;
        changed();
    }
}

std::optional<std::filesystem::path> LogController::askTarget(const std::filesystem::path &folder,
                                                              const std::string &filter) {
    const std::optional<std::string> chosen = fileDialog().saveFile(folder.u8string(), filter);
    if (!chosen || chosen->empty()) {
        return std::nullopt;
    }
    return std::filesystem::u8path(*chosen);
}

bool LogController::write(const std::filesystem::path &target, const std::string &bytes) {
    try {
        m_services.files.saveWhole(target, bytes);
        return true;
    } catch (const AqlError &e) {
        reportFailure(TextId::LogNotSaved, e);
    }
    return false;
}

void LogController::reportFailure(int text, const AqlError &error) {
    link::ErrorReporter(messageBox(), m_info.exeName, m_info.major, m_info.minor)
        .show(m_texts(text), error);
}

void LogController::saveCsv() {
    const auto target = askTarget(m_programFolder / "Data", kCsvFilter);
    if (!target || !write(*target, records::recordListCsv(records()))) {
        return;
    }
    messageBox().show(m_texts(TextId::SavedAsCsv) + " " + shownPath(target->u8string()),
                      platform::style::kOkOnly);
    m_saved.notify();
    close();
}

std::string LogController::nowText() const {
    const platform::LocalTime t = m_services.clock.now();
    return padded(t.year, 4) + "-" + padded(t.month, 2) + "-" + padded(t.day, 2) + " " +
           padded(t.hour, 2) + ":" + padded(t.minute, 2) + ":" + padded(t.second, 2);
}

void LogController::saveXml() {
    const auto target = askTarget(m_programFolder, kXmlFilter);
    if (!target) {
        return;
    }
    const LogSource from = source();
    records::XmlDocumentInfo info;
    info.executableName = m_info.exeName;
    info.majorVersion = m_info.major;
    info.minorVersion = m_info.minor;
    info.revision = m_info.revision;
    info.generatedAt = nowText();
    info.siteName = from.siteName;
    info.poolName = from.poolName;
    info.numberOfPools = from.sitePoolCount;
    if (!write(*target, records::xmlDocument(info, records()))) {
        return;
    }
    // The text ends in a blank of its own.
    messageBox().show(m_texts(TextId::SavedAsXml) + shownPath(target->u8string()),
                      platform::style::kOkOnly);
    m_saved.notify();
}

void LogController::saveWorkbook() {
    const auto target = askTarget(m_programFolder / "Data",
                                  m_texts(TextId::WorkbookFilter) + "|" + kWorkbookPattern);
    if (!target) {
        return;
    }
    const LogSource from = source();
    records::WorkbookInfo info;
    info.executableName = m_info.exeName;
    info.majorVersion = m_info.major;
    info.minorVersion = m_info.minor;
    info.revision = m_info.revision;
    info.siteName = from.siteName;
    info.poolName = from.poolName;
    info.createdAt = toTime(m_services.clock.now());
    std::string bytes;
    try {
        bytes = records::workbookBytes(records(), info);
    } catch (const AqlError &e) {
        reportFailure(TextId::LogNotSaved, e);
        return;
    }
    if (!write(*target, bytes)) {
        return;
    }
    m_saved.notify();
    const std::string name = shownPath(target->u8string());
    const int answer = messageBox().show(m_texts(TextId::SavedAsWorkbook) + " " + name +
                                             "\r\n\r\n" + m_texts(TextId::OpenWorkbookQuestion),
                                         platform::style::kQuestionOkCancel);
    if (answer == platform::kResultOk && !m_services.opener.open(*target)) {
        messageBox().show(m_texts(TextId::WorkbookNotOpened) + " " + name,
                          platform::style::kCritical);
    }
}

void LogController::saveRealtimeCsv() {
    const platform::LocalTime now = m_services.clock.now();
    if (now.second != 16 && now.second != 46) {
        return;
    }
    // The clock ticks ten times a second; the file needs writing once.
    if (m_lastRealtimeSecond && sameSecond(*m_lastRealtimeSecond, now)) {
        return;
    }
    if (records().empty()) {
        return;
    }
    m_lastRealtimeSecond = now;
    try {
        m_services.files.saveWhole(m_programFolder / kRealtimeFile,
                                   records::recordListCsv(records()));
        m_realtimeFailing = false;
    } catch (const AqlError &e) {
        // Nobody may be watching: say it once, not twice a minute, until a write succeeds again.
        if (!m_realtimeFailing) {
            m_realtimeFailing = true;
            reportFailure(TextId::RealtimeNotSaved, e);
        }
    }
}

} // namespace aql::shell
