#include "records/Exports.h"
#include "support/MemoryFileSaver.h"

#include <gtest/gtest.h>

#include <string>

using namespace aql::records;

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

XmlDocumentInfo infoWithContact(std::string contact) {
    XmlDocumentInfo info;
    info.executableName = "AqlRemote";
    info.generatedAt = "2024-05-06 07:08:09";
    info.contact = std::move(contact);
    info.siteName = "Sunny Baths";
    info.poolName = "Main pool";
    info.numberOfPools = 2;
    return info;
}

} // namespace

// The file is written in pieces of about 1 MiB; a piece not emptied after it was written would
// write every earlier record again, a piece dropped would lose records.
TEST(XmlFile, aLogOfSeveralWritePiecesIsTheInMemoryDocumentByteForByte) {
    const RecordList list = numberedRecords(1200);
    const XmlDocumentInfo info = infoWithContact("");
    const std::string document = xmlDocument(info, list);
    ASSERT_GT(document.size(), 3u << 20) << "too small to need several write pieces";

    aql::test::MemoryFileSaver files;
    writeXmlDocument(files, "log.xml", info, list);
    const std::string written = files.content("log.xml").value_or("");
    ASSERT_EQ(written.size(), document.size());
    EXPECT_TRUE(written == document) << "the file differs from the in-memory document";
}

// The CSV file goes out in pieces of about 1 MiB as well.
TEST(CsvFile, aLogOfSeveralWritePiecesIsTheInMemoryTextByteForByte) {
    const RecordList list = numberedRecords(25000);
    const std::string text = recordListCsv(list);
    ASSERT_GT(text.size(), 3u << 20) << "too small to need several write pieces";

    aql::test::MemoryFileSaver files;
    writeRecordListCsv(files, "log.csv", list);
    const std::string written = files.content("log.csv").value_or("");
    ASSERT_EQ(written.size(), text.size());
    EXPECT_TRUE(written == text) << "the file differs from the in-memory text";

    writeRecordListCsv(files, "empty.csv", RecordList());
    EXPECT_EQ(files.content("empty.csv"), std::string());
}

TEST(XmlFile, theConfiguredContactIsWrittenEscapedAndOnlyAnEmptyOneGivesTheDefault) {
    const RecordList list = numberedRecords(2);
    const struct {
        std::string contact;
        std::string element;
    } cases[] = {
        {"pool.ops@example.org", "  <contact>pool.ops@example.org</contact>\r\n"},
        {"Bad & <Baths>", "  <contact>Bad &amp; &lt;Baths&gt;</contact>\r\n"},
        {"", "  <contact>" + std::string(kContactAddress) + "</contact>\r\n"},
    };
    aql::test::MemoryFileSaver files;
    for (const auto &c : cases) {
        const XmlDocumentInfo info = infoWithContact(c.contact);
        writeXmlDocument(files, "log.xml", info, list);
        const std::string xml = files.content("log.xml").value_or("");
        EXPECT_NE(xml.find(c.element), std::string::npos) << c.contact;
        EXPECT_EQ(xml.find("<contact>"), xml.rfind("<contact>")) << c.contact;
        EXPECT_EQ(xml, xmlDocument(info, list)) << c.contact;
    }
}
