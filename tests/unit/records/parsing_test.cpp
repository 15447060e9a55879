#include "RecordSamples.h"
#include "core/Numbers.h"
#include "records/Conversions.h"
#include "records/DbRecord.h"

#include <gtest/gtest.h>

#include <string>

using namespace aql::records;
using namespace aql::records::samples;

TEST(ByteConversions, unsignedLittleEndianAndTooShortOrTooLargeFail) {
    EXPECT_EQ(byteFromChar(bytes({0xFF, 0x01})), 255);
    EXPECT_EQ(wordFromChars(bytes({0xD9, 0x07})), 2009);
    EXPECT_EQ(wordFromChars(bytes({0xFF, 0xFF})), 65535);
    EXPECT_EQ(longFromChars(bytes({0x01, 0x02, 0x03, 0x04})), 0x04030201);
    EXPECT_EQ(longFromChars(bytes({0xFF, 0xFF, 0xFF, 0x7F})), 2147483647);
    EXPECT_EQ(errorNumber([] { longFromChars(bytes({0x00, 0x00, 0x00, 0x80})); }), 6);
    EXPECT_EQ(errorNumber([] { byteFromChar(""); }), 5);
    EXPECT_EQ(errorNumber([] { wordFromChars(bytes({0x01})); }), 5);
    EXPECT_EQ(errorNumber([] { longFromChars(bytes({0x00, 0x00, 0x80})); }), 5);
}

TEST(NextField, restIsTrimmedIntoTheBufferAndTheLastFieldRepeats) {
    std::string buffer = "untouched";
    EXPECT_EQ(nextField("12, 34 ,56", buffer), "12");
    EXPECT_EQ(buffer, "34 ,56");
    EXPECT_EQ(nextField(buffer, buffer), "34 ");
    EXPECT_EQ(nextField(buffer, buffer), "56");
    EXPECT_EQ(nextField(buffer, buffer), "56");
    EXPECT_EQ(nextField("no comma", buffer), "no comma");
    EXPECT_EQ(buffer, "56");
}

TEST(FieldSplitter, yieldsTheSameSequenceAsTheSharedBuffer) {
    for (const std::string line : {"12, 34 ,56", "", ",", " , ,", "a,b,c", "1,,3  ", "x, ",
                                   "  lead,trail  ,  both  ", "\t1,\t2 ,3\t"}) {
        std::string buffer = line;
        FieldSplitter splitter(line);
        for (int call = 0; call < 6; ++call) {
            EXPECT_EQ(splitter.next(), nextField(buffer, buffer)) << '"' << line << '"';
            EXPECT_EQ(splitter.rest(), buffer) << '"' << line << '"';
        }
    }
}

TEST(FieldNumbers, agreeWithTheGeneralTextToIntegerRule) {
    // clang-format off
    const char *const texts[] = {"0", "-7", "+7", " 12 ", "\t34\t", "-0", "999999999", "1000000000",
                                 "-2147483648", "2147483648", "0000000000012", "2.5", "3.5", "1e3",
                                 "12abc", "", " ", "-", "--1", "1 2", ".5"};
    // clang-format on
    for (const char *text : texts) {
        std::int32_t expected = 0;
        std::int32_t actual = 0;
        const int expectedError = errorNumber([&] { expected = aql::textToInt32(text); });
        EXPECT_EQ(errorNumber([&] { actual = fieldToInt32(text); }), expectedError) << text;
        EXPECT_EQ(actual, expected) << text;
    }
}

