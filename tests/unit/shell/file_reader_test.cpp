#include "records/Exports.h"
#include "shell/FileReader.h"
#include "support/ErrorOf.h"
#include "support/LinkFakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace aql::shell {
namespace {

// A stored record line: type, key, number, timestamp, temperature, then the 60 value fields.
std::string stored(int number, int key) {
    return "3," + std::to_string(key) + "," + std::to_string(number) + ",2009-03-07 14:05,21," +
           "150,11,120,300,50,40,1,0,0,0,0,0,0,0,0,0,0,0,0,0,725,720,780,680,15,2,650,800,500,0,0,"
           "35,20,10,0,5,0,0,0,37,4,120,110,0,0,95,96,3,80,96,80,27,0,0,0,0,7,0,0,0";
}

// An export line with every column distinct, for record `number`, key 1000 + number.
std::string exported(int number) {
    return "3," + std::to_string(1000 + number) + "," + std::to_string(number) +
           ",2009-03-07 14:05:00,21,300,50,120,150,150,7.8,6.8,7.2,7.25,7.25,20,10,35,35,40,15,95,"
           "96,3,80,650,12,9,96,80";
}

// The line error a call raises (any other error escapes), or nullopt when it returns normally.
template <class F> std::optional<RecordLineError> lineErrorOf(F &&call) {
    try {
        call();
    } catch (const RecordLineError &e) {
        return e;
    }
    return std::nullopt;
}

// The records of a list, in list order, as number:key.
std::string numbersAndKeys(const records::RecordList &list) {
    std::string s;
    list.forEach([&](const records::LogRecord &r) {
        s += std::to_string(r.recordNumber) + ":" + std::to_string(r.recordKey) + " ";
    });
    return s;
}

class FileReaderTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingMessageBox box;
    LanguageTexts texts{box}; // empty: text n reads "####-n-####"
    records::RecordList list;
    FileReader reader{list, texts, box};

    // A file of these lines, each ended by CR LF.
    std::string lines(const std::vector<std::string> &all) {
        std::string text;
        for (const std::string &l : all) {
            text += l + "\r\n";
        }
        test::writeBytes(dir / "LogValues.csv", text);
        return (dir / "LogValues.csv").string();
    }
    std::string held() const { return numbersAndKeys(list); }
};

TEST_F(FileReaderTest, eachLayoutIsReadWithItsOwnValuesAndEndsUpOrdered) {
    reader.readFile(test::fixture("shell/stored_3_1_2.csv").string(), ",", true, 20000);
    ASSERT_EQ(held(), "1:1001 2:1002 3:1003 ");

    list.clear();
    reader.readFile(lines({records::exportCsvHeader(), exported(3), exported(1), exported(2)}));
    EXPECT_EQ(held(), "1:1001 2:1002 3:1003 ");
    EXPECT_EQ(list.find("K2")->values()->reagent, 150);

    // Read back and exported again, an export comes out as it went in: no value changed place.
    const std::string exportFile = test::fixture("shell/export_two_records.csv").string();
    list.clear();
    reader.readFile(exportFile);
    EXPECT_EQ(records::recordListCsv(list), test::readBytes(exportFile));
    // Under any other header a thirty-field line is a stored line, its sixth field the reagent.
    reader.readFile(lines({"\"Record Type\"", exported(9)}));
    EXPECT_EQ(list.find("K9")->values()->reagent, 300);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(FileReaderTest, theFirstOccurrenceOfANumberWinsWithinAFileAndAcrossReads) {
    const std::string log = lines({"Record", stored(5, 50), stored(2, 20), stored(5, 51)});
    reader.readFile(log);
    reader.readFile(log);
    EXPECT_EQ(held(), "2:20 5:50 ");
    reader.readFile(lines({"Record", stored(2, 29), "0" + stored(3, 30).substr(1)}));
    EXPECT_EQ(held(), "2:20 3:30 5:50 ");
    EXPECT_EQ(list.find("K3")->recordType, 3); // the type written in the line does not count
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(FileReaderTest, theFirstLineMustHoldRecordInItsFirstTenCharacters) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "####-102-####"}, // an empty file
        {{"12345Record,Key", stored(1, 10)}, "####-101-####"},
        {{"RECORD TYPE", stored(1, 10)}, "####-101-####"},
        {{"", stored(1, 10)}, "####-101-####"},
        {{"1234Record", stored(1, 10)}, ""},
        {{"  \"Record Type\"", stored(1, 10)}, ""},
    };
    for (const auto &[content, message] : cases) {
        list.clear();
        box.shown.clear();
        reader.readFile(lines(content));
        EXPECT_EQ(list.count(), message.empty() ? 1u : 0u) << content[0];
        ASSERT_EQ(box.shown.size(), message.empty() ? 0u : 1u) << content[0];
        EXPECT_TRUE(message.empty() || (box.shown[0].text == message &&
                                        box.shown[0].style == platform::style::kCritical));
    }
}

