#include "core/TextId.h"
#include "shell/LanguageTexts.h"
#include "support/LinkFakes.h"
#include "trend/TrendTexts.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// The language files the program ships with, checked as an operator's program reads them.
namespace aql {
namespace {

const char *const kFiles[] = {"English.lng", "Nederlands.lng"};

std::string fileBytes(const std::string &name) {
    std::ifstream in(std::string(AQL_RESOURCES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> entryLines(const std::string &bytes) {
    std::vector<std::string> lines;
    bool begun = false;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        const std::string line = bytes.substr(start, end - start);
        if (begun) {
            lines.push_back(line);
        }
        begun = begun || line == "[begin]";
        start = end == std::string::npos ? bytes.size() : end + 2;
    }
    return lines;
}

TEST(LanguageFiles, holdEveryTextNumberedWithoutGapsInCrLfLines) {
    for (const char *name : kFiles) {
        SCOPED_TRACE(name);
        const std::string bytes = fileBytes(name);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
        EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                ASSERT_EQ(bytes[i - 1], '\r') << "at byte " << i;
            }
        }
        const auto lines = entryLines(bytes);
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(TextId::LastText));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].substr(0, lines[i].find('|')), std::to_string(i + 1));
        }

        test::RecordingMessageBox box;
        shell::LanguageTexts texts(box);
        texts.readText(bytes, name);
        EXPECT_TRUE(box.shown.empty());
        EXPECT_EQ(texts.count(), static_cast<std::size_t>(TextId::LastText));
    }
}

TEST(LanguageFiles, areSingleByteTextNotUtf8) {
    // The Dutch copying notice says "kopiëren": Latin-1 writes the ë as the one byte 0xEB.
    const std::string dutch = fileBytes("Nederlands.lng");
    EXPECT_NE(dutch.find("kopi\xEBren"), std::string::npos);
    EXPECT_EQ(dutch.find("\xC3"), std::string::npos);
}

TEST(LanguageFiles, theTextsOfTheLogWindowAndItsWorkbookAreWritten) {
    const int used[] = {TextId::Save,
                        TextId::SavedAsCsv,
                        TextId::SavedAsXml,
                        TextId::RecordCountLabel,
                        TextId::Excel,
                        TextId::Xml,
                        TextId::Quit,
                        TextId::LogWindowTitle,
                        TextId::WorkbookFilter,
                        TextId::SavedAsWorkbook,
                        TextId::OpenWorkbookQuestion,
                        TextId::WorkbookNotOpened,
                        TextId::LogNotSaved,
                        TextId::RealtimeNotSaved,
                        TextId::ProductLabel,
                        TextId::CopyrightWarning,
                        TextId::VersionLabel,
                        TextId::Ok,
                        TextId::AboutEntry};
    for (const char *name : kFiles) {
        SCOPED_TRACE(name);
        test::RecordingMessageBox box;
        shell::LanguageTexts texts(box);
        texts.readText(fileBytes(name), name);
        for (int n : used) {
            const std::string text = texts.getText(n);
            EXPECT_FALSE(text.empty()) << n;
            EXPECT_EQ(text.find("(unused)"), std::string::npos) << n;
            EXPECT_EQ(text.find("(niet gebruikt)"), std::string::npos) << n;
        }
        // Its file name follows text 56 directly.
        EXPECT_EQ(texts.getText(TextId::SavedAsXml).back(), ' ');
    }
}

// The letter after a single "&" (lower case), or 0 without one.
char accessKey(const std::string &caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (caption[i + 1] == '&') {
                ++i;
                continue;
            }
            return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
        }
    }
    return 0;
}

struct WindowTexts {
    const char *window;
    std::vector<int> texts;
};

