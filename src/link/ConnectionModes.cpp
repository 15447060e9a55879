#include "link/ConnectionModes.h"

#include "records/RecordList.h"

namespace aql::link {

namespace ss = platform::sockstate;

ConnectionModes::ConnectionModes(PanelView &panel, TcpLink &link, CommandSender &comms,
                                 RemotePanel &remote, platform::TimerFactory &timers,
                                 platform::EventPump &pump, TextSource texts)
    : m_panel(panel), m_link(link), m_comms(comms), m_remote(remote), m_pump(pump),
      m_texts(std::move(texts)), m_tmrSendNextPacket(timers.createTimer(120)),
      m_tmrComms(timers.createTimer(100)), m_tmrCommsAlarm(timers.createTimer(1000)),
      m_tmrKnipknap(timers.createTimer(1)) {
    m_tmrSendNextPacket->setOnTick([this] { tmrSendNextPacket_Timer(); });
    m_tmrComms->setOnTick([this] { tmrComms_Timer(); });
    m_tmrCommsAlarm->setOnTick([this] { tmrCommsAlarm_Timer(); });
    m_tmrKnipknap->setOnTick([this] { tmrKnipknap_Timer(); });
}

void ConnectionModes::selectOnLine() {
    if (!m_panel.optOnLineSelected) {
        m_panel.optOnLineSelected = true;
        m_panel.notify();
        optOnLine_Click();
    }
}

void ConnectionModes::selectOffLine() {
    if (m_panel.optOnLineSelected) {
        m_panel.optOnLineSelected = false;
        m_panel.notify();
        optOffLine_Click();
    }
}

void ConnectionModes::optOnLine_Click() {
    if (m_hooks.configEditing) {
        m_hooks.configEditing(false);
    }
    m_panel.cmbPoolsEnabled = false;
    m_panel.fraCommsVisible = false;
    m_panel.notify();
    if (!m_link.connected()) {
        m_link.Connect();
    }
    // A failed connect has already selected Offline from inside Connect; going on would leave
    // the mode Online and the poll timer running with nothing connected.
    if (!m_panel.optOnLineSelected) {
        return;
    }
    m_comms.setOperatingMode(mode::kOnline);
    if (m_link.connected()) {
        m_tmrCommsAlarm->setEnabled(true);
    }
    m_panel.optGetLogEnabled = true;
    m_panel.notify();
    m_tmrSendNextPacket->setEnabled(true);
}

void ConnectionModes::optOffLine_Click() {
    if (m_hooks.configEditing) {
        m_hooks.configEditing(true);
    }
    m_panel.cmbPoolsEnabled = true;
    m_panel.fraCommsVisible = true;
    m_panel.notify();
    const int s = m_link.state();
    if (s == ss::kConnecting || s == ss::kConnected) {
        m_link.CloseCon();
    }
    m_comms.setOperatingMode(mode::kOffline);
    m_tmrCommsAlarm->setEnabled(false);
    m_panel.optProcessLogEnabled = false;
    m_panel.optGetLogEnabled = false;
    m_panel.notify();
    m_tmrSendNextPacket->setEnabled(false);
    m_remote.clearDisplay();
}

void ConnectionModes::optGetLog_Click() {
    m_comms.getLog();
}

void ConnectionModes::optProcessLog_Click() {
    m_panel.optProcessLogPressed = false;
    m_panel.notify();
    if (m_hooks.openLogWindow) {
        m_hooks.openLogWindow();
    }
}

void ConnectionModes::chkShift_Click() {
    m_panel.shiftFlag = !m_panel.shiftFlag;
    m_panel.chkShiftCaption = m_panel.shiftFlag ? "p" : "q";
    m_panel.notify();
    // The slide timer only needs to run while the panel is on its way.
    m_tmrKnipknap->setEnabled(true);
}

void ConnectionModes::tmrKnipknap_Timer() {
    if (m_panel.shiftFlag && m_panel.panelTop != 2100) {
        m_panel.panelTop += 200;
    } else if (!m_panel.shiftFlag && m_panel.panelTop != 100) {
        m_panel.panelTop -= 200;
    } else {
        m_tmrKnipknap->setEnabled(false);
        return;
    }
    m_panel.notify();
}

void ConnectionModes::tmrSendNextPacket_Timer() {
    m_comms.sendNextPacket();
}

void ConnectionModes::tmrComms_Timer() {
    m_tmrComms->setEnabled(false);
    const std::size_t n = m_panel.currentPool ? m_panel.currentPool->count() : 0;
    if (n > 0) {
        if (m_panel.optOnLineSelected) {
            m_panel.optProcessLogEnabled = true;
            m_panel.mnuBaseEnabled = false;
        } else {
            m_panel.optProcessLogEnabled = false;
            m_panel.mnuBaseEnabled = true;
        }
        m_panel.optProcessLogTooltip = std::to_string(n) + " " + m_texts(62);
        m_panel.lblLogCount = std::to_string(n);
        m_panel.notify();
        if (m_panel.mnuONChecked && m_hooks.saveRealtimeCsv) {
            m_hooks.saveRealtimeCsv();
        }
    } else {
        m_panel.mnuBaseEnabled = true;
        m_panel.optProcessLogPressed = false;
        m_panel.lblLogCount = "0";
        m_panel.notify();
    }
    m_tmrComms->setEnabled(true);
    m_pump.processEvents();
}

void ConnectionModes::tmrCommsAlarm_Timer() {
    if (m_panel.dataReceived) {
        m_panel.dataReceived = false;
    }
}

void ConnectionModes::restartCommsAlarm() {
    m_tmrCommsAlarm->setEnabled(false);
    m_pump.processEvents();
    m_tmrCommsAlarm->setEnabled(true);
    m_pump.processEvents();
}

} // namespace aql::link
