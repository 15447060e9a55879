// Writes the workbooks that check_workbook.py reads back with openpyxl: `log.xlsx` from a small
// hand-made log and `empty.xlsx` from no records, into the folder given as the only argument. The
// user's locale from the environment is taken on first, as the console on Linux does, so the script
// can run this under a locale with a decimal comma. Prints the decimal point before and after.
#include "core/Error.h"
#include "records/Workbook.h"
#include "support/TempDir.h"

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>

using namespace aql::records;

namespace {

// Export lines as the CSV has them (30 columns); the script holds the values it expects, written
// out by hand, not derived from these.
const char *const kLogLines[] = {
    // pH with decimals (7.25, and 6.8, which single precision cannot hold exactly)
    "3,258,1001,2009-03-07 14:05:00,21,500,50,300,150,150,7.8,6.8,7.2,7.25,7.25,"
    "20,10,120,120,40,25,400,401,12,65535,650,5,6,7,8",
    // negative values, a leap day
    "3,259,1002,2024-02-29 23:59:00,-5,500,50,300,-150,-150,7.8,6.8,7.2,6.05,6.05,"
    "20,10,0,0,0,0,0,0,0,0,-120,0,0,0,0",
    // a timestamp no calendar has, a whole pH
    "3,260,1003,2009-00-07 99:05:00,21,1,2,3,4,4,8,6,7,7,7,"
    "11,12,13,13,14,15,16,17,18,19,20,21,22,23,24",
    // the 29th of February of a year without one
    "3,261,1004,2023-02-29 08:00:00,22,0,0,0,0,0,0,0,0,0,0,"
    "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0",
};

// An alarm record: refused after its header and timestamp were read, so it holds no values.
const char *const kAlarmLine = "0,262,1005,2009-03-08 06:00:00,19,0,0,0,0,0,0,0,0,0,0,"
                               "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";

RecordList fixtureLog() {
    RecordList list;
    for (const char *line : kLogLines) {
        LogRecord record;
        record.fromExportCsv(line, rtype::kLog);
        list.insert(record);
    }
    LogRecord alarm;
    try {
        alarm.fromExportCsv(kAlarmLine, rtype::kAlarm);
    } catch (const aql::AqlError &) {
        // expected: alarm records have no values
    }
    list.insert(alarm);
    return list;
}

WorkbookInfo fixtureInfo() {
    WorkbookInfo info;
    info.executableName = "aqlremote";
    info.majorVersion = 2;
    info.minorVersion = 0;
    info.revision = 41;
    info.siteName = "Sportpark Noord";
    info.poolName = "Zwembad Caf\xE9"; // Latin-1
    info.createdAt = 1700000000;       // 2023-11-14 22:13:20 UTC
    return info;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: workbook_fixture FOLDER\n");
        return 2;
    }
    std::setlocale(LC_ALL, "");
    std::printf("decimal point before: %s\n", std::localeconv()->decimal_point);
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        aql::test::writeBytes(folder / "log.xlsx", workbookBytes(fixtureLog(), fixtureInfo()));
        aql::test::writeBytes(folder / "empty.xlsx", workbookBytes(RecordList(), fixtureInfo()));
    } catch (const aql::AqlError &e) {
        std::fprintf(stderr, "error %d: %s\n", e.number(), e.description().c_str());
        return 1;
    }
    std::printf("decimal point after: %s\n", std::localeconv()->decimal_point);
    return 0;
}
