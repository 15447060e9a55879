#include "shell/SettingsStore.h"
#include "support/MemorySettings.h"

#include <gtest/gtest.h>

namespace aql::shell {
namespace {

TEST(Settings, valuesReadBackThroughAnyInstanceAndStoreFailuresNeverReachTheCaller) {
    test::MemorySettings store;
    EXPECT_EQ(SettingsStore(store).read(SettingKey::Language), "");
    SettingsStore(store).write(SettingKey::Language, "Nederlands.lng");
    EXPECT_EQ(SettingsStore(store).read(SettingKey::Language), "Nederlands.lng");
    EXPECT_EQ(SettingsStore(store).read(SettingKey::ProgramFolder), "");
    store.throwing = true;
    EXPECT_NO_THROW(SettingsStore(store).write(SettingKey::Language, "English.lng"));
    EXPECT_EQ(SettingsStore(store).read(SettingKey::Language), "");
}

// Other programs read and write these: the names must never change.
TEST(Settings, eachKeyIsStoredUnderItsLongstandingName) {
    const std::pair<SettingKey, std::string> names[] = {
        {SettingKey::Language, "HKCU\\Software\\Remote\\Language"},
        {SettingKey::ProgramFolder, "HKCU\\Software\\Remote\\DataDir"},
        {SettingKey::ProjectFolder, "HKCU\\Software\\Monitor\\Database"},
    };
    for (const auto &[key, path] : names) {
        test::MemorySettings store;
        SettingsStore(store).write(key, "value");
        ASSERT_EQ(store.values.size(), 1u) << path;
        EXPECT_EQ(store.values.begin()->first, path);
        store.values[path] = "written by another program";
        EXPECT_EQ(SettingsStore(store).read(key), "written by another program") << path;
    }
}

} // namespace
} // namespace aql::shell