TEST(DateTime, binaryTimestampReadsTheYearLowByteFirstAndNeverChecksRanges) {
    datetime t;
    EXPECT_EQ(t.toANSI(), "0000-00-00 00:00:00");
    t.fromString(bytes({0xD9, 0x07, 0x03, 0x07, 0x0E, 0x05}));
    EXPECT_EQ(t.toANSI(), "2009-03-07 14:05:00");
    t.fromString(bytes({0xFF, 0xFF, 0x00, 0x1F, 0x63, 0xFF})); // month 0 still parses
    EXPECT_EQ(t.toANSI(), "65535-00-31 99:255:00");
    // Cut short in the day: year and month are already set, the rest is kept.
    EXPECT_EQ(errorNumber([&] { t.fromString(bytes({0xD9, 0x07, 0x03})); }), 5);
    EXPECT_EQ(t.toANSI(), "2009-03-31 99:255:00");
}

TEST(DateTime, textTimestampUsesFixedColumnsAndDropsSeconds) {
    datetime t;
    t.fromFile("2009-03-07 14:05:59");
    EXPECT_EQ(t.toANSI(), "2009-03-07 14:05:00");
    t.fromFile("2010/12/31T 3.59"); // separators unchecked, blanks inside a column allowed
    EXPECT_EQ(t.toANSI(), "2010-12-31 03:59:00");
    EXPECT_EQ(errorNumber([&] { t.fromFile("2012-04-05 06"); }), 13); // minute column empty
    EXPECT_EQ(t.toANSI(), "2012-04-05 06:59:00");
    EXPECT_EQ(errorNumber([&] { t.fromFile("20x9-03-07 14:05"); }), 13);
}

TEST(DateTime, exportTextOfAnyWidthReadsBackAndMalformedTextChangesNothing) {
    datetime t;
    for (const char *text : {"65535-255-00 00:123:00", "-0999--01--02 -03:-04:00",
                             "-2147483648-2147483647-01 02:03:00"}) {
        t.fromANSI(text);
        EXPECT_EQ(t.toANSI(), text);
    }
    t.fromANSI("2009-03-07 14:06");
    EXPECT_EQ(t.toANSI(), "2009-03-07 14:06:00");
    for (const char *text : {"", "2009-03-07", "2009-03-07T14:05:00", "2009-03-07 14:05:00 ",
                             "2009-03-07 14:05:", "+2009-03-07 14:05", "2009-- -07 14:05"}) {
        EXPECT_EQ(errorNumber([&] { t.fromANSI(text); }), 13) << text;
    }
    EXPECT_EQ(errorNumber([&] { t.fromANSI("2147483648-01-01 00:00"); }), 6);
    EXPECT_EQ(t.toANSI(), "2009-03-07 14:06:00");
}

TEST(ControllerRecord, decodesTheSampleInBothBases) {
    dbRecord r;
    r.systemTemperature = 17; // not carried by the controller text, so kept
    r.fromString(sampleRecordText(), rtype::kLog);
    EXPECT_EQ(r.key(), "K1234");
    EXPECT_EQ(r.systemTemperature, 17);
    EXPECT_EQ(r.log()->digitalIN, 37);
    EXPECT_EQ(r.pH(), "7.25");
    EXPECT_EQ(r.log()->TBC, r.log()->cl2Value);
    EXPECT_EQ(r.log()->GBC, r.log()->emptyValue);
    r.systemTemperature = 0;
    EXPECT_EQ(r.toXML(6, 2), fixtureText("record.xml"));

    std::string shifted = sampleRecordText();
    shifted.insert(15, 1, '\x77'); // one byte in front of the value block
    dbRecord s;
    s.fromString(shifted, rtype::kLog, false, ValueBase::SystemIdentifier);
    EXPECT_EQ(s.toXML(6, 2), fixtureText("record.xml"));
    // Read in the other mode, every word straddles two fields.
    s.fromString(shifted, rtype::kLog, true, ValueBase::Interactive);
    EXPECT_EQ(s.log()->reagent, 0x9677);
    EXPECT_EQ(errorNumber([&] {
                  s.fromString(sampleRecordText(), rtype::kLog, false, ValueBase::SystemIdentifier);
              }),
              5); // the interactive block is one byte short of the shifted last input
}

