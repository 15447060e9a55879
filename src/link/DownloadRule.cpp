#include "link/DownloadRule.h"

namespace aql::link {

bool isFinished(DownloadState state) {
    return state != DownloadState::WaitingForFirstRecord && state != DownloadState::Receiving;
}

DownloadCounts countsFrom(const ReceiveDispatcher::Counters &c, std::size_t recordsHeld,
                          bool linkOpen) {
    DownloadCounts counts;
    counts.recordPackets = c.recordsInserted + c.recordsAlreadyHeld;
    counts.unreadable = c.linesIgnored + c.checksumErrors;
    counts.otherAddress = c.otherAddress;
    counts.validReplies = c.linesHandled - counts.unreadable - counts.otherAddress;
    counts.recordsHeld = recordsHeld;
    counts.linkOpen = linkOpen;
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

} // namespace aql::link
