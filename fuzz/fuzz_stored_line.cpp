// One line of a record file through both readers: the stored layout (fromFile) and the export
// layout (fromExportCsv). Whatever either accepts must come back unchanged through the export:
// toCSV -> fromExportCsv -> toCSV gives the same text, or the program aborts. A line the export's
// quick reading takes must read the same through the general one, given the line with a blank
// after every column (blanks the general reading removes and the quick reading never takes).
#include "FuzzBox.h"
#include "core/Error.h"
#include "records/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using aql::fuzz::check;
using aql::records::LogRecord;

// Reads `line` with `read`; when it is accepted, its export must read back to the same text (an
// AqlError there escapes: a crash).
template <class Read> void exportMustRoundTrip(std::string_view line, Read read) {
    LogRecord record;
    try {
        read(record, line);
    } catch (const aql::AqlError &) {
        return;
    }
    const std::string first = record.toCSV();
    LogRecord back;
    back.fromExportCsv(first, aql::records::rtype::kLog);
    check(back.toCSV() == first, "export changed on reading back", first);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char *>(data), data ? size : 0);
    exportMustRoundTrip(
        line, [](LogRecord &r, std::string_view l) { r.fromFile(l, aql::records::rtype::kLog); });
    exportMustRoundTrip(line, [](LogRecord &r, std::string_view l) {
        r.fromExportCsv(l, aql::records::rtype::kLog);
    });

    LogRecord quick;
    if (!quick.fromPlainExportCsv(line)) {
        return 0;
    }
    std::string blanked;
    for (const char c : line) {
        blanked += c == ',' ? " ," : std::string(1, c);
    }
    blanked += ' ';
    LogRecord general;
    check(!general.fromPlainExportCsv(blanked), "the quick reading took blanks", blanked);
    general.fromExportCsv(blanked, aql::records::rtype::kLog); // an AqlError here escapes
    check(quick.recordType == general.recordType && quick.recordKey == general.recordKey &&
              quick.recordNumber == general.recordNumber &&
              quick.systemTemperature == general.systemTemperature &&
              std::memcmp(quick.timestamp(), general.timestamp(),
                          sizeof(aql::records::Timestamp)) == 0 &&
              std::memcmp(quick.values(), general.values(), sizeof(aql::records::LogValues)) == 0,
          "the quick and the general reading differ", line);
    return 0;
}
