#include "ui/trend/sample/SampleLog.h"

#include "records/LogRecord.h"
#include "sim/Encode.h"
#include "sim/LogGenerator.h"
#include "sim/Plant.h"
#include "sim/Random.h"
#include "sim/Variables.h"

namespace aql::ui {
namespace {

constexpr int kRecordsPerDay = 24 * 60 / sim::kLogIntervalMinutes;
// 2009-03-21 23:45 in minutes since 1970: the newest record.
constexpr std::int64_t kLastRecordMinutes = 20626560 + 23 * 60 + 45;

// What the operator did by this moment of the week (Monday 0): a shift in manual mode on
// Wednesday, the chlorine setpoint raised from Saturday noon to Sunday night, the pH high alarm off
// early on Sunday.
void applyWeek(int dayOfWeek, int hour, sim::Variables &vars) {
    const sim::Variables defaults;
    vars.set(sim::var::kManualMode, dayOfWeek == 2 && hour >= 9 && hour < 17 ? 1 : 0);
    vars.set(sim::var::kClSetpoint,
             defaults.value(sim::var::kClSetpoint) +
                 ((dayOfWeek == 5 && hour >= 12) || dayOfWeek == 6 ? 20 : 0));
    vars.set(sim::var::kPhHighAlarm,
             dayOfWeek == 6 && hour < 6 ? 0 : defaults.value(sim::var::kPhHighAlarm));
}

// The circulation pump stops for three hours in the night to Friday; the meter reads the last
// trickle.
void stopPump(int dayOfWeek, int hour, sim::PlantValues &plant) {
    if (dayOfWeek == 4 && hour >= 2 && hour < 5) {
        plant.flow = 2 + hour;
    }
}

} // namespace

records::RecordList sampleTrendLog(int records, std::uint32_t seed) {
    sim::Random rng(seed);
    sim::Variables vars;
    sim::PlantValues plant;
    records::RecordList list;
    const std::int64_t first =
        kLastRecordMinutes - std::int64_t{records - 1} * sim::kLogIntervalMinutes;
    for (int i = 0; i < records; ++i) {
        sim::Timestamp time =
            sim::timestampFromMinutes(first + std::int64_t{i} * sim::kLogIntervalMinutes);
        // 1970-01-01 was a Thursday: day 3 of a week that starts on Monday.
        const int weekday =
            static_cast<int>((first / sim::kLogIntervalMinutes + i) / kRecordsPerDay + 3) % 7;
        applyWeek(weekday, time.hour, vars);
        plant = sim::stepPlant(plant, vars, time.hour, rng);
        stopPump(weekday, time.hour, plant);
        if (i == records / 3) {
            time.month = 0;
        } else if (i == 2 * records / 3) {
            time.hour = 99;
        }
        const auto number = static_cast<std::uint32_t>(i + 1);
        records::LogRecord record;
        record.fromString(sim::recordBody(sim::makeRecord(number, time, plant, vars, rng)),
                          records::rtype::kLog);
        list.insert(std::move(record));
    }
    return list;
}

} // namespace aql::ui