TEST_F(FileReaderTest, aBadLineStopsTheReadKeepsEarlierRecordsAndRaisesAsReadFile) {
    const struct {
        std::string bad;
        int number;
        std::string reason;
    } cases[] = {
        {"3,garbage,3,2009-03-07 14:05,21,1", errc::kTypeMismatch, "Type mismatch"},
        {"", errc::kTypeMismatch, "empty line"}, // an empty line in the middle of the file
        {"3,1,99999999999,2009-03-07 14:05,21,1", errc::kOverflow, "Overflow"},
        {std::string(70000, '7'), errc::kInvalidArgument, "longer than 65536 characters"},
    };
    for (const auto &[bad, number, reason] : cases) {
        list.clear();
        const auto e = lineErrorOf([&] {
            reader.readFile(lines({"Record", stored(2, 20), stored(1, 10), bad, stored(4, 40)}));
        });
        ASSERT_TRUE(e) << bad.substr(0, 40);
        EXPECT_EQ(e->number(), number);
        EXPECT_EQ(e->source(), "ReadFile");
        EXPECT_EQ(e->description(), "####-103-####");
        EXPECT_EQ(e->lineNumber(), 4u);
        EXPECT_EQ(e->reason(), reason);
        EXPECT_EQ(held(), "1:10 2:20 ");
    }
    const auto header = lineErrorOf([&] { reader.readFile(lines({std::string(70000, 'R')})); });
    ASSERT_TRUE(header);
    EXPECT_EQ(header->lineNumber(), 1u);
    const auto absent = test::errorOf([&] { reader.readFile((dir / "absent.csv").string()); });
    ASSERT_TRUE(absent);
    EXPECT_EQ(absent->number(), errc::kFileNotFound);
    EXPECT_EQ(absent->description(), "####-103-####");
    EXPECT_EQ(test::errorNumberOf([&] { reader.readFile(dir.path().string()); }),
              errc::kPathFileAccess);
    EXPECT_NO_THROW(reader.readFile(""));
    EXPECT_TRUE(box.shown.empty());
}

// Under the export's header only the export's layout is read: a line of any other field count
// would come out scrambled if it were read another way, so the file is refused at that line.
TEST_F(FileReaderTest, underTheExportHeaderALineOfAnotherFieldCountIsRefusedAtItsLine) {
    const std::string good = exported(2);
    const std::pair<std::string, std::string> cases[] = {
        {good.substr(0, good.size() - 3), "29 fields"},                // a truncated last line
        {"3,1,104,2024-06-03 03:15:00,0,150", "6 fields"},             // too few
        {good + ",7", "31 fields"},                                    // too many
        {stored(4, 40), "65 fields"},                                  // the stored layout
        {good.substr(0, 27) + "x" + good.substr(28), "Type mismatch"}, // right count, bad value
    };
    for (const auto &[bad, reason] : cases) {
        SCOPED_TRACE(bad);
        list.clear();
        const auto e = lineErrorOf([&] {
            reader.readFile(lines({records::exportCsvHeader(), exported(1), good, bad}));
        });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->number(), errc::kTypeMismatch);
        EXPECT_EQ(e->source(), "ReadFile");
        EXPECT_EQ(e->description(), "####-103-####");
        EXPECT_EQ(e->lineNumber(), 4u);
        EXPECT_NE(e->reason().find(reason), std::string::npos) << e->reason();
        EXPECT_EQ(held(), "1:1001 2:1002 ");
    }
}

