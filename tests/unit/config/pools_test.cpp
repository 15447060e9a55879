#include "config/Edit.h"
#include "config/PoolList.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace aql::config {
namespace {

using test::errorNumberOf;

records::dbRecord numbered(std::int32_t number, std::int32_t controllerKey) {
    records::dbRecord r;
    r.recordNumber = number;
    r.recordKey = controllerKey; // tells apart records that share a number
    return r;
}

std::unique_ptr<clsPOol> pool(const std::string &name, std::int32_t number) {
    auto p = std::make_unique<clsPOol>();
    p->init("Site", name, 1, "10.0.0.1", "502", number);
    return p;
}

TEST(Pool, startsEmptyAndASecondInitDropsItsRecords) {
    clsPOol p;
    EXPECT_EQ(p.name() + p.resort() + p.ipaddress() + p.port(), "");
    EXPECT_EQ(p.address() + p.Number(), 0);
    EXPECT_TRUE(p.dbRecords().empty());

    p.init("Sportfondsen", "Wedstrijdbad", 17, "192.168.1.40", "5001", 3);
    p.dbRecords().insert(numbered(1, 100));
    EXPECT_EQ(p.resort() + "/" + p.name() + "/" + p.ipaddress() + "/" + p.port(),
              "Sportfondsen/Wedstrijdbad/192.168.1.40/5001");
    EXPECT_EQ(p.address(), 17);
    EXPECT_EQ(p.Number(), 3);
    p.init("010203", "Instructiebad", 1, "10.0.0.2", "502", 4);
    EXPECT_TRUE(p.dbRecords().empty());
}

TEST(Pool, recordsStandInSignedNumberOrderAndTheFirstArrivalOfANumberWins) {
    clsPOol p;
    for (auto [number, key] : {std::pair{5, 50}, {3, 30}, {9, 90}, {3, 31}, {5, 51}, {-1, 10}}) {
        p.dbRecords().insert(numbered(number, key));
    }
    std::vector<std::int32_t> order, keys;
    p.dbRecords().forEach([&](const records::dbRecord &r) {
        order.push_back(r.recordNumber);
        keys.push_back(r.recordKey);
    });
    // The key is "K" + number, so the second 3 and the copy of the very first record are skipped.
    EXPECT_EQ(order, (std::vector<std::int32_t>{-1, 3, 5, 9}));
    EXPECT_EQ(keys, (std::vector<std::int32_t>{10, 30, 50, 90}));
}

TEST(Edit, deletingTheMiddleOfThreeMovesTheThirdUpAndBadPositionsAreSubscriptErrors) {
    clsEdit edit;
    EXPECT_EQ(errorNumberOf([&] { (void)edit.name(1); }), errc::kSubscriptOutOfRange);
    edit.save("Wedstrijdbad", "192.168.1.40", "5001");
    edit.save("Instructiebad", "192.168.1.41", "5002");
    edit.save("Peuterbad", "192.168.1.42", "5003");
    edit.remove(2);
    ASSERT_EQ(edit.count(), 2);
    EXPECT_EQ(edit.name(2) + " " + edit.ipaddress(2) + " " + edit.port(2),
              "Peuterbad 192.168.1.42 5003");
    for (std::int32_t bad : {0, -1, 3, -2147483647 - 1}) {
        EXPECT_EQ(errorNumberOf([&] { (void)edit.ipaddress(bad); }), errc::kSubscriptOutOfRange);
        EXPECT_EQ(errorNumberOf([&] { (void)edit.port(bad); }), errc::kSubscriptOutOfRange);
        EXPECT_EQ(errorNumberOf([&] { edit.remove(bad); }), errc::kSubscriptOutOfRange);
    }
    EXPECT_EQ(edit.count(), 2);
}

TEST(PoolList, keepsReadingOrderAndFindsNamesWhateverTheirLetterCase) {
    PoolList pools;
    pools.add(pool("Bad Noord", 1));
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
    EXPECT_EQ(pools.count(), 7);
    EXPECT_EQ(pools.item(1).Number(), 1);
    EXPECT_EQ(pools.item("bad noord").Number(), 1);
    EXPECT_EQ(pools.item("\xE9T\xE9").Number(), 2);
    EXPECT_EQ(pools.find("Zwembad"), nullptr);
    EXPECT_EQ(errorNumberOf([&] { (void)pools.item(8); }), errc::kSubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { (void)pools.item("Zwembad"); }), errc::kInvalidArgument);
    pools.clear();
    pools.add(pool("bad noord", 9));
    EXPECT_EQ(pools.item(1).Number(), 9);
}

TEST(PoolList, poolsAndTheirRecordsStayPutWhileTheListGrows) {
    PoolList pools;
    clsPOol &first = pools.add(pool("Eerste", 1));
    first.dbRecords().insert(numbered(42, 1));
    const records::dbRecord *held = first.dbRecords().find("K42");
    for (int i = 2; i <= 500; ++i) {
        pools.add(pool("Bad " + std::to_string(i), i));
    }
    EXPECT_EQ(&pools.item(1), &first);
    EXPECT_EQ(pools.item(1).dbRecords().find("K42"), held);
}

} // namespace
} // namespace aql::config
