// Samples are held as columns (one vector of times, one of values per series) so that a zoom
// reads one contiguous column. A zoom finds the visible samples by binary search and walks only
// those: the walk is the whole cost, well under a millisecond per 100,000 visible samples, so even
// a full-range redraw of every series fits in a frame without precomputed min/max levels.

#include "trend/TrendModel.h"

#include "records/LogRecord.h"
#include "records/RecordList.h"
#include "trend/Calendar.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <type_traits>
#include <utility>

namespace aql::trend {
namespace {

constexpr double kUnset = std::numeric_limits<double>::quiet_NaN();

// Chart time beyond 2^40 seconds (35,000 years) from 1970 holds no sample; clamping to it keeps
// the bucket arithmetic below inside 64 bits: span < 2^41 times at most 2^16 buckets.
constexpr std::int64_t kTimeLimit = std::int64_t{1} << 40;
constexpr std::int64_t kMaxPixelWidth = std::int64_t{1} << 16;

// Pixel column k of a chart covers the times t with k * span <= (t - from) * buckets <
// (k + 1) * span, exactly, in integers: a sample on a column's edge always falls in the same one.
struct Columns {
    std::int64_t from;
    std::int64_t to;
    std::int64_t span;
    std::int64_t buckets;
};

std::optional<Columns> columnsOf(TimeRange visible, int pixelWidth) {
    if (visible.from > visible.to) {
        return std::nullopt;
    }
    Columns c{};
    c.from = std::clamp(visible.from, -kTimeLimit, kTimeLimit);
    c.to = std::clamp(visible.to, -kTimeLimit, kTimeLimit);
    c.span = c.to - c.from + 1;
    c.buckets = std::clamp<std::int64_t>(pixelWidth, 1, kMaxPixelWidth);
    return c;
}

// Walks the items [begin, end), all inside the visible range and in time order, and passes to
// `keep` the positions of each column's first, lowest, highest and last item, ascending and each
// once. Ties keep the earliest lowest and highest.
template <class TimeAt, class ValueAt, class Keep>
void keepColumnExtremes(std::size_t begin, std::size_t end, const Columns &c, TimeAt timeAt,
                        ValueAt valueAt, Keep keep) {
    std::size_t i = begin;
    while (i < end) {
        const std::int64_t column = (timeAt(i) - c.from) * c.buckets / c.span;
        // The first time of the next column: the least t with (t - from) * buckets >=
        // (column + 1) * span.
        const std::int64_t next = c.from + ((column + 1) * c.span + c.buckets - 1) / c.buckets;
        std::size_t low = i;
        std::size_t high = i;
        double lowValue = valueAt(i);
        double highValue = lowValue;
        std::size_t j = i + 1;
        for (; j < end && timeAt(j) < next; ++j) {
            const double v = valueAt(j);
            if (v < lowValue) {
                lowValue = v;
                low = j;
            } else if (v > highValue) {
                highValue = v;
                high = j;
            }
        }
        std::size_t picks[4] = {i, std::min(low, high), std::max(low, high), j - 1};
        std::size_t previous = end; // no position equals it
        for (std::size_t p : picks) {
            if (p != previous) {
                keep(p);
                previous = p;
            }
        }
        i = j;
    }
}

// Sorted by time, equal times in the order given: a controller clock set back interleaves the
// records written before and after, which is where they belong on a time axis.
void keepInTimeOrder(std::vector<std::int64_t> &times, std::vector<std::int32_t> &numbers,
                     std::array<std::vector<double>, kSeriesCount> &values) {
    if (std::is_sorted(times.begin(), times.end())) {
        return;
    }
    std::vector<std::size_t> order(times.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&times](std::size_t a, std::size_t b) { return times[a] < times[b]; });
    auto gather = [&order](auto &column) {
        std::remove_reference_t<decltype(column)> sorted;
        sorted.reserve(column.size());
        for (std::size_t k : order) {
            sorted.push_back(column[k]);
        }
        column.swap(sorted);
    };
    gather(times);
    gather(numbers);
    for (auto &column : values) {
        gather(column);
    }
}

bool anyNonZero(const std::vector<double> &column) {
    return std::any_of(column.begin(), column.end(), [](double v) { return v != 0; });
}

void unsetZeros(std::vector<double> &column) {
    for (double &v : column) {
        if (v == 0) {
            v = kUnset;
        }
    }
}

// A high alarm at or below its low alarm cannot be what the operator meant: neither is drawn.
void unsetPair(std::vector<double> &high, std::vector<double> &low) {
    for (std::size_t i = 0; i < high.size(); ++i) {
        const bool crossed = high[i] != 0 && low[i] != 0 && high[i] <= low[i];
        if (high[i] == 0 || crossed) {
            high[i] = kUnset;
        }
        if (low[i] == 0 || crossed) {
            low[i] = kUnset;
        }
    }
}

std::vector<StepRun> stepsOf(const std::vector<std::int64_t> &times,
                             const std::vector<double> &column) {
    std::vector<StepRun> steps;
    bool open = false;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const double v = column[i];
        if (open && (std::isnan(v) || v != steps.back().value)) {
            steps.back().end = times[i];
            open = false;
        }
        if (!open && !std::isnan(v)) {
            steps.push_back(StepRun{times[i], times[i], v});
            open = true;
        }
    }
    if (open) {
        steps.back().end = times.back();
    }
    return steps;
}

