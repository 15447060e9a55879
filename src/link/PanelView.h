#pragma once

#include "records/LogValues.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace aql::records {
class RecordList;
}

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

constexpr int kCells = 80;
constexpr int kKeys = 6;

// What the main window shows and the link logic changes: the mirrored panel, the mode buttons,
// the status labels and the enabled state of the menus. The widgets draw it; the logic never
// talks to a widget. `changed` is called after every change so a window can repaint.
struct PanelView {
    // Shared state of the main window that other parts read and write.
    std::uint8_t controllerAddress = 0;
    bool dataReceived = false;
    std::uint16_t cursorPosition = 0;
    records::RecordList *currentPool = nullptr; // the records of the pool being operated
    records::ValueBase valueBase = records::ValueBase::Interactive;

    // Display.
    std::array<char, kCells> cells{};       // '\0' = empty cell
    std::array<bool, kCells> cellPainted{}; // cursor block drawn
    std::uint32_t shpLCD = colour::kBacklightOff;
    std::uint32_t shpRun = colour::kBlack;
    std::uint32_t shpAlarm = colour::kBlack;
    std::uint32_t shpManual = colour::kBlack;
    std::array<bool, kKeys> keyPressedVisible{};

    // Mode panel.
    bool optOnLineSelected = false; // false = Offline selected
    bool optOnLineEnabled = true;
    bool optGetLogEnabled = false;
    bool optProcessLogEnabled = false;
    bool optProcessLogPressed = false;
    std::string optProcessLogTooltip;
    std::string lblLogCount = "0";
    std::string lblProces;
    bool lblProcesVisible = false;
    bool lblConnectingVisible = false;
    bool fraCommsVisible = true; // keypad covered
    bool cmbPoolsEnabled = true;
    bool shiftFlag = false;
    std::string chkShiftCaption = "q";
    int panelTop = 100;

    // Menus.
    bool mnuFileEnabled = true;
    bool mnuOptionsEnabled = true;
    bool mnuHelpEnabled = true;
    bool mnuBaseEnabled = true;
    bool mnuONChecked = false;
    bool mnuOFFChecked = true;

    std::function<void()> changed;
    void notify() const {
        if (changed) {
            changed();
        }
    }
};

// Language texts by number.
using TextSource = std::function<std::string(int)>;

} // namespace aql::link
