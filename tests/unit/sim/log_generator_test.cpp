#include "sim/Controller.h"
#include "sim/LogGenerator.h"

#include <gtest/gtest.h>

using namespace aql::sim;

namespace {

std::vector<LogRecord> makeLog(std::uint32_t seed, std::uint32_t count, const Timestamp &last) {
    LogPlan plan;
    plan.count = count;
    plan.firstNumber = 1001;
    plan.lastRecordMinutes = minutesFromTimestamp(last);
    Variables vars;
    Random rng(seed);
    PlantValues plant;
    return generateLog(plan, vars, rng, plant);
}

} // namespace

TEST(Calendar, minutesRoundTripAcrossMonthYearAndLeapDay) {
    EXPECT_EQ(minutesFromTimestamp({1970, 1, 1, 0, 0}), 0);
    EXPECT_EQ(minutesFromTimestamp({1970, 1, 2, 1, 1}), 1440 + 61);
    EXPECT_EQ(timestampFromMinutes(minutesFromTimestamp({2024, 2, 28, 23, 45}) + 15),
              (Timestamp{2024, 2, 29, 0, 0}));
    EXPECT_EQ(timestampFromMinutes(minutesFromTimestamp({2023, 2, 28, 23, 45}) + 15),
              (Timestamp{2023, 3, 1, 0, 0}));
    EXPECT_EQ(timestampFromMinutes(minutesFromTimestamp({2024, 12, 31, 23, 59}) + 1),
              (Timestamp{2025, 1, 1, 0, 0}));
}

TEST(LogGenerator, recordsAreNumberedUpwardsFifteenMinutesApartEndingNow) {
    const auto log = makeLog(1, 6, {2024, 1, 1, 0, 30});
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log.front().time, (Timestamp{2023, 12, 31, 23, 15}));
    EXPECT_EQ(log.back().time, (Timestamp{2024, 1, 1, 0, 30}));
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].number, 1001 + i);
        EXPECT_EQ(log[i].key, kRecordKeyBase + log[i].number);
        if (i > 0) {
            EXPECT_EQ(minutesFromTimestamp(log[i].time) - minutesFromTimestamp(log[i - 1].time),
                      15);
        }
    }
}

TEST(LogGenerator, valuesStayPlausibleAndInsideTheAlarmLimitsInAutomaticMode) {
    for (std::uint32_t seed : {1u, 2u, 77u, 4000000000u}) {
        const auto log = makeLog(seed, 3000, {2024, 6, 3, 8, 0});
        int phMin = 9999, phMax = 0, clMin = 9999, clMax = 0;
        for (const LogRecord &r : log) {
            phMin = std::min<int>(phMin, r.pH);
            phMax = std::max<int>(phMax, r.pH);
            clMin = std::min<int>(clMin, r.reagent);
            clMax = std::max<int>(clMax, r.reagent);
            ASSERT_TRUE(r.pH >= r.pHLowAlarm && r.pH <= r.pHHighAlarm) << seed << " " << r.pH;
            ASSERT_TRUE(r.reagent >= r.reagentLowAlarm && r.reagent <= r.reagentHighAlarm)
                << seed << " " << r.reagent;
            ASSERT_TRUE(r.flow >= r.flowLowAlarm && r.flow < 80) << int(r.flow);
            ASSERT_LE(r.reagentPump, 100);
            ASSERT_LE(r.acidPump, 100);
            ASSERT_EQ(r.reagentBits, 1) << "dosing, no alarm";
            ASSERT_EQ(r.digitalInputs[0], 1) << "flow switch closed";
            ASSERT_LE(r.emptyValue, 100) << "GBC is a percentage";
        }
        EXPECT_EQ(log.front().pHSetpoint, 720);
        EXPECT_EQ(log.front().reagentSetpoint, 80);
        // It drifts: neither a constant nor a wild swing.
        EXPECT_GT(phMax - phMin, 5);
        EXPECT_GT(clMax - clMin, 10);
    }
}

TEST(LogGenerator, aSeedGivesTheSameLogAndAnotherSeedAnotherOne) {
    const auto a = makeLog(42, 200, {2024, 6, 3, 8, 0});
    const auto b = makeLog(42, 200, {2024, 6, 3, 8, 0});
    const auto c = makeLog(43, 200, {2024, 6, 3, 8, 0});
    int differences = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(recordBody(a[i]), recordBody(b[i]));
        differences += recordBody(a[i]) != recordBody(c[i]) ? 1 : 0;
    }
    EXPECT_GT(differences, 100);
}

TEST(LogGenerator, liveReadingsCarryOnFromTheNewestRecord) {
    ControllerSetup setup;
    setup.records = 50;
    Controller c(setup);
    EXPECT_EQ(c.plant().pH, c.log().back().pH);
    EXPECT_EQ(c.plant().chlorine, c.log().back().reagent);
    EXPECT_EQ(c.variableBlock(0)[4], c.log().back().pH);
    EXPECT_EQ(c.variableBlock(0)[3], 50) << "records held";
}