struct LimitCheck {
    Series measured;
    Series limit;
    bool above;
};
constexpr LimitCheck kLimitChecks[] = {
    {Series::Ph, Series::PhHighAlarm, true},
    {Series::Ph, Series::PhLowAlarm, false},
    {Series::Reagent, Series::ReagentHighAlarm, true},
    {Series::Reagent, Series::ReagentLowAlarm, false},
    {Series::Flow, Series::FlowLowAlarm, false},
    {Series::Flow, Series::FlowStopAlarm, false},
    {Series::Redox, Series::RedoxHighAlarm, true},
    {Series::Redox, Series::RedoxLowAlarm, false},
};

// An unset limit is NaN, and every comparison with NaN is false: no excursion beyond it.
std::vector<Excursion> excursionsOf(const std::vector<std::int64_t> &times,
                                    const std::vector<double> &measured,
                                    const std::vector<double> &limit, const LimitCheck &check) {
    std::vector<Excursion> out;
    bool open = false;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const double v = measured[i];
        const bool beyond = check.above ? v > limit[i] : v < limit[i];
        if (beyond) {
            if (!open) {
                out.push_back(Excursion{check.measured, check.limit, times[i], times[i], i, 0, v});
                open = true;
            }
            Excursion &e = out.back();
            ++e.sampleCount;
            e.extreme = check.above ? std::max(e.extreme, v) : std::min(e.extreme, v);
        } else if (open) {
            out.back().end = times[i];
            open = false;
        }
    }
    if (open) {
        out.back().end = times.back();
    }
    return out;
}

} // namespace

TrendModel::TrendModel() = default;

TrendModel TrendModel::fromRecords(const records::RecordList &records) {
    TrendBuilder builder;
    builder.reserve(records.count());
    records.forEach([&builder](const records::LogRecord &r) { builder.add(r); });
    return builder.build();
}

std::optional<TimeRange> TrendModel::fullRange() const {
    if (m_times.empty()) {
        return std::nullopt;
    }
    return TimeRange{m_times.front(), m_times.back()};
}

std::vector<Point> TrendModel::decimate(Series measured, TimeRange visible, int pixelWidth) const {
    std::vector<Point> out;
    const auto columns = columnsOf(visible, pixelWidth);
    if (isStepSeries(measured) || m_times.empty() || !columns) {
        return out;
    }
    const std::int64_t *t = m_times.data();
    const double *v = m_values[indexOf(measured)].data();
    const std::size_t begin = static_cast<std::size_t>(
        std::lower_bound(m_times.begin(), m_times.end(), columns->from) - m_times.begin());
    const std::size_t end = static_cast<std::size_t>(
        std::upper_bound(m_times.begin(), m_times.end(), columns->to) - m_times.begin());
    out.reserve(std::min<std::size_t>(end - begin, 4 * static_cast<std::size_t>(columns->buckets)) +
                2);
    if (begin > 0) {
        out.push_back(Point{t[begin - 1], v[begin - 1]});
    }
    keepColumnExtremes(
        begin, end, *columns, [t](std::size_t i) { return t[i]; },
        [v](std::size_t i) { return v[i]; },
        [&out, t, v](std::size_t i) {
            out.push_back(Point{t[i], v[i]});
        });
    if (end < m_times.size()) {
        out.push_back(Point{t[end], v[end]});
    }
    return out;
}

