#include "sim/Controller.h"
#include "sim/LogGenerator.h"

#include <gtest/gtest.h>

using namespace aql::sim;

TEST(Panel, editingASetpointWithTheKeysStoresItAndRaisesTheChangeFlag) {
    Controller c({1, 0, 1, 1, minutesFromTimestamp({2024, 6, 3, 8, 0})}); // no log; 08:00
    c.plant() = PlantValues{724, 85, 725, 42, 275};
    // V opens the settings on the pH setpoint; right, right, left, right: one step up.
    for (std::uint8_t k : {key::kAccept, key::kRight, key::kRight, key::kLeft, key::kRight}) {
        ASSERT_TRUE(c.pressKey(k));
    }
    EXPECT_EQ(c.display().text.substr(0, 40), "EDIT <> V=OK X=BACK >pH setpoint    7.30");
    EXPECT_EQ(c.display().cursor, 0x80 | 83) << "row 2 starts at display address 64";
    EXPECT_EQ(c.variableBlock(1)[0], 720) << "not stored before V";
    ASSERT_TRUE(c.pressKey(key::kAccept) && c.pressKey(key::kCancel));
    EXPECT_EQ(c.variableBlock(1)[0], 730);
    EXPECT_EQ(c.variableBlock(2)[11], 1);
    EXPECT_EQ(c.display().text.substr(0, 20), "pH  7.24    sp  7.30") << "the status screen";
    // The console clears the flag by writing 0; its own writes never raise it.
    EXPECT_TRUE(c.setVariable(2, 12, 0) && c.setVariable(1, 4, 95));
    EXPECT_EQ(c.variableBlock(2)[11], 0);
}

TEST(LogGenerator, recordsCountUpFifteenMinutesApartToTheNewestAndRepeatPerSeed) {
    const auto makeLog = [](std::uint32_t seed, std::uint32_t count, const Timestamp &last) {
        Random rng(seed);
        PlantValues plant;
        return generateLog({count, 1001, minutesFromTimestamp(last)}, Variables(), rng, plant);
    };
    const auto log = makeLog(1, 4, {2024, 3, 1, 0, 15});
    const Timestamp times[] = {
        {2024, 2, 29, 23, 30}, {2024, 2, 29, 23, 45}, {2024, 3, 1, 0, 0}, {2024, 3, 1, 0, 15}};
    ASSERT_EQ(log.size(), 4u);
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].time, times[i]) << i;
        EXPECT_EQ(log[i].number, 1001 + i);
        EXPECT_EQ(log[i].key, 0x10000 + 1001 + i);
    }

    const auto a = makeLog(42, 200, {2024, 6, 3, 8, 0});
    const auto b = makeLog(42, 200, {2024, 6, 3, 8, 0});
    const auto other = makeLog(43, 200, {2024, 6, 3, 8, 0});
    int differences = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(recordBody(a[i]), recordBody(b[i])) << i;
        differences += recordBody(a[i]) != recordBody(other[i]) ? 1 : 0;
    }
    EXPECT_GT(differences, 100);
}
