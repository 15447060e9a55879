#include "trend/Axes.h"
#include "trend/Calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace aql::trend;

namespace {

std::int64_t at(int year, int month, int day, int hour = 0, int minute = 0) {
    return secondsSinceEpoch(CalendarMoment{year, month, day, hour, minute, 0});
}

// The marks as "14:00/2009-03-07 14:30 ...": a mark with a date under it has it after a slash.
std::string labels(const std::vector<TimeTick> &ticks) {
    std::string out;
    for (const TimeTick &t : ticks) {
        out += (out.empty() ? "" : " ") + t.text + (t.dateText.empty() ? "" : "/" + t.dateText);
    }
    return out;
}

} // namespace

TEST(TimeAxis, marksTheFinestRoundStepThatFits) {
    const struct {
        TimeRange range;
        int maxTicks;
        const char *labels;
    } cases[] = {
        {{at(2009, 3, 7, 20), at(2009, 3, 8, 4)},
         5, // over midnight the new date is written
         "20:00/2009-03-07 22:00 00:00/2009-03-08 02:00 04:00"},
        {{at(2009, 3, 1), at(2009, 4, 1)},
         6, // weeks from Monday
         "2009-03-02 2009-03-09 2009-03-16 2009-03-23 2009-03-30"},
        {{at(2009, 3, 8), at(2009, 3, 7)}, 5, ""}, // reversed
    };
    for (const auto &c : cases) {
        EXPECT_EQ(labels(timeTicks(c.range, c.maxTicks)), c.labels);
    }
}

TEST(TimeAxis, marksStayInsideTheRangeAscendingAndWithinTheLimit) {
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int64_t> start(at(1971, 1, 1), at(2098, 1, 1));
    std::uniform_int_distribution<int> magnitude(2, 9); // spans of 100 s to 10^9 s
    std::uniform_int_distribution<int> limit(1, 20);
    for (int i = 0; i < 2000; ++i) {
        const std::int64_t from = start(random);
        const auto span = static_cast<std::int64_t>(std::pow(10.0, magnitude(random)) *
                                                    std::uniform_real_distribution<>(1, 9)(random));
        const TimeRange range{from, std::min(from + span, at(2099, 12, 31))};
        const int maxTicks = limit(random);
        const std::vector<TimeTick> ticks = timeTicks(range, maxTicks);
        SCOPED_TRACE(timeText(range.from) + " to " + timeText(range.to) + ", at most " +
                     std::to_string(maxTicks));
        ASSERT_LE(ticks.size(), static_cast<std::size_t>(maxTicks));
        for (std::size_t k = 0; k < ticks.size(); ++k) {
            ASSERT_GE(ticks[k].time, range.from);
            ASSERT_LE(ticks[k].time, range.to);
            if (k > 0) {
                ASSERT_LT(ticks[k - 1].time, ticks[k].time);
            }
            // A mark is a round moment: whole minutes at least.
            ASSERT_EQ(momentAt(ticks[k].time).second, 0);
        }
    }
}

TEST(ValueAxis, roundStepsCoverTheValues) {
    struct Case {
        double low, high;
        int maxTicks;
        ValueScale expected;
    };
    const Case kCases[] = {
        {7.05, 7.62, 6, {7.0, 7.8, 0.2, 1}},
        {100, 100, 6, {90, 110, 5, 0}}, // one value: room either side
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(std::to_string(c.low) + " to " + std::to_string(c.high));
        const ValueScale s = valueScale(c.low, c.high, c.maxTicks);
        EXPECT_NEAR(s.min, c.expected.min, 1e-9);
        EXPECT_NEAR(s.max, c.expected.max, 1e-9);
        EXPECT_NEAR(s.step, c.expected.step, 1e-12);
        EXPECT_EQ(s.decimals, c.expected.decimals);
    }
    const ValueScale undefined = valueScale(std::nan(""), 3, 5);
    EXPECT_EQ(undefined.min, 0);
    EXPECT_EQ(undefined.max, 1);

    std::mt19937 random(5);
    std::uniform_real_distribution<double> value(-1000, 1000);
    for (int i = 0; i < 5000; ++i) {
        const double a = value(random);
        const double b = a + std::pow(10.0, std::uniform_real_distribution<>(-3, 3)(random));
        const int maxTicks = std::uniform_int_distribution<int>(2, 12)(random);
        const ValueScale s = valueScale(a, b, maxTicks);
        ASSERT_LE(s.min, a + 1e-9) << a << " " << b;
        ASSERT_GE(s.max, b - 1e-9) << a << " " << b;
        ASSERT_LE(s.tickCount(), std::max(maxTicks, 3)) << a << " " << b;
        ASSERT_GE(s.tickCount(), 2) << a << " " << b;
    }
}