std::vector<StepRun> TrendModel::decimateSteps(Series step, TimeRange visible,
                                               int pixelWidth) const {
    std::vector<StepRun> out;
    const std::vector<StepRun> &steps = m_steps[indexOf(step)];
    const auto columns = columnsOf(visible, pixelWidth);
    if (steps.empty() || !columns) {
        return out;
    }
    // Steps never overlap, so their ends ascend as their starts do.
    const auto first = std::partition_point(
        steps.begin(), steps.end(), [&](const StepRun &s) { return s.end < columns->from; });
    const auto last = std::partition_point(
        first, steps.end(), [&](const StepRun &s) { return s.start <= columns->to; });
    if (first == last) {
        return out;
    }
    std::vector<std::size_t> picks;
    std::size_t begin = static_cast<std::size_t>(first - steps.begin());
    const std::size_t end = static_cast<std::size_t>(last - steps.begin());
    if (steps[begin].start < columns->from) {
        picks.push_back(begin++); // the one step reaching in from the left
    }
    keepColumnExtremes(
        begin, end, *columns, [&steps](std::size_t i) { return steps[i].start; },
        [&steps](std::size_t i) { return steps[i].value; },
        [&picks](std::size_t i) { picks.push_back(i); });
    out.reserve(picks.size());
    for (std::size_t k = 0; k < picks.size(); ++k) {
        StepRun run = steps[picks[k]];
        if (k + 1 < picks.size() && picks[k + 1] != picks[k] + 1) {
            run.end = steps[picks[k + 1]].start; // covers the steps dropped within its column
        }
        out.push_back(run);
    }
    return out;
}

std::vector<std::vector<Point>> TrendModel::polylines(Series s, TimeRange visible,
                                                      int pixelWidth) const {
    std::vector<std::vector<Point>> lines;
    if (!m_available.contains(s)) {
        return lines;
    }
    if (!isStepSeries(s)) {
        std::vector<Point> line = decimate(s, visible, pixelWidth);
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
        return lines;
    }
    for (const StepRun &run : decimateSteps(s, visible, pixelWidth)) {
        if (lines.empty() || lines.back().back().time != run.start) {
            lines.emplace_back();
        }
        lines.back().push_back(Point{run.start, run.value});
        if (run.end != run.start) {
            lines.back().push_back(Point{run.end, run.value});
        }
    }
    return lines;
}

std::vector<Interval> TrendModel::shading(Series limit, TimeRange visible, int pixelWidth) const {
    std::vector<Interval> out;
    const std::vector<Excursion> &all = m_excursions[indexOf(limit)];
    const auto columns = columnsOf(visible, pixelWidth);
    if (all.empty() || !columns) {
        return out;
    }
    const auto first = std::partition_point(
        all.begin(), all.end(), [&](const Excursion &e) { return e.end < columns->from; });
    const auto last = std::partition_point(
        first, all.end(), [&](const Excursion &e) { return e.start <= columns->to; });
    for (auto e = first; e != last; ++e) {
        // A gap narrower than a pixel column would not show: the two stretches are one shade.
        if (!out.empty() && (e->start - out.back().end) * columns->buckets < columns->span) {
            out.back().end = std::max(out.back().end, e->end);
        } else {
            out.push_back(Interval{e->start, e->end});
        }
    }
    return out;
}

Readout TrendModel::readoutAt(std::int64_t time, SeriesSet shown) const {
    Readout r;
    if (m_times.empty()) {
        return r;
    }
    const auto after = std::lower_bound(m_times.begin(), m_times.end(), time);
    std::int64_t nearest;
    if (after == m_times.end()) {
        nearest = m_times.back();
    } else if (after == m_times.begin()) {
        nearest = *after;
    } else {
        const std::int64_t before = *(after - 1);
        nearest = time - before <= *after - time ? before : *after;
    }
    // Of several samples at that time, the first given.
    const std::size_t k = static_cast<std::size_t>(
        std::lower_bound(m_times.begin(), m_times.end(), nearest) - m_times.begin());
    r.found = true;
    r.time = nearest;
    r.timeText = trend::timeText(nearest);
    r.recordNumber = m_recordNumbers[k];
    for (std::size_t i = 0; i < kSeriesCount; ++i) {
        const auto s = static_cast<Series>(i);
        if (!shown.contains(s) || !m_available.contains(s)) {
            continue;
        }
        ReadoutEntry entry;
        entry.series = s;
        const double v = m_values[i][k];
        if (!std::isnan(v)) {
            entry.value = v;
            entry.text = formatValue(s, v);
        }
        r.entries.push_back(std::move(entry));
    }
    return r;
}

