#pragma once

#include "core/Error.h"
#include "support/TempDir.h"

#include <filesystem>
#include <initializer_list>
#include <string>

namespace aql::records::samples {

// A byte string spelled out byte by byte.
inline std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

// The number of the AqlError `f` raises, 0 if it returns; any other exception fails the test.
template <class F> int errorNumber(F &&f) {
    try {
        f();
    } catch (const AqlError &e) {
        return e.number();
    }
    return 0;
}

// The interactive value block of the sample controller record: 55 bytes, 0xEE where nothing is
// read.
inline std::string sampleValueBlock() {
    return bytes({
        0x96, 0x00, 0x2C, 0x01, // 1-4   reagent 150, reagentSetpoint 300
        0xF4, 0x01, 0x32, 0x00, // 5-8   reagentHighalarm 500, reagentLowAlarm 50
        0x28, 0x81,             // 9-10  reagentPump 40, reagentBits 129
        0xD5, 0x02, 0xD0, 0x02, // 11-14 pH 725 -> 7.25, pHSetpoint 720 -> 7.2
        0x0C, 0x03, 0xA8, 0x02, // 15-18 pHHighAlarm 780 -> 7.8, pHLowAlarm 680 -> 6.8
        0x19, 0x02,             // 19-20 acidPump 25, pHBits 2
        0x78, 0x14, 0x0A, 0x03, // 21-24 flow 120, flowLowAlarm 20, flowStopAlarm 10, flowBits 3
        0xEE,                   // 25
        0x0C, 0x00, 0x90, 0x01, // 26-29 nulValue 12, clValue 400
        0x91, 0x01, 0xFF, 0xFF, // 30-33 cl2Value 401 (and TBC), emptyValue 65535 (and GBC)
        0xEE,                   // 34
        0x01, 0xEE, 0xEE, 0xEE, // 35    input 1 set: bit 1
        0x00, 0xEE, 0xEE, 0xEE, // 39    input 2 clear
        0x07, 0xEE, 0xEE, 0xEE, // 43    input 3 set: bit 4
        0x00, 0x42, 0xEE, 0xEE, // 47    input 4 clear; 48 Miscellaneous 66
        0x00, 0xEE, 0xEE, 0xEE, // 51    input 5 clear
        0xFF,                   // 55    input 6 set: bit 32, so digitalIN 37
    });
}

// Type byte, key 258, number 1234, 2009-03-07 14:05, the value block, two unread bytes.
inline std::string sampleRecordText() {
    return bytes({0x03, 0x02, 0x01, 0x00, 0x00, 0xD2, 0x04, 0x00, 0x00, 0xD9, 0x07, 0x03, 0x07,
                  0x0E, 0x05}) +
           sampleValueBlock() + bytes({0xAA, 0x55});
}

// A stored line whose value field k holds k, except the pH fields (hundredths 725, 680, 7, 65535)
// and flow2, which differs at fields 36 and 57. The line itself says type 0.
inline const char *const kStoredLine =
    "0,-7,99999,2010-12-31 23:59,-12, 1 ,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,"
    "725,680,7,65535,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,"
    "49,50,51,52,53,54,55,56,57,58,59,60";

inline std::string fixtureText(const std::string &name) {
    return aql::test::readBytes(std::filesystem::path(AQL_RECORD_FIXTURES) / name);
}

} // namespace aql::records::samples
