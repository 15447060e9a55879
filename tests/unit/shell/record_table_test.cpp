#include "shell/RecordTable.h"

#include "LogRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace aql {
namespace {

std::vector<std::string> row(const shell::RecordTable &table, std::size_t r) {
    std::vector<std::string> cells;
    for (int c = 0; c < shell::RecordTable::kColumns; ++c) {
        cells.push_back(table.cell(r, c));
    }
    return cells;
}

TEST(RecordTable, aRowShowsTheTimestampAndTheSixteenReadOuts) {
    records::RecordList list;
    test::addLogRecords(list, 7, 1);
    const shell::RecordTable table(&list);
    ASSERT_EQ(table.rowCount(), 1u);
    // exportLine: reagent high 850, low 400, setpoint 600, value 612; pH high 7.6, low 6.8,
    // setpoint 7.2, value 7.25; flow low 5, stop 3, value 18; pumps 40 and 25; cell 700,
    // second reading 650, null 100, empty -2.
    EXPECT_EQ(row(table, 0), (std::vector<std::string>{"2009-03-07 14:05:00", "612", "600", "40",
                                                       "850", "400", "7.25", "7.2", "25", "7.6",
                                                       "6.8", "18", "5", "3", "700", "100", "-2"}));
}

TEST(RecordTable, aRecordWithoutValuesShowsItsTimestampAloneAndCellsOutsideAreEmpty) {
    records::RecordList list;
    records::LogRecord notALog;
    notALog.fromExportCsv(test::exportLine(4), 4);
    ASSERT_EQ(notALog.values(), nullptr);
    list.insert(notALog);
    const shell::RecordTable table(&list);
    std::vector<std::string> expected(shell::RecordTable::kColumns);
    expected[0] = "2009-03-07 14:05:00";
    EXPECT_EQ(row(table, 0), expected);
}

} // namespace
} // namespace aql