void TrendBuilder::reserve(std::size_t records) {
    m_model.m_times.reserve(records);
    m_model.m_recordNumbers.reserve(records);
    for (auto &column : m_model.m_values) {
        column.reserve(records);
    }
}

void TrendBuilder::add(const records::LogRecord &record) {
    const std::optional<RecordReading> reading = readRecord(record);
    if (!reading) {
        ++m_model.m_withoutValues;
        return;
    }
    add(*reading);
}

void TrendBuilder::add(const RecordReading &reading) {
    if (!isPossible(reading.moment)) {
        ++m_model.m_impossibleTimestamps;
        return;
    }
    const std::int64_t time = secondsSinceEpoch(reading.moment);
    if (m_haveLast && time < m_lastTime) {
        ++m_model.m_clockSetBacks;
    }
    m_haveLast = true;
    m_lastTime = time;
    m_model.m_times.push_back(time);
    m_model.m_recordNumbers.push_back(reading.recordNumber);
    for (std::size_t i = 0; i < kSeriesCount; ++i) {
        m_model.m_values[i].push_back(reading.values[i]);
    }
}

TrendModel TrendBuilder::build() {
    TrendModel m = std::move(m_model);
    m_model = TrendModel();
    m_haveLast = false;

    keepInTimeOrder(m.m_times, m.m_recordNumbers, m.m_values);

    auto column = [&m](Series s) -> std::vector<double> & { return m.m_values[indexOf(s)]; };
    m.m_available = {
        Series::Ph,      Series::PhSetpoint,      Series::PhHighAlarm,      Series::PhLowAlarm,
        Series::Reagent, Series::ReagentSetpoint, Series::ReagentHighAlarm, Series::ReagentLowAlarm,
        Series::Flow,    Series::FlowLowAlarm,    Series::FlowStopAlarm};
    if (anyNonZero(column(Series::Redox)) || anyNonZero(column(Series::RedoxHighAlarm)) ||
        anyNonZero(column(Series::RedoxLowAlarm))) {
        m.m_available =
            m.m_available | SeriesSet{Series::Redox, Series::RedoxHighAlarm, Series::RedoxLowAlarm};
    }
    if (anyNonZero(column(Series::WaterTemperature))) {
        m.m_available.insert(Series::WaterTemperature);
    }

    unsetZeros(column(Series::PhSetpoint));
    unsetZeros(column(Series::ReagentSetpoint));
    unsetZeros(column(Series::FlowLowAlarm));
    unsetZeros(column(Series::FlowStopAlarm));
    unsetPair(column(Series::PhHighAlarm), column(Series::PhLowAlarm));
    unsetPair(column(Series::ReagentHighAlarm), column(Series::ReagentLowAlarm));
    unsetPair(column(Series::RedoxHighAlarm), column(Series::RedoxLowAlarm));

    for (std::size_t i = 0; i < kSeriesCount; ++i) {
        if (isStepSeries(static_cast<Series>(i))) {
            m.m_steps[i] = stepsOf(m.m_times, m.m_values[i]);
        }
    }
    for (const LimitCheck &check : kLimitChecks) {
        if (m.m_available.contains(check.measured)) {
            m.m_excursions[indexOf(check.limit)] =
                excursionsOf(m.m_times, column(check.measured), column(check.limit), check);
        }
    }
    return m;
}

std::string readoutText(const Readout &readout, const std::function<std::string(Series)> &label) {
    std::string out = readout.timeText;
    for (const ReadoutEntry &e : readout.entries) {
        if (!e.value) {
            continue;
        }
        out += "  ";
        out += label ? label(e.series) : std::string(seriesInfo(e.series).key);
        out += ' ';
        out += e.text;
        const std::string_view unit = seriesInfo(e.series).unit;
        if (!unit.empty()) {
            out += ' ';
            out += unit;
        }
    }
    return out;
}

} // namespace aql::trend
