#pragma once

#include "records/LogRecord.h"
#include "records/RecordList.h"

#include <string>

namespace aql::test {

// One export line (30 columns) of a log record whose values all differ, so that a value shown
// in the wrong column is seen. `number` is the record number and the key.
inline std::string exportLine(int number) {
    const std::string n = std::to_string(number);
    return "3," + n + "," + n +
           ",2009-03-07 14:05:00,21," // type, key, number, timestamp, temperature
           "850,400,600,612,612,"     // reagent high, low, setpoint, value, value
           "7.6,6.8,7.2,7.25,7.25,"   // pH high, low, setpoint, value, value
           "5,3,18,18,"               // flow low, stop, value, value
           "40,25,"                   // reagent pump, acid pump
           "700,650,100,-2,"          // cell active, second reading, null, empty (valve)
           "710,10,5,11,12";          // redox, flocculant, bicarbonate, tbc, gbc
}

inline records::LogRecord logRecord(int number) {
    records::LogRecord r;
    r.fromExportCsv(exportLine(number), records::rtype::kLog);
    return r;
}

inline void addLogRecords(records::RecordList &list, int first, int count) {
    for (int n = first; n < first + count; ++n) {
        list.insert(logRecord(n));
    }
}

} // namespace aql::test
