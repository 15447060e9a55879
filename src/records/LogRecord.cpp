#include "records/LogRecord.h"

#include "core/Error.h"
#include "core/Numbers.h"
#include "records/Conversions.h"
#include "records/Exports.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

// Controller record text (positions from 1, one byte per character, little-endian):
//
//   1       packet type of the receive dispatcher, not read here
//   2-5     recordKey     (32-bit; 2^31 and above overflow)
//   6-9     recordNumber  (32-bit)
//   10-15   timestamp: year (2 bytes), month, day, hour, minute
//   16..n-2 value block, see LogValues.cpp
//   n-1..n  not read
//
// Stored record line: type (ignored), key, number, "yyyy-mm-dd hh:nn", temperature, then the 60
// value fields of the stored layout.

namespace aql::records {
namespace {

constexpr const char *kParseSource = "LogRecord.fromString";

void appendInt(std::string &out, std::int32_t value) {
    char buf[12];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

std::string decimal(std::int32_t value) {
    std::string out;
    appendInt(out, value);
    return out;
}

const LogValues &valuesOf(const LogRecord &r) {
    if (r.values() == nullptr) {
        throw standardError(errc::kObjectNotSet, "LogRecord");
    }
    return *r.values();
}

const Timestamp &momentOf(const LogRecord &r) {
    if (r.timestamp() == nullptr) {
        throw standardError(errc::kObjectNotSet, "LogRecord");
    }
    return *r.timestamp();
}

// Types 0-2 exist in the controller's log but have no decoder yet; their header is kept so the
// caller can still tell which record was refused.
void refuseUnimplemented(std::int32_t type) {
    switch (type) {
    case rtype::kAlarm:
        throw AqlError(errc::kApplication, kParseSource, "Alarm records not yet implemented");
    case rtype::kCalibration:
        throw AqlError(errc::kApplication, kParseSource, "Calibration records not yet implemented");
    case rtype::kMaintenance:
        throw AqlError(errc::kApplication, kParseSource, "Maintenance records not yet implemented");
    default: break;
    }
}

std::string_view trimBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// The export writes pH in pH units; a number beyond single precision could not have come from it.
float phFromUnits(std::string_view text) {
    const double v = leadingNumber(text);
    if (!(std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max()))) {
        throw standardError(errc::kOverflow, "LogRecord.fromExportCsv");
    }
    return static_cast<float>(v);
}

constexpr std::size_t kExportColumns = 30;
using ExportColumns = std::array<std::string_view, kExportColumns>;

// The columns of an export line, blanks around them removed; any other number of columns than
// the export writes is a type mismatch.
ExportColumns splitExportColumns(std::string_view line) {
    ExportColumns col;
    std::size_t n = 0;
    std::size_t start = 0;
    for (;;) {
        const auto comma = line.find(',', start);
        if (n == kExportColumns) {
            throw standardError(errc::kTypeMismatch, "LogRecord.fromExportCsv");
        }
        col[n++] = trimBlanks(
            line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (n != kExportColumns) {
        throw standardError(errc::kTypeMismatch, "LogRecord.fromExportCsv");
    }
    return col;
}

} // namespace

void LogRecord::fromString(std::string_view text, std::int32_t type) {
    recordType = type;
    recordKey = longFromChars(mid(text, 2, 4));
    recordNumber = longFromChars(mid(text, 6, 4));
    m_timestamp.emplace();
    m_timestamp->fromString(mid(text, 10, 6));

    const std::string_view tail = mid(text, 16);
    if (tail.size() < 2) {
        throw standardError(errc::kInvalidArgument, kParseSource);
    }
    const std::string_view block = tail.substr(0, tail.size() - 2);

    refuseUnimplemented(type);
    if (type == rtype::kLog) {
        m_values.emplace();
        m_values->parseVersion2Block(block);
    }
}

void LogRecord::fromFile(std::string_view line, std::int32_t type) {
    recordType = type;
    FieldSplitter fields(line);
    fields.next(); // the type written in the line; the caller's type decides
    recordKey = fieldToInt32(fields.next());
    recordNumber = fieldToInt32(fields.next());
    m_timestamp.emplace();
    m_timestamp->fromFile(fields.next());
    systemTemperature = fieldToInt32(fields.next());

    refuseUnimplemented(type);
    if (type == rtype::kLog) {
        m_values.emplace();
        m_values->parseStoredFields(fields.rest());
    }
}

// Column order of the export (toCSV), pH in pH units. Reagent, pH and flow stand there twice: the
// first copy wins, and the second only has to be a valid number as well, so a damaged line is
// refused rather than half believed.
void LogRecord::fromExportCsv(std::string_view line, std::int32_t type) {
    const ExportColumns col = splitExportColumns(line);
    auto integer = [&col](std::size_t column) { return fieldToInt32(col[column - 1]); };
    auto ph = [&col](std::size_t column) { return phFromUnits(col[column - 1]); };

    integer(1); // the type written in the line; the caller's type decides, as in fromFile
    recordType = type;
    recordKey = integer(2);
    recordNumber = integer(3);
    m_timestamp.emplace();
    m_timestamp->fromANSI(col[3]);
    systemTemperature = integer(5);

    refuseUnimplemented(type);
    if (type != rtype::kLog) {
        return;
    }
    m_values.emplace();
    records::LogValues &v = *m_values;
    v.reagentHighAlarm = integer(6);
    v.reagentLowAlarm = integer(7);
    v.reagentSetpoint = integer(8);
    v.reagent = integer(9);
    integer(10);
    v.pHHighAlarm = ph(11);
    v.pHLowAlarm = ph(12);
    v.pHSetpoint = ph(13);
    v.pH = ph(14);
    ph(15);
    v.flowLowAlarm = integer(16);
    v.flowStopAlarm = integer(17);
    v.flow = integer(18);
    integer(19);
    v.reagentPump = integer(20);
    v.acidPump = integer(21);
    v.cellActive = integer(22);
    v.cellActive2 = integer(23);
    v.cellNull = integer(24);
    v.cellEmpty = integer(25);
    v.redox = integer(26);
    v.flocculantPump = integer(27);
    v.bicarbonatePump = integer(28);
    v.cellTbc = integer(29);
    v.cellGbcPercent = integer(30);
}

std::string LogRecord::key() const {
    return "K" + decimal(recordNumber);
}

std::string LogRecord::csvHeaders() const {
    valuesOf(*this);
    return exportCsvHeader();
}

std::string LogRecord::toCSV() const {
    std::string out;
    out.reserve(200);
    appendCSV(out);
    return out;
}

void LogRecord::appendCSV(std::string &out) const {
    const records::Timestamp &moment = momentOf(*this);
    const records::LogValues &values = valuesOf(*this);
    appendInt(out, recordType);
    out += ',';
    appendInt(out, recordKey);
    out += ',';
    appendInt(out, recordNumber);
    out += ',';
    out += moment.toANSI();
    out += ',';
    appendInt(out, systemTemperature);
    out += ',';
    values.appendCSV(out);
}

std::string LogRecord::toXML(std::int32_t indentation, std::int32_t increment) const {
    std::string out;
    out.reserve(3500);
    appendXML(out, indentation, increment);
    return out;
}

void LogRecord::appendXML(std::string &out, std::int32_t indentation,
                          std::int32_t increment) const {
    const records::Timestamp &moment = momentOf(*this);
    const records::LogValues &values = valuesOf(*this);
    // The value tree goes three levels below the record's fields; all four levels are checked
    // before anything is written.
    const std::int64_t inner = std::int64_t{indentation} + increment;
    const std::int64_t deepest = inner + 2 * std::int64_t{increment};
    if (indentation < 0 || inner < 0 || deepest < 0) {
        throw standardError(errc::kInvalidArgument, "LogRecord.toXML");
    }
    if (inner > std::numeric_limits<std::int32_t>::max()) {
        throw standardError(errc::kOverflow, "LogRecord.toXML");
    }
    const auto outerBlanks = static_cast<std::size_t>(indentation);
    const auto fieldBlanks = static_cast<std::size_t>(inner);

    auto field = [&](std::string_view tag, auto &&appendValue) {
        out += "\r\n";
        out.append(fieldBlanks, ' ');
        out += '<';
        out += tag;
        out += '>';
        appendValue();
        out += "</";
        out += tag;
        out += '>';
    };
    auto number = [&](std::string_view tag, std::int32_t v) {
        field(tag, [&] { appendInt(out, v); });
    };

    out.append(outerBlanks, ' ');
    out += "<dbRecord>";
    number("recordType", recordType);
    number("recordKey", recordKey);
    number("recordNumber", recordNumber);
    field("dateTime", [&] { out += moment.toANSI(); });
    number("systemTemperature", systemTemperature);
    out += "\r\n";
    values.appendXML(out, static_cast<std::int32_t>(inner), increment);
    out += "\r\n";
    out.append(outerBlanks, ' ');
    out += "</dbRecord>";
}

std::string LogRecord::reagentHighAlarm() const {
    return decimal(valuesOf(*this).reagentHighAlarm);
}
std::string LogRecord::reagentLowAlarm() const {
    return decimal(valuesOf(*this).reagentLowAlarm);
}
std::string LogRecord::reagentSetpoint() const {
    return decimal(valuesOf(*this).reagentSetpoint);
}
std::string LogRecord::reagent() const {
    return decimal(valuesOf(*this).reagent);
}
std::string LogRecord::pHHighAlarm() const {
    return singleToText(valuesOf(*this).pHHighAlarm);
}
std::string LogRecord::pHLowAlarm() const {
    return singleToText(valuesOf(*this).pHLowAlarm);
}
std::string LogRecord::pHSetpoint() const {
    return singleToText(valuesOf(*this).pHSetpoint);
}
std::string LogRecord::pH() const {
    return singleToText(valuesOf(*this).pH);
}
std::string LogRecord::flowLowAlarm() const {
    return decimal(valuesOf(*this).flowLowAlarm);
}
std::string LogRecord::flowStopAlarm() const {
    return decimal(valuesOf(*this).flowStopAlarm);
}
std::string LogRecord::flow() const {
    return decimal(valuesOf(*this).flow);
}
std::string LogRecord::reagentPump() const {
    return decimal(valuesOf(*this).reagentPump);
}
std::string LogRecord::acidPump() const {
    return decimal(valuesOf(*this).acidPump);
}
std::string LogRecord::cellActive() const {
    return decimal(valuesOf(*this).cellActive);
}
std::string LogRecord::cellActive2() const {
    return decimal(valuesOf(*this).cellActive2);
}
std::string LogRecord::cellNull() const {
    return decimal(valuesOf(*this).cellNull);
}
std::string LogRecord::cellEmpty() const {
    return decimal(valuesOf(*this).cellEmpty);
}
std::string LogRecord::redox() const {
    return decimal(valuesOf(*this).redox);
}
std::string LogRecord::flocculantPump() const {
    return decimal(valuesOf(*this).flocculantPump);
}
std::string LogRecord::bicarbonatePump() const {
    return decimal(valuesOf(*this).bicarbonatePump);
}
std::string LogRecord::cellTbc() const {
    return decimal(valuesOf(*this).cellTbc);
}
std::string LogRecord::cellGbcPercent() const {
    return decimal(valuesOf(*this).cellGbcPercent);
}
std::string LogRecord::dateTime() const {
    return momentOf(*this).toANSI();
}

} // namespace aql::records
