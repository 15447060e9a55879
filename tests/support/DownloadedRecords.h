#pragma once

#include "records/LogRecord.h"

#include <cstdint>
#include <string>

namespace aql::test {

// The time of a controller record, to the minute.
struct RecordTime {
    int year = 2024;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
};

// `minutes` after 2024-01-01 00:00, on the proleptic Gregorian calendar.
inline RecordTime minutesIn2024(std::int64_t minutes) {
    RecordTime t;
    t.minute = static_cast<int>(minutes % 60);
    t.hour = static_cast<int>(minutes / 60 % 24);
    std::int64_t days = minutes / (60 * 24);
    auto daysIn = [](int year, int month) {
        static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return month == 2 && leap ? 29 : kDays[month - 1];
    };
    for (; days >= daysIn(t.year, t.month); t.month = t.month % 12 + 1) {
        days -= daysIn(t.year, t.month);
        t.year += t.month == 12 ? 1 : 0;
    }
    t.day = static_cast<int>(days) + 1;
    return t;
}

// The controller's record text as a log packet carries it (type byte, key, number, time, the
// interactive value block, two unread bytes). `variation` moves chlorine, pH and flow.
inline std::string controllerRecordText(std::int32_t number, const RecordTime &time,
                                        int variation = 0) {
    std::string text;
    auto put = [&text](std::int64_t value, int bytes) { // little-endian
        for (int i = 0; i < bytes; ++i) {
            text += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    const int v = variation < 0 ? -variation : variation;
    put(0x03, 1);
    put(0x10000 + std::int64_t{number}, 4);
    put(number, 4);
    put(time.year, 2);
    for (int part : {time.month, time.day, time.hour, time.minute}) {
        put(part, 1);
    }
    // 1-10: chlorine, setpoint, high alarm, low alarm (words), pump, bits.
    for (int word : {100 + v % 250, 300, 500, 50}) {
        put(word, 2);
    }
    put(v % 100, 1);
    put(0x81, 1);
    // 11-20: pH, setpoint 7.2, high 7.8, low 6.8 (words), acid pump, bits.
    for (int word : {690 + v % 90, 720, 780, 680}) {
        put(word, 2);
    }
    put(v % 60, 1);
    put(0x02, 1);
    // 21-25: flow, low, stop, bits, unread; 26-34: null, cell, cell 2, empty, unread.
    for (int byte : {10 + v % 110, 20, 10, 0x03, 0xEE}) {
        put(byte, 1);
    }
    for (int word : {12, 400 + v % 7, 401, 65535}) {
        put(word, 2);
    }
    put(0xEE, 1);
    for (int i = 35; i <= 55; ++i) { // digital inputs and status
        put(i == 35 || i == 43 ? 1 : i == 48 ? 0x42 : 0, 1);
    }
    put(0x55AA, 2);
    return text;
}

// A log record as the download makes it, so the values are whatever the record parser makes of
// real controller bytes.
inline records::LogRecord downloadedRecord(std::int32_t number, const RecordTime &time,
                                           int variation = 0) {
    records::LogRecord record;
    record.fromString(controllerRecordText(number, time, variation), records::rtype::kLog);
    return record;
}

// Record `number` of a log that writes one record every 15 minutes from 2024-01-01 00:00
// onwards; `startMinute` shifts the whole log.
inline records::LogRecord loggedRecord(std::int32_t number, std::int64_t startMinute = 0) {
    return downloadedRecord(number, minutesIn2024(startMinute + std::int64_t{number} * 15),
                            number * 7);
}

// The export (and archive) lines of records first..last of that log, each ended by CR LF.
inline std::string linesOf(std::int32_t first, std::int32_t last, std::int64_t startMinute = 0) {
    std::string out;
    for (std::int32_t n = first; n <= last; ++n) {
        out += loggedRecord(n, startMinute).toCSV() + "\r\n";
    }
    return out;
}

} // namespace aql::test
