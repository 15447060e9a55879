// Received-line throughput: 471-character addressed lines arriving in 4 KiB reads are cut at CR,
// checked for kind and length, nibble-decoded and checksum-checked.
#include "link/LineFramer.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string makeStream(std::size_t lines) {
    std::string payload(235, '\0');
    payload[0] = 1; // address
    payload[1] = 3; // record packet
    for (std::size_t i = 2; i + 1 < payload.size(); ++i) {
        payload[i] = static_cast<char>(i * 37);
    }
    payload.back() = static_cast<char>((1 + 105 + 3) & 0xFF);
    std::string line(1, '\x02');
    for (unsigned char b : payload) {
        line.push_back(static_cast<char>(0x30 | (b & 0x0F)));
        line.push_back(static_cast<char>(0x30 | (b >> 4)));
    }
    line.push_back('\r');
    std::string stream;
    stream.reserve(line.size() * lines);
    for (std::size_t i = 0; i < lines; ++i) {
        stream += line;
    }
    return stream;
}

void BM_ReceivedLines471In4KiBReads(benchmark::State &state) {
    const std::string stream = makeStream(20000);
    constexpr std::size_t kRead = 4096;
    char payload[aql::link::kLongestPayload];
    std::size_t good = 0;
    for (auto _ : state) {
        aql::link::LineFramer framer;
        for (std::size_t pos = 0; pos < stream.size(); pos += kRead) {
            framer.append(std::string_view(stream).substr(pos, kRead));
            std::string_view line;
            while (framer.nextLine(line)) {
                auto checked = aql::link::checkLine(line, payload);
                good += checked.status == aql::link::LineStatus::Ok;
            }
        }
    }
    if (good != 20000 * static_cast<std::size_t>(state.iterations())) {
        state.SkipWithError("lines were lost or failed their check");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(stream.size()) * state.iterations());
    state.counters["lines/s"] = benchmark::Counter(
        20000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceivedLines471In4KiBReads)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
