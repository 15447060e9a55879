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
