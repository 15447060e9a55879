// Reading a 100,000-record stored log back (the Base-file command): the file is streamed, every
// line parsed by the stored-line parser and inserted into the pool's record list. Target: 300 ms.
#include "records/RecordList.h"
#include "shell/FileReader.h"
#include "shell/LanguageTexts.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

class SilentBox : public aql::platform::MessageBox {
public:
    int show(const std::string &, int, const std::string &) override {
        ++shown;
        return aql::platform::kResultOk;
    }
    int shown = 0;
};

constexpr int kRecords = 100000;

// One stored line per record number, values varying with the number.
std::string storedLine(int number) {
    char line[512];
    std::snprintf(line, sizeof line,
                  "3,%d,%d,2009-%02d-%02d %02d:%02d,%d,%d,11,120,300,50,%d,1,0,0,0,0,0,0,0,0,0,0,0,"
                  "0,0,%d,720,780,680,15,2,%d,800,500,0,0,35,20,10,0,5,0,0,0,37,4,120,110,0,0,95,"
                  "96,3,80,96,80,27,0,0,0,0,7,0,0,0\r\n",
                  number + 1000, number, 1 + number % 12, 1 + number % 28, number % 24, number % 60,
                  20 + number % 5, 100 + number % 400, number % 101, 650 + number % 200,
                  600 + number % 200);
    return line;
}

// Written once per order; removed when the program ends.
class LogFile {
public:
    explicit LogFile(bool shuffled) {
        std::vector<int> numbers(kRecords);
        for (int i = 0; i < kRecords; ++i) {
            numbers[static_cast<std::size_t>(i)] = i + 1;
        }
        if (shuffled) {
            std::shuffle(numbers.begin(), numbers.end(), std::mt19937(46));
        }
        m_path = std::filesystem::temp_directory_path() /
                 ("aql-bench-" + std::to_string(std::random_device{}()) +
                  (shuffled ? "-shuffled.csv" : "-ascending.csv"));
        std::ofstream out(m_path, std::ios::binary);
        out << "\"Record Type\",\"Record Key\",\"Record Number\"\r\n";
        for (int n : numbers) {
            out << storedLine(n);
        }
    }
    ~LogFile() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    std::string path() const { return m_path.string(); }
    std::uintmax_t size() const { return std::filesystem::file_size(m_path); }

private:
    std::filesystem::path m_path;
};

void readBack(benchmark::State &state, const LogFile &file) {
    SilentBox box;
    aql::shell::LanguageTexts texts(box);
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<aql::records::RecordList>();
        aql::shell::FileReader reader(*list, texts, box);
        state.ResumeTiming();
        reader.readFile(file.path(), ",", true, 20000);
        state.PauseTiming();
        if (list->count() != static_cast<std::size_t>(kRecords) || box.shown != 0) {
            state.SkipWithError("the file did not read back whole");
        }
        list.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(file.size()) * state.iterations());
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(kRecords) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_ReadStoredFile100kAscending(benchmark::State &state) {
    static const LogFile kFile(false);
    readBack(state, kFile);
}
BENCHMARK(BM_ReadStoredFile100kAscending)->Unit(benchmark::kMillisecond);

void BM_ReadStoredFile100kShuffled(benchmark::State &state) {
    static const LogFile kFile(true);
    readBack(state, kFile);
}
BENCHMARK(BM_ReadStoredFile100kShuffled)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
