#include "sim/Controller.h"
#include "sim/LogGenerator.h"

#include <gtest/gtest.h>

using namespace aql::sim;

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
