#include "records/Workbook.h"
#include "support/DecimalCommaLocale.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

// What the cells hold is read back by a spreadsheet reader in check_workbook.py; these tests cover
// what needs no reader: the sheet name, reproducibility, errors and clean-up.

using namespace aql::records;
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

std::size_t entries(const std::filesystem::path &folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

} // namespace

TEST(Workbook, worksheetNameFollowsExcelRules) {
    std::string e31;
    for (int i = 0; i < 31; ++i) {
        e31 += "\xC3\xA9";
    }
    const std::pair<std::string, std::string> cases[] = {
        // pool name (Latin-1), sheet (UTF-8)
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
        {std::string(40, '\xE9'), e31}, // characters are counted, not bytes
    };
    for (const auto &[pool, sheet] : cases) {
        EXPECT_EQ(worksheetName(pool), sheet) << "pool name: " << pool;
    }
}

// The workbook library prints fractions with the C library; a caller in a decimal-comma locale
// must get a readable file (checked by the read-back) and its own locale back. The same log and
// creation time give the same bytes, whatever the locale, and nothing is left in the scratch
// folder.
TEST(Workbook, sameLogAndTimeGiveTheSameBytesInAnyLocaleAndLeaveNothingBehind) {
    TempDir scratch;
    WorkbookInfo info = infoIn(scratch.path());
    const std::string first = workbookBytes(twoRecords(), info);
    workbookBytes(RecordList(), info);
    EXPECT_EQ(entries(scratch.path()), 0u);
    {
        aql::test::DecimalCommaLocale comma(LC_NUMERIC);
        ASSERT_TRUE(comma.active()) << aql::test::DecimalCommaLocale::kMissing;
        EXPECT_EQ(workbookBytes(twoRecords(), info), first);
        EXPECT_EQ(std::string(std::localeconv()->decimal_point), ",");
        EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), "de_DE.UTF-8");
    }
    info.createdAt += 60;
    EXPECT_NE(workbookBytes(twoRecords(), info), first);
}

TEST(Workbook, anUnusableScratchFolderOrAFailureWhileWritingIsError75AndLeavesNothing) {
    TempDir scratch;
    aql::test::writeBytes(scratch / "a-file", "x");
    std::vector<std::filesystem::path> folders = {scratch / "missing", scratch / "a-file",
                                                  scratch / "missing" / "deeper"};
    std::filesystem::path deep = scratch / "deep";
    std::filesystem::create_directories(deep);
#ifdef __linux__
    // A failure once the workbook is under way: the scratch folder's name still fits Linux's
    // 4096-byte path limit, the workbook's file inside it ("aql-workbook-" and 16 hexadecimal
    // digits, then its own name) no longer does.
    const std::size_t wanted = 4096 - 1 - 29 - 6;
    while (deep.native().size() < wanted) {
        deep /= std::string(std::min<std::size_t>(wanted - deep.native().size() - 1, 200), 'd');
    }
    std::filesystem::create_directories(deep);
    folders.push_back(deep);
#endif
    for (const auto &folder : folders) {
        const auto error = aql::test::errorOf([&] { workbookBytes(twoRecords(), infoIn(folder)); });
        ASSERT_TRUE(error.has_value()) << folder;
        EXPECT_EQ(error->number(), 75) << folder;
        EXPECT_NE(error->description().find("Excel workbook"), std::string::npos)
            << error->description();
        EXPECT_TRUE(folder == deep ||
                    error->description().find(folder.u8string()) != std::string::npos)
            << error->description();
    }
    EXPECT_EQ(entries(scratch.path()), 2u); // the file and the folder the test made
    EXPECT_EQ(entries(deep), 0u);
}
