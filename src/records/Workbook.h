#pragma once

#include "records/RecordList.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

// The log as an Excel workbook (.xlsx), for operators whose spreadsheet reads a comma CSV with
// decimal points as one column or as mangled numbers (any spreadsheet set to Dutch, German...).
//
// Typical use, by the log window's Excel button and `aqlremote-cli ... --xlsx FILE`:
//
//     records::WorkbookInfo info;
//     info.executableName = <the executable's name, as the XML export's generator gives it>;
//     info.siteName = <the resort of the pool the records were downloaded from>;
//     info.poolName = <that pool's name>;
//     const std::string bytes = records::workbookBytes(records, info); // AqlError 75 on failure
//     fileSaver.saveWhole(chosenPath, bytes); // the program's file-saving primitive
//
// Suggested file dialog filter: "Excel workbooks|*.xlsx". The bytes are a complete file: write
// them unchanged (binary). Nothing is written anywhere but a scratch folder that is gone again
// when the call returns, whether it succeeds or throws.
//
// What the workbook holds: one worksheet, named after the pool (see worksheetName). Row 1 holds
// the 30 column titles of the CSV export in the same order ("Record Type" ... "GBC (%)"), bold,
// frozen so that it stays in view, with an autofilter over the whole table. Then one row per
// record in list order, the same values as the record's CSV line:
//   - every value that the CSV writes as a number is a numeric cell: integers as whole numbers,
//     the pH values with exactly the decimals the CSV shows (7.25, 6.8: not the single-precision
//     6.80000019...), negative values as negative numbers;
//   - "Date / Time" is a real date-time cell, number format "yyyy-mm-dd hh:mm:ss"; a timestamp no
//     calendar has (month 0, day 31 of April, hour 99, a year before 1900 or after 9999) is the
//     CSV's text instead, so nothing is silently changed;
//   - anything else (a pH that is not a finite number) is the CSV's text;
//   - a record that holds no values (not a log record) gets its type, key, number, timestamp and
//     temperature, and empty value cells.
// Columns are as wide as their title or their widest value. Cells carry number formats, never
// formatted text, so a spreadsheet in any language shows its own decimal separator and reads the
// numbers as numbers. Document properties: title "Log of <pool> (<site>)", comments "Written by
// <executable> V<major>.<minor>.<revision>", and the custom properties "Generator", "Site" and
// "Pool" with the same texts.
//
// Cost (bench_workbook, 100,000 records): see the benchmark's output; the sheet goes to disk row by
// row, so memory stays small beside the records themselves and the returned bytes.
//
// Threads: the workbook library formats numbers with the C library, which honours the process's
// numeric locale (Qt sets the user's on Linux: a German or Dutch one writes "7,25" and makes the
// file unreadable). While the call runs, a numeric locale without a decimal point is switched to
// the classic "C" one and restored afterwards; do not call this while another thread depends on
// the C library's numeric locale.

namespace aql::records {

// Where the workbook came from and whose log it is. Texts are the program's single-byte texts
// (Latin-1; the bytes 0x80-0x9F as the Windows Western code page has them), as the configuration
// gives them; they are converted for the workbook.
struct WorkbookInfo {
    std::string executableName;    // the program, e.g. "aqlremote"
    std::int32_t majorVersion = 2; // the version after it: " V2.0.41"
    std::int32_t minorVersion = 0;
    std::int32_t revision = 41;
    std::string siteName;      // the resort of the pool the records came from
    std::string poolName;      // that pool's name; also names the worksheet
    std::time_t createdAt = 0; // the creation time the file states; 0: now. The same input
                               // with the same time gives the same bytes.
    std::filesystem::path scratchFolder; // where the private scratch folder goes; empty: the
                                         // system's temporary folder
};

// The most records one worksheet holds below its title row.
inline constexpr std::size_t kWorkbookMaxRecords = 1048575;

// The whole .xlsx file of `records`. An empty list gives the title row alone.
// Errors: AqlError 75 (path/file access) with a description in plain words: more records than
// kWorkbookMaxRecords, no usable temporary folder, the workbook library failing (disk full...).
std::string workbookBytes(const RecordList &records, const WorkbookInfo &info);

// The worksheet name for a pool name (single-byte text in, UTF-8 out), as Excel accepts it:
// the characters \ / ? * [ ] : and control characters become "_", leading and trailing blanks and
// apostrophes go, at most 31 characters remain; nothing left gives "Log", and "History" (which
// Excel keeps for itself) becomes "History_".
std::string worksheetName(std::string_view poolName);

} // namespace aql::records
