#include "link/LinkMonitor.h"

#include "records/RecordList.h"

namespace aql::link {

bool isLoss(EndReason reason) {
    switch (reason) {
    case EndReason::AnswerTimeout:
    case EndReason::SocketError:
    case EndReason::ClosedByController:
    case EndReason::CorruptReply:
    case EndReason::ConnectFailed: return true;
    case EndReason::None:
    case EndReason::OperatorOffline:
    case EndReason::PoolChanged:
    case EndReason::ConfigurationChanged: return false;
    }
    return false;
}

LinkMonitor::LinkMonitor(const platform::Clock &clock, platform::TimerFactory &timers,
                         PanelModel &panel, const TcpLink &link,
                         const ReceiveDispatcher &dispatcher, const LinkState &state)
    : m_clock(clock), m_link(link), m_panel(panel), m_dispatcher(dispatcher), m_state(state),
      m_tickTimer(timers.createTimer(kTickMs)), m_silenceTimer(timers.createTimer(kStaleAfterMs)) {
    m_tickTimer->setOnTick([this] { tick(); });
    m_silenceTimer->setOnTick([this] { silenceLasted(); });
    // The phase follows the panel, which every connect, close and mode change redraws; working it
    // out is a few comparisons, and observers hear only of a change.
    m_panelSubscription = panel.subscribe([this] {
        refreshPhase();
        publish();
    });
    m_tickTimer->setEnabled(true);
}

void LinkMonitor::refreshPhase() {
    LinkPhase phase = LinkPhase::Offline;
    if (m_link.connecting()) {
        phase = LinkPhase::Connecting;
    } else if (m_panel.view().onlineSelected && m_link.connected()) {
        phase = LinkPhase::Online;
    }
    if (phase != m_status.phase) {
        enterPhase(phase);
    }
}

void LinkMonitor::enterPhase(LinkPhase phase) {
    m_status.phase = phase;
    m_dirty = true;
    switch (phase) {
    case LinkPhase::Connecting:
        m_lastReplyMs.reset();
        m_status.lastReplyAgeMs.reset();
        setStale(false);
        m_silenceTimer->setEnabled(false);
        break;
    case LinkPhase::Online:
        // Silence is counted from the moment the link is up, or from its last reply.
        m_silenceTimer->setEnabled(false);
        m_silenceTimer->setEnabled(true);
        break;
    case LinkPhase::Offline:
        m_silenceTimer->setEnabled(false);
        setStale(false);
        m_status.lastReplyAgeMs.reset();
        break;
    }
}

void LinkMonitor::setStale(bool stale) {
    assign(m_status.stale, stale);
}

void LinkMonitor::replyArrived() {
    m_lastReplyMs = m_clock.steadyMs();
    if (m_status.phase == LinkPhase::Online) {
        m_silenceTimer->setEnabled(false);
        m_silenceTimer->setEnabled(true);
    }
    if (m_status.stale) {
        setStale(false);
        publish();
    }
}

void LinkMonitor::silenceLasted() {
    m_silenceTimer->setEnabled(false);
    refreshPhase();
    if (m_status.phase == LinkPhase::Online) {
        setStale(true);
    }
    publish();
}

std::uint64_t LinkMonitor::recordLines() const {
    const auto &c = m_dispatcher.counters();
    return c.recordsInserted + c.recordsAlreadyHeld;
}

DownloadCounts LinkMonitor::downloadCounts() const {
    return countsFrom(m_dispatcher.counters(), recordsHeld(),
                      m_panel.view().onlineSelected && m_link.connected());
}

std::size_t LinkMonitor::recordsHeld() const {
    return m_state.currentRecords ? m_state.currentRecords->count() : 0;
}

void LinkMonitor::downloadRequested() {
    const std::int64_t now = m_clock.steadyMs();
    m_downloadStartMs = now;
    m_lastTickMs = now;
    m_linesAtStart = recordLines();
    m_receivedAtLastTick = 0;
    m_rule = LogDownloadRule(m_rules);
    m_rule.start(now, downloadCounts());
    DownloadStatus d;
    d.state = DownloadStatus::State::Receiving;
    d.recordsHeld = recordsHeld();
    assign(m_status.download, d);
    m_dirty = true;
    publish();
}

void LinkMonitor::updateDownload(std::int64_t now) {
    if (m_status.download.state != DownloadStatus::State::Receiving) {
        return;
    }
    DownloadStatus d = m_status.download;
    d.recordsReceived = recordLines() - m_linesAtStart;
    d.recordsHeld = recordsHeld();
    d.elapsedMs = now - m_downloadStartMs;
    // Over the time since the last tick as the clock measured it, not as the timer promised: a
    // busy event loop delivers ticks late.
    const std::int64_t span = now - m_lastTickMs;
    if (span > 0) {
        const std::uint64_t arrived = d.recordsReceived - m_receivedAtLastTick;
        d.recordsPerSecond = (arrived * 1000 + static_cast<std::uint64_t>(span) / 2) /
                             static_cast<std::uint64_t>(span);
        m_lastTickMs = now;
        m_receivedAtLastTick = d.recordsReceived;
    }
    // The same rule as every other download: answers that keep coming without a record for the
    // quiet time end the log; unanswered polls never do.
    switch (m_rule.observe(now, downloadCounts())) {
    case DownloadState::WaitingForFirstRecord:
    case DownloadState::Receiving: break;
    case DownloadState::Complete:
    case DownloadState::NoRecords: d.state = DownloadStatus::State::Complete; break;
    case DownloadState::NoValidReply:
    case DownloadState::StoppedAnswering: d.state = DownloadStatus::State::ControllerSilent; break;
    case DownloadState::LinkLost:
    case DownloadState::TooManyRecords:
    case DownloadState::Cancelled: d.state = DownloadStatus::State::Interrupted; break;
    }
    assign(m_status.download, d);
}

void LinkMonitor::connectionEnded(const ConnectionEnd &end) {
    assign(m_status.lastEnd, end);
    if (m_status.download.state == DownloadStatus::State::Receiving) {
        updateDownload(m_clock.steadyMs());
        if (m_status.download.state == DownloadStatus::State::Receiving) {
            m_status.download.state = DownloadStatus::State::Interrupted;
            m_dirty = true;
        }
    }
    refreshPhase();
    publish();
}

void LinkMonitor::reconnectChanged(const ReconnectStatus &reconnect) {
    assign(m_status.reconnect, reconnect);
    publish();
}

void LinkMonitor::tick() {
    const std::int64_t now = m_clock.steadyMs();
    refreshPhase();
    std::optional<std::int64_t> age;
    if (m_status.phase != LinkPhase::Offline && m_lastReplyMs) {
        age = now - *m_lastReplyMs;
    }
    assign(m_status.lastReplyAgeMs, age);
    const auto &c = m_dispatcher.counters();
    assign(m_status.linesReceived, c.linesHandled);
    assign(m_status.checksumErrors, c.checksumErrors);
    assign(m_status.droppedLines, c.linesIgnored + c.otherAddress + c.lineErrors);
    updateDownload(now);
    publish();
}

void LinkMonitor::publish() {
    // An observer that reads the status and thereby makes the panel change would otherwise be
    // told again from inside its own notification.
    if (!m_dirty || m_publishing) {
        return;
    }
    m_dirty = false;
    m_publishing = true;
    m_notifier.notify();
    m_publishing = false;
}

} // namespace aql::link
