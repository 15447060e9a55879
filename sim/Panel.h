#pragma once

#include "sim/Calendar.h"
#include "sim/Plant.h"
#include "sim/Variables.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace aql::sim {

// Key codes of the controller's keypad.
namespace key {
constexpr std::uint8_t kLeft = 16;
constexpr std::uint8_t kRight = 17;
constexpr std::uint8_t kUp = 18;
constexpr std::uint8_t kDown = 19;
constexpr std::uint8_t kCancel = 20; // "X"
constexpr std::uint8_t kAccept = 21; // "V"
} // namespace key

enum class ValueFormat { Hundredths, MilliVolt, FlowRate, Mode };

struct MenuItem {
    const char *name; // at most 12 characters
    VarRef ref;
    int min;
    int max;
    int step;
    ValueFormat format;
};

// The settings menu, top to bottom.
const std::vector<MenuItem> &menuItems();

// Display-memory address of a cell: rows 1-4 start at 0, 64, 20 and 84.
std::uint8_t displayAddress(int row, int column);

enum class Screen { Status, Settings };

// The front panel's menu. The status screen shows the live readings with the pH and chlorine
// setpoints; "V" opens the settings list. There up/down move the selection, right/left start
// editing the selected value and change it by one step (the cursor blinks on the value), "V"
// stores it and "X" drops the edit; "X" outside an edit goes back to the status screen.
class Panel {
public:
    // False for a code that is no key (nothing changes). A stored value that differs from the
    // old one raises the controller's change flag.
    bool press(std::uint8_t keyCode, Variables &vars);

    // 80 characters, top row first.
    std::string text(const Variables &vars, const PlantValues &plant, const Timestamp &now) const;

    // Display-memory address with bit 7 set while a value is edited; 0 (hidden) otherwise.
    std::uint8_t cursorCode() const;

    Screen screen() const { return m_screen; }
    std::size_t selected() const { return m_selected; }
    bool editing() const { return m_editing; }

private:
    void startEdit(const Variables &vars);
    void change(int direction);
    int row(std::size_t item) const; // screen row (1-3) of a visible item

    Screen m_screen = Screen::Status;
    std::size_t m_selected = 0;
    std::size_t m_top = 0;
    bool m_editing = false;
    int m_editValue = 0;
};

} // namespace aql::sim
