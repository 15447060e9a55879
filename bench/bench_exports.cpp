// Throughput of the record layer on a 100,000-record log: reading stored and exported lines, and
// writing the CSV and XML exports as text and as files. The gates: all lines parse well under
// 300 ms, the CSV export writes in 200 ms, the XML export in 500 ms.
#include "platform/qt/QtFileSaver.h"
#include "records/Exports.h"
#include "records/LogRecord.h"
#include "records/RecordList.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace aql::records;

constexpr int kRecords = 100000;

// Stored lines with values that vary from line to line, so the numbers have realistic widths.
const std::vector<std::string> &storedLines() {
    static const std::vector<std::string> kLines = [] {
        std::vector<std::string> out;
        out.reserve(kRecords);
        for (int i = 0; i < kRecords; ++i) {
            std::string line = "3," + std::to_string(i * 7) + "," + std::to_string(i) +
                               ",2009-03-07 14:05," + std::to_string(20 + i % 9);
            for (int k = 1; k <= 60; ++k) {
                line += ',';
                line += (k >= 21 && k <= 24) ? std::to_string(650 + (i + k) % 200)
                                             : std::to_string((i * k) % 5000);
            }
            out.push_back(std::move(line));
        }
        return out;
    }();
    return kLines;
}

const RecordList &records() {
    static const RecordList kRecordList = [] {
        RecordList l;
        for (const std::string &line : storedLines()) {
            LogRecord r;
            r.fromFile(line, rtype::kLog);
            l.insert(r);
        }
        return l;
    }();
    return kRecordList;
}

XmlDocumentInfo info() {
    XmlDocumentInfo i;
    i.executableName = "AqlRemote";
    i.generatedAt = "2024-05-06 07:08:09";
    i.siteName = "Sunny Baths";
    i.poolName = "Main pool";
    i.numberOfPools = 1;
    return i;
}

std::filesystem::path target(const char *name) {
    return std::filesystem::temp_directory_path() / name;
}

void BM_ParseStoredLines(benchmark::State &state) {
    const auto &lines = storedLines();
    for (auto _ : state) {
        for (const std::string &line : lines) {
            LogRecord r;
            r.fromFile(line, rtype::kLog);
            benchmark::DoNotOptimize(r);
        }
    }
}

void BM_ParseExportLines(benchmark::State &state) {
    std::vector<std::string> lines;
    lines.reserve(kRecords);
    records().forEach([&](const LogRecord &r) { lines.push_back(r.toCSV()); });
    for (auto _ : state) {
        for (const std::string &line : lines) {
            LogRecord r;
            r.fromExportCsv(line, rtype::kLog);
            benchmark::DoNotOptimize(r);
        }
    }
}

void BM_CsvText(benchmark::State &state) {
    const RecordList &list = records();
    for (auto _ : state) {
        std::string csv = recordListCsv(list);
        benchmark::DoNotOptimize(csv.data());
        state.counters["MB"] = static_cast<double>(csv.size()) / 1e6;
    }
}

void BM_CsvFile(benchmark::State &state) {
    aql::platform::QtFileSaver files;
    const RecordList &list = records();
    const auto path = target("aql_bench_exports.csv");
    for (auto _ : state) {
        writeRecordListCsv(files, path, list);
    }
    std::filesystem::remove(path);
}

void BM_XmlText(benchmark::State &state) {
    const RecordList &list = records();
    const XmlDocumentInfo i = info();
    for (auto _ : state) {
        std::string xml = xmlDocument(i, list);
        benchmark::DoNotOptimize(xml.data());
        state.counters["MB"] = static_cast<double>(xml.size()) / 1e6;
    }
}

void BM_XmlFile(benchmark::State &state) {
    aql::platform::QtFileSaver files;
    const RecordList &list = records();
    const XmlDocumentInfo i = info();
    const auto path = target("aql_bench_exports.xml");
    for (auto _ : state) {
        writeXmlDocument(files, path, i, list);
    }
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_ParseStoredLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseExportLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
