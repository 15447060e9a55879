// What `aqlremote-cli convert` does with a 100,000-record CSV export whose lines are shuffled: read
// it through the program's own reader (every line parsed and put in number order), then write it
// through the program's own CSV writer and file saver (a temporary file, flushed to disk, renamed
// over the target, its folder flushed). Then the same beside pandas' read_csv and to_csv on the
// same file (the system's python3 with Debian's python3-pandas), in rounds that alternate between
// the two, so that both meet the same load on a shared machine.
//
// Targets: reading at least 4 times and writing at least 8 times as fast as pandas. pandas' to_csv
// does not flush the file to disk; our saver does, as it is what keeps the operator's file whole
// after a power cut. Our write is therefore given both ways: through the saver, and straight into
// the file without the flush, as to_csv writes.
//
//   bench_convert                the stages one by one (Google Benchmark), then 5 rounds with
//   pandas bench_convert --rounds N     N rounds with pandas bench_convert --once         every
//   stage once and nothing else, for instruction counts:
//       valgrind --tool=callgrind --toggle-collect='*stageRead*' bench_convert --once
//       (stageRead, stageInsertOneByOne, stageInsertInBatches, stageFormat, stageWrite,
//       stageWriteWithoutFlush)
//   bench_convert --keep-file    leaves the shuffled file, for timing the whole process:
//       hyperfine --warmup 2 'build/bin/aqlremote-cli convert --in FILE --csv /tmp/out.csv'
#include "platform/FileSaver.h"
#include "platform/qt/QtFileSaver.h"
#include "records/Exports.h"
#include "records/LogRecord.h"
#include "records/RecordList.h"
#include "shell/FileReader.h"
#include "shell/LanguageTexts.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace aql;

