#pragma once

#include "link/CommandSender.h"
#include "link/LinkState.h"
#include "link/PanelView.h"
#include "link/RemotePanel.h"
#include "link/TcpLink.h"
#include "platform/EventPump.h"
#include "platform/Timer.h"

#include <cstddef>
#include <functional>
#include <memory>

namespace aql::link {

// The mode panel (Online, Offline, Get Log, Save, the sliding panel) and the communication timers
// that follow the mode: polling, the record count and the reply watch.
class ConnectionModes {
public:
    static constexpr int kPollMs = 120;
    static constexpr int kRecordCountMs = 100;
    static constexpr int kReplyWatchMs = 1000;
    // Ten steps of 15 ms: the panel is seen to slide (about 150 ms) instead of jumping.
    static constexpr int kSlideMs = 15;
    static constexpr int kSlideStep = 200;

    struct Hooks {
        // The configuration window's editing follows the mode (false while Online).
        std::function<void(bool editable)> allowConfigurationEditing;
        std::function<void()> openLogWindow;   // Save: the log window on the current pool
        std::function<void()> saveRealtimeCsv; // the log window's real-time export
    };

    ConnectionModes(PanelModel &panel, LinkState &state, TcpLink &link, CommandSender &sender,
                    RemotePanel &remote, platform::TimerFactory &timers, platform::EventPump &pump,
                    TextSource texts);

    // Replaces every hook; one left empty does nothing.
    void setHooks(Hooks hooks);

    // Selecting a mode runs it only when the selection changes.
    void chooseOnline();
    void chooseOffline();
    // Offline whatever is selected now (the main window's load).
    void resetToOffline();
    // Get Log: shows its button up again and asks the controller for its log (sent only while
    // Online and connected).
    void requestLog();
    // Save: shows its button up again and opens the log window; enabled whenever records are
    // held, Online or not.
    void saveLog();
    void toggleShift();
    // A valid addressed reply restarts the reply watch.
    void restartReplyWatch();

    // The clock.
    void sendPoll();
    void startRecordCount() { m_recordCountTimer->setEnabled(true); }
    void refreshRecordCount();
    void expireReply();
    void slidePanelStep();

    bool polling() const { return m_pollTimer->enabled(); }
    bool countingRecords() const { return m_recordCountTimer->enabled(); }
    bool watchingReplies() const { return m_replyWatchTimer->enabled(); }

private:
    void enterOnline();
    void enterOffline();
    std::size_t recordsHeld() const;

    PanelModel &m_panel;
    LinkState &m_state;
    TcpLink &m_link;
    CommandSender &m_sender;
    RemotePanel &m_remote;
    platform::EventPump &m_pump;
    TextSource m_texts;
    Hooks m_hooks;
    std::unique_ptr<platform::Timer> m_pollTimer;
    std::unique_ptr<platform::Timer> m_recordCountTimer;
    std::unique_ptr<platform::Timer> m_replyWatchTimer;
    std::unique_ptr<platform::Timer> m_slideTimer;
};

} // namespace aql::link
