#pragma once

#include <cstdint>

namespace aql::sim {

// A controller timestamp: the five fields a log record carries (no seconds).
struct Timestamp {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;

    bool operator==(const Timestamp &other) const;
};

// Minutes since 1970-01-01 00:00 and back (proleptic Gregorian calendar, no time zones: the
// controller's clock is local time and knows nothing else).
Timestamp timestampFromMinutes(std::int64_t minutes);
std::int64_t minutesFromTimestamp(const Timestamp &t);

} // namespace aql::sim
