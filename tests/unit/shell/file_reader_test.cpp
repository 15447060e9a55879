#include "records/Exports.h"
#include "shell/FileReader.h"
#include "support/ErrorOf.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace aql::shell {
namespace {

// The export's header line, typed from the column titles.
const std::string kExportHeader =
    "\"Record Type\",\"Record Key\",\"Record Number\",\"Date / Time\",\"Temperature\","
    "\"Reagent High Alarm\",\"Reagent Low Alarm\",\"Reagent Setpoint\",\"Reagent Value\","
    "\"Reagent Value\",\"pH High Alarm\",\"pH Low Alarm\",\"pH Setpoint\",\"pH Value\","
    "\"pH Value\",\"Flow Low Alarm\",\"Flow Stop Alarm\",\"Flow (m3/h)\",\"Flow (m3/h)\","
    "\"Reagent Pump %\",\"Acid Pump %\",\"Cell Active\",\"2e reading Cell\",\"Cell Null\","
    "\"Reagent valve\",\"Redox (mV)\",\"Vloc Pump (%)\",\"Bicarb Pump (%)\",\"TBC\",\"GBC (%)\"$%^";

// A stored record line: type, key, number, timestamp, temperature, then the 60 value fields,
// reagent first and pH in hundredths at value field 21.
std::string stored(int number, int key, int reagent = 150) {
    return "3," + std::to_string(key) + "," + std::to_string(number) + ",2009-03-07 14:05,21," +
           std::to_string(reagent) +
           ",11,120,300,50,40,1,0,0,0,0,0,0,0,0,0,0,0,0,0,725,720,780,680,15,2,650,800,500,0,0,"
           "35,20,10,0,5,0,0,0,37,4,120,110,0,0,95,96,3,80,96,80,27,0,0,0,0,7,0,0,0";
}

using Numbers = std::vector<std::int32_t>;

class FileReaderTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ScriptedMessageBox box;
    clsLanguage texts{box};
    records::RecordList list;
    FileReader reader{list, texts, box};

    void SetUp() override {
        std::string lng = "[begin]\r\n";
        for (int i = 1; i <= 103; ++i) {
            lng += "0|text " + std::to_string(i) + "\r\n";
        }
        texts.ReadLanguageText(lng, "test.lng");
    }
    std::string file(const std::string &bytes, const std::string &name = "log.csv") {
        test::writeBytes(dir / name, bytes);
        return (dir / name).string();
    }
    std::string lines(const std::vector<std::string> &all) {
        std::string text;
        for (const std::string &l : all) {
            text += l + "\r\n";
        }
        return file(text);
    }
    Numbers numbers() const {
        Numbers n;
        list.forEach([&](const records::dbRecord &r) { n.push_back(r.recordNumber); });
        return n;
    }
    const records::log &values(std::int32_t number) const {
        return *list.find("K" + std::to_string(number))->log();
    }
};

TEST_F(FileReaderTest, exportHeaderWithStoredLines312EndsUpOrderedWithTheirValues) {
    reader.readFile(test::fixture("shell/stored_3_1_2.csv").string(), ",", true, 20000);
    EXPECT_TRUE(box.shown.empty());
    ASSERT_EQ(numbers(), (Numbers{1, 2, 3}));
    const records::dbRecord &r = list.item(1);
    EXPECT_EQ(r.recordKey, 1001);
    EXPECT_EQ(r.systemTemperature, 21);
    EXPECT_EQ(r.datetime()->toANSI(), "2009-03-07 14:05:00");
    EXPECT_EQ(r.log()->tbcValue, 11);
    EXPECT_FLOAT_EQ(r.log()->pHLowAlarm, 6.8f);
    EXPECT_EQ(r.log()->flow2, 7); // value field 57 overrides field 36
    EXPECT_FLOAT_EQ(values(2).pH, 7.28f);
}

