#include "records/LogValues.h"

#include "core/Error.h"
#include "core/Numbers.h"
#include "records/Conversions.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// Version-2 value block of a controller record, positions from 1, all numbers little-endian. The
// controller sends the same block however this program was started, so it is read the same way
// with or without a system code on the command line.
//
//   pos    width  field                   pos    width  field
//   1-2    word   reagent                 21     byte   flow
//   3-4    word   reagentSetpoint         22     byte   flowLowAlarm
//   5-6    word   reagentHighAlarm        23     byte   flowStopAlarm
//   7-8    word   reagentLowAlarm         24     byte   flowBits
//   9      byte   reagentPump             26-27  word   cellNull
//   10     byte   reagentBits             28-29  word   cellActive
//   11-12  word   pH / 100                30-31  word   cellActive2, also cellTbc
//   13-14  word   pHSetpoint / 100        32-33  word   cellEmpty, also cellGbcPercent
//   15-16  word   pHHighAlarm / 100       35 39 43 47 51 55: one byte per digital input,
//   17-18  word   pHLowAlarm / 100               non-zero sets bit 1 2 4 8 16 32 of digitalInputs
//   19     byte   acidPump                48     byte   miscellaneousStatus
//   20     byte   pHBits
//
// The fields are read in position order up to flowBits, then the inputs, then the cell words
// (cellTbc and cellGbcPercent reading the bytes of cellActive2 and cellEmpty again) and the status
// byte. A short block therefore fails at a known field with the earlier ones kept, and a block
// needs 55 bytes although the cell words end earlier.

namespace aql::records {
namespace {

// A stored pH field is in hundredths; a value beyond single precision is an overflow, as storing
// it into the single-precision field would be.
float phFromHundredths(std::string_view text) {
    const double v = leadingNumber(text) / 100.0;
    if (!(std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max()))) {
        throw standardError(errc::kOverflow, "LogValues.parseStoredFields");
    }
    return static_cast<float>(v);
}

// pH goes into the XML in hundredths, multiplied in single precision so that 6.8 gives 680.
std::string phInHundredths(float ph) {
    return singleToText(ph * 100.0f);
}

// Writes the lines of the XML value tree at three levels of indentation: every line but the first
// starts with CR LF, so the text ends without a line break. A value line is assembled in a small
// buffer and appended at once, as the export of a long log writes millions of them.
class XmlLines {
public:
    XmlLines(std::string &out, std::int32_t indentation, std::int32_t increment) : m_out(out) {
        for (int level = 0; level < 3; ++level) {
            const std::int64_t blanks =
                std::int64_t{indentation} + std::int64_t{level} * std::int64_t{increment};
            if (blanks < 0) {
                throw standardError(errc::kInvalidArgument, "LogValues.toXML");
            }
            m_lineStart[level] = "\r\n" + std::string(static_cast<std::size_t>(blanks), ' ');
        }
    }

    void open(int level, std::string_view tag) {
        startLine(level);
        m_out += '<';
        m_out += tag;
        m_out += '>';
    }
    void openItem(int level, std::string_view name) {
        startLine(level);
        m_out += "<loggedItem name=\"";
        m_out += name;
        m_out += "\">";
    }
    void close(int level, std::string_view tag) {
        startLine(level);
        m_out += "</";
        m_out += tag;
        m_out += '>';
    }
    void value(std::string_view tag, std::int32_t v) {
        char text[12];
        const auto r = std::to_chars(text, text + sizeof text, v);
        value(tag, std::string_view(text, static_cast<std::size_t>(r.ptr - text)));
    }
    void value(std::string_view tag, std::string_view text) {
        startLine(2);
        char line[96];
        if (2 * tag.size() + text.size() + 5 > sizeof line) {
            open(2, tag);
            m_out += text;
            m_out += "</";
            m_out += tag;
            m_out += '>';
            return;
        }
        char *p = line;
        *p++ = '<';
        p = copy(p, tag);
        *p++ = '>';
        p = copy(p, text);
        *p++ = '<';
        *p++ = '/';
        p = copy(p, tag);
        *p++ = '>';
        m_out.append(line, static_cast<std::size_t>(p - line));
    }

private:
    static char *copy(char *to, std::string_view text) {
        std::memcpy(to, text.data(), text.size());
        return to + text.size();
    }
    void startLine(int level) {
        const std::string &start = m_lineStart[level];
        if (m_first) {
            m_out.append(start, 2, std::string::npos);
            m_first = false;
        } else {
            m_out += start;
        }
    }

