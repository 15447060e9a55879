// What `aqlremote-cli convert` does with a 100,000-record CSV export whose lines are shuffled:
// read it through the program's own reader (every line parsed and put in number order), then
// write it through the program's own CSV writer and file saver (a temporary file, flushed to
// disk, renamed over the target, its folder flushed). Run side by side with pandas' read_csv and
// to_csv on the same file (the system's python3 with Debian's python3-pandas), best of each.
// Targets: reading at least 4 times and writing at least 8 times as fast as pandas.
//
// The whole process is timed with hyperfine, for example:
//     hyperfine --warmup 2 'build/bin/aqlremote-cli convert --in FILE --csv /tmp/out.csv'
// where FILE is the file this benchmark leaves with --keep-file.
#include "platform/qt/QtFileSaver.h"
#include "records/Exports.h"
#include "records/LogRecord.h"
#include "records/RecordList.h"
#include "shell/FileReader.h"
#include "shell/LanguageTexts.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace aql;

constexpr int kRecords = 100000;

class SilentBox : public platform::MessageBox {
public:
    int show(const std::string &, int, const std::string &) override {
        ++shown;
        return platform::kResultOk;
    }
    int shown = 0;
};

fs::path scratch() {
    static const fs::path kFolder = [] {
        const fs::path p = fs::temp_directory_path() /
                           ("aql-bench-convert-" + std::to_string(std::random_device{}()));
        fs::create_directories(p);
        return p;
    }();
    return kFolder;
}

// The export of 100,000 records with values that vary from record to record, its lines after the
// header in a shuffled order.
const fs::path &shuffledExport() {
    static const fs::path kFile = [] {
        records::RecordList list;
        for (int i = 1; i <= kRecords; ++i) {
            char head[96];
            std::snprintf(head, sizeof head, "3,%d,%d,2024-%02d-%02d %02d:%02d,%d", 100000 + i, i,
                          1 + i % 12, 1 + i % 28, i % 24, i % 60, 18 + i % 12);
            std::string line = head;
            for (int k = 1; k <= 60; ++k) {
                line += ',';
                line += (k >= 21 && k <= 24) ? std::to_string(650 + (i + k) % 200)
                                             : std::to_string((i * k) % 5000);
            }
            records::LogRecord r;
            r.fromFile(line, records::rtype::kLog);
            list.insert(r);
        }
        const std::string text = records::recordListCsv(list);
        std::vector<std::string> lines;
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            lines.push_back(line + "\n"); // the CR stays at the end of the line
        }
        std::shuffle(lines.begin() + 1, lines.end(), std::mt19937(9));
        const fs::path file = scratch() / "shuffled-100k.csv";
        std::ofstream out(file, std::ios::binary);
        for (const std::string &l : lines) {
            out << l;
        }
        return file;
    }();
    return kFile;
}

std::unique_ptr<records::RecordList> readExport(const fs::path &file, SilentBox &box,
                                                const shell::LanguageTexts &texts) {
    auto list = std::make_unique<records::RecordList>();
    shell::FileReader reader(*list, texts, box);
    reader.readFile(file.u8string(), ",", true, 20000);
    return list;
}

