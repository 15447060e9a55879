#include "records/LogRecord.h"

#include "core/Error.h"
#include "core/Numbers.h"
#include "records/Conversions.h"
#include "records/Exports.h"

#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>
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

// A line exactly as the export writes it, read column by column in one pass, every column checked
// as it is read. Each reader takes one column and the comma after it, and says false at the first
// character the export would not have written there; the general reading then takes the line.
class PlainExportColumns {
public:
    explicit PlainExportColumns(std::string_view line)
        : m_at(line.data()), m_end(line.data() + line.size()) {}

    // Columns of whole numbers, one after the other.
    bool integers(std::initializer_list<std::int32_t *> values) {
        for (std::int32_t *value : values) {
            if (!integer(*value)) {
                return false;
            }
        }
        return true;
    }

    // Columns of pH values, one after the other.
    bool decimals(std::initializer_list<float *> values) {
        for (float *value : values) {
            if (!decimal(*value)) {
                return false;
            }
        }
        return true;
    }

    // "y-m-d h:n" with an optional ":s", each value 1 to 9 digits, as fromANSI reads it.
    bool moment(Timestamp &t) {
        std::uint32_t v[6] = {};
        std::size_t count = 0;
        if (!(digits(v[0], count) && separator('-') && digits(v[1], count) && separator('-') &&
              digits(v[2], count) && separator(' ') && digits(v[3], count) && separator(':') &&
              digits(v[4], count))) {
            return false;
        }
        if (m_at != m_end && *m_at == ':' && !(separator(':') && digits(v[5], count))) {
            return false;
        }
        t.year = static_cast<std::int32_t>(v[0]);
        t.month = static_cast<std::int32_t>(v[1]);
        t.day = static_cast<std::int32_t>(v[2]);
        t.hour = static_cast<std::int32_t>(v[3]);
        t.minute = static_cast<std::int32_t>(v[4]);
        t.second = 0;
        return endColumn();
    }

private:
    // An optional "-" and 1 to 9 digits: always within 32 bits, read as fieldToInt32 reads them.
    bool integer(std::int32_t &value) {
        const bool negative = sign();
        std::uint32_t magnitude = 0;
        std::size_t count = 0;
        if (!digits(magnitude, count)) {
            return false;
        }
        value =
            negative ? -static_cast<std::int32_t>(magnitude) : static_cast<std::int32_t>(magnitude);
        return endColumn();
    }

    // A plain decimal of at most 15 digits, worked out exactly as plainDecimal does (and so as
    // phFromUnits reads it): the digits as one whole number divided by a power of ten.
    bool decimal(float &value) {
        static constexpr std::uint64_t kTens[] = {1,      10,      100,      1000,      10000,
                                                  100000, 1000000, 10000000, 100000000, 1000000000};
        const bool negative = sign();
        std::uint32_t whole = 0;
        std::uint32_t fraction = 0;
        std::size_t wholeDigits = 0;
        std::size_t fractionDigits = 0;
        if (!digits(whole, wholeDigits)) {
            return false;
        }
        if (m_at != m_end && *m_at == '.' &&
            !(separator('.') && digits(fraction, fractionDigits))) {
            return false;
        }
        if (wholeDigits + fractionDigits > 15) {
            return false;
        }
        const std::uint64_t mantissa = whole * kTens[fractionDigits] + fraction;
        const double magnitude =
            static_cast<double>(mantissa) / static_cast<double>(kTens[fractionDigits]);
        value = static_cast<float>(negative ? -magnitude : magnitude);
        return endColumn();
    }

    bool sign() {
        if (m_at != m_end && *m_at == '-') {
            ++m_at;
            return true;
        }
        return false;
    }

    // 1 to 9 digits. A plain loop: the lengths of the numbers in a log repeat enough for the
    // processor to guess where each ends, which beats looking at eight characters at once.
    bool digits(std::uint32_t &value, std::size_t &count) {
        const char *const start = m_at;
        const char *const stop = m_end - m_at > 10 ? m_at + 10 : m_end;
        std::uint32_t v = 0; // ten digits may wrap; they are refused below
        const char *at = start;
        for (; at != stop && static_cast<unsigned char>(*at - '0') < 10u; ++at) {
            v = v * 10 + static_cast<std::uint32_t>(*at - '0');
        }
        count = static_cast<std::size_t>(at - start);
        if (count == 0 || count > 9) {
            return false;
        }
        m_at = at;
        value = v;
        return true;
    }

    bool separator(char c) {
        if (m_at == m_end || *m_at != c) {
            return false;
        }
        ++m_at;
        return true;
    }

    // The comma after a column, or the end of the line after the last one.
    bool endColumn() {
        ++m_columns;
        return m_columns == kExportColumns ? m_at == m_end : separator(',');
    }

    const char *m_at;
    const char *m_end;
    std::size_t m_columns = 0;
};

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

bool LogRecord::fromPlainExportCsv(std::string_view line) {
    PlainExportColumns c(line);
    std::int32_t ignored = 0;
    std::int32_t key = 0;
    std::int32_t number = 0;
    Timestamp moment;
    std::int32_t temperature = 0;
    records::LogValues v;
    float phAgain = 0;
    // The columns in the order of the export, as fromExportCsv reads them; the second copies of
    // reagent, pH and flow are only checked.
    const bool plain =
        c.integers({&ignored, &key, &number}) && c.moment(moment) &&
        c.integers({&temperature, &v.reagentHighAlarm, &v.reagentLowAlarm, &v.reagentSetpoint,
                    &v.reagent, &ignored}) &&
        c.decimals({&v.pHHighAlarm, &v.pHLowAlarm, &v.pHSetpoint, &v.pH, &phAgain}) &&
        c.integers({&v.flowLowAlarm, &v.flowStopAlarm, &v.flow, &ignored, &v.reagentPump,
                    &v.acidPump, &v.cellActive, &v.cellActive2, &v.cellNull, &v.cellEmpty, &v.redox,
                    &v.flocculantPump, &v.bicarbonatePump, &v.cellTbc, &v.cellGbcPercent});
    if (!plain) {
        return false;
    }
    recordType = rtype::kLog;
    recordKey = key;
    recordNumber = number;
    m_timestamp = moment;
    systemTemperature = temperature;
    m_values = v;
    return true;
}

// Column order of the export (toCSV), pH in pH units. Reagent, pH and flow stand there twice: the
// first copy wins, and the second only has to be a valid number as well, so a damaged line is
// refused rather than half believed.
void LogRecord::fromExportCsv(std::string_view line, std::int32_t type) {
    if (type == rtype::kLog && fromPlainExportCsv(line)) {
        return;
    }
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
    // The whole line is put together here and appended at once: an export writes 100,000 of them.
    char text[4 * 11 + records::Timestamp::kWidestANSI + 5 + records::LogValues::kWidestCSV];
    char *to = text;
    auto integer = [&to](std::int32_t v) {
        to = std::to_chars(to, to + 11, v).ptr;
        *to++ = ',';
    };
    integer(recordType);
    integer(recordKey);
    integer(recordNumber);
    to = moment.writeANSI(to);
    *to++ = ',';
    integer(systemTemperature);
    to = values.writeCSV(to);
    out.append(text, to);
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
