#pragma once

#include "core/Observers.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace aql::link {

// Colours as 0xRRGGBB.
namespace colour {
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kRunLamp = 0x509EFE;      // RGB(80, 158, 254)
constexpr std::uint32_t kAlarmLamp = 0xFF0000;    // RGB(255, 0, 0)
constexpr std::uint32_t kManualLamp = 0xFFFF00;   // RGB(255, 255, 0)
constexpr std::uint32_t kBacklightOn = 0x80FFFF;  // RGB(128, 255, 255)
constexpr std::uint32_t kBacklightOff = 0xD5FFFF; // RGB(213, 255, 255)
} // namespace colour

constexpr int kCells = 80; // 4 rows of 20, cell = row * 20 + column
constexpr int kKeys = 6;   // up, right, down, left, accept, cancel

// Panel positions in twips.
constexpr int kPanelTopRaised = 100;
constexpr int kPanelTopLowered = 2100;

// What the main window shows of the controller and the link: the mirrored front panel, the mode
// panel with its buttons and notices, and the enabled and checked states of the menus.
struct PanelView {
    // The mirrored display and lamps.
    std::array<char, kCells> cells{};       // '\0' = empty cell
    std::array<bool, kCells> cursorDrawn{}; // the cursor block is painted in this cell
    std::uint32_t backlightColour = colour::kBacklightOff;
    std::uint32_t runLampColour = colour::kBlack;
    std::uint32_t alarmLampColour = colour::kBlack;
    std::uint32_t manualLampColour = colour::kBlack;
    std::array<bool, kKeys> keyFlashing{}; // a key's pressed picture is shown

    // The mode panel.
    bool onlineSelected = false; // false: Offline is selected
    bool onlineEnabled = true;
    bool getLogEnabled = false;
    bool getLogPressed = false; // Get Log and Save are buttons that stay down once clicked
    bool saveEnabled = false;   // whenever records are held, Online or not
    bool savePressed = false;
    std::string saveTooltip; // empty: the language's own tooltip
    std::string recordCount = "0";
    bool connectingNoticeVisible = false;
    std::string connectingDots;
    bool connectingDotsVisible = false;
    bool keypadCovered = true; // the keypad cannot be clicked while Offline
    bool poolSelectionEnabled = true;
    bool shifted = false;         // the panel is on its way down or down
    std::string shiftGlyph = "q"; // "q" or "p": an arrow glyph of the symbol font
    int panelTop = kPanelTopRaised;

    // Menus.
    bool fileMenuEnabled = true;
    bool optionsMenuEnabled = true;
    bool helpMenuEnabled = true;
    bool baseFileEnabled = true;
    bool realtimeOn = false; // checks Realtime ON, else Realtime OFF
};

// The panel as the link's parts change it: they write through edit() and then call changed();
// everyone else reads view() and subscribes.
class PanelModel {
public:
    const PanelView &view() const { return m_view; }
    PanelView &edit() { return m_view; }
    void changed() const { m_notifier.notify(); }
    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        return m_notifier.subscribe(std::move(observer));
    }

private:
    PanelView m_view;
    ChangeNotifier m_notifier;
};

// Language texts by number.
using TextSource = std::function<std::string(int)>;

} // namespace aql::link
