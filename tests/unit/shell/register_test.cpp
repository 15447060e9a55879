#include "shell/Register.h"
#include "support/MemorySettings.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace aql::shell {
namespace {

const std::string kLanguage = "HKCU\\Software\\Remote\\Language";

TEST(Register, aValueWrittenByOneInstanceReadsBackExactlyThroughAnother) {
    test::MemorySettings store;
    EXPECT_EQ(clsRegister(store).ReadKey(kLanguage), "");
    clsRegister(store).CreateKey(kLanguage, "Nederlands.lng");
    EXPECT_EQ(clsRegister(store).ReadKey(kLanguage), "Nederlands.lng");
    EXPECT_EQ(clsRegister(store).ReadKey("HKCU\\Software\\Remote\\Languag"), "");
}

// A backend that breaks its promise not to throw.
class ThrowingSettings : public platform::SettingsBackend {
public:
    std::optional<std::string> read(const std::string &) override {
        throw std::runtime_error("gone");
    }
    bool write(const std::string &, const std::string &) override {
        throw std::runtime_error("gone");
    }
};

TEST(Register, failuresOfTheStoreNeverReachTheCaller) {
    test::MemorySettings store;
    store.values[kLanguage] = "English.lng";
    store.failWrites = true;
    clsRegister(store).CreateKey(kLanguage, "Nederlands.lng");
    EXPECT_EQ(clsRegister(store).ReadKey(kLanguage), "English.lng");
    store.failReads = true;
    EXPECT_EQ(clsRegister(store).ReadKey(kLanguage), "");

    ThrowingSettings broken;
    EXPECT_NO_THROW(clsRegister(broken).CreateKey(kLanguage, "English.lng"));
    EXPECT_EQ(clsRegister(broken).ReadKey(kLanguage), "");
}

} // namespace
} // namespace aql::shell
