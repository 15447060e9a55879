#pragma once

#include "link/CommandSender.h"
#include "link/LinkState.h"
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

// The mirrored front panel: the keypad, the blinking cursor, blanking the display, and the
// real-time recording switch that sits with it.
class RemotePanel {
public:
    static constexpr int kFlashMs = 50;
    static constexpr int kBlinkMs = 500;

    RemotePanel(PanelModel &panel, const LinkState &state, CommandSender &sender,
                platform::EventPump &pump, platform::TimerFactory &timers);

    // Flashes the key for 50 ms, then sends it (if Online and connected).
    void pressKey(int index);
    // A key pressed in the main window; every key is consumed, mapped or not.
    void keyDown(int keyCode);
    void clearDisplay();
    void chooseRealtime(bool on);

    // The clock.
    void startCursorBlink() { m_cursorTimer->setEnabled(true); }
    bool cursorBlinking() const { return m_cursorTimer->enabled(); }
    void blinkCursor();

private:
    PanelModel &m_panel;
    const LinkState &m_state;
    CommandSender &m_sender;
    platform::EventPump &m_pump;
    std::unique_ptr<platform::Timer> m_cursorTimer;
    std::uint16_t m_drawnCursor = 0; // the cursor position last drawn
};

} // namespace aql::link
