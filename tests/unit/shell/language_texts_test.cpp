#include "shell/LanguageTexts.h"
#include "support/LinkFakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace aql::shell {
namespace {

using namespace std::string_literals;

// A table read from bytes; failed() when exactly the read-failure message was shown, once.
struct Table {
    test::RecordingMessageBox box;
    LanguageTexts language{box};

    explicit Table(const std::string &bytes) { language.readText(bytes, "C:\\E.lng"); }
    bool failed() const {
        return box.shown.size() == 1 && box.shown[0].text == "Text couldn't be read\r\nC:\\E.lng" &&
               box.shown[0].style == platform::style::kCritical && box.shown[0].title.empty();
    }
};

TEST(Language, entriesAreNumberedByLineAndOnlyTheFirstBarSeparates) {
    test::RecordingMessageBox box;
    LanguageTexts language(box);
    language.readFile(test::fixture("shell/numbered_1_2_4.lng").string()); // CR LF throughout
    EXPECT_TRUE(box.shown.empty());
    ASSERT_EQ(language.count(), 5u);
    EXPECT_EQ(language.getText(1), "&File");
    EXPECT_EQ(language.getText(3), "Connect"); // written with number 4
    EXPECT_EQ(language.getText(4), "Text with | a bar");
    EXPECT_EQ(language.getText(5), "");
    EXPECT_EQ(language.getText(6), "####-6-####");
    EXPECT_EQ(language.getText(-7), "####--7-####");
    const std::string missing = test::fixture("shell/absent.lng").string();
    language.readFile(missing); // appends nothing
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Text couldn't be read\r\n" + missing);
    EXPECT_EQ(language.count(), 5u);
}

TEST(Language, readFailuresShowTheMessageAndKeepTheEntriesBefore) {
    // No exact marker: nothing is read, lines that look like entries before it included.
    for (const char *marker : {" [begin]", "[Begin]"}) {
        const Table t("1|File\r\n"s + marker + "\r\n1|File\r\n");
        EXPECT_TRUE(t.failed()) << marker;
        EXPECT_EQ(t.language.count(), 0u) << marker;
    }
    for (const std::string &bad :
         {""s, "no bar here"s, "32768|too big"s, "3|" + std::string(70000, 'x')}) {
        const Table t("[begin]\r\n1|File\r\n2|Help\r\n" + bad + "\r\n4|Connect\r\n");
        EXPECT_TRUE(t.failed()) << bad.substr(0, 20);
        EXPECT_EQ(t.language.count(), 2u) << bad.substr(0, 20);
    }
    // Any number that fits 16 bits passes, however it is written.
    const Table fits("[begin]\r\n32767|a\r\n-32768|b\r\n  12|c\r\nabc|d\r\n|e\r\n+5|f\r\n");
    EXPECT_TRUE(fits.box.shown.empty());
    EXPECT_EQ(fits.language.count(), 6u);
}

} // namespace
} // namespace aql::shell
