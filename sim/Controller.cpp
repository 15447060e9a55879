#include "sim/Controller.h"

#include "sim/LogGenerator.h"

#include <algorithm>

namespace aql::sim {

Controller::Controller(const ControllerSetup &setup)
    : m_address(setup.address), m_startMinutes(setup.startMinutes), m_rng(setup.seed) {
    m_vars.set(var::kAddress, setup.address);
    LogPlan plan;
    plan.count = setup.records;
    plan.firstNumber = setup.firstRecordNumber;
    plan.lastRecordMinutes = setup.startMinutes;
    m_log = generateLog(plan, m_vars, m_rng, m_plant);
    m_vars.set(var::kLogRecords, static_cast<int>(std::min<std::uint32_t>(setup.records, 32767)));
    publishLiveValues();
}

bool Controller::pressKey(std::uint8_t keyCode) {
    if (!m_panel.press(keyCode, m_vars)) {
        return false;
    }
    m_sinceKeyMs = 0;
    m_beep = true;
    return true;
}

bool Controller::setVariable(int block, int index, std::uint16_t raw) {
    return m_vars.set(block, index, raw);
}

VariableBlock Controller::variableBlock(int block) const {
    return m_vars.block(block);
}

Display Controller::display() const {
    Display d;
    d.flags = flag::kRun;
    if (outsideLimits(m_plant, m_vars)) {
        d.flags |= flag::kAlarm;
    }
    if (manualMode(m_vars)) {
        d.flags |= flag::kManual;
    }
    if (m_sinceKeyMs < kBacklightMs) {
        d.flags |= flag::kBacklight;
    }
    if (m_beep) {
        d.flags |= flag::kBeep;
    }
    d.cursor = m_panel.cursorCode();
    d.text = m_panel.text(m_vars, m_plant, now());
    return d;
}

Display Controller::takeDisplay() {
    Display d = display();
    m_beep = false;
    return d;
}

void Controller::advance(std::uint64_t ms) {
    m_elapsedMs += ms;
    m_sinceKeyMs = std::min(m_sinceKeyMs + ms, kBacklightMs);
    m_sinceStepMs += ms;
    // A long stall (a debugger, a suspended laptop) must not turn into a burst of thousands of
    // steps: the water only moves so far in one catch-up.
    const std::uint64_t steps = std::min<std::uint64_t>(m_sinceStepMs / kPlantStepMs, 360);
    m_sinceStepMs %= kPlantStepMs;
    for (std::uint64_t i = 0; i < steps; ++i) {
        m_plant = stepPlant(m_plant, m_vars, now().hour, m_rng);
    }
    if (steps > 0) {
        publishLiveValues();
    }
}

Timestamp Controller::now() const {
    return timestampFromMinutes(m_startMinutes + static_cast<std::int64_t>(m_elapsedMs / 60'000));
}

void Controller::publishLiveValues() {
    m_vars.set(var::kLivePh, m_plant.pH);
    m_vars.set(var::kLiveChlorine, m_plant.chlorine);
    m_vars.set(var::kLiveRedox, m_plant.redox);
    m_vars.set(var::kLiveFlow, m_plant.flow);
    m_vars.set(var::kLiveTemperature, m_plant.temperature);
}

} // namespace aql::sim
