#pragma once

#include "sim/Calendar.h"
#include "sim/Encode.h"
#include "sim/Panel.h"
#include "sim/Plant.h"
#include "sim/Random.h"
#include "sim/Variables.h"

#include <cstdint>
#include <vector>

namespace aql::sim {

struct ControllerSetup {
    std::uint8_t address = 1;
    std::uint32_t records = 500;
    std::uint32_t firstRecordNumber = 1;
    std::uint32_t seed = 1;
    // The controller's clock at start; the newest log record carries this time.
    std::int64_t startMinutes = 0;
};

constexpr std::uint64_t kPlantStepMs = 10'000;
constexpr std::uint64_t kBacklightMs = 60'000;

// The device as a whole: variables, front panel, the water it measures, its clock and its log.
// One controller serves every connection in turn, so what one console changed the next one sees.
class Controller {
public:
    explicit Controller(const ControllerSetup &setup);

    std::uint8_t address() const { return m_address; }

    // A key from the keypad; false for a code that is no key.
    bool pressKey(std::uint8_t keyCode);

    // A write from the console; false (nothing stored) for a block or variable that does not
    // exist.
    bool setVariable(int block, int index, std::uint16_t raw);
    VariableBlock variableBlock(int block) const;
    const Variables &variables() const { return m_vars; }

    // What the display shows now. takeDisplay() also ends the beep of a key press, so it sounds
    // in one packet only.
    Display display() const;
    Display takeDisplay();

    void advance(std::uint64_t ms);
    Timestamp now() const;
    std::uint64_t elapsedMs() const { return m_elapsedMs; }

    const std::vector<LogRecord> &log() const { return m_log; }
    const Panel &panel() const { return m_panel; }

    // The live readings; writable so that a scenario can, say, stop the circulation pump.
    PlantValues &plant() { return m_plant; }
    const PlantValues &plant() const { return m_plant; }

private:
    void publishLiveValues();

    std::uint8_t m_address;
    std::int64_t m_startMinutes;
    Random m_rng;
    Variables m_vars;
    PlantValues m_plant;
    Panel m_panel;
    std::vector<LogRecord> m_log;
    std::uint64_t m_elapsedMs = 0;
    std::uint64_t m_sinceStepMs = 0;
    std::uint64_t m_sinceKeyMs = kBacklightMs; // backlight off until the first key
    bool m_beep = false;
};

} // namespace aql::sim
