#include "link/RemotePanel.h"

namespace aql::link {

int cellForDisplayAddress(int address) {
    if (address >= 0 && address <= 19) {
        return address;
    }
    if (address >= 64 && address <= 83) {
        return address - 44;
    }
    if (address >= 20 && address <= 39) {
        return address + 20;
    }
    if (address >= 84 && address <= 103) {
        return address - 24;
    }
    return 0;
}

std::uint8_t keyCodeForIndex(int index) {
    const int v = index & 0x0F;
    switch (v) {
    case 0: return 18;
    case 1: return 17;
    case 2: return 19;
    case 3: return 16;
    case 4: return 21;
    case 5: return 20;
    default: return static_cast<std::uint8_t>(v + 16);
    }
}

int keypadIndexForKeyCode(int keyCode) {
    switch (keyCode) {
    case 38: return 0;
    case 39:
    case 62: return 1;
    case 40: return 2;
    case 37:
    case 60: return 3;
    case 86:
    case 118: return 4;
    case 88:
    case 120: return 5;
    default: return -1;
    }
}

RemotePanel::RemotePanel(PanelView &panel, CommandSender &comms, platform::EventPump &pump,
                         platform::TimerFactory &timers)
    : m_panel(panel), m_comms(comms), m_pump(pump), m_tmrCursor(timers.createTimer(500)) {
    m_tmrCursor->setOnTick([this] { tmrCursor_Timer(); });
}

void RemotePanel::lblKeyboard_Click(int index) {
    const bool shown = index >= 0 && index < kKeys;
    if (shown) {
        m_panel.keyPressedVisible[static_cast<std::size_t>(index)] = true;
        m_panel.notify();
    }
    m_pump.processEvents();
    m_pump.sleep(50);
    m_pump.processEvents();
    if (shown) {
        m_panel.keyPressedVisible[static_cast<std::size_t>(index)] = false;
        m_panel.notify();
    }
    m_comms.sendKey(keyCodeForIndex(index));
}

void RemotePanel::Form_KeyDown(int keyCode) {
    const int index = keypadIndexForKeyCode(keyCode);
    if (index >= 0) {
        lblKeyboard_Click(index);
    }
}

void RemotePanel::tmrCursor_Timer() {
    if (m_drawnCursor != m_panel.cursorPosition) {
        m_panel.cellPainted[static_cast<std::size_t>(cellForDisplayAddress(m_drawnCursor & 0x7F))] =
            false;
    }
    m_drawnCursor = m_panel.cursorPosition;
    const auto cell =
        static_cast<std::size_t>(cellForDisplayAddress(m_panel.cursorPosition & 0x7F));
    if (m_panel.cursorPosition < 128) {
        m_panel.cellPainted[cell] = false;
    } else {
        m_panel.cellPainted[cell] = !m_panel.cellPainted[cell];
    }
    m_panel.notify();
    m_pump.processEvents();
}

void RemotePanel::clearDisplay() {
    m_panel.cells.fill('\0');
    m_panel.cellPainted.fill(false);
    m_panel.shpLCD = colour::kBacklightOff;
    m_panel.shpRun = colour::kBlack;
    m_panel.shpAlarm = colour::kBlack;
    m_panel.shpManual = colour::kBlack;
    m_panel.notify();
}

void RemotePanel::mnuON_Click() {
    m_panel.mnuOFFChecked = false;
    m_panel.mnuONChecked = true;
    m_panel.notify();
}

void RemotePanel::mnuOFF_Click() {
    m_panel.mnuONChecked = false;
    m_panel.mnuOFFChecked = true;
    m_panel.notify();
}

} // namespace aql::link