TEST_F(FileReaderTest, theFirstOccurrenceOfANumberWinsWithinAFileAndAcrossReads) {
    const std::string log = lines({"Record", stored(5, 50), stored(2, 20), stored(5, 51)});
    reader.readFile(log);
    reader.readFile(log);
    EXPECT_EQ(numbers(), (Numbers{2, 5}));
    EXPECT_EQ(list.find("K5")->recordKey, 50);
    reader.readFile(lines({"Record", stored(2, 29, 999), "0" + stored(3, 30).substr(1)}));
    EXPECT_EQ(numbers(), (Numbers{2, 3, 5}));
    EXPECT_EQ(values(2).reagent, 150);
    EXPECT_EQ(list.find("K3")->recordType, 3); // the type written in the line does not count
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(FileReaderTest, anEmptyFileOrAFirstLineWithoutRecordShowsItsTextAndReadsNothing) {
    records::dbRecord held;
    held.recordNumber = 99;
    list.insert(held);
    const std::pair<std::string, std::string> cases[] = {
        {"", "text 102"},
        {"12345Record,Key\r\n" + stored(1, 10), "text 101"},
        {"Sequence, Record\r\n" + stored(1, 10), "text 101"},
        {"RECORD TYPE\r\n" + stored(1, 10), "text 101"},
        {"\r\n" + stored(1, 10), "text 101"},
    };
    for (const auto &[content, text] : cases) {
        box.shown.clear();
        reader.readFile(file(content));
        ASSERT_EQ(box.shown.size(), 1u) << content;
        EXPECT_EQ(box.shown[0].text, text);
        EXPECT_EQ(box.shown[0].style, platform::style::kCritical);
    }
    EXPECT_EQ(numbers(), (Numbers{99}));
}

TEST_F(FileReaderTest, aFirstLineWithRecordInItsFirstTenCharactersIsAHeader) {
    int n = 0;
    for (const char *header : {"Record", "\"Record Type\",\"Key\"", "  Record", "1234Record"}) {
        reader.readFile(lines({header, stored(++n, 10)}));
        EXPECT_EQ(list.count(), static_cast<std::size_t>(n)) << header;
    }
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(FileReaderTest, aBadLineStopsTheImportKeepsEarlierRecordsAndRaisesAsReadFile) {
    const std::pair<std::string, int> cases[] = {
        {"3,garbage,3,2009-03-07 14:05,21,1", errc::kTypeMismatch},
        {"", errc::kTypeMismatch}, // an empty line in the middle of the file
        {"3,1,99999999999,2009-03-07 14:05,21,1", errc::kOverflow},
    };
    for (const auto &[bad, number] : cases) {
        list.clear();
        const auto e = test::errorOf([&] {
            reader.readFile(lines({"Record", stored(2, 20), stored(1, 10), bad, stored(4, 40)}));
        });
        ASSERT_TRUE(e) << bad;
        EXPECT_EQ(e->number(), number);
        EXPECT_EQ(e->source(), "ReadFile");
        EXPECT_EQ(e->description(), "text 103");
        EXPECT_EQ(numbers(), (Numbers{1, 2}));
    }
    list.clear();
    const auto tooLong = test::errorOf([&] {
        reader.readFile(lines({"Record", stored(1, 10), std::string(70000, '7'), stored(2, 20)}));
    });
    ASSERT_TRUE(tooLong);
    EXPECT_EQ(tooLong->source(), "ReadFile");
    EXPECT_EQ(numbers(), (Numbers{1}));

    for (const auto &[path, number] :
         {std::pair{(dir / "absent.csv").string(), errc::kFileNotFound},
          std::pair{dir.path().string(), errc::kPathFileAccess}}) {
        const auto e = test::errorOf([&, p = path] { reader.readFile(p); });
        ASSERT_TRUE(e) << path;
        EXPECT_EQ(e->number(), number);
        EXPECT_EQ(e->description(), "text 103");
    }
    EXPECT_NO_THROW(reader.readFile(""));
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(FileReaderTest, everyLineEndAndAMissingLastLineEndReadTheSameRecords) {
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        list.clear();
        reader.readFile(
            file("Record" + eol + stored(3, 30) + eol + stored(1, 10) + eol + stored(2, 20)));
        EXPECT_EQ(numbers(), (Numbers{1, 2, 3}));
    }
}

TEST_F(FileReaderTest, anExportedFileReadsBackWithItsValuesInTheirPlaces) {
    const std::string fixture = test::fixture("shell/export_two_records.csv").string();
    ASSERT_EQ(test::readBytes(fixture).substr(0, kExportHeader.size() + 2), kExportHeader + "\r\n");
    ASSERT_EQ(records::exportCsvHeader(), kExportHeader);
    reader.readFile(fixture);
    EXPECT_TRUE(box.shown.empty());
    ASSERT_EQ(numbers(), (Numbers{7, 8}));
    // One column of each group, read from the export's own places and units.
    const records::log &v = values(7);
    EXPECT_EQ(list.item(1).datetime()->toANSI(), "2009-03-07 14:05:00");
    EXPECT_EQ(v.reagentHighalarm, 300);
    EXPECT_EQ(v.reagent, 150);
    EXPECT_FLOAT_EQ(v.pHSetpoint, 7.2f);
    EXPECT_FLOAT_EQ(v.pH, 7.25f);
    EXPECT_EQ(v.flowStopAlarm, 10);
    EXPECT_EQ(v.acidPump, 15);
    EXPECT_EQ(v.cl2Value, 96);
    EXPECT_EQ(v.redox, 650);
    EXPECT_EQ(v.bicarbPump, 9);
    EXPECT_EQ(v.GBC, 80);
    EXPECT_EQ(list.item(2).systemTemperature, -2);
}

TEST_F(FileReaderTest, theExportLayoutIsUsedOnlyForThirtyFieldLinesUnderTheExportHeader) {
    const std::string line = "3,1007,7,2009-03-07 14:05:00,21,300,50,120,150,150,7.8,6.8,7.2,7.25,"
                             "7.25,20,10,35,35,40,15,95,96,3,80,650,12,9,96,80";
    reader.readFile(lines({kExportHeader, stored(4, 40), line}));
    EXPECT_EQ(values(7).reagent, 150);
    EXPECT_EQ(values(4).reagent, 150);
    EXPECT_FLOAT_EQ(values(4).pH, 7.25f);
    // Under any other header the same line is a stored line: its sixth field is the reagent.
    list.clear();
    reader.readFile(lines({"\"Record Type\"", line}));
    EXPECT_EQ(values(7).reagent, 300);
}

TEST_F(FileReaderTest, baseFileImportEmptiesTheListOnlyOnceAFileIsChosen) {
    reader.readFile(lines({"Record", stored(1, 10), stored(9, 90)}));
    EXPECT_EQ(importBaseFile(reader, [] { return std::optional<std::string>(); }),
              BaseFileImport::Cancelled);
    EXPECT_EQ(numbers(), (Numbers{1, 9}));

    const std::string chosen = lines({"Record", stored(9, 91), stored(4, 40)});
    EXPECT_EQ(importBaseFile(reader, [&] { return std::optional<std::string>(chosen); }),
              BaseFileImport::Read);
    EXPECT_EQ(numbers(), (Numbers{4, 9}));
    EXPECT_EQ(list.find("K9")->recordKey, 91);

    const std::string bad = lines({"Record", stored(2, 20), "nonsense", stored(3, 30)});
    EXPECT_EQ(importBaseFile(reader, [&] { return std::optional<std::string>(bad); }),
              BaseFileImport::Stopped);
    EXPECT_EQ(numbers(), (Numbers{2}));
    EXPECT_TRUE(box.shown.empty());
}

class RecordingDialog : public platform::FileDialog {
public:
    std::optional<std::string> openFile(const std::string &folder,
                                        const std::string &filter) override {
        asked = folder + " " + filter;
        return answer;
    }
    std::optional<std::string> saveFile(const std::string &, const std::string &) override {
        return std::nullopt;
    }
    std::string asked;
    std::optional<std::string> answer;
};

TEST_F(FileReaderTest, baseFileImportOpensTheDialogInTheProgramFolderOnCsvFiles) {
    RecordingDialog dialog;
    dialog.answer = lines({"Record", stored(6, 60)});
    EXPECT_EQ(importBaseFile(reader, dialog, "C:\\AQL"), BaseFileImport::Read);
    EXPECT_EQ(dialog.asked, "C:\\AQL CSV files|*.csv");
    EXPECT_EQ(numbers(), (Numbers{6}));
}

} // namespace
} // namespace aql::shell
