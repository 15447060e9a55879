// Controller record texts into LogRecord::fromString. The first byte picks the record type (its low
// three bits, 0-7; the other bits are unused); the rest is the record text. Bad input may only end
// in an AqlError; an accepted record must export without one.
#include "core/Error.h"
#include "records/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::int32_t type = data[0] & 0x07;
    const std::string_view text(reinterpret_cast<const char *>(data + 1), size - 1);

    aql::records::LogRecord record;
    try {
        record.fromString(text, type);
    } catch (const aql::AqlError &) {
        return 0;
    }
    if (record.values() != nullptr) {
        // Throws past this function, and so crashes, if an accepted record cannot be exported.
        (void)record.csvHeaders();
        (void)record.toCSV();
        (void)record.toXML(6, 2);
        (void)record.pH();
        (void)record.dateTime();
    }
    return 0;
}
