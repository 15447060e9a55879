#include "RecordSamples.h"
#include "core/Numbers.h"
#include "records/Exports.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace aql::records;
using namespace aql::records::samples;
using aql::test::readBytes;
using aql::test::TempDir;
using aql::test::writeBytes;

namespace {

RecordList sampleList() {
    dbRecord a;
    a.fromString(sampleRecordText(), rtype::kLog);
    dbRecord b;
    b.fromFile(kStoredLine, rtype::kLog);
    RecordList list;
    list.insert(b); // number 99999 arrives first and stands last
    list.insert(a);
    return list;
}

XmlDocumentInfo sampleInfo() {
    XmlDocumentInfo info;
    info.executableName = "AqlRemote";
    info.generatedAt = "2024-05-06 07:08:09";
    info.siteName = "Sunny Baths";
    info.poolName = "Main pool";
    info.numberOfPools = 3;
    return info;
}

std::string exportRoundTrip(const std::string &line) {
    dbRecord r;
    r.fromExportCsv(line, rtype::kLog);
    return r.toCSV();
}

} // namespace

TEST(CsvExport, headerOnceThenEveryRecordInListOrderAsHandWritten) {
    const std::string expected = fixtureText("export.csv");
    EXPECT_EQ(recordListCsv(sampleList()), expected);
    EXPECT_EQ(exportCsvHeader() + "\r\n", expected.substr(0, expected.find("\r\n") + 2));
    EXPECT_EQ(recordListCsv(RecordList()), "");
}

TEST(CsvExport, numbersUseAPointWhateverTheLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE")) {
        GTEST_SKIP() << "no German locale installed to provide a decimal comma";
    }
    const std::string csv = recordListCsv(sampleList());
    const std::string xml = xmlDocument(sampleInfo(), sampleList());
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(csv, fixtureText("export.csv"));
    EXPECT_NE(xml.find("<xmlGenerator>AqlRemote V2.0.41</xmlGenerator>"), std::string::npos);
}

TEST(ExportLine, readsBackEveryColumnToTheSameText) {
    // All columns distinct, so a value read into the wrong field shows in the text.
    const std::string distinct = "3,-1,2,2009-03-07 14:05:00,-5,6,7,8,9,9,1.1,1.2,1.3,1.4,1.4,16,"
                                 "17,18,18,20,21,22,23,24,25,26,27,28,29,30";
    EXPECT_EQ(exportRoundTrip(distinct), distinct);

    std::vector<dbRecord> records;
    for (const char *ph : {"680", "725", "7", "65535", "-1", "123456789", "33.333", "1e-40"}) {
        std::string line = "3,-2147483648,2147483647,9999-12-31 23:59,-40";
        for (int k = 1; k <= 60; ++k) {
            line += "," + ((k >= 21 && k <= 24) ? std::string(ph) : std::to_string(k * 35000000));
        }
        records.emplace_back().fromFile(line, rtype::kLog);
    }
    std::string text = sampleRecordText();
    text[9] = text[10] = '\xFF'; // a five-digit year no longer fits the stored layout's columns
    records.emplace_back().fromString(text, rtype::kLog);
    records.emplace_back().fromFile("3,1,2,-999--1--2 -3:-4," + std::string(kStoredLine).substr(28),
                                    rtype::kLog);
    for (const dbRecord &r : records) {
        EXPECT_EQ(exportRoundTrip(r.toCSV()), r.toCSV());
    }
}

TEST(ExportLine, phTextOfSevenDigitsReadsBackToTheSameDigits) {
    // Seven digits do not pin down every single-precision value; the value read back may be a
    // neighbour, which must still write the same digits.
    std::vector<float> values = {6.8f,          7.25f,       0.07f,    655.35f,
                                 3.4028235e38f, 16777215.0f, 1.0e-45f, -2.0f / 3.0f};
    std::uint32_t bits = 12345u;
    while (values.size() < 20000) {
        bits = bits * 1664525u + 1013904223u;
        if (((bits >> 23) & 0xFFu) != 0xFFu) { // not infinity or NaN
            float f;
            std::memcpy(&f, &bits, sizeof f);
            values.push_back(f);
        }
    }
    for (float f : values) {
        const std::string ph = aql::singleToText(f);
        const std::string line = "3,1,1,2009-01-01 00:00:00,0,0,0,0,0,0,0,0,0," + ph + "," + ph +
                                 ",0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";
        ASSERT_EQ(exportRoundTrip(line), line);
    }
}

TEST(ExportLine, firstCopyOfADuplicateWinsAndEveryFieldMustBeValid) {
    EXPECT_EQ(exportRoundTrip("3,1,2,2009-03-07 14:05:00,0,1,2,3,150,999,7,7,7,7.25,1.5,1,2,120,7,"
                              " 0,0,0,0,0,0,0,0,0,0, 9 "),
              "3,1,2,2009-03-07 14:05:00,0,1,2,3,150,150,7,7,7,7.25,7.25,1,2,120,120,0,0,0,0,0,0,0,"
              "0,0,0,9");
    const std::string good =
        "3,1,2,2009-03-07 14:05:00,0,1,2,3,4,4,7,7,7,7,7,1,2,3,3,0,0,0,0,0,0,0,"
        "0,0,0,0";
    for (const std::string &bad :
         {std::string(), good + ",1", good.substr(0, good.rfind(',')), std::string(29, ','),
          "x" + good.substr(1), "3,1,2,07/03/2009 14:05" + good.substr(good.find(":00") + 3),
          good.substr(0, good.size() - 1) + "zero", good.substr(0, 36) + "x" + good.substr(37)}) {
        dbRecord r;
        EXPECT_EQ(errorNumber([&] { r.fromExportCsv(bad, rtype::kLog); }), 13) << bad;
    }
    dbRecord r;
    EXPECT_EQ(
        errorNumber([&] { r.fromExportCsv(good.substr(0, 40) + "1e39" + good.substr(41), 3); }), 6);
    dbRecord alarm;
    EXPECT_EQ(errorNumber([&] { alarm.fromExportCsv(good, rtype::kAlarm); }), 20000);
    EXPECT_EQ(alarm.log(), nullptr);
}