TEST(ControllerRecord, shortBlockFailsAtItsExactFieldKeepingTheEarlierOnes) {
    const std::string text = sampleRecordText();
    dbRecord r;
    // 10 block bytes end after reagentBits.
    EXPECT_EQ(errorNumber([&] { r.fromString(text.substr(0, 15 + 10 + 2), rtype::kLog); }), 5);
    EXPECT_EQ(r.log()->reagentBits, 129);
    EXPECT_EQ(r.log()->pH, 0.0f);
    // 54 bytes miss the last input; the cell words come after the inputs and stay unread.
    EXPECT_EQ(errorNumber([&] { r.fromString(text.substr(0, 15 + 54 + 2), rtype::kLog); }), 5);
    EXPECT_EQ(r.log()->flowBits, 3);
    EXPECT_EQ(r.log()->clValue, 0);
    // 17 characters leave an empty block: the value set is created and refuses its first field.
    EXPECT_EQ(errorNumber([&] { r.fromString(text.substr(0, 17), rtype::kLog); }), 5);
    ASSERT_NE(r.log(), nullptr);
    EXPECT_EQ(r.log()->reagent, 0);
}

TEST(ControllerRecord, truncatedOrOverflowingHeadersFailAfterTheFieldsBeforeThem) {
    const std::string text = sampleRecordText();
    for (int type : {rtype::kLog, rtype::kAlarm, 7}) {
        dbRecord r; // too short to cut the two unread bytes: fails before the type is looked at
        EXPECT_EQ(errorNumber([&] { r.fromString(text.substr(0, 16), type); }), 5);
        EXPECT_EQ(r.datetime()->minute, 5);
        EXPECT_EQ(r.log(), nullptr);
    }
    dbRecord t;
    EXPECT_EQ(errorNumber([&] { t.fromString(text.substr(0, 12), rtype::kLog); }), 5);
    EXPECT_EQ(t.recordNumber, 1234);
    EXPECT_EQ(t.datetime()->month, 3);
    std::string big = text;
    big[8] = '\x80'; // top byte of the record number
    dbRecord n;
    EXPECT_EQ(errorNumber([&] { n.fromString(big, rtype::kLog); }), 6);
    EXPECT_EQ(n.recordKey, 258);
    EXPECT_EQ(n.datetime(), nullptr);
}

TEST(RecordTypes, alarmCalibrationAndMaintenanceAreRefusedAfterHeaderAndTimestamp) {
    const char *descriptions[] = {"Alarm records not yet implemented",
                                  "Calibration records not yet implemented",
                                  "Maintenance records not yet implemented"};
    for (int type = 0; type < 3; ++type) {
        for (bool stored : {false, true}) {
            dbRecord r;
            try {
                stored ? r.fromFile(kStoredLine, type) : r.fromString(sampleRecordText(), type);
                ADD_FAILURE() << "type " << type << " parsed";
            } catch (const aql::AqlError &e) {
                EXPECT_EQ(e.number(), 20000);
                EXPECT_EQ(e.source(), "dbRecord.fromString");
                EXPECT_EQ(e.description(), descriptions[type]);
            }
            EXPECT_EQ(r.recordNumber, stored ? 99999 : 1234);
            EXPECT_EQ(r.datetime()->day, stored ? 31 : 7);
            EXPECT_EQ(r.log(), nullptr);
        }
    }
}

TEST(RecordTypes, otherTypesKeepTheHeaderWithoutValuesAndCannotBeExported) {
    for (int type : {7, -1}) {
        dbRecord r;
        r.fromString(sampleRecordText(), type);
        EXPECT_EQ(r.recordType, type);
        EXPECT_EQ(r.DT(), "2009-03-07 14:05:00");
        EXPECT_EQ(r.log(), nullptr);
        EXPECT_EQ(errorNumber([&] { r.reagent(); }), 91);
        EXPECT_EQ(errorNumber([&] { r.toCSV(); }), 91);
        EXPECT_EQ(errorNumber([&] { r.toXML(6, 2); }), 91);
    }
    dbRecord fresh;
    EXPECT_EQ(fresh.key(), "K0");
    EXPECT_EQ(errorNumber([&] { fresh.DT(); }), 91);
    EXPECT_EQ(errorNumber([&] { fresh.csvHeaders(); }), 91);
}

