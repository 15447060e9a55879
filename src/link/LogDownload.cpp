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

bool isFinished(DownloadState state) {
    return state != DownloadState::WaitingForFirstRecord && state != DownloadState::Receiving;
}

DownloadCounts countsOf(const Console &console, const records::RecordList &records) {
    const ReceiveDispatcher::Counters &c = console.receiveCounters();
    DownloadCounts counts;
    counts.recordPackets = c.recordsInserted + c.recordsAlreadyHeld;
    counts.unreadable = c.linesIgnored + c.checksumErrors;
    counts.otherAddress = c.otherAddress;
    counts.validReplies = c.linesHandled - counts.unreadable - counts.otherAddress;
    counts.recordsHeld = records.count();
    counts.linkOpen = console.view().onlineSelected && console.connected();
    return counts;
}

LogDownloadRule::LogDownloadRule(DownloadRules rules) : m_rules(rules) {}

void LogDownloadRule::start(std::int64_t nowMs, const DownloadCounts &counts) {
    m_state = DownloadState::WaitingForFirstRecord;
    m_start = m_last = counts;
    m_startMs = m_lastMs = m_lastRecordMs = m_lastReplyMs = nowMs;
}

void LogDownloadRule::cancel() {
    if (!isFinished(m_state)) {
        m_state = DownloadState::Cancelled;
    }
}

DownloadState LogDownloadRule::observe(std::int64_t nowMs, const DownloadCounts &counts) {
    if (isFinished(m_state)) {
        return m_state;
    }
    // Arrivals are seen only when looked for, so they count as arriving at the look: a look
    // delayed by a busy event loop can make a download last longer, never end it early.
    if (counts.recordPackets != m_last.recordPackets) {
        m_lastRecordMs = nowMs;
    }
    if (counts.validReplies != m_last.validReplies) {
        m_lastReplyMs = nowMs;
    }
    m_last = counts;
    m_lastMs = nowMs;
    m_state = decide(nowMs);
    return m_state;
}

DownloadState LogDownloadRule::decide(std::int64_t nowMs) const {
    if (m_last.recordsHeld >= m_rules.maxRecords) {
        return DownloadState::TooManyRecords;
    }
    if (!m_last.linkOpen) {
        return DownloadState::LinkLost;
    }
    const bool answered = validReplies() > 0;
    const bool silent = answered && nowMs - m_lastReplyMs >= m_rules.silentMs;
    if (recordPackets() == 0) {
        if (silent) {
            return DownloadState::StoppedAnswering;
        }
        if (m_rules.firstRecordMs > 0 && nowMs - m_startMs >= m_rules.firstRecordMs) {
            return answered ? DownloadState::NoRecords : DownloadState::NoValidReply;
        }
        return DownloadState::WaitingForFirstRecord;
    }
    if (silent) {
        return DownloadState::StoppedAnswering;
    }
    if (nowMs - m_lastRecordMs >= m_rules.quietMs) {
        return DownloadState::Complete;
    }
    return DownloadState::Receiving;
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
