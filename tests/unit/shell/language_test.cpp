#include "shell/Language.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace aql::shell {
namespace {

using namespace std::string_literals;

const std::string kName = "C:\\AQL\\English.lng";

struct Table {
    test::ScriptedMessageBox box;
    clsLanguage language{box};

    explicit Table(const std::string &bytes) { language.ReadLanguageText(bytes, kName); }
    // True when exactly the read-failure message was shown, once.
    bool failed() const {
        return box.shown.size() == 1 && box.shown[0].text == "Text couldn't be read\r\n" + kName &&
               box.shown[0].style == platform::style::kCritical && box.shown[0].title.empty();
    }
};

TEST(Language, entriesAreNumberedByLineAndOnlyTheFirstBarSeparates) {
    test::ScriptedMessageBox box;
    clsLanguage language(box);
    language.ReadLanguage(test::fixture("shell/numbered_1_2_4.lng").string());
    EXPECT_TRUE(box.shown.empty());
    ASSERT_EQ(language.count(), 5u);
    EXPECT_EQ(language.getText(3), "Connect"); // written with number 4
    EXPECT_EQ(language.getText(4), "Text with | a bar");
    EXPECT_EQ(language.getText(5), "");
    EXPECT_EQ(language.getText(6), "####-6-####");

    // Lines before the marker are skipped, even when they look like entries or markers.
    const Table t("1|header\r\n[begin]x\r\n [begin]\r\n[begin]\r\n1||\r\n2|\xE9\0|"s);
    EXPECT_TRUE(t.box.shown.empty());
    EXPECT_EQ(t.language.count(), 2u);
    EXPECT_EQ(t.language.getText(1), "|");
    EXPECT_EQ(t.language.getText(2), "\xE9\0|"s);
}

TEST(Language, aMarkerThatIsNotExactlyBeginLeavesTheTableEmpty) {
    for (const char *marker : {"[begin] ", " [begin]", "[Begin]", "[BEGIN]", "[begin"}) {
        const Table t(marker + "\r\n1|File\r\n"s);
        EXPECT_TRUE(t.failed()) << marker;
        EXPECT_EQ(t.language.getText(1), "####-1-####");
    }
}

TEST(Language, aLineThatCannotBeAnEntryStopsTheReadingAndKeepsWhatCameBefore) {
    for (const char *bad : {"", "no bar here", "32768|too big", "-32769|too small",
                            "99999999999999999999999|far too big"}) {
        const Table t("[begin]\r\n1|File\r\n2|Help\r\n"s + bad + "\r\n4|Connect\r\n");
        EXPECT_TRUE(t.failed()) << bad;
        EXPECT_EQ(t.language.count(), 2u);
        EXPECT_EQ(t.language.getText(3), "####-3-####");
    }
    // Any number that fits 16 bits passes, however it is written.
    const Table fits("[begin]\r\n32767|a\r\n-32768|b\r\n  12|c\r\nabc|d\r\n|e\r\n12x|f\r\n+5|g\r\n"
                     "000000000000032767|h\r\n7.9|i\r\n- 1|j\r\n");
    EXPECT_TRUE(fits.box.shown.empty());
    EXPECT_EQ(fits.language.count(), 10u);
}

TEST(Language, lineEndsOfEveryKindAndAMissingLastOneReadTheSame) {
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        for (const std::string &end : {eol, ""s}) {
            const Table t("header" + eol + "[begin]" + eol + "1|File" + eol + "2|" + eol +
                          "3|Help" + end);
            EXPECT_TRUE(t.box.shown.empty());
            EXPECT_EQ(t.language.count(), 3u);
            EXPECT_EQ(t.language.getText(3), "Help");
        }
    }
    // A blank line after the last line end is an empty entry line, so a failure.
    const Table blankAtEnd("[begin]\r\n1|File\r\n\r\n");
    EXPECT_TRUE(blankAtEnd.failed());
    EXPECT_EQ(blankAtEnd.language.count(), 1u);
}

TEST(Language, aMissingFileNamesItsPathAndEveryTextIsAPlaceholder) {
    test::TempDir dir;
    const std::string path = (dir / "Nederlands.lng").string();
    test::ScriptedMessageBox box;
    clsLanguage language(box);
    language.ReadLanguage(path);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Text couldn't be read\r\n" + path);
    EXPECT_EQ(language.getText(1), "####-1-####");
    EXPECT_EQ(language.getText(0), "####-0-####");
    EXPECT_EQ(language.getText(-7), "####--7-####");
    EXPECT_EQ(language.getText(-2147483647 - 1), "####--2147483648-####");
}

TEST(Language, hostileSizesAreReadFailuresNotMemoryExhaustion) {
    const Table longLine("[begin]\r\n1|ok\r\n2|" + std::string(clsLanguage::kMaxLineLength, 'x'));
    EXPECT_TRUE(longLine.failed());
    EXPECT_EQ(longLine.language.count(), 1u);

    std::string many = "[begin]\r\n";
    for (std::size_t i = 0; i <= clsLanguage::kMaxEntries; ++i) {
        many += "1|t\r\n";
    }
    const Table tooMany(many);
    EXPECT_TRUE(tooMany.failed());
    EXPECT_EQ(tooMany.language.count(), clsLanguage::kMaxEntries);
}

} // namespace
} // namespace aql::shell
