#include "link/LogDownload.h"

#include <chrono>

namespace aql::link {

MonotonicClock steadyClock() {
    return [] {
        return static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now().time_since_epoch())
                                             .count());
    };
}

DownloadCounts countsOf(const Console &console, const records::RecordList &records) {
    return countsFrom(console.receiveCounters(), records.count(),
                      console.view().onlineSelected && console.connected());
}

LogDownload::LogDownload(Console &console, const records::RecordList &records,
                         platform::TimerFactory &timers, DownloadRules rules, MonotonicClock clock)
    : m_console(console), m_records(records), m_clock(std::move(clock)), m_rule(rules),
      m_timer(timers.createTimer(kWatchMs)) {
    m_timer->setOnTick([this] { look(); });
}

void LogDownload::start() {
    if (m_console.view().onlineSelected && m_console.connected()) {
        m_console.requestLog();
    }
    watch();
}

void LogDownload::watch() {
    m_rule.start(m_clock(), countsOf(m_console, m_records));
    m_timer->setEnabled(true);
    look();
}

void LogDownload::cancel() {
    if (isFinished(m_rule.state())) {
        return;
    }
    m_rule.observe(m_clock(), countsOf(m_console, m_records));
    m_rule.cancel();
    finish();
}

void LogDownload::look() {
    if (isFinished(m_rule.state())) {
        return;
    }
    m_rule.observe(m_clock(), countsOf(m_console, m_records));
    if (looked) {
        looked();
    }
    if (isFinished(m_rule.state())) {
        finish();
    }
}

void LogDownload::finish() {
    m_timer->setEnabled(false);
    if (finished) {
        finished(m_rule.state());
    }
}

} // namespace aql::link
