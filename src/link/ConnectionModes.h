#pragma once

#include "link/CommandSender.h"
#include "link/PanelView.h"
#include "link/RemotePanel.h"
#include "link/TcpLink.h"
#include "platform/EventPump.h"
#include "platform/Timer.h"

#include <functional>
#include <memory>

namespace aql::link {

// The main window's mode panel (Online, Offline, Get Log, Save, the sliding panel) and the
// communication timers that follow it.
class ConnectionModes {
public:
    struct Hooks {
        // The configuration window's editing controls follow the mode (false while Online).
        std::function<void(bool editable)> configEditing;
        std::function<void()> openLogWindow;   // Save: the log window on the current pool
        std::function<void()> saveRealtimeCsv; // the log window's saveCSV
    };

    ConnectionModes(PanelView &panel, TcpLink &link, CommandSender &comms, RemotePanel &remote,
                    platform::TimerFactory &timers, platform::EventPump &pump, TextSource texts);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // Selecting an option button runs its Click only when the selection changes.
    void selectOnLine();
    void selectOffLine();

    void optOnLine_Click();
    void optOffLine_Click();
    void optGetLog_Click();
    void optProcessLog_Click();
    void chkShift_Click();

    void tmrSendNextPacket_Timer();
    void tmrComms_Timer();
    void tmrCommsAlarm_Timer();
    void tmrKnipknap_Timer();

    // Restarts the reply watchdog on every valid addressed reply.
    void restartCommsAlarm();

    platform::Timer &tmrSendNextPacket() { return *m_tmrSendNextPacket; }
    platform::Timer &tmrComms() { return *m_tmrComms; }
    platform::Timer &tmrCommsAlarm() { return *m_tmrCommsAlarm; }
    platform::Timer &tmrKnipknap() { return *m_tmrKnipknap; }

private:
    PanelView &m_panel;
    TcpLink &m_link;
    CommandSender &m_comms;
    RemotePanel &m_remote;
    platform::EventPump &m_pump;
    TextSource m_texts;
    Hooks m_hooks;
    std::unique_ptr<platform::Timer> m_tmrSendNextPacket;
    std::unique_ptr<platform::Timer> m_tmrComms;
    std::unique_ptr<platform::Timer> m_tmrCommsAlarm;
    std::unique_ptr<platform::Timer> m_tmrKnipknap;
};

} // namespace aql::link
