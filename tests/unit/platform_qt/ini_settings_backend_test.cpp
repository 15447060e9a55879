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

TEST(IniSettingsBackend, valuesRoundTripExactlyThroughTheFile) {
    aql::test::TempDir dir;
    std::string everyByte;
    for (int b = 1; b < 256; ++b) {
        everyByte += static_cast<char>(b);
    }
    const std::vector<std::string> values = {"C:\\Program Files\\AQL Remote\\",
                                             "a=b;c # d",
                                             "  padded  ",
                                             "caf\xE9 \xFC\xDF \xB5",
                                             "",
                                             "@Variant(1)",
                                             "1, 2, 3",
                                             "\"quoted\"",
                                             "line1\r\nline2",
                                             "[Remote]",
                                             everyByte};
    for (const auto &value : values) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(IniSettingsBackend(qpath(dir / "settings.ini")).write(kDataDir, value));
        // A fresh instance reads what is on disk, not what one object remembers.
        EXPECT_EQ(IniSettingsBackend(qpath(dir / "settings.ini")).read(kDataDir), value);
    }
}

TEST(IniSettingsBackend, missingSettingsReadAsNothingButAnEmptyValueIsKept) {
    aql::test::TempDir dir;
    IniSettingsBackend settings(qpath(dir / "sub" / "settings.ini"));
    EXPECT_EQ(settings.read(kLanguage), std::nullopt) << "no file yet";
    ASSERT_TRUE(settings.write(kLanguage, "Nederlands.lng"));
    EXPECT_EQ(settings.read(kDataDir), std::nullopt) << "same section, other key";
    EXPECT_EQ(settings.read(kDatabase), std::nullopt) << "other section";
    ASSERT_TRUE(settings.write(kDatabase, ""));
    EXPECT_EQ(settings.read(kDatabase), std::string());
    EXPECT_EQ(settings.read(kLanguage), "Nederlands.lng");
}

TEST(IniSettingsBackend, pathNamesTheSectionAndKeyOfTheFile) {
    aql::test::TempDir dir;
    aql::test::writeBytes(dir / "settings.ini", "[Monitor]\nDatabase=/srv/projects\n");
    IniSettingsBackend settings(qpath(dir / "settings.ini"));
    EXPECT_EQ(settings.read(kDatabase), "/srv/projects") << "hand-written file";
    ASSERT_TRUE(settings.write("HKEY_CURRENT_USER\\SOFTWARE\\Remote\\Language", "English.lng"));
    EXPECT_EQ(settings.read(kLanguage), "English.lng") << "hive and Software ignore case";

    QSettings file(qpath(dir / "settings.ini"), QSettings::IniFormat);
    EXPECT_EQ(file.value("Remote/Language").toString(), QStringLiteral("English.lng"));
    EXPECT_EQ(file.value("Monitor/Database").toString(), QStringLiteral("/srv/projects"));
    EXPECT_EQ(file.childGroups(), (QStringList{"Monitor", "Remote"}));
}

TEST(IniSettingsBackend, pathsOutsideTheUserSoftwareKeyAreRefused) {
    aql::test::TempDir dir;
    IniSettingsBackend settings(qpath(dir / "settings.ini"));
    for (const std::string path :
         {"HKLM\\Software\\Remote\\Language", "HKCU\\System\\Remote\\x", "HKCU\\Software\\Language",
          "HKCU\\Software\\Remote\\", "HKCU\\Software\\\\Language", "Language", ""}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(settings.write(path, "v"));
        EXPECT_EQ(settings.read(path), std::nullopt);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "settings.ini"));
}

TEST(IniSettingsBackend, writeReportsFailureWhenTheFolderCannotExist) {
    aql::test::TempDir dir;
    aql::test::writeBytes(dir / "plainfile", "x");
    IniSettingsBackend settings(qpath(dir / "plainfile" / "settings.ini"));
    EXPECT_FALSE(settings.write(kLanguage, "English.lng"));
    EXPECT_EQ(settings.read(kLanguage), std::nullopt);
}

TEST(IniSettingsBackend, defaultFileFollowsXdgConfigHomeThenHome) {
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", "/home/operator");
    qputenv("XDG_CONFIG_HOME", "/etc/xdg-user");
    EXPECT_EQ(IniSettingsBackend::defaultIniPath(),
              QStringLiteral("/etc/xdg-user/aqlremote/settings.ini"));
    qputenv("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(IniSettingsBackend::defaultIniPath(),
              QStringLiteral("/home/operator/.config/aqlremote/settings.ini"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(IniSettingsBackend::defaultIniPath(),
              QStringLiteral("/home/operator/.config/aqlremote/settings.ini"));
    qputenv("HOME", savedHome);
    if (!savedXdg.isNull()) {
        qputenv("XDG_CONFIG_HOME", savedXdg);
    }
}

} // namespace
