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
    while (days >= daysIn(t.year, t.month)) {
        days -= daysIn(t.year, t.month);
        if (++t.month > 12) {
            t.month = 1;
            ++t.year;
        }
    }
    t.day = static_cast<int>(days) + 1;
    return t;
}

// The controller's record text as a log packet carries it (type byte, key, number, time, the
// interactive value block, two unread bytes). `variation` moves chlorine, pH and flow.
inline std::string controllerRecordText(std::int32_t number, const RecordTime &time,
                                        int variation = 0) {
    std::string text;
    auto put = [&text](int byte) { text += static_cast<char>(byte & 0xFF); };
    auto put16 = [&](int value) {
        put(value);
        put(value >> 8);
    };
    auto put32 = [&](std::int64_t value) {
        for (int i = 0; i < 4; ++i) {
            put(static_cast<int>(value >> (8 * i)));
        }
    };
    const int v = variation < 0 ? -variation : variation;
    put(0x03);
    put32(0x10000 + std::int64_t{number});
    put32(number);
    put16(time.year);
    put(time.month);
    put(time.day);
    put(time.hour);
    put(time.minute);
    put16(100 + v % 250); // 1-6: chlorine, setpoint, high alarm
    put16(300);
    put16(500);
    put16(50); // 7-10: low alarm, pump, bits
    put(v % 100);
    put(0x81);
    put16(690 + v % 90); // 11-16: pH, setpoint 7.2, high 7.8
    put16(720);
    put16(780);
    put16(680); // 17-20: low 6.8, acid pump, bits
    put(v % 60);
    put(0x02);
    put(10 + v % 110); // 21-25: flow, low, stop, bits, unread
    put(20);
    put(10);
    put(0x03);
    put(0xEE);
    put16(12); // 26-34: null, cell, cell 2, empty, unread
    put16(400 + v % 7);
    put16(401);
    put16(65535);
    put(0xEE);
    for (int i = 35; i <= 55; ++i) { // digital inputs and status
        put(i == 35 || i == 43 ? 1 : i == 48 ? 0x42 : 0);
    }
    put(0xAA);
    put(0x55);
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

} // namespace aql::test
