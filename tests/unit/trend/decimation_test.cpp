// Decimation against a brute-force reference: every sample is put in its pixel column directly
// from the definition (column = floor((t - from) * width / span)), and the decimated line must
// hold each column's first, last, lowest and highest sample, in time order, and nothing else.

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

// Samples whose times cluster at the edges of the columns of `visible` at `width` pixels: many
// columns hold one sample, some none, some dozens with a spike on their first or last second.
TrendModel clusteredModel(std::mt19937 &random, TimeRange visible, int width) {
    const std::int64_t span = visible.to - visible.from + 1;
    auto columnStart = [&](std::int64_t k) {
        return visible.from + (k * span + width - 1) / width;
    };
    std::uniform_real_distribution<double> value(100, 200);
    std::uniform_int_distribution<int> kind(0, 9);
    TrendBuilder builder;
    // Some samples before and after the visible range, to be the adjacent ones.
    for (std::int64_t t = visible.from - 600; t < visible.from; t += 120) {
        builder.add(reading(t, value(random)));
    }
    for (std::int64_t k = 0; k < width; ++k) {
        const std::int64_t first = columnStart(k);
        const std::int64_t last = columnStart(k + 1) - 1;
        switch (kind(random)) {
        case 0: break; // an empty column
        case 1:
        case 2: builder.add(reading(first, value(random))); break;
        case 3: builder.add(reading(last, value(random))); break;
        default: {
            const int n = std::uniform_int_distribution<int>(2, 40)(random);
            for (int i = 0; i < n; ++i) {
                std::int64_t t = std::uniform_int_distribution<std::int64_t>(first, last)(random);
                double v = value(random);
                if (i == 0) {
                    t = first;
                    v = kind(random) < 5 ? 900 : -900; // a spike on the column's first second
                } else if (i == 1) {
                    t = last;
                    v = kind(random) < 5 ? 950 : -950; // and on its last
                }
                builder.add(reading(t, v));
            }
        }
        }
    }
    for (std::int64_t t = visible.to + 1; t < visible.to + 600; t += 120) {
        builder.add(reading(t, value(random)));
    }
    return builder.build();
}

void expectColumnExtremesKept(const TrendModel &m, TimeRange visible, int width) {
    const std::int64_t span = visible.to - visible.from + 1;
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
            columns[(sample.time - visible.from) * width / span].push_back(sample);
        }
    }

    std::vector<Point> line = m.decimate(Series::Reagent, visible, width);
    ASSERT_FALSE(line.empty());
    if (before) {
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
        // The points of this column: those up to the first that belongs to a later one.
        auto end = std::find_if(next, line.end(), [&](const Point &p) {
            return (p.time - visible.from) * width / span != column;
        });
        const std::vector<Point> kept(next, end);
        next = end;
        ASSERT_FALSE(kept.empty());
        EXPECT_LE(kept.size(), std::min<std::size_t>(4, samples.size()));
        EXPECT_EQ(kept.front(), samples.front());
        EXPECT_EQ(kept.back(), samples.back());
        const auto [low, high] =
            std::minmax_element(samples.begin(), samples.end(),
                                [](const Point &a, const Point &b) { return a.value < b.value; });
        auto has = [&kept](double v) {
            return std::any_of(kept.begin(), kept.end(),
                               [v](const Point &p) { return p.value == v; });
        };
        EXPECT_TRUE(has(low->value));
        EXPECT_TRUE(has(high->value));
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
    struct Case {
        TimeRange visible;
        int width;
    };
    // Columns of one second, of fractional seconds, of days; a width of one pixel.
    const Case kCases[] = {
        {{kStart, kStart + 999}, 1000},      {{kStart, kStart + 86400 * 7}, 997},
        {{kStart + 13, kStart + 5000}, 300}, {{kStart, kStart + 3600}, 1},
        {{kStart, kStart + 200}, 640},
    };
    for (unsigned seed = 1; seed <= 4; ++seed) {
        for (const Case &c : kCases) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " width " + std::to_string(c.width));
            std::mt19937 random(seed);
            const TrendModel m = clusteredModel(random, c.visible, c.width);
            expectColumnExtremesKept(m, c.visible, c.width);
        }
    }
}

