#include "sim/Options.h"

#include "sim/Calendar.h"

#include <gtest/gtest.h>

using namespace aql::sim;

TEST(Options, defaultsAndEveryOptionAreRead) {
    const Options d = parseArguments({}).options;
    EXPECT_EQ(d.bind, "127.0.0.1");
    EXPECT_EQ(d.address, 1);
    EXPECT_EQ(d.records, 500u);
    EXPECT_FALSE(d.faults.any());

    const ParseResult r = parseArguments({"--port",
                                          "0",
                                          "--bind=127.0.0.2",
                                          "--address",
                                          "200",
                                          "--records",
                                          "100000",
                                          "--seed",
                                          "9",
                                          "--unaddressed",
                                          "--log-rate",
                                          "5000",
                                          "--start",
                                          "2023-12-31T23:45",
                                          "--fault",
                                          "corrupt-checksum=7",
                                          "--fault=drop-after=3:mid",
                                          "--fault",
                                          "unknown-type=3",
                                          "--fault",
                                          "garbage",
                                          "--fault",
                                          "slow=250"});
    ASSERT_TRUE(r.ok()) << r.error;
    const Options &o = r.options;
    EXPECT_EQ(o.bind, "127.0.0.2");
    EXPECT_EQ(o.address, 200);
    EXPECT_TRUE(o.unaddressed);
    EXPECT_EQ(o.logRate, 5000u);
    EXPECT_EQ(timestampFromMinutes(o.startMinutes), (Timestamp{2023, 12, 31, 23, 45}));
    EXPECT_EQ(o.faults.corruptEvery, 7u);
    EXPECT_TRUE(o.faults.drop && o.faults.dropMidLine);
    EXPECT_EQ(o.faults.dropAfter, 3u);
    EXPECT_EQ(o.faults.unknownTypeOneIn, 3u);
    EXPECT_GT(o.faults.garbageOneIn, 0u) << "a default rate";
    EXPECT_EQ(o.faults.slowMs, 250u);
}

TEST(Options, malformedArgumentsAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--port", "65536"},
        {"--port"},
        {"--address", "256"},
        {"--address", "-1"},
        {"--seed", "12x"},
        {"--log-rate", "0"},
        {"--records", "+5"},
        {"--start", "2024-02-30T10:00"},
        {"--fault", "corrupt-checksum"},
        {"--fault", "corrupt-checksum=0"},
        {"--fault", "drop-after=2:end"},
        {"--fault", "split=2"},
        {"--fault", "flood"},
        {"--unaddressed=yes"},
        {"--verbose"},
    };
    for (const auto &args : bad) {
        const ParseResult r = parseArguments(args);
        EXPECT_FALSE(r.ok()) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
}
