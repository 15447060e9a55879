#include "records/Exports.h"
#include "support/ErrorOf.h"
#include "support/MemoryFileSaver.h"

#include <gtest/gtest.h>

#include <string>

using namespace aql::records;
using aql::test::errorNumberOf;

namespace {

// A stored line whose values all differ from record to record, so a record written twice or out
// of place changes the bytes of the document.
std::string storedLine(int number) {
    std::string line = "3," + std::to_string(100000 + number) + "," + std::to_string(number) +
                       ",2011-04-0" + std::to_string(1 + number % 9) + " 1" +
                       std::to_string(number % 10) + ":" + std::to_string(10 + number % 50) + "," +
                       std::to_string(number % 40);
    for (int field = 1; field <= 60; ++field) {
        line += "," + std::to_string((number * 61 + field) % 30011);
    }
    return line;
}

RecordList numberedRecords(int count) {
    RecordList list;
    for (int n = 1; n <= count; ++n) {
        LogRecord r;
        r.fromFile(storedLine(n), rtype::kLog);
        list.insert(r);
    }
    return list;
}

} // namespace

// The files are written in pieces of about 1 MiB; a piece not emptied after it was written would
// write every earlier record again, a piece dropped would lose records. A disk that fills
// half-way fails the write with error 75 and leaves what was there.
TEST(ExportFiles, aLogOfSeveralWritePiecesIsTheInMemoryDocumentByteForByte) {
    const RecordList list = numberedRecords(25000);
    const RecordList shorter = numberedRecords(1200); // its XML is as long as the CSV above
    XmlDocumentInfo info;
    info.siteName = "Sunny Baths";
    const std::string text = recordListCsv(list);
    const std::string document = xmlDocument(info, shorter);
    ASSERT_GT(text.size(), 3u << 20) << "too small to need several write pieces";
    ASSERT_GT(document.size(), 3u << 20) << "too small to need several write pieces";

    aql::test::MemoryFileSaver files;
    writeRecordListCsv(files, "log.csv", list);
    writeXmlDocument(files, "log.xml", info, shorter);
    EXPECT_TRUE(files.content("log.csv") == text) << "the file differs from the in-memory text";
    EXPECT_TRUE(files.content("log.xml") == document) << "the file differs from the document";
    writeRecordListCsv(files, "empty.csv", RecordList());
    EXPECT_EQ(files.content("empty.csv"), std::string());

    files.fillDiskAfter("log.csv", 100);
    files.fillDiskAfter("log.xml", 100);
    EXPECT_EQ(errorNumberOf([&] { writeRecordListCsv(files, "log.csv", list); }), 75);
    EXPECT_EQ(errorNumberOf([&] { writeXmlDocument(files, "log.xml", info, shorter); }), 75);
    EXPECT_TRUE(files.content("log.csv") == text);
    EXPECT_TRUE(files.content("log.xml") == document);
}
