#include "records/Workbook.h"
#include "support/DecimalCommaLocale.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <string>

// What the cells hold is read back by a spreadsheet reader in check_workbook.py; these tests cover
// what needs no reader: the sheet name, the package, reproducibility, errors and clean-up.

using namespace aql::records;
using aql::test::DecimalCommaLocale;
using aql::test::errorOf;
using aql::test::TempDir;

namespace {

RecordList twoRecords() {
    RecordList list;
    for (const char *line : {"3,1,1,2009-03-07 14:05:00,21,1,2,3,4,4,7.8,6.8,7.2,7.25,7.25,"
                             "5,6,7,7,8,9,10,11,12,13,14,15,16,17,18",
                             "3,2,2,2009-00-07 99:05:00,-5,1,2,3,4,4,7.8,6.8,7.2,7.25,7.25,"
                             "5,6,7,7,8,9,10,11,12,13,14,15,16,17,18"}) {
        LogRecord record;
        record.fromExportCsv(line, rtype::kLog);
        list.insert(record);
    }
    return list;
}

WorkbookInfo infoIn(const std::filesystem::path &scratch) {
    WorkbookInfo info;
    info.executableName = "aqlremote";
    info.siteName = "Sportpark Noord";
    info.poolName = "Zwembad Caf\xE9";
    info.createdAt = 1700000000;
    info.scratchFolder = scratch;
    return info;
}

bool isEmptyFolder(const std::filesystem::path &folder) {
    return std::filesystem::is_empty(folder);
}

} // namespace

TEST(Workbook, worksheetNameFollowsExcelRules) {
    struct Case {
        const char *poolName;
        const char *sheetName; // UTF-8
    };
    const std::string e40(40, '\xE9');
    std::string e31;
    for (int i = 0; i < 31; ++i) {
        e31 += "\xC3\xA9";
    }
    const Case cases[] = {
        {"Zwembad Caf\xE9", "Zwembad Caf\xC3\xA9"},
        {"Euro \x80 \x93quoted\x94", "Euro \xE2\x82\xAC \xE2\x80\x9Cquoted\xE2\x80\x9D"},
        {"Bad A/B [1]: *?\\", "Bad A_B _1__ ___"},
        {"Tab\there\x81", "Tab_here_"},
        {"'Quoted'", "Quoted"},
        {"  Pool 1  ", "Pool 1"},
        {"O'Neill pool", "O'Neill pool"},
        {"", "Log"},
        {" ' '' ", "Log"},
        {"HISTORY", "HISTORY_"},
        {"History 2", "History 2"},
        {"A234567890123456789012345678901234567890", "A234567890123456789012345678901"},
        // the 31st character is a blank, which would end the name
        {"123456789012345678901234567890 tail", "123456789012345678901234567890"},
        {e40.c_str(), e31.c_str()}, // characters are counted, not bytes
    };
    for (const Case &c : cases) {
        EXPECT_EQ(worksheetName(c.poolName), c.sheetName) << "pool name: " << c.poolName;
    }
}

TEST(Workbook, sameLogAndCreationTimeGiveTheSameBytes) {
    TempDir scratch;
    WorkbookInfo info = infoIn(scratch.path());
    const std::string first = workbookBytes(twoRecords(), info);
    EXPECT_EQ(workbookBytes(twoRecords(), info), first);
    info.createdAt += 60;
    EXPECT_NE(workbookBytes(twoRecords(), info), first);
}

TEST(Workbook, nothingIsLeftInTheScratchFolder) {
    TempDir scratch;
    workbookBytes(twoRecords(), infoIn(scratch.path()));
    workbookBytes(RecordList(), infoIn(scratch.path()));
    EXPECT_TRUE(isEmptyFolder(scratch.path()));
}

TEST(Workbook, unusableScratchFolderIsError75AndLeavesNothing) {
    TempDir scratch;
    aql::test::writeBytes(scratch / "a-file", "x");
    const std::filesystem::path unusable[] = {scratch / "missing", scratch / "a-file",
                                              scratch / "missing" / "deeper"};
    for (const auto &folder : unusable) {
        const auto error = errorOf([&] { workbookBytes(twoRecords(), infoIn(folder)); });
        ASSERT_TRUE(error.has_value()) << folder;
        EXPECT_EQ(error->number(), 75) << folder;
        EXPECT_NE(error->description().find("Excel workbook"), std::string::npos)
            << error->description();
        EXPECT_NE(error->description().find(folder.u8string()), std::string::npos)
            << error->description();
    }
    // Only the file the test made is there.
    int entries = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(scratch.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

#ifdef __linux__
// A failure once the workbook is under way: the scratch folder's name still fits Linux's 4096-byte
// path limit, the workbook's file inside it no longer does.
TEST(Workbook, failureWhileWritingIsError75AndLeavesNothing) {
    TempDir scratch;
    constexpr std::size_t kPathLimit = 4096;
    constexpr std::size_t kFolderName = 29; // "aql-workbook-" and 16 hexadecimal digits
    std::filesystem::path deep = scratch.path();
    const std::size_t wanted = kPathLimit - 1 - kFolderName - 6;
    while (deep.native().size() < wanted) {
        const std::size_t room = wanted - deep.native().size() - 1;
        deep /= std::string(std::min<std::size_t>(room, 200), 'd');
    }
    std::filesystem::create_directories(deep);
    ASSERT_EQ(deep.native().size(), wanted);

    const auto error = errorOf([&] { workbookBytes(twoRecords(), infoIn(deep)); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), 75);
    EXPECT_NE(error->description().find("Excel workbook"), std::string::npos)
        << error->description();
    EXPECT_TRUE(isEmptyFolder(deep));
}
#endif

// The workbook library prints fractions with the C library; a caller in a decimal-comma locale
// must get a readable file (checked by the read-back) and its own locale back.
TEST(Workbook, callersNumericLocaleIsKeptAfterwards) {
    DecimalCommaLocale comma(LC_NUMERIC);
    ASSERT_TRUE(comma.active()) << DecimalCommaLocale::kMissing;
    TempDir scratch;
    const std::string bytes = workbookBytes(twoRecords(), infoIn(scratch.path()));
    const std::string point = std::localeconv()->decimal_point;
    const std::string locale = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(point, ",");
    EXPECT_EQ(locale, "de_DE.UTF-8");
    // Written in the classic locale, the same log gives the same bytes.
    EXPECT_EQ(workbookBytes(twoRecords(), infoIn(scratch.path())), bytes);
}
