// Filling a pool's record list: 100,000 records in random order into the ordered-index list,
// against the same 20,000 records walked into a plain list from the front as the old insertion rule
// did (its cost grows with the square of the count). Also the resident memory of 100,000 parsed
// records held by one list. Linux-only: the memory figure comes from /proc/self/status.
#include "records/RecordList.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <list>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

using aql::records::LogRecord;
using aql::records::RecordList;

// A stored record line with values that vary with the number, in the layout fromFile reads.
std::string storedLine(int number) {
    char line[512];
    std::snprintf(line, sizeof line,
                  "3,%d,%d,2009-%02d-%02d %02d:%02d,%d,%d,11,120,300,50,%d,1,0,0,0,0,0,0,0,0,0,0,0,"
                  "0,0,%d,720,780,680,15,2,%d,800,500,0,0,35,20,10,0,5,0,0,0,37,4,120,110,0,0,95,"
                  "96,3,80,96,80,27,0,0,0,0,7,0,0,0",
                  number + 1000, number, 1 + number % 12, 1 + number % 28, number % 24, number % 60,
                  20 + number % 5, 100 + number % 400, number % 101, 650 + number % 200,
                  600 + number % 200);
    return line;
}

LogRecord parsed(int number) {
    LogRecord r;
    r.fromFile(storedLine(number), aql::records::rtype::kLog);
    return r;
}

// Record numbers 1..n in a fixed random order.
std::vector<int> shuffledNumbers(int n) {
    std::vector<int> numbers(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        numbers[static_cast<std::size_t>(i)] = i + 1;
    }
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(20090307));
    return numbers;
}

const std::vector<LogRecord> &records(int n) {
    static std::vector<LogRecord> all = [] {
        std::vector<LogRecord> v;
        for (int number : shuffledNumbers(100000)) {
            v.push_back(parsed(number));
        }
        return v;
    }();
    static std::vector<LogRecord> first20k(all.begin(), all.begin() + 20000);
    return n == 20000 ? first20k : all;
}

// The old rule: walk from the front to the first larger number; keys in a hash as the keyed
// collection had them.
class NaiveList {
public:
    void insert(LogRecord r) {
        if (!m_keys.insert(r.key()).second) {
            return;
        }
        auto it = m_records.begin();
        while (it != m_records.end() && it->recordNumber <= r.recordNumber) {
            ++it;
        }
        m_records.insert(it, std::move(r));
    }
    std::size_t count() const { return m_records.size(); }

private:
    std::list<LogRecord> m_records;
    std::unordered_set<std::string> m_keys;
};

template <class List> double secondsToFill(const std::vector<LogRecord> &source) {
    std::vector<LogRecord> batch = source; // copied outside the clock
    List list;
    const auto start = std::chrono::steady_clock::now();
    for (LogRecord &r : batch) {
        list.insert(std::move(r));
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (list.count() != source.size()) {
        std::fprintf(stderr, "records were lost\n");
    }
    return took.count();
}

template <class List> void fill(benchmark::State &state) {
    const auto &source = records(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<LogRecord> batch = source;
        auto list = std::make_unique<List>();
        state.ResumeTiming();
        for (LogRecord &r : batch) {
            list->insert(std::move(r));
        }
        state.PauseTiming();
        if (list->count() != source.size()) {
            state.SkipWithError("records were lost");
        }
        list.reset();
        batch.clear();
        state.ResumeTiming();
    }
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(source.size()) *
                                                         static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

void BM_RecordListRandomOrder(benchmark::State &state) {
    fill<RecordList>(state);
}
BENCHMARK(BM_RecordListRandomOrder)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_NaiveListWalkedFromTheFront(benchmark::State &state) {
    fill<NaiveList>(state);
}
BENCHMARK(BM_NaiveListWalkedFromTheFront)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(2);

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

void summary() {
    // Measured before the benchmarks build their shared copies, so only the list's records count.
    const long before = residentKiB();
    {
        RecordList list;
        for (int number : shuffledNumbers(100000)) {
            list.insert(parsed(number));
        }
        const long held = residentKiB();
        std::printf("resident memory: %.1f MB with 100,000 records held (%.1f MB before, "
                    "target <= 64 MB)\n",
                    static_cast<double>(held) / 1024.0, static_cast<double>(before) / 1024.0);
    }
    double best = 1e9;
    double naive = 1e9;
    for (int run = 0; run < 3; ++run) {
        best = std::min(best, secondsToFill<RecordList>(records(20000)));
    }
    naive = secondsToFill<NaiveList>(records(20000));
    std::printf("20,000 records in random order: record list %.2f ms, walked list %.1f ms, "
                "ratio %.0fx (expected >= 100x)\n",
                best * 1e3, naive * 1e3, naive / best);
    double full = 1e9;
    for (int run = 0; run < 3; ++run) {
        full = std::min(full, secondsToFill<RecordList>(records(100000)));
    }
    std::printf("100,000 records in random order: record list %.1f ms (target <= 100 ms)\n",
                full * 1e3);
}

} // namespace

int main(int argc, char **argv) {
    summary();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