TEST(RecordXml, indentationSetsEveryLevelAndNeverGoesBelowZero) {
    dbRecord r;
    r.fromString(sampleRecordText(), rtype::kLog);
    const std::string xml = r.toXML(0, 3);
    EXPECT_EQ(xml.rfind("<dbRecord>\r\n   <recordType>3</recordType>\r\n", 0), 0u);
    EXPECT_NE(xml.find("\r\n   <logData>\r\n      <loggedItem name=\"reagent\">\r\n"
                       "         <value>150</value>\r\n"),
              std::string::npos);
    const std::string end = "\r\n      </rest>\r\n   </logData>\r\n</dbRecord>";
    EXPECT_EQ(xml.substr(xml.size() - end.size()), end);
    EXPECT_NE(r.toXML(6, -2).find("\r\n<value>150</value>"), std::string::npos);
    EXPECT_EQ(errorNumber([&] { r.toXML(-1, 2); }), 5);
    EXPECT_EQ(errorNumber([&] { r.toXML(6, -3); }), 5);
}

TEST(XmlExport, documentsWithNoAndTwoRecordsAsHandWritten) {
    const std::string empty = fixtureText("document-empty.xml");
    EXPECT_EQ(xmlDocument(sampleInfo(), RecordList()), empty);
    const std::string poolLine = "    <pool name=\"Main pool\">\r\n";
    const std::size_t cut = empty.find(poolLine) + poolLine.size();
    EXPECT_EQ(xmlDocument(sampleInfo(), sampleList()),
              empty.substr(0, cut) + fixtureText("record.xml") + "\r\n" +
                  fixtureText("record-b.xml") + "\r\n" + empty.substr(cut));
}

TEST(XmlExport, rootCarriesThreeVersionDigitsAndConfiguredNamesAreEscaped) {
    XmlDocumentInfo info = sampleInfo();
    info.majorVersion = 12;
    info.minorVersion = 3;
    info.revision = 4;
    info.siteName = "Bad & <Baths>";
    info.poolName = "Pool \"A\"";
    info.contact = "ops@example.invalid";
    const std::string xml = xmlDocument(info, RecordList());
    EXPECT_NE(xml.find("\r\n<aqlLogV012>\r\n  <xmlGenerator>AqlRemote V12.3.4</xmlGenerator>"),
              std::string::npos);
    EXPECT_NE(xml.find("  <contact>ops@example.invalid</contact>\r\n  <siteName>Bad &amp; "
                       "&lt;Baths&gt;</siteName>\r\n"),
              std::string::npos);
    EXPECT_NE(xml.find("\r\n    <pool name=\"Pool &quot;A&quot;\">\r\n"), std::string::npos);
    EXPECT_EQ(xml.substr(xml.size() - 15), "</aqlLogV012>\r\n");
}

TEST(ExportFiles, filesHoldExactlyTheTextAndReplaceLongerEarlierFiles) {
    TempDir dir;
    const RecordList list = sampleList();
    writeBytes(dir / "log.csv", std::string(100000, 'x'));
    writeBytes(dir / "log.xml", std::string(100000, 'x'));
    writeRecordListCsv(dir / "log.csv", list);
    writeXmlDocument(dir / "log.xml", sampleInfo(), list);
    EXPECT_EQ(readBytes(dir / "log.csv"), fixtureText("export.csv"));
    EXPECT_EQ(readBytes(dir / "log.xml"), xmlDocument(sampleInfo(), list));
    writeRecordListCsv(dir / "log.csv", RecordList());
    EXPECT_EQ(std::filesystem::file_size(dir / "log.csv"), 0u);
}

TEST(ExportFiles, failedWritesRaisePathAccessAndLeaveTheEarlierFileIntact) {
    TempDir dir;
    const RecordList list = sampleList();
    EXPECT_EQ(errorNumber([&] { writeRecordListCsv(dir / "missing" / "log.csv", list); }), 75);
    EXPECT_EQ(
        errorNumber([&] { writeXmlDocument(dir / "missing" / "log.xml", sampleInfo(), list); }),
        75);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));

    writeBytes(dir / "log.csv", "earlier");
    writeBytes(dir / "log.xml", "earlier");
    // A folder where the temporary file beside the target would go fails the write even for a
    // user whom file permissions do not stop.
    std::filesystem::create_directory(dir / "log.csv.part");
    std::filesystem::create_directory(dir / "log.xml.part");
    EXPECT_EQ(errorNumber([&] { writeRecordListCsv(dir / "log.csv", list); }), 75);
    EXPECT_EQ(errorNumber([&] { writeXmlDocument(dir / "log.xml", sampleInfo(), list); }), 75);
    EXPECT_EQ(readBytes(dir / "log.csv"), "earlier");
    EXPECT_EQ(readBytes(dir / "log.xml"), "earlier");
}
