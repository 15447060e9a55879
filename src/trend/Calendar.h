#pragma once

#include <cstdint>
#include <string>

namespace aql::trend {

// A wall-clock moment as a controller writes it. Its clock knows no time zone and no daylight
// saving, so the chart reckons in plain calendar seconds: a day is always 86,400 seconds.
struct CalendarMoment {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
};

// The years a controller clock in service can show. A year outside them is a clock that was never
// set or a damaged record, and one such point would stretch the chart's time axis over centuries.
constexpr std::int32_t kFirstYear = 1970;
constexpr std::int32_t kLastYear = 2099;

// True for a moment that exists in the Gregorian calendar within the years above: month 1-12, a
// day the month has (29 February in leap years only), hour 0-23, minute and second 0-59.
bool isPossible(const CalendarMoment &m);

// Seconds since 1970-01-01 00:00:00 of the same clock. Only for a possible moment.
std::int64_t secondsSinceEpoch(const CalendarMoment &m);

// The inverse of secondsSinceEpoch, for any number of seconds a chart can reach (within about
// 35,000 years of 1970).
CalendarMoment momentAt(std::int64_t seconds);

// "yyyy-mm-dd hh:nn": a controller's records carry no seconds.
std::string timeText(std::int64_t seconds);

} // namespace aql::trend
