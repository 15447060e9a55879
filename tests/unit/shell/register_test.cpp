#include "shell/Register.h"
#include "support/MemorySettings.h"

#include <gtest/gtest.h>

namespace aql::shell {
namespace {

TEST(Register, valuesReadBackThroughAnyInstanceAndStoreFailuresNeverReachTheCaller) {
    const std::string key = "HKCU\\Software\\Remote\\Language";
    test::MemorySettings store;
    EXPECT_EQ(clsRegister(store).ReadKey(key), "");
    clsRegister(store).CreateKey(key, "Nederlands.lng");
    EXPECT_EQ(clsRegister(store).ReadKey(key), "Nederlands.lng");
    EXPECT_EQ(clsRegister(store).ReadKey("HKCU\\Software\\Remote\\Languag"), "");
    store.throwing = true;
    EXPECT_NO_THROW(clsRegister(store).CreateKey(key, "English.lng"));
    EXPECT_EQ(clsRegister(store).ReadKey(key), "");
}

} // namespace
} // namespace aql::shell