    std::string &m_out;
    std::string m_lineStart[3];
    bool m_first = true;
};

// The groups of the XML value tree, in document order. Each group stands at level 1 with its
// values at level 2.

void appendReagentItems(const LogValues &v, XmlLines &x) {
    x.openItem(1, "reagent");
    x.value("value", v.reagent);
    x.value("tbc", v.reagentTbc);
    x.value("setpoint", v.reagentSetpoint);
    x.value("highAlarm", v.reagentHighAlarm);
    x.value("lowAlarm", v.reagentLowAlarm);
    x.value("pump", v.reagentPump);
    x.value("operatingBits", v.reagentBits);
    x.close(1, "loggedItem");

    x.openItem(1, "reagent2");
    x.value("value", v.reagent2);
    x.value("tbc", v.reagent2Tbc);
    x.value("setpoint", v.reagent2Setpoint);
    x.value("highAlarm", v.reagent2HighAlarm);
    x.value("lowAlarm", v.reagent2LowAlarm);
    x.value("pump", v.reagent2Pump);
    x.value("operatingBits", v.reagent2Bits);
    x.close(1, "loggedItem");

    // The third channel has no tbc value.
    x.openItem(1, "reagent3");
    x.value("value", v.reagent3);
    x.value("setpoint", v.reagent3Setpoint);
    x.value("highAlarm", v.reagent3HighAlarm);
    x.value("lowAlarm", v.reagent3LowAlarm);
    x.value("pump", v.reagent3Pump);
    x.value("operatingBits", v.reagent3Bits);
    x.close(1, "loggedItem");
}

void appendPhAndRedoxItems(const LogValues &v, XmlLines &x) {
    x.openItem(1, "pH");
    x.value("value", phInHundredths(v.pH));
    x.value("setpoint", phInHundredths(v.pHSetpoint));
    x.value("highAlarm", phInHundredths(v.pHHighAlarm));
    x.value("lowAlarm", phInHundredths(v.pHLowAlarm));
    x.value("pump", v.acidPump);
    x.value("operatingBits", v.pHBits);
    x.close(1, "loggedItem");

    x.openItem(1, "redox");
    x.value("redox", v.redox);
    x.value("redoxHighAlarm", v.redoxHighAlarm);
    x.value("redoxLowAlarm", v.redoxLowAlarm);
    x.value("coagPump", v.coagulantPump);
    x.value("redoxBits", v.redoxBits);
    x.close(1, "loggedItem");
}

void appendFlowGroups(const LogValues &v, XmlLines &x) {
    x.open(1, "flow");
    x.value("value", v.flow);
    x.value("flowLowAlarm", v.flowLowAlarm);
    x.value("flowStopAlarm", v.flowStopAlarm);
    x.value("operatingBits", v.flowBits);
    x.close(1, "flow");

    x.open(1, "flow2");
    x.value("value", v.flow2);
    x.value("flowLowAlarm", v.flow2LowAlarm);
    x.value("flowStopAlarm", v.flow2StopAlarm);
    x.value("operatingBits", v.flow2Bits);
    x.close(1, "flow2");
}

void appendStatusItems(const LogValues &v, XmlLines &x) {
    x.openItem(1, "Contacts");
    x.value("digitalIN", v.digitalInputs);
    x.close(1, "loggedItem");

    x.openItem(1, "Miscellaneous");
    x.value("Miscellaneous", v.miscellaneousStatus);
    x.close(1, "loggedItem");
}

void appendPressureGroup(const LogValues &v, XmlLines &x) {
    x.open(1, "Pressure");
    x.value("PbeforeF1", v.pressureBeforeFilter1);
    x.value("PafterF1", v.pressureAfterFilter1);
    x.value("PbeforeF2", v.pressureBeforeFilter2);
    x.value("PafterF2", v.pressureAfterFilter2);
    x.close(1, "Pressure");
}

void appendCellGroup(const LogValues &v, XmlLines &x) {
    x.open(1, "cell");
    x.value("active", v.cellActive);
    x.value("null", v.cellNull);
    x.value("empty", v.cellEmpty);
    x.value("active2", v.cellActive2);
    x.value("TBC", v.cellTbc);
    x.value("GBC", v.cellGbcPercent);
    x.close(1, "cell");
}

// What fits no other group; flow2 stands here a second time.
void appendRestGroup(const LogValues &v, XmlLines &x) {
    x.open(1, "rest");
    x.value("temp", v.waterTemperature);
    x.value("reagentPump2", v.reagentPump2);
    x.value("reagentPump3", v.reagentPump3);
    x.value("reagentPump4", v.reagentPump4);
    x.value("reagentPump5", v.reagentPump5);
    x.value("flow2", v.flow2);
    x.value("flow3", v.flow3);
    x.value("flow4", v.flow4);
    x.value("flow5", v.flow5);
    x.close(1, "rest");
}

} // namespace