TEST(StoredLine, everyFieldLandsInItsPlaceTheLaterFlow2WinsAndTheLineTypeIsIgnored) {
    dbRecord r;
    r.fromFile(kStoredLine, rtype::kLog);
    EXPECT_EQ(r.recordType, 3);
    EXPECT_EQ(r.log()->flow2, 57);
    EXPECT_EQ(r.pHHighAlarm(), "0.07");
    EXPECT_EQ(r.pHLowAlarm(), "655.35");
    EXPECT_EQ(r.toXML(6, 2), fixtureText("record-b.xml"));
    // The read-outs in the export's column order, with its duplicates left out.
    const std::string readOuts[] = {r.reagentHighalarm(),
                                    r.reagentLowAlarm(),
                                    r.reagentSetpoint(),
                                    r.reagent(),
                                    r.pHHighAlarm(),
                                    r.pHLowAlarm(),
                                    r.pHSetpoint(),
                                    r.pH(),
                                    r.flowLowAlarm(),
                                    r.flowStopAlarm(),
                                    r.flow(),
                                    r.reagentPump(),
                                    r.acidPump(),
                                    r.clValue(),
                                    r.cl2Value(),
                                    r.nulValue(),
                                    r.emptyValue(),
                                    r.redox(),
                                    r.vlokPump(),
                                    r.bicarbPump(),
                                    r.TBC(),
                                    r.GBC(),
                                    r.DT()};
    std::string joined;
    for (const std::string &text : readOuts) {
        joined += text + "|";
    }
    EXPECT_EQ(joined, "4|5|3|1|0.07|655.35|6.8|7.25|33|34|32|6|25|46|47|48|49|27|0|0|50|51|"
                      "2010-12-31 23:59:00|");
}

TEST(StoredLine, missingFieldsRepeatTheLastAndBadFieldsFailAfterTheEarlierOnes) {
    dbRecord r;
    r.fromFile("3,1,2,2009-03-07 14:05,7", rtype::kLog);
    EXPECT_EQ(r.log()->reagent, 7);
    EXPECT_EQ(r.log()->flow5, 7);
    EXPECT_EQ(r.pH(), "0.07");
    // Four fields: the timestamp comes back as the temperature.
    EXPECT_EQ(errorNumber([&] { r.fromFile("3,1,5,2009-03-07 14:05", rtype::kLog); }), 13);
    EXPECT_EQ(r.recordNumber, 5);
    EXPECT_EQ(errorNumber([&] { r.fromFile("3,1,2,2009-03-07 14:05,0,1,2,,4", rtype::kLog); }), 13);
    EXPECT_EQ(r.log()->tbcValue, 2);
    EXPECT_EQ(r.log()->reagentSetpoint, 0); // a new value set, filled up to the bad field
    EXPECT_EQ(errorNumber([&] { r.fromFile("3,99999999999,1", rtype::kLog); }), 6);
    // pH fields take their leading number and never fail, unless it is beyond single precision.
    std::string line =
        "3,1,2,2009-03-07 14:05,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,";
    r.fromFile(line + " 72.5 mV,abc,,-5e1,0", rtype::kLog);
    EXPECT_EQ(r.pH(), "0.725");
    EXPECT_EQ(r.pHSetpoint(), "0");
    EXPECT_EQ(r.pHLowAlarm(), "-0.5");
    EXPECT_EQ(errorNumber([&] { r.fromFile(line + "1e60,0", rtype::kLog); }), 6);
}