void BM_ReadShuffledExport100k(benchmark::State &state) {
    SilentBox box;
    shell::LanguageTexts texts(box);
    const fs::path &file = shuffledExport();
    for (auto _ : state) {
        auto list = readExport(file, box, texts);
        state.PauseTiming();
        if (list->count() != static_cast<std::size_t>(kRecords) || box.shown != 0) {
            state.SkipWithError("the file did not read back whole");
        }
        list.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReadShuffledExport100k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WriteExportFile100k(benchmark::State &state) {
    SilentBox box;
    shell::LanguageTexts texts(box);
    const auto list = readExport(shuffledExport(), box, texts);
    platform::QtFileSaver saver;
    const fs::path target = scratch() / "written.csv";
    for (auto _ : state) {
        records::writeRecordListCsv(saver, target, *list);
    }
    state.counters["MB"] = static_cast<double>(fs::file_size(target)) / 1e6;
}
BENCHMARK(BM_WriteExportFile100k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WriteExportText100k(benchmark::State &state) {
    SilentBox box;
    shell::LanguageTexts texts(box);
    const auto list = readExport(shuffledExport(), box, texts);
    for (auto _ : state) {
        benchmark::DoNotOptimize(records::recordListCsv(*list));
    }
}
BENCHMARK(BM_WriteExportText100k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps the mean real and CPU times of every run, to set beside pandas' once all have run.
class KeepingReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double wall = 0; // seconds
        double cpu = 0;
    };
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                std::string name = run.benchmark_name();
                name = name.substr(0, name.find('/'));
                // Reported in milliseconds.
                times[name] = {run.GetAdjustedRealTime() / 1000.0,
                               run.GetAdjustedCPUTime() / 1000.0};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Times> times;
};

// Wall and CPU time of each side, best of five: on a busy machine the CPU time is the fairer
// comparison, the wall time includes the wait for the disk.
const char *kPandasScript = R"(import sys, time
import pandas
path, out = sys.argv[1], sys.argv[2]
def best(step):
    wall = cpu = 1e9
    for _ in range(5):
        w, c = time.perf_counter(), time.process_time()
        result = step()
        wall, cpu = min(wall, time.perf_counter() - w), min(cpu, time.process_time() - c)
    return result, wall, cpu
frame, read_wall, read_cpu = best(lambda: pandas.read_csv(path))
_, write_wall, write_cpu = best(lambda: frame.to_csv(out, index=False))
print(len(frame), read_wall, read_cpu, write_wall, write_cpu, pandas.__version__)
)";

struct Pandas {
    bool ran = false;
    long rows = 0;
    KeepingReporter::Times read;
    KeepingReporter::Times write;
    std::string version;
};

Pandas runPandas(const fs::path &file) {
    const fs::path script = scratch() / "pandas_side.py";
    const fs::path result = scratch() / "pandas_side.txt";
    std::ofstream(script) << kPandasScript;
    const std::string command = "/usr/bin/python3 \"" + script.string() + "\" \"" + file.string() +
                                "\" \"" + (scratch() / "pandas.csv").string() + "\" > \"" +
                                result.string() + "\"";
    Pandas p;
    if (std::system(command.c_str()) != 0) {
        return p;
    }
    std::ifstream in(result);
    p.ran = static_cast<bool>(in >> p.rows >> p.read.wall >> p.read.cpu >> p.write.wall >>
                              p.write.cpu >> p.version);
    return p;
}

void printSideBySide(const char *what, KeepingReporter::Times ours, KeepingReporter::Times theirs,
                     double target) {
    const double cpuRatio = theirs.cpu / ours.cpu;
    const double wallRatio = theirs.wall / ours.wall;
    std::printf("%-6s %8.1f %8.1f   %8.1f %8.1f   %6.1fx %6.1fx   %s %.0fx\n", what, ours.cpu * 1e3,
                ours.wall * 1e3, theirs.cpu * 1e3, theirs.wall * 1e3, cpuRatio, wallRatio,
                cpuRatio >= target ? "met" : "MISSED", target);
}

} // namespace

int main(int argc, char **argv) {
    bool keepFile = false;
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep-file") == 0) {
            keepFile = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    KeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const fs::path &file = shuffledExport();
    const Pandas pandas = runPandas(file);
    std::printf("\n100,000 shuffled records, %.1f MB of CSV\n",
                static_cast<double>(fs::file_size(file)) / 1e6);
    if (!pandas.ran || pandas.rows != kRecords) {
        std::printf("pandas could not be run (/usr/bin/python3 with python3-pandas)\n");
    } else {
        std::printf("%-6s %17s   %17s   %15s   %s\n", "", "this program (ms)", "pandas (ms)",
                    "faster", "target (CPU)");
        std::printf("%-6s %8s %8s   %8s %8s   %7s %7s\n", "", "CPU", "wall", "CPU", "wall", "CPU",
                    "wall");
        printSideBySide("read", reporter.times["BM_ReadShuffledExport100k"], pandas.read, 4);
        printSideBySide("write", reporter.times["BM_WriteExportFile100k"], pandas.write, 8);
        std::printf("(pandas %s, best of 5; this program: mean of its runs; its write includes "
                    "the flush to disk, pandas' does not)\n",
                    pandas.version.c_str());
    }
    std::error_code ec;
    if (keepFile) {
        std::printf("the shuffled file stays at %s\n", file.string().c_str());
    } else {
        fs::remove_all(scratch(), ec);
    }
    return 0;
}