namespace {

constexpr int kRecords = 100000;

class SilentBox : public platform::MessageBox {
public:
    int show(const std::string &, int, const std::string &) override {
        ++shown;
        return platform::kResultOk;
    }
    int shown = 0;
};

// Straight into the target, no temporary file and no flush to disk: what pandas' to_csv does.
class PlainFileSaver : public platform::FileSaver {
public:
    platform::TargetKind kindOf(const fs::path &) const override {
        return platform::TargetKind::Regular;
    }
    std::optional<std::string> whyNotWritable(const fs::path &) const override {
        return std::nullopt;
    }
    std::unique_ptr<platform::FileSink> open(const fs::path &target) override {
        class Sink : public platform::FileSink {
        public:
            explicit Sink(const fs::path &target) : m_out(target, std::ios::binary) {}
            void write(std::string_view bytes) override {
                m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            }
            void commit() override {
                m_out.close();
                if (!m_out) {
                    throw platform::saveError("bench", "write failed");
                }
            }

        private:
            std::ofstream m_out;
        };
        return std::make_unique<Sink>(target);
    }
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

// What the stages work on, made before any is measured.
struct Work {
    SilentBox box;
    shell::LanguageTexts texts{box};
    std::unique_ptr<records::RecordList> list; // the shuffled file as read
    std::vector<records::LogRecord> parsed;    // its records, parsed, in the file's order
    std::vector<records::LogRecord> toInsert;  // a copy of them for an insert stage to use up
    platform::QtFileSaver saver;
    PlainFileSaver plainSaver;
    std::string text;
};

std::unique_ptr<records::RecordList> readExport(Work &w) {
    auto list = std::make_unique<records::RecordList>();
    shell::FileReader reader(*list, w.texts, w.box);
    reader.readFile(shuffledExport().u8string(), ",", true, 20000);
    if (list->count() != static_cast<std::size_t>(kRecords) || w.box.shown != 0) {
        std::fprintf(stderr, "the file did not read back whole\n");
        std::exit(1);
    }
    return list;
}

Work &work() {
    static Work w;
    if (!w.list) {
        w.list = readExport(w);
        std::ifstream in(shuffledExport(), std::ios::binary);
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            line.pop_back(); // the CR
            w.parsed.emplace_back().fromExportCsv(line, records::rtype::kLog);
        }
    }
    return w;
}

// The stages, each a function of its own for the instruction counts.

void stageRead(Work &w) {
    benchmark::DoNotOptimize(readExport(w));
}

// One insert per record, as a download fills the list.
std::size_t insertOneByOne(std::vector<records::LogRecord> &records) {
    records::RecordList list;
    for (records::LogRecord &r : records) {
        list.insert(std::move(r));
    }
    return list.count();
}

// As the reader fills the list: batches that grow from 256 to 32,768 records.
std::size_t insertInBatches(std::vector<records::LogRecord> &records) {
    records::RecordList list;
    std::size_t size = 256;
    for (std::size_t at = 0; at < records.size();
         at += size, size = std::min<std::size_t>(2 * size, 32768)) {
        const auto first = records.begin() + static_cast<std::ptrdiff_t>(at);
        const auto last =
            records.begin() + static_cast<std::ptrdiff_t>(std::min(records.size(), at + size));
        list.insertAll(std::vector<records::LogRecord>(std::make_move_iterator(first),
                                                       std::make_move_iterator(last)));
    }
    return list.count();
}

void stageInsertOneByOne(Work &w) {
    benchmark::DoNotOptimize(insertOneByOne(w.toInsert));
}

void stageInsertInBatches(Work &w) {
    benchmark::DoNotOptimize(insertInBatches(w.toInsert));
}

void stageFormat(Work &w) {
    w.text = records::recordListCsv(*w.list);
}

void stageWrite(Work &w) {
    records::writeRecordListCsv(w.saver, scratch() / "written.csv", *w.list);
}

void stageWriteWithoutFlush(Work &w) {
    records::writeRecordListCsv(w.plainSaver, scratch() / "written-plain.csv", *w.list);
}

// Through a pointer the compiler cannot see through, so that every stage stays a call of its own.
using Stage = void (*)(Work &);
Stage volatile kStages[] = {stageRead,   stageInsertOneByOne, stageInsertInBatches,
                            stageFormat, stageWrite,          stageWriteWithoutFlush};

void BM_ReadShuffledExport100k(benchmark::State &state) {
    Work &w = work();
    for (auto _ : state) {
        auto list = readExport(w);
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReadShuffledExport100k)->Unit(benchmark::kMillisecond)->MinTime(1.0);

template <std::size_t (*kFill)(std::vector<records::LogRecord> &)>
void BM_InsertShuffled100k(benchmark::State &state) {
    Work &w = work();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<records::LogRecord> records = w.parsed;
        state.ResumeTiming();
        benchmark::DoNotOptimize(kFill(records));
    }
}
BENCHMARK_TEMPLATE(BM_InsertShuffled100k, insertOneByOne)
    ->Name("BM_InsertShuffled100kOneByOne")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
BENCHMARK_TEMPLATE(BM_InsertShuffled100k, insertInBatches)
    ->Name("BM_InsertShuffled100kInBatches")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

void BM_FormatExportText100k(benchmark::State &state) {
    Work &w = work();
    for (auto _ : state) {
        benchmark::DoNotOptimize(records::recordListCsv(*w.list));
    }
}
BENCHMARK(BM_FormatExportText100k)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_WriteExportFile100k(benchmark::State &state) {
    Work &w = work();
    for (auto _ : state) {
        stageWrite(w);
    }
    state.counters["MB"] = static_cast<double>(fs::file_size(scratch() / "written.csv")) / 1e6;
}
BENCHMARK(BM_WriteExportFile100k)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_WriteExportFileWithoutFlush100k(benchmark::State &state) {
    Work &w = work();
    for (auto _ : state) {
        stageWriteWithoutFlush(w);
    }
}
BENCHMARK(BM_WriteExportFileWithoutFlush100k)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Side by side with pandas.

struct Times {
    double wall = 1e9; // seconds
    double cpu = 1e9;
};

// Best of `repeats`: CPU time is the fairer figure on a busy machine, wall time includes the wait
// for the disk.
template <class F> Times best(int repeats, F &&step) {
    Times t;
    for (int i = 0; i < repeats; ++i) {
        const auto wall = std::chrono::steady_clock::now();
        const std::clock_t cpu = std::clock();
        step();
        const double cpuSeconds = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
        const std::chrono::duration<double> wallSeconds = std::chrono::steady_clock::now() - wall;
        t.wall = std::min(t.wall, wallSeconds.count());
        t.cpu = std::min(t.cpu, cpuSeconds);
    }
    return t;
}

const char *kPandasScript = R"(import sys, time
import pandas
path, out, repeats = sys.argv[1], sys.argv[2], int(sys.argv[3])
def best(step):
    wall = cpu = 1e9
    for _ in range(repeats):
        w, c = time.perf_counter(), time.process_time()
        result = step()
        wall, cpu = min(wall, time.perf_counter() - w), min(cpu, time.process_time() - c)
    return result, wall, cpu
frame, read_wall, read_cpu = best(lambda: pandas.read_csv(path))
_, write_wall, write_cpu = best(lambda: frame.to_csv(out, index=False))
print(len(frame), read_wall, read_cpu, write_wall, write_cpu, pandas.__version__)
)";

