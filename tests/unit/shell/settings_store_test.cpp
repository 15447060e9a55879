#include "shell/SettingsStore.h"
#include "support/MemorySettings.h"

#include <gtest/gtest.h>

namespace aql::shell {
namespace {

TEST(Register, valuesReadBackThroughAnyInstanceAndStoreFailuresNeverReachTheCaller) {
    const std::string key = "HKCU\\Software\\Remote\\Language";
    test::MemorySettings store;
    EXPECT_EQ(SettingsStore(store).ReadKey(key), "");
    SettingsStore(store).CreateKey(key, "Nederlands.lng");
    EXPECT_EQ(SettingsStore(store).ReadKey(key), "Nederlands.lng");
    EXPECT_EQ(SettingsStore(store).ReadKey("HKCU\\Software\\Remote\\Languag"), "");
    store.throwing = true;
    EXPECT_NO_THROW(SettingsStore(store).CreateKey(key, "English.lng"));
    EXPECT_EQ(SettingsStore(store).ReadKey(key), "");
}

} // namespace
} // namespace aql::shell
