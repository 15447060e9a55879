#include "shell/SettingsStore.h"
#include "support/MemorySettings.h"

#include <gtest/gtest.h>

namespace aql::shell {
namespace {

// Other programs read and write these: the names must never change.
TEST(Settings, eachKeyIsStoredUnderItsLongstandingName) {
    const std::pair<SettingKey, std::string> names[] = {
        {SettingKey::Language, "HKCU\\Software\\Remote\\Language"},
        {SettingKey::ProgramFolder, "HKCU\\Software\\Remote\\DataDir"},
        {SettingKey::ProjectFolder, "HKCU\\Software\\Monitor\\Database"},
        {SettingKey::Reconnect, "HKCU\\Software\\Remote\\Reconnect"},
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

TEST(Settings, aSwitchIsOnOnlyWhenStoredAsOneAndStoreFailuresNeverReachTheCaller) {
    test::MemorySettings store;
    EXPECT_FALSE(SettingsStore(store).readSwitch(SettingKey::Reconnect)); // missing: off
    SettingsStore(store).writeSwitch(SettingKey::Reconnect, true);
    EXPECT_EQ(store.values["HKCU\\Software\\Remote\\Reconnect"], "1");
    EXPECT_TRUE(SettingsStore(store).readSwitch(SettingKey::Reconnect));
    store.values["HKCU\\Software\\Remote\\Reconnect"] = "true";
    EXPECT_FALSE(SettingsStore(store).readSwitch(SettingKey::Reconnect));
    store.throwing = true;
    EXPECT_FALSE(SettingsStore(store).readSwitch(SettingKey::Reconnect));
    EXPECT_NO_THROW(SettingsStore(store).write(SettingKey::Language, "English.lng"));
    EXPECT_EQ(SettingsStore(store).read(SettingKey::Language), "");
}

} // namespace
} // namespace aql::shell
