#pragma once

#include "trend/RecordReading.h"
#include "trend/Series.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace aql::records {
class LogRecord;
class RecordList;
} // namespace aql::records

namespace aql::trend {

// A closed range of chart time, in seconds since 1970-01-01 00:00 of the controller's clock.
struct TimeRange {
    std::int64_t from = 0;
    std::int64_t to = 0;
};

struct Point {
    std::int64_t time = 0;
    double value = 0;
    bool operator==(const Point &o) const { return time == o.time && value == o.value; }
};

// One step of a limit or setpoint: the value a record set holds from that record's time until
// the next record that sets another value or leaves it unset. The last step ends at the last
// record's time.
struct StepRun {
    std::int64_t start = 0;
    std::int64_t end = 0;
    double value = 0;
    bool operator==(const StepRun &o) const {
        return start == o.start && end == o.end && value == o.value;
    }
};

// A stretch of records whose measured value lies beyond one of its limits (above a high alarm,
// below a low or stop alarm). It starts at the first record beyond the limit and lasts until the
// next record, the first one back within it (or the last record when the log ends outside).
struct Excursion {
    Series measured = Series::Ph;
    Series limit = Series::PhHighAlarm;
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::size_t firstSample = 0; // position in times()
    std::size_t sampleCount = 0;
    double extreme = 0; // the highest value above a high alarm, the lowest below a low one
};

struct Interval {
    std::int64_t start = 0;
    std::int64_t end = 0;
    bool operator==(const Interval &o) const { return start == o.start && end == o.end; }
};

struct ReadoutEntry {
    Series series = Series::Ph;
    std::optional<double> value; // none where a limit or setpoint is unset
    std::string text;            // formatValue of the value; "" when unset
};

// What the chart shows under the mouse: the sample nearest in time and every shown series' value.
struct Readout {
    bool found = false;
    std::int64_t time = 0;
    std::string timeText;
    std::int32_t recordNumber = 0;
    std::vector<ReadoutEntry> entries; // in the order of the Series enumeration
};

// The trend of one record list: every usable record as a sample in time order, one column of
// values per series. Decimation, steps and shading are views computed from these columns; nothing
// is ever dropped from them.
class TrendModel {
public:
    TrendModel();

    static TrendModel fromRecords(const records::RecordList &records);

    std::size_t sampleCount() const { return m_times.size(); }
    // Records left out: an impossible timestamp (see isPossible), or no value set at all.
    std::size_t impossibleTimestampCount() const { return m_impossibleTimestamps; }
    std::size_t withoutValuesCount() const { return m_withoutValues; }
    // How often a record, taken in the order given, is older than the one before it: a controller
    // clock set back. The samples are in time order regardless.
    std::size_t clockSetBackCount() const { return m_clockSetBacks; }

    // pH, reagent and flow with their limits always. Redox with its limits, and the water
    // temperature, only when some record holds a non-zero value in them: the controller's current
    // record layout carries neither and leaves them 0, and no real probe reads 0 for a whole log.
    SeriesSet availableSeries() const { return m_available; }

    // First to last sample time; none without samples.
    std::optional<TimeRange> fullRange() const;

    // Sample times, ascending; samples of equal time stay in the order given.
    const std::vector<std::int64_t> &times() const { return m_times; }
    const std::vector<std::int32_t> &recordNumbers() const { return m_recordNumbers; }
    // One value per sample. In a step series NaN marks an unset limit: a limit or setpoint of 0,
    // or both alarms of a high/low pair when high <= low.
    const std::vector<double> &values(Series s) const { return m_values[indexOf(s)]; }
    // The steps of a step series (empty for a measured one); equal neighbours are one step, an
    // unset stretch is a gap between steps.
    const std::vector<StepRun> &steps(Series s) const { return m_steps[indexOf(s)]; }
    // The excursions beyond one alarm limit (empty for anything else), in time order.
    const std::vector<Excursion> &excursions(Series limit) const {
        return m_excursions[indexOf(limit)];
    }

    // A measured series for a chart `pixelWidth` pixels wide showing `visible`: per pixel column
    // the first, last, lowest and highest sample in time order (one point where they coincide),
    // plus the last sample before and the first after the range so that the line runs to the
    // edges. Empty for a step series, a range with from > to, or no samples.
    std::vector<Point> decimate(Series measured, TimeRange visible, int pixelWidth) const;

    // The steps of a step series that overlap `visible`. Where a pixel column holds the start of
    // more steps than it can show, its first, last, lowest and highest steps are kept and each
    // covers the steps dropped after it, so no spike in a limit disappears.
    std::vector<StepRun> decimateSteps(Series step, TimeRange visible, int pixelWidth) const;

    // What a chart draws for a series: one line for a measured series, one line per unbroken
    // stretch of a step series (risers included). Empty for a series not available.
    std::vector<std::vector<Point>> polylines(Series s, TimeRange visible, int pixelWidth) const;

    // The excursions beyond `limit` that overlap `visible`, joined where less than a pixel apart.
    std::vector<Interval> shading(Series limit, TimeRange visible, int pixelWidth) const;

    // The sample nearest to `time` (the earlier one on a tie) and the values of the series in
    // `shown` that are available.
    Readout readoutAt(std::int64_t time, SeriesSet shown) const;

private:
    friend class TrendBuilder;

    std::vector<std::int64_t> m_times;
    std::vector<std::int32_t> m_recordNumbers;
    std::array<std::vector<double>, kSeriesCount> m_values;
    std::array<std::vector<StepRun>, kSeriesCount> m_steps;
    std::array<std::vector<Excursion>, kSeriesCount> m_excursions;
    SeriesSet m_available;
    std::size_t m_impossibleTimestamps = 0;
    std::size_t m_withoutValues = 0;
    std::size_t m_clockSetBacks = 0;
};

// Builds a model from records in any order of arrival: add each, then build.
class TrendBuilder {
public:
    void reserve(std::size_t records);
    void add(const records::LogRecord &record);
    void add(const RecordReading &reading);
    // The model of everything added; the builder is empty again afterwards.
    TrendModel build();

private:
    TrendModel m_model;
    bool m_haveLast = false;
    std::int64_t m_lastTime = 0;
};

// One line of readout text: the time, then "label value unit" for each entry that has a value,
// separated by two blanks ("2009-03-07 14:05  pH 7.25  Flow 12 m3/h").
std::string readoutText(const Readout &readout, const std::function<std::string(Series)> &label);

} // namespace aql::trend
