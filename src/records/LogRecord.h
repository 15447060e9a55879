#pragma once

#include "records/LogValues.h"
#include "records/Timestamp.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace aql::records {

// Record types the callers pass (the record text never carries one).
namespace rtype {
constexpr std::int32_t kAlarm = 0;
constexpr std::int32_t kCalibration = 1;
constexpr std::int32_t kMaintenance = 2;
constexpr std::int32_t kLog = 3;
} // namespace rtype

// One log record: header, owned value set and owned timestamp.
class LogRecord {
public:
    std::int32_t recordKey = 0;
    std::int32_t recordNumber = 0;
    std::int32_t systemTemperature = 0;
    std::int32_t recordType = 0;

    // A controller record text (the body of a log record packet: type byte, key, number,
    // timestamp, value block, two unread bytes). Types 0-2 raise AqlError 20000 from
    // "LogRecord.fromString" after the header and timestamp are set.
    void fromString(std::string_view text, std::int32_t type);

    // One stored record line: type (ignored), key, number, timestamp, temperature, then the 60
    // value fields of the stored layout.
    void fromFile(std::string_view line, std::int32_t type);

    // One data line of the program's own CSV export (30 columns, pH in pH units): the layout the
    // export writes, so an exported file reads back without its values changing places.
    void fromExportCsv(std::string_view line, std::int32_t type);

    // fromExportCsv's quick reading of a log record line exactly as the export writes it: no
    // blanks, whole numbers of at most 9 digits, pH values as plain decimals, the timestamp's
    // values unsigned. True when the line has that form, the record then being what fromExportCsv
    // makes of it; false for any other line, the record unchanged. fromExportCsv tries it first.
    bool fromPlainExportCsv(std::string_view line);

    // "K" followed by the record number.
    std::string key() const;

    // The owned value set and timestamp; null until a parse operation creates them.
    const records::LogValues *values() const { return m_values ? &*m_values : nullptr; }
    const records::Timestamp *timestamp() const { return m_timestamp ? &*m_timestamp : nullptr; }

    // Exports. A record without a value set or timestamp raises AqlError 91.
    std::string csvHeaders() const;
    std::string toCSV() const;
    std::string toXML(std::int32_t indentation, std::int32_t increment) const;

    // toCSV and toXML appended to `out`, for exports that build one large text. Nothing is
    // appended when the record cannot be exported.
    void appendCSV(std::string &out) const;
    void appendXML(std::string &out, std::int32_t indentation, std::int32_t increment) const;

    // Read-outs of single values as text (pH in the general number form), as the record table
    // shows them; AqlError 91 without a value set or timestamp.
    std::string reagentHighAlarm() const;
    std::string reagentLowAlarm() const;
    std::string reagentSetpoint() const;
    std::string reagent() const;
    std::string pHHighAlarm() const;
    std::string pHLowAlarm() const;
    std::string pHSetpoint() const;
    std::string pH() const;
    std::string flowLowAlarm() const;
    std::string flowStopAlarm() const;
    std::string flow() const;
    std::string reagentPump() const;
    std::string acidPump() const;
    std::string cellActive() const;
    std::string cellActive2() const;
    std::string cellNull() const;
    std::string cellEmpty() const;
    std::string redox() const;
    std::string flocculantPump() const;
    std::string bicarbonatePump() const;
    std::string cellTbc() const;
    std::string cellGbcPercent() const;
    std::string dateTime() const; // "yyyy-mm-dd hh:nn:ss"

private:
    // Held inline: one allocation per record keeps a 100,000-record log compact and fast to fill.
    std::optional<records::LogValues> m_values;
    std::optional<records::Timestamp> m_timestamp;
};

} // namespace aql::records
