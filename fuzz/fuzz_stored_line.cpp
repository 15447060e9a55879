// One line of a record file through both readers: the stored layout (fromFile) and the export
// layout (fromExportCsv). Whatever either accepts must come back unchanged through the export:
// toCSV -> fromExportCsv -> toCSV gives the same text, or the program aborts. A line the export's
// quick reading takes must read the same through the general one.
#include "core/Error.h"
#include "records/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The quick reading of a line in the export's own form must give what the general reading gives
// for the same line with a blank after every column: blanks it removes, and the quick reading
// never takes.
void quickReadingMustAgree(std::string_view line) {
    aql::records::LogRecord quick;
    if (!quick.fromPlainExportCsv(line)) {
        return;
    }
    std::string blanked;
    for (const char c : line) {
        blanked += c == ',' ? " ," : std::string(1, c);
    }
    blanked += ' ';
    aql::records::LogRecord general;
    if (general.fromPlainExportCsv(blanked)) {
        std::abort();
    }
    general.fromExportCsv(blanked, aql::records::rtype::kLog); // an AqlError here escapes: a crash
    const bool same =
        quick.recordType == general.recordType && quick.recordKey == general.recordKey &&
        quick.recordNumber == general.recordNumber &&
        quick.systemTemperature == general.systemTemperature &&
        std::memcmp(quick.timestamp(), general.timestamp(), sizeof(aql::records::Timestamp)) == 0 &&
        std::memcmp(quick.values(), general.values(), sizeof(aql::records::LogValues)) == 0;
    if (!same) {
        std::fprintf(stderr, "the quick and the general reading differ on:\n%.*s\n",
                     static_cast<int>(line.size()), line.data());
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

    quickReadingMustAgree(line);

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
