#include "platform/qt/IniSettingsBackend.h"

#include "support/TempDir.h"

#include <QSettings>

#include <gtest/gtest.h>

using aql::platform::qt::IniSettingsBackend;

namespace {

QString qpath(const std::filesystem::path &p) {
    return QString::fromStdString(p.string());
}

const std::string kLanguage = "HKCU\\Software\\Remote\\Language";
const std::string kDataDir = "HKCU\\Software\\Remote\\DataDir";
const std::string kDatabase = "HKCU\\Software\\Monitor\\Database";

TEST(IniSettingsBackend, awkwardValuesRoundTripExactlyAndAnUnwritableFileIsRefused) {
    aql::test::TempDir dir;
    // clang-format off
    std::vector<std::string> values = {"C:\\Program Files\\AQL\\", "a=b;c # d", " pad ", "caf\xE9", "",
                                       "@Variant(1)", "1, 2", "\"q\"", "1\r\n2", "[Remote]", ""};
    // clang-format on
    for (int b = 1; b < 256; ++b) {
        values.back() += static_cast<char>(b); // every byte but 0
    }
    for (const std::string &value : values) {
        ASSERT_TRUE(IniSettingsBackend(qpath(dir / "settings.ini")).write(kDataDir, value));
        // A fresh instance reads what is on disk, not what one object remembers.
        EXPECT_EQ(IniSettingsBackend(qpath(dir / "settings.ini")).read(kDataDir), value);
    }
    EXPECT_EQ(IniSettingsBackend(qpath(dir / "new.ini")).read(kDataDir), std::nullopt);
    aql::test::writeBytes(dir / "plainfile", "x");
    EXPECT_FALSE(IniSettingsBackend(qpath(dir / "plainfile" / "x.ini")).write(kLanguage, "x"))
        << "a folder that cannot exist";
}

// The project folder is written by another program as Unicode text and used here as a UTF-8
// path; read as Latin-1, a folder named outside ASCII was never found.
TEST(IniSettingsBackend, foldersNamedOutsideAsciiAreFoundAndWrittenAsText) {
    aql::test::TempDir dir;
    const std::string name = "Zwembad Caf\xC3\xA9 \xC5\x81\xC3\xB3"
                             "d\xC5\xBA"; // Café Łódź
    const std::filesystem::path project = dir.path() / std::filesystem::u8path(name);
    std::filesystem::create_directories(project);
    aql::test::writeBytes(project / "config.xml", "<x/>");

    aql::test::writeBytes(dir / "hand.ini", "[Monitor]\nDatabase=" + project.u8string() + "\n");
    const auto read = IniSettingsBackend(qpath(dir / "hand.ini")).read(kDatabase);
    ASSERT_TRUE(read);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(*read + "/config.xml"))) << *read;

    ASSERT_TRUE(IniSettingsBackend(qpath(dir / "written.ini")).write(kDataDir, project.u8string()));
    QSettings file(qpath(dir / "written.ini"), QSettings::IniFormat);
    EXPECT_EQ(file.value("Remote/DataDir").toString().toStdString(), project.u8string())
        << "another reader sees the folder's name, not its bytes as Latin-1";
    EXPECT_EQ(IniSettingsBackend(qpath(dir / "written.ini")).read(kDataDir), project.u8string());
}

} // namespace