// What an operator can reach with one Alt+letter at a time: the menu bar titles together with
// the window's buttons, and every drop-down menu on its own.
const WindowTexts kWindows[] = {
    {"main window",
     {TextId::FileMenu, TextId::OptionsMenu, TextId::HelpMenu, TextId::Offline, TextId::Online,
      TextId::GetLog, TextId::Save, TextId::SelectSystem}},
    {"File menu", {TextId::ConfigurationEntry, TextId::ExitEntry}},
    {"Options menu",
     {TextId::RealtimeMenu, TextId::TrendTitle, TextId::BaseFileEntry, TextId::OpenArchiveEntry,
      TextId::ReconnectEntry, TextId::LanguageMenu}},
    {"Realtime menu", {TextId::RealtimeOn, TextId::RealtimeOff}},
    {"Language menu", {TextId::DutchEntry, TextId::EnglishEntry}},
    {"Help menu", {TextId::AboutEntry}},
    {"log window", {TextId::Save, TextId::Excel, TextId::Xml, TextId::Quit, TextId::TrendButton}},
    {"trend window",
     {TextId::TrendZoomIn, TextId::TrendZoomOut, TextId::TrendZoomBack, TextId::TrendWholeLog,
      TextId::TrendSavePng, TextId::TrendClose}},
    {"configuration window",
     {TextId::NewSystem, TextId::DeleteSystem, TextId::Save, TextId::SelectSystem,
      TextId::NameLabel, TextId::IpAddressLabel, TextId::PortLabel}},
    {"connection window",
     {TextId::Connect, TextId::CloseConnection, TextId::Hide, TextId::Ok, TextId::Cancel,
      TextId::IpAddressLabel, TextId::PortLabel}},
    {"About window", {TextId::Ok}},
};

TEST(LanguageFiles, noTwoEntriesOfOneWindowShareAnAccessKey) {
    for (const char *name : kFiles) {
        test::RecordingMessageBox box;
        shell::LanguageTexts texts(box);
        texts.readText(fileBytes(name), name);
        for (const WindowTexts &w : kWindows) {
            std::map<char, int> owner;
            for (int n : w.texts) {
                const char key = accessKey(texts.getText(n));
                if (key == 0) {
                    continue;
                }
                const auto [it, fresh] = owner.emplace(key, n);
                EXPECT_TRUE(fresh) << name << ", " << w.window << ": texts " << it->second
                                   << " and " << n << " both take Alt+" << key;
            }
        }
    }
}

TEST(LanguageFiles, theButtonsAndLabelsOfTheServiceWindowsCarryAnAccessKey) {
    const int captions[] = {
        TextId::SelectSystem, TextId::NameLabel, TextId::IpAddressLabel,  TextId::PortLabel,
        TextId::Connect,      TextId::Hide,      TextId::CloseConnection, TextId::NewSystem,
        TextId::DeleteSystem, TextId::Save};
    for (const char *name : kFiles) {
        test::RecordingMessageBox box;
        shell::LanguageTexts texts(box);
        texts.readText(fileBytes(name), name);
        for (int n : captions) {
            EXPECT_NE(accessKey(texts.getText(n)), 0) << name << ": text " << n;
        }
    }
}

TEST(LanguageFiles, theTextsOfTheArchiveAndTheQuestionsAreWritten) {
    for (const char *name : kFiles) {
        SCOPED_TRACE(name);
        test::RecordingMessageBox box;
        shell::LanguageTexts texts(box);
        texts.readText(fileBytes(name), name);
        for (int n = TextId::OpenArchiveEntry; n <= TextId::ArchiveDamagedLines; ++n) {
            const std::string text = texts.getText(n);
            EXPECT_GT(text.size(), 3u) << n;
            EXPECT_EQ(text.find("(unused)"), std::string::npos) << n;
            EXPECT_EQ(text.find('&'), std::string::npos) << n;
        }
    }
}

TEST(LanguageFiles, theTrendWindowsTextsAreWrittenTheEnglishAsTheWindowFallsBackToThem) {
    for (const char *name : kFiles) {
        SCOPED_TRACE(name);
        test::RecordingMessageBox box;
        shell::LanguageTexts texts(box);
        texts.readText(fileBytes(name), name);
        const bool english = std::string(name) == "English.lng";
        for (int n = trend::kFirstTrendText; n <= trend::kLastTrendText; ++n) {
            const std::string text = texts.getText(n);
            EXPECT_FALSE(text.empty()) << n;
            EXPECT_EQ(text.find("####"), std::string::npos) << n;
            if (english) {
                // A window reading an older language file shows the same words.
                EXPECT_EQ(text, trend::englishTrendText(n)) << n;
            }
        }
        // The log window's button names the window it opens.
        EXPECT_EQ(accessKey(texts.getText(TextId::TrendButton)), 't');
    }
}

} // namespace
} // namespace aql
