#pragma once

#include "trend/Calendar.h"
#include "trend/Series.h"

#include <array>
#include <cstdint>
#include <optional>

namespace aql::records {
class LogRecord;
}

namespace aql::trend {

// What the chart needs of one log record, as plain numbers: its number, the moment its controller
// wrote it, and every series' value as stored (a limit of 0 is still 0 here; the chart decides
// what 0 means).
struct RecordReading {
    std::int32_t recordNumber = 0;
    CalendarMoment moment;
    std::array<double, kSeriesCount> values{};
};

// The only place that reads a record's fields for the chart. Null for a record without a value
// set or timestamp (a record type that carries no values).
std::optional<RecordReading> readRecord(const records::LogRecord &record);

} // namespace aql::trend
