#pragma once

#include "records/LogRecord.h"
#include "records/RecordList.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace aql::shell {

// The record table: one row per record of a pool, the timestamp and sixteen read-outs. It holds a
// copy of the records as they stood when it was made, so that it stays valid when the pools
// behind it are replaced (a pool change, a configuration save) and does not change while the
// download goes on.
class RecordTable {
public:
    static constexpr int kColumns = 17;
    static constexpr int kTimestampColumnTwips = 1700;

    // The header row; the titles are the same in every language.
    static const std::array<const char *, kColumns> &columnTitles();

    RecordTable() = default;
    // A copy of `records` (null: none).
    explicit RecordTable(const records::RecordList *records);

    std::size_t rowCount() const { return m_records.size(); }
    // The text of one cell; rows count from 0 in list order. Outside the table: empty.
    std::string cell(std::size_t row, int column) const;

    // A record's cell text. A record without values (not a log record) shows its timestamp
    // alone; one without a timestamp leaves column 0 empty.
    static std::string cellText(const records::LogRecord &record, int column);

private:
    std::vector<records::LogRecord> m_records;
};

} // namespace aql::shell
