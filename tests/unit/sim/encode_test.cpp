#include "SimTestLines.h"

#include "sim/Controller.h"

#include "records/LogRecord.h"

#include <gtest/gtest.h>

using namespace aql::sim;
using namespace aql::sim::test;

TEST(GoldenLines, displayRecordAndVariableBlockLinesMatchHandWrittenBytes) {
    Display d;
    d.flags = flag::kRun | flag::kBacklight; // 0x09
    d.cursor = 0x85;
    d.text = "AQL-170" + std::string(73, ' ');
    // clang-format off
    // Kind 2; address 1, type 1, flags 0x09, cursor 0x85, "AQL-170" and 73 blanks, spare 0,
    // checksum 1 + 105 + 1 = 0x6B; each byte low nibble first as '0' + nibble.
    EXPECT_EQ(displayLine(LineKind::Addressed, 1, d),
              "\x02" "10" "10" "90" "58" "14" "15" "<4" "=2" "13" "73" "03" + repeat("02", 73) +
                  "00" ";6" "\r");

    // Key, number, time; Cl value, setpoint, high, low, pump, bits; pH the same with acid pump;
    // flow, low, stop, bits; cell null, active, second, empty; inputs 1-6; miscellaneous.
    const LogRecord r{0x00010005, 5, {2024, 6, 3, 8, 15}, 85, 80, 150, 40, 30, 1, 725, 720, 760,
                      680, 20, 1, 42, 20, 10, 1, 200, 710, 712, 45, {1, 0, 1, 0, 0, 1}, 7};
    // clang-format on
    EXPECT_EQ(recordLine(LineKind::Addressed, 1, r),
              nibbleLine(2, fromHex("01 03 05000100 05000000 E807 06 03 08 0F"
                                    // value block 1-10: reagent, setpoint, high, low, pump, bits
                                    "5500 5000 9600 2800 1E 01"
                                    // 11-20: pH, setpoint, high, low, acid pump, bits
                                    "D502 D002 F802 A802 14 01"
                                    // 21-25: flow, low, stop, bits, unused
                                    "2A 14 0A 01 00"
                                    // 26-34: cell null, active, second, empty, unused
                                    "C800 C602 C802 2D00 00"
                                    // 35-55: inputs at 35, 39, 43, 47, 51, 55; misc. at 48
                                    "01000000 00000000 01000000 00 07 0000 00 000000 01"
                                    // 56-68 unused, body 84 spare, checksum 1 + 105 + 3
                                    "00000000000000000000000000 00 6D")));

    VariableBlock values{720, 0xFFFF /* -1 */, 300, 33000};
    for (std::size_t i = 4; i < values.size(); ++i) {
        values[i] = static_cast<std::uint16_t>(i + 1);
    }
    // Address, type 5, block 1, 0, 26 words low byte first, 29 zeros, checksum 1 + 105 + 5.
    EXPECT_EQ(variableBlockLine(1, 1, values),
              nibbleLine(2, fromHex("01 05 01 00 D002 FFFF 2C01 E880"
                                    "0500 0600 0700 0800 0900 0A00 0B00 0C00 0D00 0E00 0F00"
                                    "1000 1100 1200 1300 1400 1500 1600 1700 1800 1900 1A00" +
                                    repeat("00", 29) + "6F")));
}

// The golden lines pin the addressed kind field by field; the unaddressed kind must carry the
// same record, as the console's own line checker and record parser read it.
TEST(RecordDecoding, bothLineKindsCarryTheSameRecordToTheConsole) {
    const Controller c({1, 40, 1, 5, 0}); // address 1, 40 records from number 1, seed 5
    for (const LogRecord &w : c.log()) {
        std::string exported[2];
        for (LineKind kind : {LineKind::Addressed, LineKind::Unaddressed}) {
            const auto lines = receiveLines(recordLine(kind, 1, w));
            ASSERT_EQ(lines.size(), 1u);
            ASSERT_EQ(lines[0].status, aql::link::LineStatus::Ok);
            aql::records::LogRecord got;
            got.fromString(lines[0].payload.substr(kind == LineKind::Addressed ? 1 : 0),
                           aql::records::rtype::kLog);
            ASSERT_EQ(got.recordNumber, static_cast<std::int32_t>(w.number));
            exported[kind == LineKind::Addressed ? 0 : 1] = got.toCSV();
        }
        EXPECT_EQ(exported[1], exported[0]) << w.number;
    }
}
