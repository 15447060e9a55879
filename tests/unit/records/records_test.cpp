#include "core/Numbers.h"
#include "records/Conversions.h"
#include "records/Exports.h"
#include "support/DecimalCommaLocale.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>

using namespace aql::records;
using aql::test::errorNumberOf;
using aql::test::readBytes;

namespace {

std::string bytes(std::initializer_list<int> values) {
    return std::string(values.begin(), values.end());
}

// A controller record: type byte, header, timestamp, the 55-byte interactive value block (0xEE
// where nothing is read, positions counted from its start), two unread bytes.
std::string sampleRecordText() {
    // clang-format off
    return bytes({
        0x03, 0x02, 0x01, 0x00, 0x00, 0xD2, 0x04, 0x00, 0x00, // type, key 258, number 1234
        0xD9, 0x07, 0x03, 0x07, 0x0E, 0x05,             // 2009 (low byte first)-03-07 14:05
        0x96, 0x00, 0x2C, 0x01, 0xF4, 0x01,             // 1-6   reagent 150, setpoint 300, high 500
        0x32, 0x00, 0x28, 0x81,                         // 7-10  low alarm 50, pump 40, bits 129
        0xD5, 0x02, 0xD0, 0x02, 0x0C, 0x03,             // 11-16 pH 7.25, setpoint 7.2, high 7.8
        0xA8, 0x02, 0x19, 0x02,                         // 17-20 low 6.8, acid pump 25, pH bits 2
        0x78, 0x14, 0x0A, 0x03, 0xEE,                   // 21-25 flow 120, low 20, stop 10, bits 3
        0x0C, 0x00, 0x90, 0x01, 0x91, 0x01,             // 26-31 null 12, cl 400, cl2 401 (and TBC)
        0xFF, 0xFF, 0xEE,                               // 32-34 empty 65535 (and GBC)
        0x01, 0xEE, 0xEE, 0xEE, 0x00, 0xEE, 0xEE, 0xEE, // 35-42 input 1 set (bit 1), 2 clear
        0x07, 0xEE, 0xEE, 0xEE, 0x00, 0x42, 0xEE, 0xEE, // 43-50 input 3 set (bit 4), 4 clear; 48
                                                        //       Miscellaneous 66
        0x00, 0xEE, 0xEE, 0xEE, 0xFF,                   // 51-55 input 5 clear, 6 set: digitalIN 37
        0xAA, 0x55});
    // clang-format on
}

// A stored line whose value field k holds k, except the pH fields (hundredths 725, 680, 7, 65535)
// and flow2, which differs at fields 36 and 57. The line itself says type 0.
const char *const kStoredLine =
    "0,-7,99999,2010-12-31 23:59,-12, 1 ,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,"
    "725,680,7,65535,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,"
    "49,50,51,52,53,54,55,56,57,58,59,60";

std::string fixtureText(const std::string &name) {
    return readBytes(std::filesystem::path(AQL_RECORD_FIXTURES) / name);
}

RecordList sampleList() {
    LogRecord a, b;
    a.fromString(sampleRecordText(), rtype::kLog);
    b.fromFile(kStoredLine, rtype::kLog);
    RecordList list;
    list.insert(b); // number 99999 arrives first and stands last
    list.insert(a);
    return list;
}

// Generator AqlRemote 2.0.41, the time, the default contact, site, pool, three pools.
const XmlDocumentInfo kInfo{"AqlRemote",   2,           0, 41, "2024-05-06 07:08:09", "",
                            "Sunny Baths", "Main pool", 3};

std::string exportRoundTrip(const std::string &line) {
    LogRecord r;
    r.fromExportCsv(line, rtype::kLog);
    return r.toCSV();
}

} // namespace

TEST(Conversions, bytesNumbersAndFieldsAsTheParsersReadThem) {
    EXPECT_EQ(byteFromChar(bytes({0xFF, 0x01})), 255);
    EXPECT_EQ(longFromChars(bytes({0x01, 0x02, 0x03, 0x04})), 0x04030201);
    EXPECT_EQ(longFromChars(bytes({0xFF, 0xFF, 0xFF, 0x7F})), 2147483647);
    EXPECT_EQ(errorNumberOf([] { longFromChars(bytes({0x00, 0x00, 0x00, 0x80})); }), 6);
    EXPECT_EQ(errorNumberOf([] { byteFromChar(""); }), 5);
    EXPECT_EQ(errorNumberOf([] { wordFromChars(bytes({0x01})); }), 5);
    EXPECT_EQ(errorNumberOf([] { longFromChars(bytes({0x00, 0x00, 0x80})); }), 5);
    // The quick path for plain numbers must give exactly the general rule's results and errors.
    for (const char *text :
         {"0", "-7", "+7", " 12 ", "\t34\t", "-0", "999999999", "1000000000", "-2147483648",
          "2147483648", "0000000000012", "2.5", "1e3", "12abc", "", " ", "-", "--1", "1 2"}) {
        std::int32_t expected = 0;
        std::int32_t actual = 0;
        const int expectedError = errorNumberOf([&] { expected = aql::textToInt32(text); });
        EXPECT_EQ(errorNumberOf([&] { actual = fieldToInt32(text); }), expectedError) << text;
        EXPECT_EQ(actual, expected) << text;
    }
    // nextField trims the rest and repeats the last field; the splitter must agree with it.
    for (const std::string line :
         {"", " , ,", "1,,3  ", "  lead,trail  ,  both  ", "\t1,\t2 ,3\t"}) {
        std::string rest = line;
        FieldSplitter splitter(line);
        for (int call = 0; call < 5; ++call) {
            EXPECT_EQ(splitter.next(), nextField(rest, rest)) << '"' << line << '"';
            EXPECT_EQ(splitter.rest(), rest) << '"' << line << '"';
        }
    }
}

