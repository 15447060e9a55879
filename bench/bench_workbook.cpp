// The Excel export of a 100,000-record log: the time to the finished bytes, and the memory the
// call needs beside the records (the peak resident memory during the call, less what was resident
// before). Linux-only for the memory figure: it comes from /proc/self/status, with the peak reset
// through /proc/self/clear_refs before the call.
#include "records/LogRecord.h"
#include "records/RecordList.h"
#include "records/Workbook.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using namespace aql::records;

constexpr int kRecords = 100000;

// Stored lines with values that vary from line to line (pH fields in hundredths), so the numbers
// have realistic widths and the compressor realistic work.
const RecordList &records() {
    static const RecordList list = [] {
        RecordList l;
        for (int i = 0; i < kRecords; ++i) {
            std::string line = "3," + std::to_string(i * 7) + "," + std::to_string(i) + ",20" +
                               std::to_string(10 + i % 14) + "-0" + std::to_string(1 + i % 9) +
                               "-1" + std::to_string(i % 9) + " 1" + std::to_string(i % 10) + ":" +
                               std::to_string(10 + i % 50) + "," + std::to_string(20 + i % 9);
            for (int k = 1; k <= 60; ++k) {
                line += ',';
                line += (k >= 21 && k <= 24) ? std::to_string(650 + (i + k) % 200)
                                             : std::to_string((i * k) % 5000);
            }
            LogRecord r;
            r.fromFile(line, rtype::kLog);
            l.insert(r);
        }
        return l;
    }();
    return list;
}

WorkbookInfo info() {
    WorkbookInfo i;
    i.executableName = "aqlremote";
    i.siteName = "Sunny Baths";
    i.poolName = "Main pool";
    return i;
}

void BM_WorkbookBytes(benchmark::State &state) {
    const RecordList &list = records();
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = workbookBytes(list, info());
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["records"] = static_cast<double>(list.count());
    state.counters["MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_WorkbookBytes)->Unit(benchmark::kMillisecond)->Iterations(3);

long statusKiB(const std::string &field) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == field) {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

void summary() {
    const RecordList &list = records();
    const long before = statusKiB("VmRSS:");
    // "5" resets the peak to the present resident size (Linux 4.0 and later).
    const bool peakReset = static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5");
    const auto start = std::chrono::steady_clock::now();
    const std::string bytes = workbookBytes(list, info());
    const auto took = std::chrono::steady_clock::now() - start;
    const long peak = statusKiB("VmHWM:");
    std::printf("100,000 records to an Excel workbook: %.0f ms, %.1f MB of bytes\n",
                std::chrono::duration<double, std::milli>(took).count(),
                static_cast<double>(bytes.size()) / 1e6);
    if (peakReset && before > 0 && peak > 0) {
        std::printf("memory during the call: peak %.1f MB resident, %.1f MB above the %.1f MB held "
                    "before (the records)\n",
                    static_cast<double>(peak) / 1024.0, static_cast<double>(peak - before) / 1024.0,
                    static_cast<double>(before) / 1024.0);
    } else {
        std::printf("memory during the call: not measurable here\n");
    }
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
