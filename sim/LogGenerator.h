#pragma once

#include "sim/Encode.h"
#include "sim/Plant.h"
#include "sim/Random.h"
#include "sim/Variables.h"

#include <cstdint>
#include <vector>

namespace aql::sim {

constexpr int kLogIntervalMinutes = 15;
constexpr std::uint32_t kRecordKeyBase = 0x10000; // the controller's key = base + record number

struct LogPlan {
    std::uint32_t count = 500;
    std::uint32_t firstNumber = 1;
    std::int64_t lastRecordMinutes = 0; // time of the newest record, minutes since 1970
};

// The controller's log: `count` records, one every 15 minutes, ending at `lastRecordMinutes`, with
// ascending numbers from `firstNumber`. The plant starts a little off its setpoints and drifts
// one step per record; `plant` ends as the state after the newest record, so the live readings
// carry on where the log stops.
std::vector<LogRecord> generateLog(const LogPlan &plan, const Variables &vars, Random &rng,
                                   PlantValues &plant);

// The record the controller writes for one plant state.
LogRecord makeRecord(std::uint32_t number, const Timestamp &time, const PlantValues &plant,
                     const Variables &vars, Random &rng);

} // namespace aql::sim
