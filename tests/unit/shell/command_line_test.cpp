#include "shell/CommandLine.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace aql::shell {
namespace {

using Words = std::vector<std::string>;

Words wordsOf(const clsCommandLine &cl) {
    Words words;
    for (std::int32_t i = 0; i < cl.argc(); ++i) {
        words.push_back(cl.argv(i));
    }
    return words;
}

TEST(CommandLine, splitsAtEverySingleBlankAfterTrimmingTheWholeText) {
    EXPECT_EQ(wordsOf(clsCommandLine("AQLRemote", "")), (Words{"AQLRemote"}));
    EXPECT_EQ(wordsOf(clsCommandLine("AQLRemote", "a  b")), (Words{"AQLRemote", "a", "", "b"}));
    // A blank in the program's name makes the first argument word 2.
    EXPECT_EQ(wordsOf(clsCommandLine("AQL Remote", "010203")), (Words{"AQL", "Remote", "010203"}));
    // Leading blanks of the arguments follow the separating blank; trailing ones are trimmed.
    EXPECT_EQ(wordsOf(clsCommandLine("P", " 010203   ")), (Words{"P", "", "010203"}));
    EXPECT_EQ(wordsOf(clsCommandLine("P", "\"a b\"\tc")), (Words{"P", "\"a", "b\"\tc"}));
    EXPECT_EQ(wordsOf(clsCommandLine("", "   ")), (Words{""}));
}

TEST(CommandLine, indexesOutsideTheWordsRaiseTheArgumentError) {
    const clsCommandLine cl("AQLRemote", "");
    for (std::int32_t bad : {1, -1, -2147483647 - 1}) {
        const auto e = test::errorOf([&] { (void)cl.argv(bad); });
        ASSERT_TRUE(e) << bad;
        EXPECT_EQ(e->number(), 20000);
        EXPECT_EQ(e->source(), "clsCommandLine.argv");
        EXPECT_EQ(e->description(), "arg index out of bounds");
    }
}

TEST(CommandLine, fromMainTakesTheBareProgramNameAndJoinsArgumentsWithOneBlank) {
    const char *const windows[] = {"C:\\Program Files\\AQL\\AQLRemote.exe", "010203"};
    EXPECT_EQ(wordsOf(clsCommandLine::fromMain(2, windows)), (Words{"AQLRemote", "010203"}));
    const char *const unix[] = {"/opt/a.b/aql.remote.bin", "a", "", "b"};
    EXPECT_EQ(wordsOf(clsCommandLine::fromMain(4, unix)), (Words{"aql.remote", "a", "", "b"}));
    EXPECT_EQ(clsCommandLine::fromMain(0, nullptr).argc(), 1);
    EXPECT_EQ(executableStem(".profile"), ".profile");
}

} // namespace
} // namespace aql::shell