void LogValues::parseVersion2Block(std::string_view block) {
    auto word = [&](std::size_t position) { return wordFromChars(mid(block, position, 2)); };
    auto byte = [&](std::size_t position) { return byteFromChar(mid(block, position, 1)); };
    auto hundredths = [&](std::size_t position) {
        return static_cast<float>(static_cast<double>(word(position)) / 100.0);
    };

    reagent = word(1);
    reagentSetpoint = word(3);
    reagentHighAlarm = word(5);
    reagentLowAlarm = word(7);
    reagentPump = byte(9);
    reagentBits = byte(10);
    pH = hundredths(11);
    pHSetpoint = hundredths(13);
    pHHighAlarm = hundredths(15);
    pHLowAlarm = hundredths(17);
    acidPump = byte(19);
    pHBits = byte(20);
    flow = byte(21);
    flowLowAlarm = byte(22);
    flowStopAlarm = byte(23);
    flowBits = byte(24);

    struct Input {
        std::size_t position;
        std::int32_t bit;
    };
    static constexpr Input kInputs[] = {{35, 1}, {39, 2}, {43, 4}, {47, 8}, {51, 16}, {55, 32}};
    digitalInputs = 0;
    for (const Input &input : kInputs) {
        if (byte(input.position) != 0) {
            digitalInputs += input.bit;
        }
    }

    cellNull = word(26);
    cellActive = word(28);
    cellActive2 = word(30);
    cellEmpty = word(32);
    cellTbc = word(30);
    cellGbcPercent = word(32);
    miscellaneousStatus = byte(48);
}

void LogValues::parseStoredFields(std::string_view fields) {
    FieldSplitter f(fields);
    auto integer = [&f] { return fieldToInt32(f.next()); };
    auto ph = [&f] { return phFromHundredths(f.next()); };

    reagent = integer();
    reagentTbc = integer();
    reagentSetpoint = integer();
    reagentHighAlarm = integer();
    reagentLowAlarm = integer();
    reagentPump = integer();
    reagentBits = integer();

    reagent2 = integer();
    reagent2Tbc = integer();
    reagent2Setpoint = integer();
    reagent2HighAlarm = integer();
    reagent2LowAlarm = integer();
    reagent2Pump = integer();
    reagent2Bits = integer();

    reagent3 = integer();
    reagent3Setpoint = integer();
    reagent3HighAlarm = integer();
    reagent3LowAlarm = integer();
    reagent3Pump = integer();
    reagent3Bits = integer();

    pH = ph();
    pHSetpoint = ph();
    pHHighAlarm = ph();
    pHLowAlarm = ph();
    acidPump = integer();
    pHBits = integer();

    redox = integer();
    redoxHighAlarm = integer();
    redoxLowAlarm = integer();
    coagulantPump = integer();
    redoxBits = integer();

    flow = integer();
    flowLowAlarm = integer();
    flowStopAlarm = integer();
    flowBits = integer();

    flow2 = integer();
    flow2LowAlarm = integer();
    flow2StopAlarm = integer();
    flow2Bits = integer();

    digitalInputs = integer();
    miscellaneousStatus = integer();

    pressureBeforeFilter1 = integer();
    pressureAfterFilter1 = integer();
    pressureBeforeFilter2 = integer();
    pressureAfterFilter2 = integer();

    cellActive = integer();
    cellActive2 = integer();
    cellNull = integer();
    cellEmpty = integer();
    cellTbc = integer();
    cellGbcPercent = integer();
    waterTemperature = integer();

    reagentPump2 = integer();
    reagentPump3 = integer();
    reagentPump4 = integer();
    reagentPump5 = integer();

    // The layout carries flow2 twice; this later copy is the one that counts.
    flow2 = integer();
    flow3 = integer();
    flow4 = integer();
    flow5 = integer();
}

