#pragma once

#include "core/Observers.h"
#include "link/DownloadRule.h"
#include "link/LinkState.h"
#include "link/LinkStatus.h"
#include "link/PanelView.h"
#include "link/ReceiveDispatcher.h"
#include "link/TcpLink.h"
#include "platform/Clock.h"
#include "platform/Timer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace aql::link {

// Keeps the link's status (phase, the age of the last valid reply, the stale marker, the line
// counters, the progress of a log download) and tells its observers when the status changes and
// once a second, never per received line.
class LinkMonitor {
public:
    static constexpr int kTickMs = 1000;
    static constexpr int kStaleAfterMs = 2000;

    LinkMonitor(const platform::Clock &clock, platform::TimerFactory &timers, PanelModel &panel,
                const TcpLink &link, const ReceiveDispatcher &dispatcher, const LinkState &state);
    LinkMonitor(const LinkMonitor &) = delete;
    LinkMonitor &operator=(const LinkMonitor &) = delete;

    const LinkStatus &view() const { return m_status; }
    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        return m_notifier.subscribe(std::move(observer));
    }

    // The times and the cap the end-of-log rule goes by; for the next Get Log.
    void setDownloadRules(DownloadRules rules) { m_rules = rules; }

    // What happened on the link.
    void replyArrived();
    void downloadRequested();
    void connectionEnded(const ConnectionEnd &end);
    void reconnectChanged(const ReconnectStatus &reconnect);

    // The clock.
    void tick();
    void silenceLasted();

private:
    void refreshPhase();
    void enterPhase(LinkPhase phase);
    void updateDownload(std::int64_t now);
    void setStale(bool stale);
    std::uint64_t recordLines() const;
    std::size_t recordsHeld() const;
    DownloadCounts downloadCounts() const;
    template <typename T> void assign(T &field, const T &value) {
        if (field != value) {
            field = value;
            m_dirty = true;
        }
    }
    void publish();

    const platform::Clock &m_clock;
    const TcpLink &m_link;
    const PanelModel &m_panel;
    const ReceiveDispatcher &m_dispatcher;
    const LinkState &m_state;
    LinkStatus m_status;
    ChangeNotifier m_notifier;
    bool m_dirty = false;
    bool m_publishing = false;
    std::unique_ptr<platform::Timer> m_tickTimer;
    std::unique_ptr<platform::Timer> m_silenceTimer;
    Subscription m_panelSubscription;
    std::optional<std::int64_t> m_lastReplyMs; // of the current connection

    DownloadRules m_rules;
    LogDownloadRule m_rule;
    std::int64_t m_downloadStartMs = 0;
    std::uint64_t m_linesAtStart = 0; // record lines counted before Get Log
    std::uint64_t m_receivedAtLastTick = 0;
    std::int64_t m_lastTickMs = 0;
};

} // namespace aql::link