struct Round {
    Times read, write, writeWithoutFlush; // ours
    Times pandasRead, pandasWrite;
};

bool runPandas(Round &round, std::string &version) {
    const fs::path script = scratch() / "pandas_side.py";
    const fs::path result = scratch() / "pandas_side.txt";
    std::ofstream(script) << kPandasScript;
    const std::string command =
        "/usr/bin/python3 \"" + script.string() + "\" \"" + shuffledExport().string() + "\" \"" +
        (scratch() / "pandas.csv").string() + "\" 3 > \"" + result.string() + "\"";
    if (std::system(command.c_str()) != 0) {
        return false;
    }
    std::ifstream in(result);
    long rows = 0;
    return static_cast<bool>(in >> rows >> round.pandasRead.wall >> round.pandasRead.cpu >>
                             round.pandasWrite.wall >> round.pandasWrite.cpu >> version) &&
           rows == kRecords;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void printSideBySide(const char *what, const std::vector<Round> &rounds, Times Round::*ours,
                     Times Round::*theirs, double target) {
    std::vector<double> cpu, wall, ourCpu, ourWall, theirCpu, theirWall;
    for (const Round &r : rounds) {
        ourCpu.push_back((r.*ours).cpu * 1e3);
        ourWall.push_back((r.*ours).wall * 1e3);
        theirCpu.push_back((r.*theirs).cpu * 1e3);
        theirWall.push_back((r.*theirs).wall * 1e3);
        cpu.push_back((r.*theirs).cpu / (r.*ours).cpu);
        wall.push_back((r.*theirs).wall / (r.*ours).wall);
    }
    const double cpuRatio = median(cpu);
    std::printf("%-20s %7.1f %7.1f   %7.1f %7.1f   %5.1fx %5.1fx   %4.1f-%4.1fx   %s %.0fx\n", what,
                median(ourCpu), median(ourWall), median(theirCpu), median(theirWall), cpuRatio,
                median(wall), *std::min_element(cpu.begin(), cpu.end()),
                *std::max_element(cpu.begin(), cpu.end()), cpuRatio >= target ? "met" : "MISSED",
                target);
}

void sideBySide(int roundCount) {
    Work &w = work();
    std::vector<Round> rounds;
    std::string version;
    for (int i = 0; i < roundCount; ++i) {
        Round r;
        r.read = best(5, [&] { readExport(w); });
        r.write = best(5, [&] { stageWrite(w); });
        r.writeWithoutFlush = best(5, [&] { stageWriteWithoutFlush(w); });
        if (!runPandas(r, version)) {
            std::printf("pandas could not be run (/usr/bin/python3 with python3-pandas)\n");
            return;
        }
        rounds.push_back(r);
    }
    std::printf("\n100,000 shuffled records, %.1f MB of CSV; %d rounds, each this program's best "
                "of 5 then pandas' best of 3\n",
                static_cast<double>(fs::file_size(shuffledExport())) / 1e6, roundCount);
    std::printf("%-20s %15s   %15s   %13s   %10s   %s\n", "", "this program ms", "pandas ms",
                "faster", "CPU rounds", "target (CPU)");
    std::printf("%-20s %7s %7s   %7s %7s   %6s %6s\n", "(medians)", "CPU", "wall", "CPU", "wall",
                "CPU", "wall");
    printSideBySide("read", rounds, &Round::read, &Round::pandasRead, 4);
    printSideBySide("write, flushed", rounds, &Round::write, &Round::pandasWrite, 8);
    printSideBySide("write, not flushed", rounds, &Round::writeWithoutFlush, &Round::pandasWrite,
                    8);
    std::printf("(pandas %s. Our write goes through the saver, which flushes the file to disk "
                "before it replaces the target; pandas' to_csv does not flush, as our write "
                "without the flush does not.)\n",
                version.c_str());
}

} // namespace

int main(int argc, char **argv) {
    bool keepFile = false;
    bool once = false;
    int rounds = 5;
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep-file") == 0) {
            keepFile = true;
        } else if (std::strcmp(argv[i], "--once") == 0) {
            once = true;
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            args.push_back(argv[i]);
        }
    }
    if (once) {
        Work &w = work();
        for (const Stage stage : kStages) {
            w.toInsert = w.parsed;
            stage(w);
        }
    } else {
        int count = static_cast<int>(args.size());
        benchmark::Initialize(&count, args.data());
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        sideBySide(rounds);
    }
    std::error_code ec;
    if (keepFile) {
        std::printf("the shuffled file stays at %s\n", shuffledExport().string().c_str());
    } else {
        fs::remove_all(scratch(), ec);
    }
    return 0;
}