TEST(Timestamp, binaryFixedColumnAndExportFormsReadWithoutRangeChecks) {
    Timestamp t;
    t.fromString(bytes({0xFF, 0xFF, 0x00, 0x1F, 0x63, 0xFF}));
    EXPECT_EQ(t.toANSI(), "65535-00-31 99:255:00");
    EXPECT_EQ(errorNumberOf([&] { t.fromString(bytes({0xD9, 0x07, 0x03})); }), 5);
    t.fromFile("2010/12/31T 3.59:59"); // separators unchecked, seconds dropped
    EXPECT_EQ(t.toANSI(), "2010-12-31 03:59:00");
    EXPECT_EQ(errorNumberOf([&] { t.fromFile("2012-04-05 06"); }), 13);
    EXPECT_EQ(errorNumberOf([&] { t.fromFile("20x9-03-07 14:05"); }), 13);
    for (const char *text : {"65535-255-00 00:123:00", "-0999--01--02 -03:-04:00"}) {
        t.fromANSI(text);
        EXPECT_EQ(t.toANSI(), text);
    }
    for (const char *text : {"", "2009-03-07", "2009-03-07T14:05:00", "2009-03-07 14:05:00 ",
                             "2009-03-07 14:05:", "+2009-03-07 14:05"}) {
        EXPECT_EQ(errorNumberOf([&] { t.fromANSI(text); }), 13) << text;
    }
    EXPECT_EQ(errorNumberOf([&] { t.fromANSI("2147483648-01-01 00:00"); }), 6);
    EXPECT_EQ(t.toANSI(), "-0999--01--02 -03:-04:00"); // failures change nothing
}

TEST(ControllerRecord, theSampleDecodesToTheHandWrittenXml) {
    LogRecord r;
    r.fromString(sampleRecordText(), rtype::kLog);
    EXPECT_EQ(r.toXML(6, 2), fixtureText("record.xml"));
    // The last input stands at block position 55: a block one byte shorter cannot be read.
    std::string short54 = sampleRecordText();
    short54.erase(15 + 54, 1);
    EXPECT_EQ(errorNumberOf([&] { r.fromString(short54, rtype::kLog); }), 5);
}

TEST(RecordTypes, zeroToTwoAreRefusedAfterTheHeaderAndOtherTypesCarryNoValues) {
    for (int type = 0; type < 3; ++type) {
        for (bool stored : {false, true}) {
            LogRecord r;
            EXPECT_EQ(errorNumberOf([&] {
                          stored ? r.fromFile(kStoredLine, type)
                                 : r.fromString(sampleRecordText(), type);
                      }),
                      20000)
                << type;
            EXPECT_EQ(r.values(), nullptr);
        }
    }
    LogRecord other;
    other.fromString(sampleRecordText(), 7);
    EXPECT_EQ(other.dateTime(), "2009-03-07 14:05:00");
    EXPECT_EQ(other.values(), nullptr);
    EXPECT_EQ(errorNumberOf([&] { other.toCSV(); }), 91);
    EXPECT_EQ(errorNumberOf([&] { other.toXML(6, 2); }), 91);
    EXPECT_EQ(errorNumberOf([] { LogRecord().dateTime(); }), 91);
}

TEST(StoredLine, missingFieldsRepeatTheLastAndABadFieldIsRefused) {
    LogRecord r;
    r.fromFile("3,1,2,2009-03-07 14:05,7", rtype::kLog);
    EXPECT_EQ(r.values()->reagent, 7);
    EXPECT_EQ(r.values()->flow5, 7);
    EXPECT_EQ(r.pH(), "0.07");
    EXPECT_EQ(errorNumberOf([&] { r.fromFile("3,1,2,2009-03-07 14:05,0,1,2,,4", rtype::kLog); }),
              13);
    EXPECT_EQ(errorNumberOf([&] { r.fromFile("3,99999999999,1", rtype::kLog); }), 6);
    // pH fields take their leading number and fail only beyond single precision.
    const std::string line = "3,1,2,2009-03-07 14:05,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";
    r.fromFile(line + ", 72.5 mV,abc,,-5e1,0", rtype::kLog);
    EXPECT_EQ(r.pH(), "0.725");
    EXPECT_EQ(r.pHSetpoint(), "0");
    EXPECT_EQ(r.pHLowAlarm(), "-0.5");
    EXPECT_EQ(errorNumberOf([&] { r.fromFile(line + ",1e60,0", rtype::kLog); }), 6);
}

