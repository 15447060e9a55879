// The log archive: appending 1,000 records costs the same whether the archive holds 10,000 or
// 1,000,000 records (it is an append and one flush to the disk, never a rewrite), and what
// opening costs (reading the file through to cut a torn end and build the index).
//
// On the real disk each append batch ends in an fsync, whose time depends on the disk and on
// what else writes to it; the in-memory storage shows the cost of the archive's own work.
#include "platform/qt/QtArchiveStorage.h"
#include "records/Exports.h"
#include "records/LogArchive.h"
#include "support/DownloadedRecords.h"
#include "support/MemoryArchiveStorage.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using aql::records::LogArchive;
using aql::records::LogRecord;

constexpr std::int32_t kBatch = 1000;

// The archive text of records 1..count, made once per size.
const std::string &archiveText(std::int32_t count) {
    static std::map<std::int32_t, std::string> texts;
    std::string &text = texts[count];
    if (text.empty()) {
        text = aql::records::exportCsvHeader() + "\r\n";
        text.reserve(text.size() + static_cast<std::size_t>(count) * 160);
        for (std::int32_t n = 1; n <= count; ++n) {
            aql::test::loggedRecord(n).appendCSV(text);
            text += "\r\n";
        }
    }
    return text;
}

fs::path archiveFolder(std::int32_t count) {
    const fs::path folder =
        fs::temp_directory_path() / ("aql-bench-archive-" + std::to_string(count));
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / LogArchive::kFileName, std::ios::binary) << archiveText(count);
    // Otherwise the first measured flush would write the whole made-up archive to the disk.
    aql::platform::QtArchiveStorage().openForAppending(folder / LogArchive::kFileName)->flush();
    return folder;
}

std::vector<LogRecord> batchFrom(std::int32_t first) {
    std::vector<LogRecord> batch;
    batch.reserve(kBatch);
    for (std::int32_t n = first; n < first + kBatch; ++n) {
        batch.push_back(aql::test::loggedRecord(n));
    }
    return batch;
}

// Appends the next 1,000 records of the log and flushes them, batch after batch.
void appendBatches(benchmark::State &state, aql::platform::ArchiveStorage &storage,
                   const fs::path &folder, std::int32_t held) {
    LogArchive archive(storage);
    archive.open(folder);
    std::int32_t next = held + 1;
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<LogRecord> batch = batchFrom(next);
        next += kBatch;
        state.ResumeTiming();
        for (const LogRecord &r : batch) {
            archive.append(r);
        }
        archive.flush();
    }
    state.counters["records_held"] = static_cast<double>(archive.recordCount());
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void BM_AppendThousandOnDisk(benchmark::State &state) {
    const auto held = static_cast<std::int32_t>(state.range(0));
    const fs::path folder = archiveFolder(held);
    aql::platform::QtArchiveStorage storage;
    appendBatches(state, storage, folder, held);
    fs::remove_all(folder);
}

void BM_AppendThousandInMemory(benchmark::State &state) {
    const auto held = static_cast<std::int32_t>(state.range(0));
    aql::test::MemoryArchiveStorage storage;
    std::string &file = storage.bytes(fs::path("pool") / LogArchive::kFileName);
    // Room for every batch, so that no measured append moves the whole text in memory.
    file.reserve(archiveText(held).size() + std::size_t{40} * kBatch * 200);
    file = archiveText(held);
    appendBatches(state, storage, "pool", held);
}

void BM_OpenOnDisk(benchmark::State &state) {
    const auto held = static_cast<std::int32_t>(state.range(0));
    const fs::path folder = archiveFolder(held);
    aql::platform::QtArchiveStorage storage;
    LogArchive archive(storage);
    for (auto _ : state) {
        benchmark::DoNotOptimize(archive.open(folder));
    }
    state.counters["records_held"] = static_cast<double>(archive.recordCount());
    state.SetItemsProcessed(state.iterations() * held);
    archive.close();
    fs::remove_all(folder);
}

} // namespace

// A fixed number of batches, so that the archive stays near its size: the small one ends at
// 30,000 records, the large one at 1,020,000.
BENCHMARK(BM_AppendThousandOnDisk)
    ->Arg(10000)
    ->Arg(1000000)
    ->Iterations(20)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendThousandInMemory)
    ->Arg(10000)
    ->Arg(1000000)
    ->Iterations(20)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOnDisk)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