// The reader puts its records into the list a batch at a time. A shuffled export longer than the
// largest batch, numbers repeated, must fill the list as single inserts line by line would; a
// line refused far into it must leave every record before it and none after, whatever batch they
// were in.
TEST_F(FileReaderTest, aLongShuffledFileFillsTheListAsSingleInsertsLineByLineWould) {
    std::mt19937 random(5);
    std::vector<std::string> file = {records::exportCsvHeader()};
    for (int key = 0; key < 70000; ++key) {
        std::string line = exported(1 + static_cast<int>(random() % 50000));
        line.replace(2, line.find(',', 2) - 2, std::to_string(key)); // the key tells arrivals apart
        file.push_back(line);
    }
    auto singleInserts = [&](std::size_t lineCount) {
        records::RecordList one;
        for (std::size_t i = 1; i <= lineCount; ++i) {
            records::LogRecord record;
            record.fromExportCsv(file[i], records::rtype::kLog);
            one.insert(record);
        }
        return numbersAndKeys(one);
    };
    reader.readFile(lines(file));
    EXPECT_EQ(held(), singleInserts(file.size() - 1));

    list.clear();
    file.insert(file.begin() + 60001, "3,1,2,garbage");
    const auto e = lineErrorOf([&] { reader.readFile(lines(file)); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->lineNumber(), 60002u);
    EXPECT_EQ(e->reason(), "4 fields where the export header has 30");
    EXPECT_EQ(held(), singleInserts(60000));
}

TEST_F(FileReaderTest, oneTrailingEmptyLineEndsTheFileAndAnyOtherEmptyLineIsRefused) {
    for (const std::string &header : {records::exportCsvHeader(), std::string("Record")}) {
        SCOPED_TRACE(header.substr(0, 12));
        const bool exportLayout = header != "Record";
        const std::string a = exportLayout ? exported(1) : stored(1, 1001);
        const std::string b = exportLayout ? exported(2) : stored(2, 1002);
        const struct {
            std::vector<std::string> content;
            std::size_t refusedAt; // 0: read
            std::string held;
        } cases[] = {
            {{header, a, b, ""}, 0, "1:1001 2:1002 "},
            {{header, ""}, 0, ""},
            {{header, a, b, "", ""}, 4, "1:1001 2:1002 "}, // two empty lines at the end
            {{header, a, "", b}, 3, "1:1001 "},            // one between records
        };
        for (const auto &c : cases) {
            list.clear();
            const auto e = lineErrorOf([&] { reader.readFile(lines(c.content)); });
            EXPECT_EQ(e ? e->lineNumber() : 0, c.refusedAt);
            EXPECT_EQ(e ? e->reason() : "empty line", "empty line");
            EXPECT_EQ(held(), c.held);
        }
    }
}

TEST_F(FileReaderTest, baseFileImportEmptiesTheListOnlyOnceAFileIsChosen) {
    reader.readFile(lines({"Record", stored(1, 10), stored(9, 90)}));
    EXPECT_EQ(importBaseFile(reader, [] { return std::optional<std::string>(); }),
              BaseFileImport::Cancelled);
    EXPECT_EQ(held(), "1:10 9:90 ");

    const std::string chosen = lines({"Record", stored(9, 91), stored(4, 40)});
    EXPECT_EQ(importBaseFile(reader, [&] { return std::optional<std::string>(chosen); }),
              BaseFileImport::Read);
    EXPECT_EQ(held(), "4:40 9:91 ");

    const std::string bad = lines({"Record", stored(2, 20), "nonsense", stored(3, 30)});
    EXPECT_EQ(importBaseFile(reader, [&] { return std::optional<std::string>(bad); }),
              BaseFileImport::Stopped);
    EXPECT_EQ(held(), "2:20 ");
    EXPECT_TRUE(box.shown.empty());
}

} // namespace
} // namespace aql::shell