TEST(Exports, csvAndXmlDocumentsAsHandWrittenInAnyLocale) {
    const std::string csv = fixtureText("export.csv");
    EXPECT_EQ(recordListCsv(sampleList()), csv);
    EXPECT_EQ(exportCsvHeader() + "\r\n", csv.substr(0, csv.find("\r\n") + 2));
    EXPECT_EQ(recordListCsv(RecordList()), "");

    const std::string empty = fixtureText("document-empty.xml");
    EXPECT_EQ(xmlDocument(kInfo, RecordList()), empty);
    const std::string poolLine = "    <pool name=\"Main pool\">\r\n";
    const std::size_t cut = empty.find(poolLine) + poolLine.size();
    const std::string two = empty.substr(0, cut) + fixtureText("record.xml") + "\r\n" +
                            fixtureText("record-b.xml") + "\r\n" + empty.substr(cut);
    EXPECT_EQ(xmlDocument(kInfo, sampleList()), two);

    // A decimal comma of the operator's locale must not reach the exports.
    aql::test::DecimalCommaLocale comma;
    ASSERT_TRUE(comma.active()) << aql::test::DecimalCommaLocale::kMissing;
    EXPECT_EQ(recordListCsv(sampleList()), csv);
    EXPECT_EQ(xmlDocument(kInfo, sampleList()), two);
}

TEST(ExportLine, everyExportedLineReadsBackToTheSameText) {
    // All columns distinct, so a value read into the wrong field shows in the text.
    const std::string distinct = "3,-1,2,2009-03-07 14:05:00,-5,6,7,8,9,9,1.1,1.2,1.3,1.4,1.4,16,"
                                 "17,18,18,20,21,22,23,24,25,26,27,28,29,30";
    EXPECT_EQ(exportRoundTrip(distinct), distinct);
    LogRecord wide; // extreme header numbers and a timestamp wider than the stored columns
    wide.fromFile("3,-2147483648,2147483647,-999--1--2 -3:-4," +
                      std::string(kStoredLine).substr(28),
                  rtype::kLog);
    EXPECT_EQ(exportRoundTrip(wide.toCSV()), wide.toCSV());
    // Seven pH digits may read back as a neighbouring single, which must write the same digits.
    std::uint32_t bits = 12345u;
    for (int i = 0; i < 20000; ++i) {
        bits = bits * 1664525u + 1013904223u;
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (std::isfinite(f)) {
            const std::string ph = aql::singleToText(f);
            const std::string line = "3,1,1,2009-01-01 00:00:00,0,0,0,0,0,0,0,0,0," + ph + "," +
                                     ph + ",0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";
            ASSERT_EQ(exportRoundTrip(line), line);
        }
    }
}

TEST(ExportLine, theFirstCopyOfADuplicateWinsAndEveryFieldMustBeValid) {
    EXPECT_EQ(exportRoundTrip("3,1,2,2009-03-07 14:05:00,0,1,2,3,150,999,7,7,7,7.25,1.5,1,2,120,7,"
                              " 0,0,0,0,0,0,0,0,0,0, 9 "),
              "3,1,2,2009-03-07 14:05:00,0,1,2,3,150,150,7,7,7,7.25,7.25,1,2,120,120,0,0,0,0,0,0,0,"
              "0,0,0,9");
    const std::string good = "3,1,2,2009-03-07 14:05:00,0,1,2,3,4,4,7,7,7,7,7,1,2,3,3,0,0,0,0,0,0,"
                             "0,0,0,0,0";
    for (const std::string &bad :
         {std::string(), good + ",1", good.substr(0, good.rfind(',')), std::string(29, ','),
          "x" + good.substr(1), "3,1,2,07/03/2009 14:05" + good.substr(good.find(":00") + 3),
          good.substr(0, good.size() - 1) + "zero", good.substr(0, 36) + "x" + good.substr(37)}) {
        LogRecord r;
        EXPECT_EQ(errorNumberOf([&] { r.fromExportCsv(bad, rtype::kLog); }), 13) << bad;
    }
    LogRecord r;
    EXPECT_EQ(errorNumberOf([&] { r.fromExportCsv(good, rtype::kAlarm); }), 20000);
    EXPECT_EQ(r.values(), nullptr);
    EXPECT_EQ(
        errorNumberOf([&] { r.fromExportCsv(good.substr(0, 40) + "1e39" + good.substr(41), 3); }),
        6);
}
