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

namespace {
std::size_t cellOfCursor(std::uint16_t position) {
    return static_cast<std::size_t>(cellForDisplayAddress(position & 0x7F));
}
} // namespace

RemotePanel::RemotePanel(PanelModel &panel, const LinkState &state, CommandSender &sender,
                         platform::EventPump &pump, platform::TimerFactory &timers)
    : m_panel(panel), m_state(state), m_sender(sender), m_pump(pump),
      m_cursorTimer(timers.createTimer(kBlinkMs)) {
    m_cursorTimer->setOnTick([this] { blinkCursor(); });
}

void RemotePanel::pressKey(int index) {
    const bool shown = index >= 0 && index < kKeys;
    if (shown) {
        m_panel.edit().keyFlashing[static_cast<std::size_t>(index)] = true;
        m_panel.changed();
    }
    m_pump.processEvents();
    m_pump.sleep(kFlashMs);
    m_pump.processEvents();
    if (shown) {
        m_panel.edit().keyFlashing[static_cast<std::size_t>(index)] = false;
        m_panel.changed();
    }
    m_sender.sendKey(keyCodeForIndex(index));
}

void RemotePanel::keyDown(int keyCode) {
    const int index = keypadIndexForKeyCode(keyCode);
    if (index >= 0) {
        pressKey(index);
    }
}

void RemotePanel::blinkCursor() {
    PanelView &panel = m_panel.edit();
    const std::uint16_t position = m_state.cursorPosition;
    if (m_drawnCursor != position) {
        panel.cursorDrawn[cellOfCursor(m_drawnCursor)] = false;
    }
    m_drawnCursor = position;
    const std::size_t cell = cellOfCursor(position);
    if (position < 128) {
        panel.cursorDrawn[cell] = false;
    } else {
        panel.cursorDrawn[cell] = !panel.cursorDrawn[cell];
    }
    m_panel.changed();
    m_pump.processEvents();
}

void RemotePanel::clearDisplay() {
    PanelView &panel = m_panel.edit();
    panel.cells.fill('\0');
    panel.cursorDrawn.fill(false);
    panel.backlightColour = colour::kBacklightOff;
    panel.runLampColour = colour::kBlack;
    panel.alarmLampColour = colour::kBlack;
    panel.manualLampColour = colour::kBlack;
    m_panel.changed();
}

void RemotePanel::chooseRealtime(bool on) {
    m_panel.edit().realtimeOn = on;
    m_panel.changed();
}

} // namespace aql::link