std::string LogValues::csvHeaders() const {
    return "\"Reagent High Alarm\",\"Reagent Low Alarm\",\"Reagent Setpoint\",\"Reagent Value\","
           "\"Reagent Value\",\"pH High Alarm\",\"pH Low Alarm\",\"pH Setpoint\",\"pH Value\","
           "\"pH Value\",\"Flow Low Alarm\",\"Flow Stop Alarm\",\"Flow (m3/h)\",\"Flow (m3/h)\","
           "\"Reagent Pump %\",\"Acid Pump %\",\"Cell Active\",\"2e reading Cell\",\"Cell Null\","
           "\"Reagent valve\",\"Redox (mV)\",\"Vloc Pump (%)\",\"Bicarb Pump (%)\",\"TBC\","
           "\"GBC (%)\"";
}

std::string LogValues::toCSV() const {
    std::string out;
    out.reserve(160);
    appendCSV(out);
    return out;
}

void LogValues::appendCSV(std::string &out) const {
    char text[kWidestCSV];
    out.append(text, writeCSV(text));
}

char *LogValues::writeCSV(char *to) const {
    static_assert(kWidestSingleText == 13, "kWidestCSV counts 13 characters per pH value");
    auto integer = [&to](std::int32_t v) {
        to = std::to_chars(to, to + 11, v).ptr;
        *to++ = ',';
    };
    auto ph = [&to](float v) {
        to = writeSingleText(to, v);
        *to++ = ',';
    };
    integer(reagentHighAlarm);
    integer(reagentLowAlarm);
    integer(reagentSetpoint);
    integer(reagent);
    integer(reagent);
    ph(pHHighAlarm);
    ph(pHLowAlarm);
    ph(pHSetpoint);
    ph(pH);
    ph(pH);
    integer(flowLowAlarm);
    integer(flowStopAlarm);
    integer(flow);
    integer(flow);
    integer(reagentPump);
    integer(acidPump);
    integer(cellActive);
    integer(cellActive2);
    integer(cellNull);
    integer(cellEmpty);
    integer(redox);
    integer(flocculantPump);
    integer(bicarbonatePump);
    integer(cellTbc);
    return std::to_chars(to, to + 11, cellGbcPercent).ptr;
}

std::string LogValues::toXML(std::int32_t indentation, std::int32_t increment) const {
    std::string out;
    appendXML(out, indentation, increment);
    return out;
}

void LogValues::appendXML(std::string &out, std::int32_t indentation,
                          std::int32_t increment) const {
    XmlLines x(out, indentation, increment);
    x.open(0, "logData");
    appendReagentItems(*this, x);
    appendPhAndRedoxItems(*this, x);
    appendFlowGroups(*this, x);
    appendStatusItems(*this, x);
    appendPressureGroup(*this, x);
    appendCellGroup(*this, x);
    appendRestGroup(*this, x);
    x.close(0, "logData");
}

} // namespace aql::records
