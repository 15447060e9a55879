#include "sim/LogGenerator.h"

#include <algorithm>

namespace aql::sim {

namespace {

std::uint8_t percent(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 100));
}

std::uint8_t byteOf(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

std::uint16_t wordOf(int value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, 65535));
}

// Channel bits: 0 dosing in automatic mode, 1 the channel is in alarm.
std::uint8_t channelBits(bool automatic, bool alarm) {
    return static_cast<std::uint8_t>((automatic ? 1 : 0) | (alarm ? 2 : 0));
}

} // namespace

LogRecord makeRecord(std::uint32_t number, const Timestamp &time, const PlantValues &plant,
                     const Variables &vars, Random &rng) {
    const bool automatic = !manualMode(vars);
    LogRecord r;
    r.key = kRecordKeyBase + number;
    r.number = number;
    r.time = time;

    r.reagent = wordOf(plant.chlorine);
    r.reagentSetpoint = wordOf(vars.value(var::kClSetpoint));
    r.reagentHighAlarm = wordOf(vars.value(var::kClHighAlarm));
    r.reagentLowAlarm = wordOf(vars.value(var::kClLowAlarm));
    // A proportional doser with a base load: more chlorine the further below its setpoint.
    r.reagentPump = automatic ? percent(20 + (r.reagentSetpoint - plant.chlorine) * 2) : 0;
    r.reagentBits = channelBits(automatic, plant.chlorine > r.reagentHighAlarm ||
                                               plant.chlorine < r.reagentLowAlarm);

    r.pH = wordOf(plant.pH);
    r.pHSetpoint = wordOf(vars.value(var::kPhSetpoint));
    r.pHHighAlarm = wordOf(vars.value(var::kPhHighAlarm));
    r.pHLowAlarm = wordOf(vars.value(var::kPhLowAlarm));
    r.acidPump = automatic ? percent(10 + (plant.pH - r.pHSetpoint) * 2) : 0;
    r.pHBits = channelBits(automatic, plant.pH > r.pHHighAlarm || plant.pH < r.pHLowAlarm);

    r.flow = byteOf(plant.flow);
    r.flowLowAlarm = byteOf(vars.value(var::kFlowLowAlarm));
    r.flowStopAlarm = byteOf(vars.value(var::kFlowStopAlarm));
    // Flow bits: 0 water flowing (above the stop limit), 1 below the low limit.
    r.flowBits = static_cast<std::uint8_t>((plant.flow > r.flowStopAlarm ? 1 : 0) |
                                           (plant.flow < r.flowLowAlarm ? 2 : 0));

    // The measuring cell's raw counts follow the chlorine reading around a null offset.
    r.cellNull = wordOf(200 + rng.uniform(-3, 3));
    r.cellActive = wordOf(r.cellNull + plant.chlorine * 6);
    r.cellActive2 = wordOf(r.cellActive + rng.uniform(-5, 5));
    r.cellEmpty = wordOf(45 + rng.uniform(-5, 5));

    // Inputs: 1 flow switch, 3 manual key switch; the others are not wired on this model.
    r.digitalInputs = {static_cast<std::uint8_t>(plant.flow > r.flowStopAlarm ? 1 : 0),
                       0,
                       static_cast<std::uint8_t>(automatic ? 0 : 1),
                       0,
                       0,
                       0};
    r.miscellaneousStatus = 0;
    return r;
}

std::vector<LogRecord> generateLog(const LogPlan &plan, const Variables &vars, Random &rng,
                                   PlantValues &plant) {
    std::vector<LogRecord> records;
    records.reserve(plan.count);
    // Start where a pool stands after a night without circulation: a little acidic-high and
    // short of chlorine, then let the dosing pull it back.
    plant.pH = vars.value(var::kPhSetpoint) + 15;
    plant.chlorine = vars.value(var::kClSetpoint) - 20;
    plant.redox = 620 + plant.chlorine * 3 / 2;
    plant.flow = 40;
    plant.temperature = 268;
    const std::int64_t first =
        plan.lastRecordMinutes -
        static_cast<std::int64_t>(plan.count > 0 ? plan.count - 1 : 0) * kLogIntervalMinutes;
    for (std::uint32_t i = 0; i < plan.count; ++i) {
        const Timestamp time = timestampFromMinutes(first + std::int64_t{i} * kLogIntervalMinutes);
        plant = stepPlant(plant, vars, time.hour, rng);
        records.push_back(makeRecord(plan.firstNumber + i, time, plant, vars, rng));
    }
    return records;
}

} // namespace aql::sim
