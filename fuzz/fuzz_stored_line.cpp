// One line of a record file through both readers: the stored layout (fromFile) and the export
// layout (fromExportCsv). Whatever either accepts must come back unchanged through the export:
// toCSV -> fromExportCsv -> toCSV gives the same text, or the program aborts.
#include "core/Error.h"
#include "records/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void exportMustRoundTrip(const aql::records::LogRecord &record) {
    const std::string first = record.toCSV();
    aql::records::LogRecord back;
    back.fromExportCsv(first, aql::records::rtype::kLog); // an AqlError here escapes: a crash
    const std::string second = back.toCSV();
    if (second != first) {
        std::fprintf(stderr, "export changed on reading back:\n%s\n%s\n", first.c_str(),
                     second.c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char *>(data), data ? size : 0);

    aql::records::LogRecord stored;
    bool storedOk = true;
    try {
        stored.fromFile(line, aql::records::rtype::kLog);
    } catch (const aql::AqlError &) {
        storedOk = false;
    }
    if (storedOk) {
        exportMustRoundTrip(stored);
    }

    aql::records::LogRecord exported;
    bool exportedOk = true;
    try {
        exported.fromExportCsv(line, aql::records::rtype::kLog);
    } catch (const aql::AqlError &) {
        exportedOk = false;
    }
    if (exportedOk) {
        exportMustRoundTrip(exported);
    }
    return 0;
}
