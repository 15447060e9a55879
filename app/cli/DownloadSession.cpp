#include "cli/DownloadSession.h"

#include <cstdio>

namespace aql::cli {

DownloadSession::DownloadSession(link::Console &console, platform::TimerFactory &timers,
                                 records::RecordList &records, DownloadSettings settings)
    : m_console(console), m_records(records), m_settings(std::move(settings)),
      m_watch(timers.createTimer(kWatchMs)) {
    m_watch->setOnTick([this] { watch(); });
}

const char *DownloadSession::describe(Outcome outcome) {
    switch (outcome) {
    case Outcome::Running: return "running";
    case Outcome::Done: return "log downloaded";
    case Outcome::ConnectFailed: return "could not connect to the controller";
    case Outcome::LinkLost: return "the connection to the controller was lost";
    case Outcome::NoRecords: return "the controller sent no log record";
    }
    return "";
}

std::uint64_t DownloadSession::recordPacketsSeen() const {
    const auto &c = m_console.receiveCounters();
    return c.recordsInserted + c.recordsAlreadyHeld;
}

void DownloadSession::start() {
    m_console.setEndpoint(m_settings.host, m_settings.port);
    m_console.setCurrentPool(&m_records, m_settings.address);
    m_console.chooseOnline();
    if (!m_console.view().onlineSelected || !m_console.connected()) {
        finish(Outcome::ConnectFailed);
        return;
    }
    m_console.requestLog();
    m_watch->setEnabled(true);
}

void DownloadSession::watch() {
    if (m_outcome != Outcome::Running) {
        return;
    }
    m_elapsedMs += kWatchMs;
    if (!m_console.view().onlineSelected) {
        finish(Outcome::LinkLost);
        return;
    }
    const std::uint64_t seen = recordPacketsSeen();
    if (seen != m_lastSeen) {
        m_lastSeen = seen;
        m_lastArrivalMs = m_elapsedMs;
    }
    if (progress && m_elapsedMs % 1000 == 0) {
        const std::uint64_t held = m_records.count();
        char line[160];
        std::snprintf(line, sizeof line, "records held: %llu (%llu records/s)",
                      static_cast<unsigned long long>(held),
                      static_cast<unsigned long long>(held - m_lastReported));
        m_lastReported = held;
        progress(line);
    }
    if (seen == 0) {
        if (m_elapsedMs >= static_cast<std::int64_t>(m_settings.timeoutSeconds) * 1000) {
            finish(Outcome::NoRecords);
        }
        return;
    }
    if (m_elapsedMs - m_lastArrivalMs >= static_cast<std::int64_t>(m_settings.idleSeconds) * 1000) {
        finish(Outcome::Done);
    }
}

void DownloadSession::finish(Outcome outcome) {
    m_outcome = outcome;
    m_watch->setEnabled(false);
    m_console.chooseOffline();
    if (finished) {
        finished(outcome);
    }
}

} // namespace aql::cli