TEST(Decimation, zoomReturnsOnlyPointsInOrNextToTheVisibleRange) {
    TrendBuilder builder;
    for (int i = 0; i < 1000; ++i) {
        builder.add(reading(kStart + 60 * i, i));
    }
    const TrendModel m = builder.build();
    struct Case {
        TimeRange visible;
        std::vector<double> expectedEnds; // values of the first and last point
        std::size_t count;
    };
    const Case kCases[] = {
        // Minutes 100 to 199 at a pixel a minute: all of them, plus minutes 99 and 200.
        {{kStart + 6000, kStart + 11940}, {99, 200}, 102},
        {{kStart + 6001, kStart + 6059}, {100, 101}, 2},   // between two samples
        {{kStart - 600, kStart + 60}, {0, 2}, 3},          // from before the first
        {{kStart + 59880, kStart + 70000}, {997, 999}, 3}, // past the last
        {{kStart - 9000, kStart - 600}, {0, 0}, 1},        // all before the log
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(timeText(c.visible.from));
        const std::vector<Point> line = m.decimate(Series::Reagent, c.visible, 100);
        ASSERT_EQ(line.size(), c.count);
        EXPECT_EQ(line.front().value, c.expectedEnds[0]);
        EXPECT_EQ(line.back().value, c.expectedEnds[1]);
        for (std::size_t i = 1; i + 1 < line.size(); ++i) {
            EXPECT_GE(line[i].time, c.visible.from);
            EXPECT_LE(line[i].time, c.visible.to);
        }
    }
    EXPECT_TRUE(m.decimate(Series::Reagent, {kStart + 60, kStart}, 100).empty());
    EXPECT_EQ(m.sampleCount(), 1000u); // a view: the data keeps every sample
}

TEST(Decimation, stepsKeepFirstLastLowestAndHighestStepOfEveryColumn) {
    // A limit that changes at nearly every record and is sometimes unset.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> limit(0, 30);
    TrendBuilder builder;
    for (int i = 0; i < 20000; ++i) {
        builder.add(reading(kStart + 60 * i, 0, limit(random)));
    }
    const TrendModel m = builder.build();
    const std::vector<StepRun> &steps = m.steps(Series::FlowLowAlarm);
    ASSERT_GT(steps.size(), 15000u);

    const TimeRange visible{kStart + 60 * 5000 + 30, kStart + 60 * 15000};
    const int width = 400;
    const std::int64_t span = visible.to - visible.from + 1;
    const std::vector<StepRun> kept = m.decimateSteps(Series::FlowLowAlarm, visible, width);
    ASSERT_LE(kept.size(), 4u * width + 1);

    // The step reaching in from the left comes first, whole.
    const auto reachingIn = std::find_if(steps.begin(), steps.end(),
                                         [&](const StepRun &s) { return s.end >= visible.from; });
    ASSERT_LT(reachingIn->start, visible.from);
    EXPECT_EQ(kept.front(), *reachingIn);

    std::map<std::int64_t, std::vector<StepRun>> columns;
    for (auto s = reachingIn + 1; s != steps.end() && s->start <= visible.to; ++s) {
        columns[(s->start - visible.from) * width / span].push_back(*s);
    }
    std::map<std::int64_t, std::vector<StepRun>> keptColumns;
    for (std::size_t i = 1; i < kept.size(); ++i) {
        keptColumns[(kept[i].start - visible.from) * width / span].push_back(kept[i]);
        // Each kept step is a real one, ending where it ended or where the next kept one starts.
        const auto original = std::find_if(
            steps.begin(), steps.end(), [&](const StepRun &s) { return s.start == kept[i].start; });
        ASSERT_NE(original, steps.end());
        EXPECT_EQ(original->value, kept[i].value);
        const bool coversDropped = i + 1 < kept.size() && kept[i].end == kept[i + 1].start;
        EXPECT_TRUE(kept[i].end == original->end || coversDropped);
    }
    // Every step is drawn: kept, or covered by the kept one before it in its column.
    for (const auto &[column, all] : columns) {
        for (const StepRun &s : all) {
            EXPECT_TRUE(std::any_of(
                kept.begin(), kept.end(),
                [&s](const StepRun &k) { return k.start <= s.start && k.end >= s.end; }))
                << "step at " << s.start << " not drawn";
        }
    }
    ASSERT_EQ(keptColumns.size(), columns.size());
    for (const auto &[column, all] : columns) {
        const std::vector<StepRun> &k = keptColumns[column];
        SCOPED_TRACE("column " + std::to_string(column));
        EXPECT_EQ(k.front().start, all.front().start);
        EXPECT_EQ(k.back().start, all.back().start);
        EXPECT_EQ(k.back().end, all.back().end);
        const auto [low, high] =
            std::minmax_element(all.begin(), all.end(), [](const StepRun &a, const StepRun &b) {
                return a.value < b.value;
            });
        EXPECT_TRUE(std::any_of(k.begin(), k.end(),
                                [&](const StepRun &s) { return s.value == low->value; }));
        EXPECT_TRUE(std::any_of(k.begin(), k.end(),
                                [&](const StepRun &s) { return s.value == high->value; }));
    }
}
