#include "core/TextId.h"
#include "shell/LanguageTexts.h"
#include "support/LinkFakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The language files the program ships with, checked as an operator's program reads them.
namespace aql {
namespace {

struct Shipped {
    std::string name;
    std::string bytes;
    test::RecordingMessageBox box;
    shell::LanguageTexts texts{box};

    explicit Shipped(const char *file)
        : name(file), bytes(test::readBytes(std::filesystem::path(AQL_RESOURCES_DIR) / file)) {
        texts.readText(bytes, name);
    }
};

std::vector<std::unique_ptr<Shipped>> shippedFiles() {
    std::vector<std::unique_ptr<Shipped>> files;
    files.push_back(std::make_unique<Shipped>("English.lng"));
    files.push_back(std::make_unique<Shipped>("Nederlands.lng"));
    return files;
}

TEST(LanguageFiles, holdEveryTextNumberedWithoutGapsInCrLfLinesOfSingleByteText) {
    for (const auto &file : shippedFiles()) {
        SCOPED_TRACE(file->name);
        const std::string &bytes = file->bytes;
        ASSERT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
        for (std::size_t i = 1; i < bytes.size(); ++i) {
            ASSERT_TRUE(bytes[i] != '\n' || bytes[i - 1] == '\r') << "at byte " << i;
        }
        const std::size_t begin = bytes.find("\r\n[begin]\r\n");
        ASSERT_NE(begin, std::string::npos);
        int number = 0;
        for (std::size_t at = begin + 11; at < bytes.size(); at = bytes.find("\r\n", at) + 2) {
            EXPECT_EQ(bytes.substr(at, bytes.find('|', at) - at), std::to_string(++number));
        }
        EXPECT_EQ(number, TextId::LastText);
        EXPECT_TRUE(file->box.shown.empty());
        EXPECT_EQ(file->texts.count(), static_cast<std::size_t>(TextId::LastText));
    }
    // The Dutch copying notice says "kopiëren": Latin-1 writes the ë as the one byte 0xEB.
    const std::string dutch = shippedFiles()[1]->bytes;
    EXPECT_NE(dutch.find("kopi\xEBren"), std::string::npos);
    EXPECT_EQ(dutch.find("\xC3"), std::string::npos);
}

TEST(LanguageFiles, everyTextOfTheLaterWindowsIsWritten) {
    // First and last of each run of numbers: the log window's and its workbook's, the About
    // window's, then the archive's, the questions' and the trend window's.
    const std::pair<int, int> runs[] = {
        {TextId::AboutEntry, TextId::AboutEntry},
        {TextId::Save, TextId::Save},
        {TextId::Ok, TextId::Ok},
        {TextId::ProductLabel, TextId::ProductLabel},
        {TextId::SavedAsCsv, TextId::SavedAsXml},
        {TextId::RecordCountLabel, TextId::LogWindowTitle},
        {TextId::CopyrightWarning, TextId::VersionLabel},
        {TextId::WorkbookFilter, TextId::RealtimeNotSaved},
        {TextId::OpenArchiveEntry, TextId::LastText},
    };
    std::vector<int> used;
    for (const auto &[first, last] : runs) {
        for (int n = first; n <= last; ++n) {
            used.push_back(n);
        }
    }
    for (const auto &file : shippedFiles()) {
        for (int n : used) {
            const std::string text = file->texts.getText(n);
            EXPECT_FALSE(text.empty()) << file->name << " " << n;
            for (const char *placeholder : {"(unused)", "(niet gebruikt)", "####"}) {
                EXPECT_EQ(text.find(placeholder), std::string::npos) << file->name << " " << n;
            }
        }
        // Its file name follows text 56 directly.
        EXPECT_EQ(file->texts.getText(TextId::SavedAsXml).back(), ' ');
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

// What an operator can reach with one Alt+letter at a time: the menu bar titles together with
// the window's buttons, and every drop-down menu on its own. No two share a letter.
TEST(LanguageFiles, noTwoEntriesOfOneWindowShareAnAccessKey) {
    const std::map<std::string, std::vector<int>> windows = {
        {"main window",
         {TextId::FileMenu, TextId::OptionsMenu, TextId::HelpMenu, TextId::Offline, TextId::Online,
          TextId::GetLog, TextId::Save, TextId::SelectSystem}},
        {"File menu", {TextId::ConfigurationEntry, TextId::ExitEntry}},
        {"Options menu",
         {TextId::RealtimeMenu, TextId::TrendTitle, TextId::BaseFileEntry, TextId::OpenArchiveEntry,
          TextId::ReconnectEntry, TextId::LanguageMenu}},
        {"Realtime menu", {TextId::RealtimeOn, TextId::RealtimeOff}},
        {"Language menu", {TextId::DutchEntry, TextId::EnglishEntry}},
        {"trend window",
         {TextId::TrendZoomIn, TextId::TrendZoomOut, TextId::TrendZoomBack, TextId::TrendWholeLog,
          TextId::TrendSavePng, TextId::TrendClose}},
        {"configuration window",
         {TextId::NewSystem, TextId::DeleteSystem, TextId::Save, TextId::SelectSystem,
          TextId::NameLabel, TextId::IpAddressLabel, TextId::PortLabel}},
        {"connection window",
         {TextId::Connect, TextId::CloseConnection, TextId::Hide, TextId::Ok, TextId::Cancel,
          TextId::IpAddressLabel, TextId::PortLabel}},
    };
    for (const auto &file : shippedFiles()) {
        for (const auto &[window, texts] : windows) {
            std::map<char, int> owner;
            for (int n : texts) {
                const char key = accessKey(file->texts.getText(n));
                const auto [it, fresh] = owner.emplace(key, n);
                EXPECT_TRUE(key == 0 || fresh) << file->name << ", " << window << ": texts "
                                               << it->second << " and " << n << " take Alt+" << key;
            }
        }
    }
}

} // namespace
} // namespace aql
