#include "records/LogRecord.h"
#include "records/RecordList.h"
#include "trend/Calendar.h"
#include "trend/TrendModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

using namespace aql::trend;
using aql::records::LogRecord;
using aql::records::RecordList;

namespace {

// 2009-03-07 14:00, from `date -u -d "2009-03-07 14:00" +%s`.
constexpr std::int64_t kAt1400 = 1236434400;
constexpr std::int64_t at(int hour, int minute) {
    return kAt1400 + (hour - 14) * 3600 + minute * 60;
}

// pH travels as a single-precision number from the record to the chart.
double ph(float v) {
    return v;
}

LogRecord exported(const std::string &line) {
    LogRecord r;
    r.fromExportCsv(line, aql::records::rtype::kLog);
    return r;
}

// A log as the CSV export writes it. Columns: type, key, number, time, temperature, reagent high,
// low, setpoint, value (twice), pH high, low, setpoint, value (twice), flow low, stop, value
// (twice), then ten columns the chart does not read. Record 7's clock had been set back; records
// 9 and 10 carry impossible times. Sorted by time the records run 1 2 3 4 7 5 6 8.
RecordList handMadeLog() {
    const char *const kTail = ",0,0,0,0,0,0,0,0,0,0,0";
    const char *const kLines[] = {
        "3,0,1,2009-03-07 14:00:00,0,150,50,100,120,120,7.6,7,7.2,7.25,7.25,10,5,20,20",
        "3,0,2,2009-03-07 14:10:00,0,150,50,100,160,160,7.6,7,7.2,7.65,7.65,10,5,8,8",
        "3,0,3,2009-03-07 14:20:00,0,150,50,100,170,170,7.6,7,7.2,7.3,7.3,10,5,4,4",
        "3,0,4,2009-03-07 14:30:00,0,200,50,100,170,170,0,7,7.2,7.3,7.3,0,5,12,12",
        "3,0,5,2009-03-07 14:40:00,0,200,50,100,40,40,7.6,7.8,7.2,6.5,6.5,10,5,12,12",
        "3,0,6,2009-03-07 14:50:00,0,200,50,0,210,210,7.6,7,7.2,6.9,6.9,10,0,12,12",
        "3,0,7,2009-03-07 14:35:00,0,200,50,100,100,100,7.6,7,7.2,7.2,7.2,10,5,12,12",
        "3,0,8,2009-03-07 15:00:00,0,200,50,100,220,220,7.6,7,7.2,7.2,7.2,10,5,12,12",
        "3,0,9,2009-00-07 14:00:00,0,200,50,100,100,100,7.6,7,7.2,7.2,7.2,10,5,12,12",
        "3,0,10,2009-03-07 99:00:00,0,200,50,100,100,100,7.6,7,7.2,7.2,7.2,10,5,12,12",
    };
    RecordList list;
    for (const char *line : kLines) {
        list.insert(exported(std::string(line) + kTail));
    }
    return list;
}

} // namespace

TEST(TrendModel, samplesFollowTimeNotRecordNumberAndBadTimesAreCounted) {
    const TrendModel m = TrendModel::fromRecords(handMadeLog());

    EXPECT_EQ(m.sampleCount(), 8u);
    EXPECT_EQ(m.impossibleTimestampCount(), 2u);
    EXPECT_EQ(m.clockSetBackCount(), 1u);
    EXPECT_EQ(m.times(),
              (std::vector<std::int64_t>{at(14, 0), at(14, 10), at(14, 20), at(14, 30), at(14, 35),
                                         at(14, 40), at(14, 50), at(15, 0)}));
    EXPECT_EQ(m.recordNumbers(), (std::vector<std::int32_t>{1, 2, 3, 4, 7, 5, 6, 8}));
    EXPECT_EQ(m.values(Series::Reagent),
              (std::vector<double>{120, 160, 170, 170, 100, 40, 210, 220}));
    EXPECT_EQ(m.values(Series::Ph), (std::vector<double>{ph(7.25f), ph(7.65f), ph(7.3f), ph(7.3f),
                                                         ph(7.2f), ph(6.5f), ph(6.9f), ph(7.2f)}));
    EXPECT_EQ(m.values(Series::Flow), (std::vector<double>{20, 8, 4, 12, 12, 12, 12, 12}));
    const auto range = m.fullRange();
    ASSERT_TRUE(range);
    EXPECT_EQ(range->from, at(14, 0));
    EXPECT_EQ(range->to, at(15, 0));
}

