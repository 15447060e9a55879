#include "cli/DownloadSession.h"

#include <algorithm>

namespace aql::cli {

namespace {

std::string seconds(std::int64_t ms) {
    const std::int64_t whole = ms / 1000;
    const std::int64_t tenths = (ms % 1000) / 100;
    return std::to_string(whole) + (tenths != 0 ? "." + std::to_string(tenths) : "") + " s";
}

std::string plural(std::uint64_t n, const std::string &one, const std::string &many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

DownloadSession::DownloadSession(link::Console &console, platform::TimerFactory &timers,
                                 records::RecordList &records, DownloadSettings settings,
                                 link::MonotonicClock clock)
    : m_console(console), m_records(records), m_timers(timers), m_settings(std::move(settings)),
      m_clock(std::move(clock)) {}

void DownloadSession::start() {
    m_running = true;
    const std::int64_t startMs = m_clock();
    m_console.setEndpoint(m_settings.host, m_settings.port);
    m_console.setCurrentPool(&m_records, m_settings.address);
    m_console.chooseOnline();
    if (!m_console.view().onlineSelected || !m_console.connected()) {
        m_connectFailed = true;
        end();
        return;
    }
    link::DownloadRules rules;
    rules.quietMs = m_settings.quietMs;
    rules.maxRecords = m_settings.maxRecords;
    // What the connect used of the time-out is left for the first record; at least a moment,
    // so a connect that took it all still hears a controller that answers at once.
    rules.firstRecordMs = std::max<std::int64_t>(m_settings.timeoutMs - (m_clock() - startMs),
                                                 link::LogDownload::kWatchMs);
    m_download =
        std::make_unique<link::LogDownload>(m_console, m_records, m_timers, rules, m_clock);
    m_download->looked = [this] { looked(); };
    m_download->finished = [this](link::DownloadState) { end(); };
    m_nextProgressMs = m_clock() + kProgressMs;
    m_download->start();
    if (m_interrupted) {
        m_download->cancel();
    }
}

void DownloadSession::interrupt() {
    m_interrupted = true;
    if (m_download) {
        m_download->cancel();
    }
}

bool DownloadSession::succeeded() const {
    return !m_connectFailed && state() == link::DownloadState::Complete;
}

link::DownloadState DownloadSession::state() const {
    if (m_interrupted && !m_download) {
        return link::DownloadState::Cancelled;
    }
    return m_download ? m_download->state() : link::DownloadState::WaitingForFirstRecord;
}

void DownloadSession::looked() {
    const std::int64_t now = m_clock();
    if (!progress || now < m_nextProgressMs) {
        return;
    }
    m_nextProgressMs = now + kProgressMs;
    const std::size_t held = m_records.count();
    progress("records held: " + std::to_string(held) + " (" +
             std::to_string(held - std::min(held, m_lastReported)) + " records/s)");
    m_lastReported = held;
}

void DownloadSession::end() {
    m_console.chooseOffline();
    m_running = false;
    if (finished) {
        finished();
    }
}

std::string DownloadSession::summary() const {
    const std::string address = "address " + std::to_string(m_settings.address);
    if (m_connectFailed) {
        return "could not connect to the controller at " + m_settings.host + ":" + m_settings.port;
    }
    std::string held = plural(m_records.count(), "record", "records") + " held";
    const link::LogDownloadRule *rule = m_download ? &m_download->rule() : nullptr;
    const std::string waited = seconds(m_settings.timeoutMs);
    switch (state()) {
    case link::DownloadState::WaitingForFirstRecord:
    case link::DownloadState::Receiving: return "the download is still running: " + held;
    case link::DownloadState::Complete: return "log downloaded: " + held;
    case link::DownloadState::NoRecords:
        return "the controller at " + address + " answered, but sent no log record within " +
               waited;
    case link::DownloadState::NoValidReply: {
        std::string why = "no valid reply from " + address + " within " + waited;
        if (rule != nullptr && rule->otherAddressReplies() > 0) {
            why += " (" + plural(rule->otherAddressReplies(), "reply", "replies") +
                   " for other addresses: is the address right?)";
        } else if (rule != nullptr && rule->unreadableLines() > 0) {
            why += " (" + plural(rule->unreadableLines(), "line", "lines") +
                   " that are no controller reply: is this the controller's port?)";
        }
        return why;
    }
    case link::DownloadState::StoppedAnswering:
        return "the controller stopped answering (nothing for " +
               seconds(rule != nullptr ? rule->rules().silentMs : 0) + "): " + held;
    case link::DownloadState::LinkLost: return "the connection to the controller was lost: " + held;
    case link::DownloadState::TooManyRecords:
        return "stopped at the limit of " + std::to_string(m_settings.maxRecords) +
               " records (--max-records): " + held;
    case link::DownloadState::Cancelled: return "interrupted: " + held;
    }
    return held;
}

} // namespace aql::cli
