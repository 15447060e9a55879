#include "shell/CommandLine.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace aql::shell {
namespace {

using Words = std::vector<std::string>;

Words wordsOf(const CommandLine &cl) {
    Words words;
    for (std::int32_t i = 0; i < cl.argc(); ++i) {
        words.push_back(cl.argv(i));
    }
    return words;
}

TEST(CommandLine, theTrimmedTextIsSplitAtEverySingleBlankAndOnlyItsWordsCanBeAsked) {
    EXPECT_EQ(wordsOf(CommandLine("AQLRemote", "")), (Words{"AQLRemote"}));
    EXPECT_EQ(wordsOf(CommandLine("AQLRemote", "a  b")), (Words{"AQLRemote", "a", "", "b"}));
    EXPECT_EQ(wordsOf(CommandLine("AQL Remote", "010203")), (Words{"AQL", "Remote", "010203"}));
    EXPECT_EQ(wordsOf(CommandLine("P", " 010203   ")), (Words{"P", "", "010203"}));
    // From main(): the bare program name, the arguments joined by one blank.
    const char *const args[] = {"C:\\Program Files\\AQL\\AQLRemote.exe", "a", "", "b"};
    EXPECT_EQ(wordsOf(CommandLine::fromMain(4, args)), (Words{"AQLRemote", "a", "", "b"}));
    EXPECT_EQ(executableStem("/opt/a.b/aql.remote.bin"), "aql.remote");

    const CommandLine cl("AQLRemote", "");
    EXPECT_EQ(test::errorNumberOf([&] { (void)cl.argv(1); }), 20000);
    EXPECT_EQ(test::errorNumberOf([&] { (void)cl.argv(-1); }), 20000);
}

} // namespace
} // namespace aql::shell
