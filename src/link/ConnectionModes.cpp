#include "link/ConnectionModes.h"

#include "core/TextId.h"
#include "link/Hooks.h"
#include "records/RecordList.h"

namespace aql::link {

namespace ss = platform::sockstate;

ConnectionModes::ConnectionModes(PanelModel &panel, LinkState &state, TcpLink &link,
                                 CommandSender &sender, RemotePanel &remote,
                                 platform::TimerFactory &timers, platform::EventPump &pump,
                                 TextSource texts)
    : m_panel(panel), m_state(state), m_link(link), m_sender(sender), m_remote(remote),
      m_pump(pump), m_texts(std::move(texts)), m_pollTimer(timers.createTimer(kPollMs)),
      m_recordCountTimer(timers.createTimer(kRecordCountMs)),
      m_replyWatchTimer(timers.createTimer(kReplyWatchMs)),
      m_slideTimer(timers.createTimer(kSlideMs)) {
    setHooks({});
    m_pollTimer->setOnTick([this] { sendPoll(); });
    m_recordCountTimer->setOnTick([this] { refreshRecordCount(); });
    m_replyWatchTimer->setOnTick([this] { expireReply(); });
    m_slideTimer->setOnTick([this] { slidePanelStep(); });
}

void ConnectionModes::setHooks(Hooks hooks) {
    keepCallable(hooks.allowConfigurationEditing);
    keepCallable(hooks.openLogWindow);
    keepCallable(hooks.saveRealtimeCsv);
    m_hooks = std::move(hooks);
}

void ConnectionModes::chooseOnline() {
    if (!m_panel.view().onlineSelected) {
        m_panel.edit().onlineSelected = true;
        m_panel.changed();
        enterOnline();
    }
}

void ConnectionModes::chooseOffline() {
    if (m_panel.view().onlineSelected) {
        m_panel.edit().onlineSelected = false;
        m_panel.changed();
        enterOffline();
    }
}

void ConnectionModes::resetToOffline() {
    m_panel.edit().onlineSelected = false;
    enterOffline();
}

void ConnectionModes::enterOnline() {
    m_hooks.allowConfigurationEditing(false);
    m_panel.edit().poolSelectionEnabled = false;
    m_panel.edit().keypadCovered = false;
    m_panel.changed();
    if (!m_link.connected()) {
        m_link.connect();
        // The connection window locks Save while it connects; what was held before is still held.
        m_panel.edit().saveEnabled = recordsHeld() > 0;
        m_panel.changed();
    }
    // A failed connect has already selected Offline from inside connect(); going on would leave
    // the mode Online and the poll timer running with nothing connected.
    if (!m_panel.view().onlineSelected) {
        return;
    }
    m_sender.setOperatingMode(mode::kOnline);
    if (m_link.connected()) {
        m_replyWatchTimer->setEnabled(true);
    }
    m_panel.edit().getLogEnabled = true;
    m_panel.changed();
    m_pollTimer->setEnabled(true);
}

void ConnectionModes::enterOffline() {
    m_hooks.allowConfigurationEditing(true);
    m_panel.edit().poolSelectionEnabled = true;
    m_panel.edit().keypadCovered = true;
    m_panel.changed();
    const int s = m_link.state();
    if (s == ss::kConnecting || s == ss::kConnected) {
        m_link.closeConnection();
    }
    m_sender.setOperatingMode(mode::kOffline);
    m_replyWatchTimer->setEnabled(false);
    // A link that drops mid-download leaves what arrived in memory: Save stays the way to keep it.
    m_panel.edit().saveEnabled = recordsHeld() > 0;
    m_panel.edit().getLogEnabled = false;
    m_panel.changed();
    m_pollTimer->setEnabled(false);
    m_remote.clearDisplay();
}

void ConnectionModes::requestLog() {
    m_panel.edit().getLogPressed = false;
    m_panel.changed();
    m_sender.sendGetLog();
}

void ConnectionModes::saveLog() {
    m_panel.edit().savePressed = false;
    m_panel.changed();
    m_hooks.openLogWindow();
}

void ConnectionModes::toggleShift() {
    PanelView &panel = m_panel.edit();
    panel.shifted = !panel.shifted;
    panel.shiftGlyph = panel.shifted ? "p" : "q";
    m_panel.changed();
    // The slide timer only needs to run while the panel is on its way.
    m_slideTimer->setEnabled(true);
}

void ConnectionModes::slidePanelStep() {
    PanelView &panel = m_panel.edit();
    if (panel.shifted && panel.panelTop != kPanelTopLowered) {
        panel.panelTop += kSlideStep;
    } else if (!panel.shifted && panel.panelTop != kPanelTopRaised) {
        panel.panelTop -= kSlideStep;
    } else {
        m_slideTimer->setEnabled(false);
        return;
    }
    m_panel.changed();
}

void ConnectionModes::sendPoll() {
    m_sender.sendPoll();
}

void ConnectionModes::refreshRecordCount() {
    m_recordCountTimer->setEnabled(false);
    const std::size_t n = recordsHeld();
    PanelView &panel = m_panel.edit();
    if (n > 0) {
        panel.saveEnabled = true;
        panel.baseFileEnabled = !panel.onlineSelected;
        panel.saveTooltip = std::to_string(n) + " " + m_texts(TextId::RecordsHeld);
        panel.recordCount = std::to_string(n);
        m_panel.changed();
        if (m_panel.view().realtimeOn) {
            m_hooks.saveRealtimeCsv();
        }
    } else {
        panel.baseFileEnabled = true;
        panel.saveEnabled = false;
        panel.savePressed = false;
        panel.recordCount = "0";
        m_panel.changed();
    }
    m_recordCountTimer->setEnabled(true);
    m_pump.processEvents();
}

std::size_t ConnectionModes::recordsHeld() const {
    return m_state.currentRecords ? m_state.currentRecords->count() : 0;
}

void ConnectionModes::expireReply() {
    m_state.replyReceived = false;
}

void ConnectionModes::restartReplyWatch() {
    m_replyWatchTimer->setEnabled(false);
    m_pump.processEvents();
    m_replyWatchTimer->setEnabled(true);
    m_pump.processEvents();
}

} // namespace aql::link
