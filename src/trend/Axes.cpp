#include "trend/Axes.h"

#include "core/Numbers.h"
#include "trend/Calendar.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace aql::trend {
namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kWeek = 7 * kDay;
// 1970-01-01 was a Thursday: Mondays fall 4 days after the epoch, modulo a week.
constexpr std::int64_t kFirstMonday = 4 * kDay;

// Steps that divide a day evenly, so every mark of them lands on the same clock times each day.
constexpr std::int64_t kFixedSteps[] = {
    kMinute,   2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute, kHour,
    2 * kHour, 3 * kHour,   6 * kHour,   12 * kHour,   kDay,         2 * kDay,
};
constexpr int kMonthSteps[] = {1, 2, 3, 6};
constexpr int kYearSteps[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t ceilDiv(std::int64_t a, std::int64_t b) {
    return -floorDiv(-a, b);
}

std::string dateOf(const CalendarMoment &m) {
    return padded(m.year, 4) + '-' + padded(m.month, 2) + '-' + padded(m.day, 2);
}

// Multiples of `step` after `offset`, inside the range.
std::int64_t countAligned(TimeRange r, std::int64_t step, std::int64_t offset) {
    return floorDiv(r.to - offset, step) - ceilDiv(r.from - offset, step) + 1;
}

std::vector<TimeTick> alignedTicks(TimeRange r, std::int64_t step, std::int64_t offset) {
    std::vector<TimeTick> ticks;
    std::string previousDate;
    for (std::int64_t k = ceilDiv(r.from - offset, step); k * step + offset <= r.to; ++k) {
        TimeTick tick;
        tick.time = k * step + offset;
        const CalendarMoment m = momentAt(tick.time);
        const std::string date = dateOf(m);
        if (step < kDay) {
            tick.text = padded(m.hour, 2) + ':' + padded(m.minute, 2);
            if (date != previousDate) {
                tick.dateText = date;
            }
        } else {
            tick.text = date;
        }
        previousDate = date;
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

// The first days of months (every `months`-th month of the year, counted from January) or of
// years (every `years`-th) inside the range; at most `limit` + 1 of them are made, enough to tell
// that there are too many.
std::vector<TimeTick> calendarTicks(TimeRange r, int months, int years, std::size_t limit) {
    std::vector<TimeTick> ticks;
    CalendarMoment m = momentAt(r.from);
    m.day = 1;
    m.hour = m.minute = m.second = 0;
    if (years > 0) {
        m.month = 1;
        m.year -= ((m.year % years) + years) % years;
    } else {
        m.month -= (m.month - 1) % months;
    }
    while (ticks.size() <= limit) {
        const std::int64_t t = secondsSinceEpoch(m);
        if (t > r.to) {
            break;
        }
        if (t >= r.from) {
            TimeTick tick;
            tick.time = t;
            tick.text =
                years > 0 ? padded(m.year, 4) : padded(m.year, 4) + '-' + padded(m.month, 2);
            ticks.push_back(std::move(tick));
        }
        if (years > 0) {
            m.year += years;
        } else {
            m.month += months;
            if (m.month > 12) {
                m.month -= 12;
                ++m.year;
            }
        }
    }
    return ticks;
}

// The multiple of `step` at or below `value` (at or above it): a value on a multiple, give or take
// the rounding of the division, is that multiple.
double multipleBelow(double value, double step) {
    const double q = value / step;
    const double nearest = std::round(q);
    return (std::abs(q - nearest) < 1e-9 ? nearest : std::floor(q)) * step;
}

double multipleAbove(double value, double step) {
    const double q = value / step;
    const double nearest = std::round(q);
    return (std::abs(q - nearest) < 1e-9 ? nearest : std::ceil(q)) * step;
}

} // namespace

std::vector<TimeTick> timeTicks(TimeRange visible, int maxTicks) {
    if (visible.from > visible.to || maxTicks < 1) {
        return {};
    }
    const auto limit = static_cast<std::size_t>(maxTicks);
    for (std::int64_t step : kFixedSteps) {
        if (countAligned(visible, step, 0) <= maxTicks) {
            return alignedTicks(visible, step, 0);
        }
    }
    if (countAligned(visible, kWeek, kFirstMonday) <= maxTicks) {
        return alignedTicks(visible, kWeek, kFirstMonday);
    }
    for (int months : kMonthSteps) {
        auto ticks = calendarTicks(visible, months, 0, limit);
        if (ticks.size() <= limit) {
            return ticks;
        }
    }
    for (int years : kYearSteps) {
        auto ticks = calendarTicks(visible, 0, years, limit);
        if (ticks.size() <= limit) {
            return ticks;
        }
    }
    return {};
}

int ValueScale::tickCount() const {
    return static_cast<int>(std::lround((max - min) / step)) + 1;
}

ValueScale valueScale(double low, double high, int maxTicks) {
    if (!std::isfinite(low) || !std::isfinite(high)) {
        return ValueScale{};
    }
    if (low > high) {
        std::swap(low, high);
    }
    if (high - low < std::max(std::abs(high), 1.0) * 1e-9) {
        // One value (a constant setpoint, a flow that never moved): a tenth of it either side.
        const double room = std::max(std::abs(high) * 0.1, 0.5);
        low -= room;
        high += room;
    }
    // Two intervals at least: a range around zero takes one step either side of it.
    const int intervals = std::max(maxTicks, 3) - 1;
    const double rough = (high - low) / intervals;
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (int decade = 0; decade < 4; ++decade, power *= 10) {
        for (double factor : {1.0, 2.0, 5.0}) {
            const double step = factor * power;
            const double min = multipleBelow(low, step);
            const double max = multipleAbove(high, step);
            if (std::lround((max - min) / step) <= intervals) {
                ValueScale s;
                s.min = min;
                s.max = max;
                s.step = step;
                s.decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
                return s;
            }
        }
    }
    // Not reached: ten times the rough step always fits.
    return ValueScale{low, high, high - low, 0};
}

} // namespace aql::trend
