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

TEST_F(FileReaderTest, eachLayoutIsReadWithItsOwnValuesAndAnExportReadsBackByteForByte) {
    reader.readFile(test::fixture("shell/stored_3_1_2.csv").string(), ",", true, 20000);
    ASSERT_EQ(held(), "1:1001 2:1002 3:1003 ");

    list.clear();
    reader.readFile(lines({records::exportCsvHeader(), exported(3), exported(1), exported(2)}));
    EXPECT_EQ(held(), "1:1001 2:1002 3:1003 ");
    EXPECT_EQ(list.find("K2")->values()->reagent, 150);

    const std::string exportFile = test::fixture("shell/export_two_records.csv").string();
    list.clear();
    reader.readFile(exportFile);
    EXPECT_EQ(records::recordListCsv(list), test::readBytes(exportFile));
    // Under any other header a thirty-field line is a stored line, its sixth field the reagent.
    reader.readFile(lines({"\"Record Type\"", exported(9)}));
    EXPECT_EQ(list.find("K9")->values()->reagent, 300);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(FileReaderTest, theFirstLineMustHoldRecordInItsFirstTenCharacters) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "####-102-####"}, // an empty file
        {{"12345Record,Key", stored(1, 10)}, "####-101-####"},
        {{"RECORD TYPE", stored(1, 10)}, "####-101-####"},
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

// A line that cannot be read exactly stops the read at its line number: the records before it
// stay, none after it is taken. Under the export's header only the export's layout is read, since
// a line of another field count would come out scrambled; one trailing empty line ends a file.
TEST_F(FileReaderTest, aLineThatCannotBeReadExactlyIsRefusedAtItsLine) {
    const std::string x = records::exportCsvHeader();
    const std::string good = exported(2);
    const std::string cut = good.substr(0, good.size() - 3); // a truncated last line
    const std::string few = "3,1,104,2024-06-03 03:15:00,0,150";
    const std::string huge(70000, '7');
    const int bad = errc::kTypeMismatch;
    const int tooLong = errc::kInvalidArgument;
    const struct {
        std::vector<std::string> content;
        std::size_t refusedAt; // 0: read to the end
        int number;
        std::string reason;
        std::string held;
    } cases[] = {
        {{"Record", stored(2, 20), stored(1, 10), "3,garbage", stored(4, 40)},
         4,
         bad,
         "",
         "1:10 2:20 "},
        {{"Record", stored(2, 20), huge}, 3, tooLong, "longer than 65536 characters", "2:20 "},
        {{std::string(70000, 'R')}, 1, tooLong, "longer than 65536 characters", ""},
        {{x, exported(1), good, cut}, 4, bad, "29 fields", "1:1001 2:1002 "},
        {{x, exported(1), few}, 3, bad, "6 fields", "1:1001 "},
        {{x, exported(1), stored(4, 40)}, 3, bad, "65 fields", "1:1001 "},
        {{x, exported(1), good, ""}, 0, 0, "", "1:1001 2:1002 "},
        {{x, exported(1), good, "", ""}, 4, bad, "empty line", "1:1001 2:1002 "},
        {{"Record", stored(1, 1001), "", stored(2, 1002)}, 3, bad, "empty line", "1:1001 "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.content.back().substr(0, 40) + " " + c.reason);
        list.clear();
        const auto e = lineErrorOf([&] { reader.readFile(lines(c.content)); });
        ASSERT_EQ(e.has_value(), c.refusedAt != 0);
        if (e) {
            EXPECT_EQ(e->lineNumber(), c.refusedAt);
            EXPECT_EQ(e->number(), c.number);
            EXPECT_EQ(e->source(), "ReadFile");
            EXPECT_EQ(e->description(), "####-103-####");
            EXPECT_NE(e->reason().find(c.reason), std::string::npos) << e->reason();
        }
        EXPECT_EQ(held(), c.held);
    }
    const auto absent = test::errorOf([&] { reader.readFile((dir / "absent.csv").string()); });
    ASSERT_TRUE(absent);
    EXPECT_EQ(absent->number(), errc::kFileNotFound);
    EXPECT_EQ(absent->description(), "####-103-####");
    EXPECT_TRUE(box.shown.empty());
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
