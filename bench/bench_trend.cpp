// The trend chart's model on a 100,000-record log (one record every five minutes, nearly a year):
// building every series from the record list, decimating all shown series and shadings to a
// 1000-pixel chart at full range, and again for a zoom to 1 % of it. The targets: opening (build
// plus the first full-range decimation) under 500 ms, a zoom or pan under 50 ms. A second log
// whose limits change at every record shows the step series staying bounded too.
#include "records/RecordList.h"
#include "trend/TrendModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace {

using aql::records::LogRecord;
using aql::records::RecordList;
using namespace aql::trend;

constexpr int kRecords = 100000;
constexpr int kWidth = 1000;
constexpr std::int64_t kFirstRecord = 1230768000; // 2009-01-01 00:00

// A stored record line: pH around 7.2 and reagent around 100 with noise and the odd spike, flow
// that stops now and then, limits that the operator changes every few thousand records (or at
// every record when `restlessLimits`).
std::string storedLine(int number, std::mt19937 &random, bool restlessLimits) {
    std::normal_distribution<double> noise(0, 1);
    std::uniform_int_distribution<int> percent(0, 99);
    const CalendarMoment at = momentAt(kFirstRecord + std::int64_t{300} * number);
    const int limitEra = restlessLimits ? number : number / 4000;
    const int ph = static_cast<int>(720 + 8 * noise(random) + (percent(random) == 0 ? 60 : 0));
    const int reagent =
        static_cast<int>(100 + 10 * noise(random) + (percent(random) == 0 ? 80 : 0));
    const int flow = percent(random) < 2 ? 0 : 20 + static_cast<int>(3 * noise(random));
    char line[512];
    std::snprintf(line, sizeof line,
                  "3,%d,%d,%04d-%02d-%02d %02d:%02d,0,%d,0,%d,%d,%d,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"
                  "%d,%d,%d,%d,0,0,0,0,0,0,0,%d,%d,%d,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"
                  "0,0,0,0",
                  number, number, at.year, at.month, at.day, at.hour, at.minute, reagent,
                  100 + limitEra % 5 * 10, 150 + limitEra % 3 * 10, 60 - limitEra % 4 * 5, ph, 720,
                  760 + limitEra % 2 * 10, 680, flow, 10 + limitEra % 3, 5);
    return line;
}

RecordList makeLog(bool restlessLimits) {
    std::mt19937 random(20090307);
    RecordList list;
    for (int n = 1; n <= kRecords; ++n) {
        LogRecord r;
        r.fromFile(storedLine(n, random, restlessLimits), aql::records::rtype::kLog);
        list.insert(std::move(r));
    }
    return list;
}

const RecordList &quietLog() {
    static const RecordList log = makeLog(false);
    return log;
}

// What a chart redraw asks of the model: the line of every available series and the shading of
// every limit. Returns the number of points, so that nothing is optimised away.
std::size_t redraw(const TrendModel &m, TimeRange visible) {
    std::size_t points = 0;
    for (std::size_t i = 0; i < kSeriesCount; ++i) {
        const auto s = static_cast<Series>(i);
        for (const auto &line : m.polylines(s, visible, kWidth)) {
            points += line.size();
        }
        points += m.shading(s, visible, kWidth).size();
    }
    return points;
}

TimeRange zoomed(const TrendModel &m) {
    const TimeRange full = *m.fullRange();
    const std::int64_t span = full.to - full.from;
    return TimeRange{full.from + span / 2, full.from + span / 2 + span / 100};
}

void BM_BuildFromRecords(benchmark::State &state) {
    for (auto _ : state) {
        TrendModel m = TrendModel::fromRecords(quietLog());
        benchmark::DoNotOptimize(m.sampleCount());
    }
}
BENCHMARK(BM_BuildFromRecords)->Unit(benchmark::kMillisecond);

void BM_RedrawFullRange(benchmark::State &state) {
    const TrendModel m = TrendModel::fromRecords(quietLog());
    for (auto _ : state) {
        benchmark::DoNotOptimize(redraw(m, *m.fullRange()));
    }
}
BENCHMARK(BM_RedrawFullRange)->Unit(benchmark::kMillisecond);

void BM_RedrawZoomOnePercent(benchmark::State &state) {
    const TrendModel m = TrendModel::fromRecords(quietLog());
    for (auto _ : state) {
        benchmark::DoNotOptimize(redraw(m, zoomed(m)));
    }
}
BENCHMARK(BM_RedrawZoomOnePercent)->Unit(benchmark::kMicrosecond);

template <class F> double bestMilliseconds(F f) {
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        f();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

void summary(const char *title, const RecordList &log) {
    std::size_t fullPoints = 0;
    std::size_t zoomPoints = 0;
    const double open = bestMilliseconds([&] {
        const TrendModel m = TrendModel::fromRecords(log);
        fullPoints = redraw(m, *m.fullRange());
    });
    const TrendModel m = TrendModel::fromRecords(log);
    const double build = bestMilliseconds([&] { TrendModel::fromRecords(log); });
    const double full = bestMilliseconds([&] { fullPoints = redraw(m, *m.fullRange()); });
    const double zoom = bestMilliseconds([&] { zoomPoints = redraw(m, zoomed(m)); });
    std::printf("%s: %zu samples, %zu steps of the reagent high alarm\n", title, m.sampleCount(),
                m.steps(Series::ReagentHighAlarm).size());
    std::printf("  open (build + full-range redraw at %d px): %.1f ms (target < 500 ms)\n", kWidth,
                open);
    std::printf("    of which build %.1f ms, redraw %.1f ms, %zu points drawn\n", build, full,
                fullPoints);
    std::printf("  redraw of a 1 %% zoom: %.2f ms (target < 50 ms), %zu points drawn\n", zoom,
                zoomPoints);
}

} // namespace

int main(int argc, char **argv) {
    summary("100,000 records", quietLog());
    summary("100,000 records, limits changing at every record", makeLog(true));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
