#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace aql::records {

// The values of one controller log record. Integer fields hold the controller's raw numbers; the
// four pH fields are in pH units. Every field is 0 until a parser sets it.
class LogValues {
public:
    std::int32_t reagent = 0;
    std::int32_t reagentSetpoint = 0;
    std::int32_t reagentHighAlarm = 0;
    std::int32_t reagentLowAlarm = 0;
    std::int32_t reagentPump = 0;
    std::int32_t reagentPump2 = 0;
    std::int32_t reagentPump3 = 0;
    std::int32_t reagentPump4 = 0;
    std::int32_t reagentPump5 = 0;
    std::int32_t reagentBits = 0; // operating bits of the reagent channel
    std::int32_t reagent2 = 0;
    std::int32_t reagent2Setpoint = 0;
    std::int32_t reagent2HighAlarm = 0;
    std::int32_t reagent2LowAlarm = 0;
    std::int32_t reagent2Pump = 0;
    std::int32_t reagent2Bits = 0;
    std::int32_t reagent3 = 0;
    std::int32_t reagent3Setpoint = 0;
    std::int32_t reagent3HighAlarm = 0;
    std::int32_t reagent3LowAlarm = 0;
    std::int32_t reagent3Pump = 0;
    std::int32_t reagent3Bits = 0;
    float pH = 0;
    float pHSetpoint = 0;
    float pHHighAlarm = 0;
    float pHLowAlarm = 0;
    std::int32_t acidPump = 0;
    std::int32_t pHBits = 0;
    std::int32_t redox = 0;
    std::int32_t redoxHighAlarm = 0;
    std::int32_t redoxLowAlarm = 0;
    std::int32_t coagulantPump = 0;
    std::int32_t redoxBits = 0;
    std::int32_t flow = 0;
    std::int32_t flowLowAlarm = 0;
    std::int32_t flowStopAlarm = 0;
    std::int32_t flowBits = 0;
    std::int32_t flow2 = 0;
    std::int32_t flow2LowAlarm = 0;
    std::int32_t flow2StopAlarm = 0;
    std::int32_t flow2Bits = 0;
    std::int32_t flow3 = 0;
    std::int32_t flow4 = 0;
    std::int32_t flow5 = 0;
    std::int32_t digitalInputs = 0;       // one bit per input, inputs 1-6 in bits 0-5
    std::int32_t miscellaneousStatus = 0; // a status byte the controller does not break down
    // The measuring cell; the tbc values of reagent channels 1 and 2 stand between its fields.
    std::int32_t cellActive = 0;
    std::int32_t cellActive2 = 0; // the cell's second reading
    std::int32_t reagentTbc = 0;
    std::int32_t reagent2Tbc = 0;
    std::int32_t cellNull = 0;
    std::int32_t cellEmpty = 0;
    std::int32_t cellTbc = 0;
    std::int32_t cellGbcPercent = 0;
    // Pressure before and after the two filters.
    std::int32_t pressureBeforeFilter1 = 0;
    std::int32_t pressureAfterFilter1 = 0;
    std::int32_t pressureBeforeFilter2 = 0;
    std::int32_t pressureAfterFilter2 = 0;
    std::int32_t flocculantPump = 0;  // percent
    std::int32_t bicarbonatePump = 0; // percent
    std::int32_t waterTemperature = 0;

    // Version-2 value block of a controller record. A block too short for the next field is an
    // invalid argument (AqlError 5); the fields read before it keep their values.
    void parseVersion2Block(std::string_view block);

    // The 60 value fields of a stored record line (everything after its fifth field).
    void parseStoredFields(std::string_view fields);

    // The 25 columns of the log's part of the CSV export: titles and values.
    std::string csvHeaders() const;
    std::string toCSV() const;

    // The value tree of the XML export, starting at `indentation` blanks. An indentation that
    // would fall below zero blanks at any level is an invalid argument (AqlError 5).
    std::string toXML(std::int32_t indentation, std::int32_t increment) const;

    // toCSV and toXML appended to `out`: a whole export is built in one text without a copy per
    // record.
    void appendCSV(std::string &out) const;
    void appendXML(std::string &out, std::int32_t indentation, std::int32_t increment) const;

    // The most characters toCSV writes: 20 whole numbers of 32 bits, 5 pH values, 24 commas.
    static constexpr std::size_t kWidestCSV = 20 * 11 + 5 * 13 + 24;

    // toCSV written at `to`, which has room for kWidestCSV characters; returns the end.
    char *writeCSV(char *to) const;
};

} // namespace aql::records
