#include "config/PoolList.h"
#include "config/SystemList.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <memory>

namespace aql::config {
namespace {

using test::errorNumberOf;

std::unique_ptr<Pool> pool(const std::string &name, std::int32_t number) {
    auto p = std::make_unique<Pool>();
    p->init("Site", name, 1, "10.0.0.1", "502", number);
    return p;
}

TEST(SystemList, removingTheMiddleOfThreeMovesTheThirdUpAndBadPositionsAreSubscriptErrors) {
    SystemList edit;
    edit.append("Wedstrijdbad", "192.168.1.40", "5001");
    edit.append("Instructiebad", "192.168.1.41", "5002");
    edit.append("Peuterbad", "192.168.1.42", "5003");
    edit.remove(2);
    ASSERT_EQ(edit.count(), 2);
    EXPECT_EQ(edit.name(1) + " " + edit.name(2) + " " + edit.ipAddress(2) + " " + edit.port(2),
              "Wedstrijdbad Peuterbad 192.168.1.42 5003");
    EXPECT_EQ(errorNumberOf([&] { (void)edit.name(3); }), errc::kSubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { edit.remove(0); }), errc::kSubscriptOutOfRange);
    EXPECT_EQ(edit.count(), 2);
}

TEST(PoolList, namesAreKeysWhateverTheirLetterCaseAndPoolsStayPutAsTheListGrows) {
    PoolList pools;
    Pool &first = pools.add(pool("Bad Noord", 1));
    pools.add(pool("\xC9T\xC9", 2)); // ÉTÉ
    EXPECT_EQ(errorNumberOf([&] { pools.add(pool("BAD NOORD", 3)); }), errc::kKeyAlreadyPresent);
    EXPECT_EQ(errorNumberOf([&] { pools.add(pool("\xE9t\xE9", 4)); }), errc::kKeyAlreadyPresent);
    // Not case pairs: × and ÷ sit where a capital and its small letter would; ß has no capital.
    for (const char *other : {"a\xD7", "a\xF7",
                              "Stra\xDF"
                              "e",
                              "STRASSE", "Bad  Noord"}) {
        pools.add(pool(other, pools.count() + 1));
    }
    for (int i = 8; i <= 500; ++i) {
        pools.add(pool("Bad " + std::to_string(i), i));
    }
    EXPECT_EQ(&pools.item(1), &first);
    EXPECT_EQ(&pools.item("bad noord"), &first);
    EXPECT_EQ(pools.item("\xE9T\xE9").number(), 2);
    EXPECT_EQ(pools.item(7).name(), "Bad  Noord");
    EXPECT_EQ(pools.find("Zwembad"), nullptr);
    EXPECT_EQ(errorNumberOf([&] { (void)pools.item(501); }), errc::kSubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { (void)pools.item("Zwembad"); }), errc::kInvalidArgument);
}

} // namespace
} // namespace aql::config
