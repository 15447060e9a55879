#include "cli/CliArgs.h"
#include "cli/Options.h"
#include "cli/Outputs.h"
#include "records/LogRecord.h"
#include "support/MemoryFileSaver.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

using namespace aql;
using aql::test::MemoryFileSaver;
namespace fs = std::filesystem;

namespace {

records::RecordList someRecords(int count) {
    records::RecordList list;
    for (int n = 1; n <= count; ++n) {
        records::LogRecord r;
        r.fromFile("3," + std::to_string(1000 + n) + "," + std::to_string(n) +
                       ",2024-06-03 08:00,21,1,2,3",
                   records::rtype::kLog);
        list.insert(r);
    }
    return list;
}

cli::CliArgs args(std::vector<std::string> words) {
    words.insert(words.begin(), "download");
    return cli::parseCliArgs(words, cli::valuedOptions());
}

// The reason planOutputs gives, or "" when it accepts.
std::string refusal(const std::vector<std::string> &words, const MemoryFileSaver &saver,
                    std::optional<fs::path> input = std::nullopt) {
    try {
        cli::planOutputs(args(words), saver, input);
        return {};
    } catch (const std::invalid_argument &e) {
        return e.what();
    }
}

} // namespace

// The refusals a process can show are rows of the process table; here the one it cannot (it runs
// as root), and the plan.
TEST(OutputPlan, everyOutputIsCheckedBeforeTheRunStarts) {
    MemoryFileSaver saver;
    saver.addFolder("out");
    saver.addFile("out/in.csv", "x");
    saver.refuse("out/locked.csv");
    const std::pair<std::vector<std::string>, const char *> rows[] = {
        {{"--csv", "out/a.csv", "--xml", "out/b.xml", "--xlsx", "-"}, nullptr},
        {{"--csv", "out/locked.csv"}, "--csv out/locked.csv cannot be written: permission denied"},
    };
    for (const auto &[words, refused] : rows) {
        const std::string why = refusal(words, saver, fs::path("out/in.csv"));
        EXPECT_NE(why.find(refused ? refused : ""), std::string::npos)
            << testing::PrintToString(words) << ": " << why;
        EXPECT_TRUE(refused || why.empty()) << why;
    }
    const auto outputs = cli::planOutputs(args({"--xlsx", "c", "--csv", "a", "--xml", "b"}), saver);
    ASSERT_EQ(outputs.size(), 3u);
    EXPECT_EQ(outputs[0].format, cli::ExportFormat::Csv);
    EXPECT_EQ(outputs[2].option, "--xlsx");
}

TEST(OutputPlan, incompleteFilesAreNamedBesideTheirTarget) {
    const std::pair<const char *, const char *> rows[] = {
        {"log.csv", "log.incomplete.csv"},
        {"out/log.xml", "out/log.incomplete.xml"},
        {"out/archive.2024.xlsx", "out/archive.2024.incomplete.xlsx"},
        {"out/log", "out/log.incomplete"},
    };
    for (const auto &[target, beside] : rows) {
        EXPECT_EQ(cli::incompleteName(target).generic_u8string(), beside);
    }
}

TEST(OutputPlan, aFailedRunNeverReplacesWhatTheOperatorHad) {
    MemoryFileSaver saver;
    saver.addFolder("out");
    saver.addFile("out/had.csv", "old");
    saver.addFile("out/in.incomplete.csv", "kept");
    saver.addDevice("/dev/null");
    const std::vector<fs::path> keep = {"out/in.incomplete.csv"};
    const struct {
        const char *target;
        bool succeeded;
        std::size_t records;
        const char *writesTo; // nullptr: nothing written
        bool incomplete;
        const char *note;
    } rows[] = {
        {"out/had.csv", true, 0, "out/had.csv", false, ""},
        {"out/had.csv", true, 5, "out/had.csv", false, ""},
        {"out/had.csv", false, 0, nullptr, false, "nothing was received: out/had.csv was left"},
        {"out/new.csv", false, 0, nullptr, false, "nothing was received: out/new.csv was not"},
        {"out/new.csv", false, 5, "out/new.csv", true, ""},
        {"out/had.csv", false, 5, "out/had.incomplete.csv", true, "out/had.csv was left as it"},
        {"/dev/null", false, 5, "/dev/null", true, ""},
        {"-", false, 5, "-", true, ""},
    };
    saver.addFile("out/in.csv", "input");
    for (const auto &row : rows) {
        const cli::Output output{cli::ExportFormat::Csv, row.target, "--csv"};
        const cli::Destination d =
            cli::destinationFor(output, row.succeeded, row.records, saver, keep);
        const std::string where = row.target + std::string(row.succeeded ? " ok " : " failed ") +
                                  std::to_string(row.records);
        if (row.writesTo == nullptr) {
            EXPECT_FALSE(d.path) << where;
        } else {
            ASSERT_TRUE(d.path) << where;
            EXPECT_EQ(d.path->generic_u8string(), row.writesTo) << where;
        }
        EXPECT_EQ(d.incomplete, row.incomplete) << where;
        EXPECT_NE(d.note.find(row.note), std::string::npos) << where << ": " << d.note;
    }
    // The file beside it would be one of this run's own files: nothing is written at all.
    const cli::Destination beside =
        cli::destinationFor({cli::ExportFormat::Csv, "out/in.csv", "--csv"}, false, 5, saver, keep);
    EXPECT_FALSE(beside.path);
    EXPECT_NE(beside.note.find("out/in.csv, which was left as it was"), std::string::npos);
}

TEST(OutputWriting, aFullDiskIsNamedAndTheOtherOutputsAreStillWritten) {
    MemoryFileSaver saver;
    saver.addFolder("out");
    saver.addFile("out/log.csv", "old");
    saver.fillDiskAfter("out/log.csv", 100);
    const auto outputs =
        cli::planOutputs(args({"--csv", "out/log.csv", "--xml", "out/log.xml"}), saver);
    std::ostringstream log;
    EXPECT_FALSE(cli::writeOutputs(outputs, someRecords(3), true, {}, saver, log));
    EXPECT_EQ(saver.content("out/log.csv"), "old");
    EXPECT_NE(log.str().find("error: Could not write out/log.csv: no space left on device"),
              std::string::npos)
        << log.str();
    EXPECT_NE(log.str().find("wrote 3 records to out/log.xml\n"), std::string::npos) << log.str();
    EXPECT_TRUE(saver.content("out/log.xml"));
}

TEST(TextForWorkbooks, utf8BecomesTheProgramsSingleByteText) {
    const std::pair<const char *, const char *> rows[] = {
        {"Pool 1", "Pool 1"},
        {"Caf\xC3\xA9", "Caf\xE9"},
        {"\xE2\x82\xAC 5", "\x80 5"}, // the Western code page has the euro at 0x80
        {"\xC5\x81\xC3\xB3"
         "d\xC5\xBA",
         "?\xF3"
         "d?"},                        // Polish letters it lacks
        {"\xF0\x9F\x8F\x8A", "?"},     // beyond the Basic Multilingual Plane
        {"bad \xC3 end", "bad ? end"}, // a broken sequence
    };
    for (const auto &[utf8, single] : rows) {
        EXPECT_EQ(cli::singleByteFromUtf8(utf8), single) << utf8;
    }
}
