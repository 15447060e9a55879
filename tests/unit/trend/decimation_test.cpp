// Decimation against a brute-force reference: every sample or step start is put in its pixel
// column directly from the definition (column = floor((t - from) * width / span)), and what is
// drawn must hold each column's first, last, lowest and highest, in time order, and nothing else.

#include "trend/TrendModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <vector>

using namespace aql::trend;

namespace {

constexpr std::int64_t kStart = 1236434400; // 2009-03-07 14:00

RecordReading reading(std::int64_t time, double reagent, double flowLowAlarm = 0) {
    RecordReading r;
    r.moment = momentAt(time);
    r.values[indexOf(Series::Reagent)] = reagent;
    r.values[indexOf(Series::FlowLowAlarm)] = flowLowAlarm;
    return r;
}

std::int64_t columnOf(std::int64_t time, TimeRange visible, int width) {
    return (time - visible.from) * width / (visible.to - visible.from + 1);
}

// Samples clustered at the edges of the columns of `visible` at `width` pixels: columns with none,
// with one, and crowds with a spike on their first or last second; a few samples either side.
struct Layout {
    TimeRange visible;
    int width;
    bool before = true, inside = true, after = true; // where the samples are
};

TrendModel clusteredModel(std::mt19937 &random, const Layout &l) {
    const TimeRange visible = l.visible;
    const int width = l.width;
    const std::int64_t span = visible.to - visible.from + 1;
    std::uniform_real_distribution<double> value(100, 200);
    TrendBuilder builder;
    for (std::int64_t t = visible.from - 600; t < visible.to + 600; t += 120) {
        if ((t < visible.from && l.before) || (t > visible.to && l.after)) {
            builder.add(reading(t, value(random)));
        }
    }
    for (std::int64_t k = 0; k < width && l.inside; ++k) {
        const std::int64_t first = visible.from + (k * span + width - 1) / width;
        const std::int64_t last = visible.from + ((k + 1) * span + width - 1) / width - 1;
        const auto kind = random() % 10; // 0: none, 1-2: one at the start, 3: one at the end
        if (kind == 1 || kind == 2 || kind == 3) {
            builder.add(reading(kind == 3 ? last : first, value(random)));
        }
        for (int i = 0, n = kind < 4 ? 0 : 2 + static_cast<int>(random() % 39); i < n; ++i) {
            const std::int64_t t =
                i == 0   ? first
                : i == 1 ? last
                         : std::uniform_int_distribution<std::int64_t>(first, last)(random);
            const double spike = (random() % 2 ? 1 : -1) * (i == 0 ? 900 : 950);
            builder.add(reading(t, i < 2 ? spike : value(random)));
        }
    }
    return builder.build();
}

void expectColumnExtremesKept(const TrendModel &m, TimeRange visible, int width) {
    std::map<std::int64_t, std::vector<Point>> columns;
    std::optional<Point> before;
    std::optional<Point> after;
    for (std::size_t i = 0; i < m.sampleCount(); ++i) {
        const Point sample{m.times()[i], m.values(Series::Reagent)[i]};
        if (sample.time < visible.from) {
            before = sample;
        } else if (sample.time > visible.to) {
            after = after ? after : sample;
        } else {
            columns[columnOf(sample.time, visible, width)].push_back(sample);
        }
    }
    std::vector<Point> line = m.decimate(Series::Reagent, visible, width);
    ASSERT_FALSE(line.empty());
    if (before) { // the samples either side come first and last, to draw the line to the edge
        EXPECT_EQ(line.front(), *before);
        line.erase(line.begin());
    }
    if (after) {
        EXPECT_EQ(line.back(), *after);
        line.pop_back();
    }
    auto next = line.begin();
    for (const auto &[column, samples] : columns) {
        SCOPED_TRACE("column " + std::to_string(column));
        const auto end = std::find_if(next, line.end(), [&](const Point &p) {
            return columnOf(p.time, visible, width) != column;
        });
        const std::vector<Point> kept(next, end);
        next = end;
        ASSERT_FALSE(kept.empty());
        EXPECT_LE(kept.size(), std::min<std::size_t>(4, samples.size()));
        EXPECT_EQ(kept.front(), samples.front());
        EXPECT_EQ(kept.back(), samples.back());
        const auto [low, high] = std::minmax_element(
            samples.begin(), samples.end(), [](Point a, Point b) { return a.value < b.value; });
        for (const double v : {low->value, high->value}) {
            EXPECT_TRUE(
                std::any_of(kept.begin(), kept.end(), [v](Point p) { return p.value == v; }));
        }
        // Each kept point is a sample of this column, and in the order of the samples.
        auto from = samples.begin();
        for (const Point &p : kept) {
            from = std::find(from, samples.end(), p);
            ASSERT_NE(from, samples.end()) << "point not a sample of its column, or out of order";
            ++from;
        }
    }
    EXPECT_EQ(next, line.end()) << "points outside every column";
}

} // namespace

