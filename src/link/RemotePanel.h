#pragma once

#include "link/CommandSender.h"
#include "link/PanelView.h"
#include "platform/EventPump.h"
#include "platform/Timer.h"

#include <cstdint>
#include <memory>

namespace aql::link {

// Cell (0-79) of a display-memory address (bit 7 already removed). Rows are at 0-19, 64-83,
// 20-39 and 84-103; any other address shows at cell 0.
int cellForDisplayAddress(int address);

// Key code sent for a keypad index: up 18, right 17, down 19, left 16, accept 21, cancel 20;
// other values of the low four bits v give v + 16.
std::uint8_t keyCodeForIndex(int index);

// Keypad index of a computer key code, or -1 for a key that maps to none.
int keypadIndexForKeyCode(int keyCode);

// The mirrored front panel of the main window: keypad, cursor and the real-time switch.
class RemotePanel {
public:
    RemotePanel(PanelView &panel, CommandSender &comms, platform::EventPump &pump,
                platform::TimerFactory &timers);

    // Flashes the key for 50 ms, then sends it (if Online and connected).
    void lblKeyboard_Click(int index);
    // A key pressed in the main window; every key is consumed, mapped or not.
    void Form_KeyDown(int keyCode);
    void tmrCursor_Timer();
    void clearDisplay();
    void mnuON_Click();
    void mnuOFF_Click();

    std::uint16_t drawnCursor() const { return m_drawnCursor; }
    platform::Timer &tmrCursor() { return *m_tmrCursor; }

private:
    PanelView &m_panel;
    CommandSender &m_comms;
    platform::EventPump &m_pump;
    std::unique_ptr<platform::Timer> m_tmrCursor;
    std::uint16_t m_drawnCursor = 0;
};

} // namespace aql::link
