#include "SimTestLines.h"

#include "sim/Encode.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace aql::sim;
using namespace aql::sim::test;

namespace {

Display aqlBanner() {
    Display d;
    d.flags = flag::kRun | flag::kBacklight; // 0x09
    d.cursor = 0x85;
    d.text = "AQL-170" + std::string(73, ' ');
    return d;
}

LogRecord handRecord() {
    // In declaration order: key, number, time; Cl value, setpoint, high, low, pump, bits; pH
    // value, setpoint, high, low, acid pump, bits; flow, low, stop, bits; cell null, active,
    // second, empty; inputs 1-6; miscellaneous.
    return LogRecord{0x00010005, 5,   {2024, 6, 3, 8, 15},
                     85,         80,  150,
                     40,         30,  1,
                     725,        720, 760,
                     680,        20,  1,
                     42,         20,  10,
                     1,          200, 710,
                     712,        45,  {1, 0, 1, 0, 0, 1},
                     7};
}

} // namespace

TEST(GoldenLines, addressedDisplayLineMatchesHandEncodedBytes) {
    // Address 1, type 1, flags 0x09, cursor 0x85, "AQL-170" and 73 blanks, spare 0, checksum
    // 1 + 105 + 1 = 0x6B; each byte low nibble first as '0' + nibble.
    const std::string expected = std::string("\x02") + "10" + "10" + "90" + "58" +
                                 "14"
                                 "15"
                                 "<4"
                                 "=2"
                                 "13"
                                 "73"
                                 "03" +
                                 repeat("02", 73) + "00" + ";6" + "\r";
    EXPECT_EQ(displayLine(LineKind::Addressed, 1, aqlBanner()), expected);
    EXPECT_EQ(expected.size(), 174u);
}

TEST(GoldenLines, unaddressedDisplayLineHasNoAddressAndChecksumsTypeWithFlags) {
    // Checksum 1 + 105 + 0x09 = 0x73.
    const std::string expected = std::string("\x01") + "10" + "90" + "58" +
                                 "14"
                                 "15"
                                 "<4"
                                 "=2"
                                 "13"
                                 "73"
                                 "03" +
                                 repeat("02", 73) + "00" + "37" + "\r";
    EXPECT_EQ(displayLine(LineKind::Unaddressed, 1, aqlBanner()), expected);
}

TEST(GoldenLines, recordLineMatchesHandWrittenPayload) {
    const std::string payload =
        fromHex("01 03 05000100 05000000 E807 06 03 08 0F"
                // value block 1-10: reagent, setpoint, high, low, pump, bits
                "5500 5000 9600 2800 1E 01"
                // 11-20: pH, setpoint, high, low, acid pump, bits
                "D502 D002 F802 A802 14 01"
                // 21-25: flow, low, stop, bits, unused
                "2A 14 0A 01 00"
                // 26-34: cell null, active, second, empty, unused
                "C800 C602 C802 2D00 00"
                // 35-55: inputs at 35, 39, 43, 47, 51, 55 (1,0,1,0,0,1); miscellaneous 7 at 48
                "01000000 00000000 01000000 00 07 0000 00 000000 01"
                // 56-68 unused, body 84 spare, checksum 1 + 105 + 3
                "00000000000000000000000000 00 6D");
    ASSERT_EQ(payload.size(), 86u);
    EXPECT_EQ(recordLine(LineKind::Addressed, 1, handRecord()), nibbleLine(2, payload));
    EXPECT_EQ(recordLine(LineKind::Addressed, 1, handRecord()).substr(0, 11),
              std::string("\x02") + "10" + "30" + "50" + "00" + "10");
}

TEST(GoldenLines, variableBlockLineCarriesLittleEndianWordsAtTheirPlaces) {
    VariableBlock values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<std::uint16_t>(i + 1);
    }
    values[0] = 720;
    values[1] = 0xFFFF; // -1
    values[2] = 300;
    values[3] = 33000;
    const std::string payload =
        fromHex("01 05 01 00 D002 FFFF 2C01 E880"
                "0500 0600 0700 0800 0900 0A00 0B00 0C00 0D00 0E00 0F00 1000 1100"
                "1200 1300 1400 1500 1600 1700 1800 1900 1A00" +
                repeat("00", 29) + "6F");
    ASSERT_EQ(payload.size(), 86u);
    EXPECT_EQ(variableBlockLine(1, 1, values), nibbleLine(2, payload));
}

TEST(LineEncoding, everyPacketPassesTheConsolesLineCheckInBothKinds) {
    for (LineKind kind : {LineKind::Unaddressed, LineKind::Addressed}) {
        for (const std::string &line :
             {displayLine(kind, 200, aqlBanner()), recordLine(kind, 200, handRecord())}) {
            const auto got = receiveLines(line);
            ASSERT_EQ(got.size(), 1u);
            EXPECT_EQ(got[0].status, aql::link::LineStatus::Ok);
            EXPECT_EQ(got[0].kind, static_cast<std::uint8_t>(kind));
        }
    }
    // Payload bytes above 0x7F and the CR value itself still come out printable, CR only last.
    const std::string line = encodeLine(LineKind::Unaddressed, std::string(85, '\x0D'));
    for (std::size_t i = 1; i + 1 < line.size(); ++i) {
        EXPECT_TRUE(line[i] >= 0x30 && line[i] <= 0x3F) << i;
    }
}

TEST(LineEncoding, aPayloadOfALengthTheConsoleRefusesIsAProgrammingError) {
    EXPECT_THROW(encodeLine(LineKind::Unaddressed, std::string(86, '\0')), std::logic_error);
    EXPECT_THROW(encodeLine(LineKind::Addressed, std::string(85, '\0')), std::logic_error);
    EXPECT_NO_THROW(encodeLine(LineKind::Addressed, std::string(235, '\0')));
}
