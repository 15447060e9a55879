#include "records/Workbook.h"
#include "support/DownloadedRecords.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

// What the cells hold, in the classic and a decimal-comma locale, is read back by a spreadsheet
// reader in check_workbook.py; these tests cover what needs no reader: the sheet name and errors.

using namespace aql::records;
using aql::test::TempDir;

namespace {

std::size_t entries(const std::filesystem::path &folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

} // namespace

// A name the workbook library refuses only fails the export, which says so; these would pass it
// and leave a file a spreadsheet has to repair (the pool's own name is read back by the script).
TEST(Workbook, worksheetNamesASpreadsheetWouldRepairAreMended) {
    std::string e31;
    for (int i = 0; i < 31; ++i) {
        e31 += "\xC3\xA9";
    }
    const std::pair<std::string, std::string> cases[] = {
        // pool name (Latin-1), sheet (UTF-8)
        {"Tab\there\x81", "Tab_here_"},
        {"HISTORY", "HISTORY_"},
        {std::string(40, '\xE9'), e31}, // characters are counted, not bytes
    };
    for (const auto &[pool, sheet] : cases) {
        EXPECT_EQ(worksheetName(pool), sheet) << "pool name: " << pool;
    }
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
    RecordList records;
    records.insert(aql::test::loggedRecord(1));
    for (const auto &folder : folders) {
        WorkbookInfo info;
        info.scratchFolder = folder;
        const auto error = aql::test::errorOf([&] { workbookBytes(records, info); });
        ASSERT_TRUE(error.has_value()) << folder;
        EXPECT_EQ(error->number(), 75) << folder;
    }
    EXPECT_EQ(entries(scratch.path()), 2u); // the file and the folder the test made
    EXPECT_EQ(entries(deep), 0u);
}