TEST(Decimation, keepsFirstLastLowestAndHighestOfEveryColumn) {
    // Columns of one second, of fractional seconds, of days; a width of one pixel; and the edges:
    // nothing inside, nothing before, nothing after, only samples before.
    const Layout cases[] = {
        {{kStart, kStart + 999}, 1000},
        {{kStart, kStart + 86400 * 7}, 997},
        {{kStart + 13, kStart + 5000}, 300},
        {{kStart, kStart + 3600}, 1},
        {{kStart, kStart + 200}, 640},
        {{kStart, kStart + 3600}, 100, true, false, true},
        {{kStart, kStart + 3600}, 100, false, true, true},
        {{kStart, kStart + 3600}, 100, true, true, false},
        {{kStart, kStart + 3600}, 100, true, false, false},
    };
    for (unsigned seed = 1; seed <= 4; ++seed) {
        for (const Layout &l : cases) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " row " << &l - cases);
            std::mt19937 random(seed);
            expectColumnExtremesKept(clusteredModel(random, l), l.visible, l.width);
        }
    }
    std::mt19937 random(1);
    const TrendModel m = clusteredModel(random, cases[0]);
    EXPECT_TRUE(m.decimate(Series::Reagent, {kStart + 60, kStart}, 100).empty()) << "reversed";
}

TEST(Decimation, stepsKeepFirstLastLowestAndHighestStepOfEveryColumn) {
    // A limit that changes at nearly every record and is sometimes unset.
    std::mt19937 random(7);
    TrendBuilder builder;
    for (int i = 0; i < 20000; ++i) {
        builder.add(reading(kStart + 60 * i, 0, static_cast<double>(random() % 31)));
    }
    const TrendModel m = builder.build();
    const std::vector<StepRun> &steps = m.steps(Series::FlowLowAlarm);
    ASSERT_GT(steps.size(), 15000u);
    const TimeRange visible{kStart + 60 * 5000 + 30, kStart + 60 * 15000};
    const int width = 400;
    const std::vector<StepRun> kept = m.decimateSteps(Series::FlowLowAlarm, visible, width);
    ASSERT_LE(kept.size(), 4u * width + 1);

    // The step reaching in from the left comes first, whole.
    const auto reachingIn = std::find_if(steps.begin(), steps.end(),
                                         [&](const StepRun &s) { return s.end >= visible.from; });
    ASSERT_LT(reachingIn->start, visible.from);
    EXPECT_EQ(kept.front(), *reachingIn);

    std::map<std::int64_t, std::vector<StepRun>> columns;
    for (auto s = reachingIn + 1; s != steps.end() && s->start <= visible.to; ++s) {
        columns[columnOf(s->start, visible, width)].push_back(*s);
        // Every step is drawn: kept, or covered by the kept one before it in its column.
        EXPECT_TRUE(
            std::any_of(kept.begin(), kept.end(),
                        [&s](const StepRun &k) { return k.start <= s->start && k.end >= s->end; }))
            << "step at " << s->start << " not drawn";
    }
    std::map<std::int64_t, std::vector<StepRun>> keptColumns;
    for (std::size_t i = 1; i < kept.size(); ++i) {
        keptColumns[columnOf(kept[i].start, visible, width)].push_back(kept[i]);
        // Each kept step is a real one, ending where it ended or where the next kept one starts.
        const auto original = std::find_if(
            steps.begin(), steps.end(), [&](const StepRun &s) { return s.start == kept[i].start; });
        ASSERT_NE(original, steps.end());
        EXPECT_EQ(original->value, kept[i].value);
        EXPECT_TRUE(kept[i].end == original->end ||
                    (i + 1 < kept.size() && kept[i].end == kept[i + 1].start));
    }
    ASSERT_EQ(keptColumns.size(), columns.size());
    for (const auto &[column, all] : columns) {
        SCOPED_TRACE("column " + std::to_string(column));
        const std::vector<StepRun> &k = keptColumns[column];
        EXPECT_EQ(k.front().start, all.front().start);
        EXPECT_EQ(k.back().start, all.back().start);
        EXPECT_EQ(k.back().end, all.back().end);
        const auto [low, high] = std::minmax_element(
            all.begin(), all.end(), [](StepRun a, StepRun b) { return a.value < b.value; });
        for (const double v : {low->value, high->value}) {
            EXPECT_TRUE(std::any_of(k.begin(), k.end(), [v](StepRun s) { return s.value == v; }));
        }
    }
}
