#include "sim/Options.h"

#include "sim/Calendar.h"

#include <gtest/gtest.h>

using namespace aql::sim;

TEST(Options, argumentsAreReadOrRefused) {
    const ParseResult r = parseArguments({"--address", "200", "--unaddressed", "--log-rate", "5000",
                                          "--start", "2023-12-31T23:45", "--fault=drop-after=3"});
    EXPECT_TRUE(r.ok() && r.options.address == 200 && r.options.unaddressed &&
                r.options.logRate == 5000 && r.options.faults.dropAfter == 3 &&
                r.options.startMinutes == minutesFromTimestamp({2023, 12, 31, 23, 45}));
    // clang-format off
    const std::pair<std::vector<std::string>, bool> cases[] = {
        {{"--port", "65535"}, true}, {{"--port", "65536"}, false}, {{"--port"}, false},
        {{"--address", "255"}, true}, {{"--address", "256"}, false}, {{"--address", "-1"}, false},
        {{"--seed", "12x"}, false}, {{"--log-rate", "0"}, false}, {{"--records", "+5"}, false},
        {{"--start", "2024-02-29T10:00"}, true}, {{"--start", "2023-02-29T10:00"}, false},
        {{"--fault", "garbage"}, true}, {{"--fault", "corrupt-checksum"}, false},
        {{"--fault", "corrupt-checksum=0"}, false}, {{"--fault", "drop-after=2:end"}, false},
        {{"--fault", "split=2"}, false}, {{"--fault", "flood"}, false},
        {{"--unaddressed=yes"}, false}, {{"--verbose"}, false}};
    // clang-format on
    for (const auto &[args, ok] : cases) {
        const ParseResult p = parseArguments(args);
        EXPECT_EQ(p.ok(), ok) << args[0] << " " << (args.size() > 1 ? args[1] : "") << p.error;
    }
}