TEST(TrendModel, limitsAreStepsWithGapsWhereZeroOrHighNotAboveLow) {
    const TrendModel m = TrendModel::fromRecords(handMadeLog());
    using S = std::vector<StepRun>;
    // Record 4 has no pH high alarm; record 5's high 7.6 is below its low 7.8, so neither counts.
    EXPECT_EQ(m.steps(Series::PhHighAlarm), (S{{at(14, 0), at(14, 30), ph(7.6f)},
                                               {at(14, 35), at(14, 40), ph(7.6f)},
                                               {at(14, 50), at(15, 0), ph(7.6f)}}));
    EXPECT_EQ(m.steps(Series::ReagentHighAlarm),
              (S{{at(14, 0), at(14, 30), 150}, {at(14, 30), at(15, 0), 200}}));
    EXPECT_EQ(m.steps(Series::ReagentSetpoint),
              (S{{at(14, 0), at(14, 50), 100}, {at(15, 0), at(15, 0), 100}}));
    EXPECT_EQ(m.steps(Series::FlowLowAlarm),
              (S{{at(14, 0), at(14, 30), 10}, {at(14, 35), at(15, 0), 10}}));

    // Drawn: a riser where 150 becomes 200, a break at each gap.
    const auto full = *m.fullRange();
    using L = std::vector<std::vector<Point>>;
    EXPECT_EQ(m.polylines(Series::ReagentHighAlarm, full, 800),
              (L{{{at(14, 0), 150}, {at(14, 30), 150}, {at(14, 30), 200}, {at(15, 0), 200}}}));
}

TEST(TrendModel, excursionsRunFromFirstRecordBeyondALimitToTheNextOneBack) {
    const TrendModel m = TrendModel::fromRecords(handMadeLog());
    // Limit, start, end, first sample, sample count, most extreme value.
    using E = std::tuple<Series, std::int64_t, std::int64_t, std::size_t, std::size_t, double>;
    const std::vector<E> expected = {
        {Series::PhHighAlarm, at(14, 10), at(14, 20), 1, 1, ph(7.65f)},
        // 6.5 at 14:40 is no excursion: that record's pH alarms are unset.
        {Series::PhLowAlarm, at(14, 50), at(15, 0), 6, 1, ph(6.9f)},
        {Series::ReagentHighAlarm, at(14, 10), at(14, 30), 1, 2, 170},
        // The log ends beyond the limit: the stretch ends with it.
        {Series::ReagentHighAlarm, at(14, 50), at(15, 0), 6, 2, 220},
        {Series::ReagentLowAlarm, at(14, 40), at(14, 50), 5, 1, 40},
        {Series::FlowLowAlarm, at(14, 10), at(14, 30), 1, 2, 4},
        {Series::FlowStopAlarm, at(14, 20), at(14, 30), 2, 1, 4},
    };
    std::vector<E> all;
    for (Series limit : {Series::PhHighAlarm, Series::PhLowAlarm, Series::ReagentHighAlarm,
                         Series::ReagentLowAlarm, Series::FlowLowAlarm, Series::FlowStopAlarm,
                         Series::PhSetpoint, Series::Ph}) {
        for (const Excursion &e : m.excursions(limit)) {
            all.emplace_back(e.limit, e.start, e.end, e.firstSample, e.sampleCount, e.extreme);
        }
    }
    EXPECT_EQ(all, expected);
}

TEST(TrendModel, impossibleTimestampsAreLeftOutAndCounted) {
    struct Case {
        CalendarMoment moment;
        bool possible;
    };
    const Case kCases[] = {
        {{2009, 13, 1, 0, 0, 0}, false},    {{2009, 4, 31, 0, 0, 0}, false},
        {{2009, 4, 30, 0, 0, 0}, true},     {{2009, 2, 29, 0, 0, 0}, false},
        {{2008, 2, 29, 0, 0, 0}, true},     {{2000, 2, 29, 0, 0, 0}, true},
        {{2009, 3, 7, 24, 0, 0}, false},    {{2009, 3, 7, 23, 59, 60}, false},
        {{1969, 12, 31, 23, 59, 0}, false}, {{1970, 1, 1, 0, 0, 0}, true},
        {{2099, 12, 31, 23, 59, 0}, true},  {{2100, 1, 1, 0, 0, 0}, false},
    };
    TrendBuilder builder;
    std::size_t possible = 0;
    for (const Case &c : kCases) {
        EXPECT_EQ(isPossible(c.moment), c.possible) << "row " << &c - kCases;
        RecordReading reading;
        reading.moment = c.moment;
        builder.add(reading);
        possible += c.possible ? 1 : 0;
    }
    const TrendModel m = builder.build();
    EXPECT_EQ(m.sampleCount(), possible);
    EXPECT_EQ(m.impossibleTimestampCount(), std::size(kCases) - possible);
    // Back to 2008, 2000 and 1970; the same moment twice is no step back.
    EXPECT_EQ(m.clockSetBackCount(), 3u);
}

TEST(TrendModel, timeIsCalendarSecondsSince1970) {
    // Expected values from `date -u -d "<moment>" +%s`.
    struct Case {
        CalendarMoment moment;
        std::int64_t seconds;
        const char *text;
    };
    const Case kCases[] = {
        {{1970, 1, 1, 0, 0, 0}, 0, "1970-01-01 00:00"},
        {{2009, 3, 7, 14, 5, 0}, 1236434700, "2009-03-07 14:05"},
        {{2000, 2, 29, 12, 34, 0}, 951827640, "2000-02-29 12:34"},
        {{2099, 12, 31, 23, 59, 0}, 4102444740, "2099-12-31 23:59"},
    };
    for (const Case &c : kCases) {
        EXPECT_EQ(secondsSinceEpoch(c.moment), c.seconds) << c.text;
        EXPECT_EQ(timeText(c.seconds), c.text);
    }
    EXPECT_EQ(timeText(-60), "1969-12-31 23:59");
}
