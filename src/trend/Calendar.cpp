#include "trend/Calendar.h"

#include "core/Numbers.h"

namespace aql::trend {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

bool isLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::int32_t daysInMonth(std::int32_t year, std::int32_t month) {
    static constexpr std::int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given date, counted in 400-year eras of 146,097 days with March as
// the first month, so that the leap day falls at the end of a year and needs no special case.
std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

bool isPossible(const CalendarMoment &m) {
    return m.year >= kFirstYear && m.year <= kLastYear && m.month >= 1 && m.month <= 12 &&
           m.day >= 1 && m.day <= daysInMonth(m.year, m.month) && m.hour >= 0 && m.hour <= 23 &&
           m.minute >= 0 && m.minute <= 59 && m.second >= 0 && m.second <= 59;
}

std::int64_t secondsSinceEpoch(const CalendarMoment &m) {
    return daysFromCivil(m.year, m.month, m.day) * kSecondsPerDay + std::int64_t{m.hour} * 3600 +
           std::int64_t{m.minute} * 60 + m.second;
}

CalendarMoment momentAt(std::int64_t seconds) {
    const std::int64_t days = floorDiv(seconds, kSecondsPerDay);
    const std::int64_t inDay = seconds - days * kSecondsPerDay;
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const std::int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    CalendarMoment m;
    m.year = static_cast<std::int32_t>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    m.month = static_cast<std::int32_t>(month);
    m.day = static_cast<std::int32_t>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    m.hour = static_cast<std::int32_t>(inDay / 3600);
    m.minute = static_cast<std::int32_t>(inDay / 60 % 60);
    m.second = static_cast<std::int32_t>(inDay % 60);
    return m;
}

std::string timeText(std::int64_t seconds) {
    const CalendarMoment m = momentAt(seconds);
    std::string out;
    out.reserve(16);
    out += padded(m.year, 4);
    out += '-';
    out += padded(m.month, 2);
    out += '-';
    out += padded(m.day, 2);
    out += ' ';
    out += padded(m.hour, 2);
    out += ':';
    out += padded(m.minute, 2);
    return out;
}

} // namespace aql::trend
