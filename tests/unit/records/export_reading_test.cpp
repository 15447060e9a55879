// Lines of the CSV export exactly as it writes them are read the quick way (fromPlainExportCsv);
// whatever it reads must come out as the general reading makes of the same line, and whatever it
// leaves must be read or refused by the general reading as before.
//
// The general reading removes blanks around every column and the quick way takes no line with a
// blank, so the same line with a blank after every column is a line only the general reading
// reads, to the same result.

#include "core/Error.h"
#include "records/LogRecord.h"
#include "support/DecimalCommaLocale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace aql::records {
namespace {

std::string withBlanks(std::string_view line) {
    std::string out;
    for (const char c : line) {
        if (c == ',') {
            out += ' ';
        }
        out += c;
    }
    return out + ' ';
}

// Everything a reading leaves in the record, bit for bit, or the error it raised.
struct Outcome {
    std::optional<AqlError> error;
    std::int32_t header[4] = {};
    Timestamp moment;
    LogValues values;
};

static_assert(std::is_trivially_copyable_v<Timestamp> && std::is_trivially_copyable_v<LogValues>,
              "compared byte for byte");

::testing::AssertionResult same(const Outcome &a, const Outcome &b) {
    if (a.error || b.error) {
        if (!a.error || !b.error) {
            return ::testing::AssertionFailure()
                   << (a.error ? "only the first" : "only the second") << " refused the line";
        }
        if (a.error->number() != b.error->number() || a.error->source() != b.error->source() ||
            a.error->description() != b.error->description()) {
            return ::testing::AssertionFailure()
                   << "errors " << a.error->number() << " " << a.error->source() << " and "
                   << b.error->number() << " " << b.error->source();
        }
        return ::testing::AssertionSuccess();
    }
    if (std::memcmp(a.header, b.header, sizeof a.header) != 0 ||
        std::memcmp(&a.moment, &b.moment, sizeof a.moment) != 0 ||
        std::memcmp(&a.values, &b.values, sizeof a.values) != 0) {
        return ::testing::AssertionFailure() << "the records differ";
    }
    return ::testing::AssertionSuccess();
}

Outcome outcomeOf(const LogRecord &record) {
    Outcome o;
    o.header[0] = record.recordType;
    o.header[1] = record.recordKey;
    o.header[2] = record.recordNumber;
    o.header[3] = record.systemTemperature;
    if (record.timestamp() != nullptr) {
        o.moment = *record.timestamp();
    }
    if (record.values() != nullptr) {
        o.values = *record.values();
    }
    return o;
}

Outcome read(std::string_view line) {
    LogRecord record;
    try {
        record.fromExportCsv(line, rtype::kLog);
    } catch (const AqlError &e) {
        Outcome o;
        o.error = e;
        return o;
    }
    return outcomeOf(record);
}

std::string digits(std::mt19937 &random, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
        s += static_cast<char>('0' + random() % 10);
    }
    return s;
}

// A line in the form the export writes, with numbers of every width the quick way takes: up to 9
// digits, leading zeros, signs, pH with up to 15 digits, timestamps with and without seconds.
std::string plainLine(std::mt19937 &random) {
    auto integer = [&] {
        const int width = 1 + static_cast<int>(random() % 9);
        return (random() % 5 == 0 ? "-" : "") +
               digits(random, random() % 4 == 0 ? width : 1 + width % 4);
    };
    auto ph = [&] {
        std::string s =
            (random() % 7 == 0 ? "-" : "") + digits(random, 1 + static_cast<int>(random() % 6));
        if (random() % 4 != 0) {
            s += "." + digits(random, 1 + static_cast<int>(random() % 9));
        }
        return s;
    };
    std::string line = integer() + "," + integer() + "," + integer() + ",";
    line += digits(random, 1 + static_cast<int>(random() % 5)) + "-" + digits(random, 2) + "-" +
            digits(random, 2) + " " + digits(random, 2) + ":" + digits(random, 2);
    if (random() % 3 != 0) {
        line += ":" + digits(random, 1 + static_cast<int>(random() % 2));
    }
    for (int column = 5; column <= 30; ++column) {
        line += ",";
        line += column >= 11 && column <= 15 ? ph() : integer();
    }
    return line;
}

// The line damaged in one to three places: a character changed, dropped or doubled, taken from
// what makes a number or a line go wrong.
std::string damaged(std::string line, std::mt19937 &random) {
    static constexpr std::string_view kCharacters = "0123456789-+.,: \teE9x";
    for (unsigned damage = 1 + random() % 3; damage > 0 && !line.empty(); --damage) {
        const std::size_t at = random() % line.size();
        switch (random() % 3) {
        case 0: line[at] = kCharacters[random() % kCharacters.size()]; break;
        case 1: line.erase(at, 1); break;
        default: line.insert(at, 1, line[at]); break;
        }
    }
    return line;
}

TEST(ExportLineReading, theQuickWayReadsEveryPlainLineAsTheGeneralReadingDoes) {
    std::mt19937 random(2024);
    for (int i = 0; i < 20000; ++i) {
        const std::string line = plainLine(random);
        LogRecord quick;
        ASSERT_TRUE(quick.fromPlainExportCsv(line)) << line;
        const std::string general = withBlanks(line);
        ASSERT_FALSE(LogRecord().fromPlainExportCsv(general)) << general;
        ASSERT_TRUE(same(outcomeOf(quick), read(general))) << line;
        ASSERT_TRUE(same(read(line), read(general))) << line;
    }
}

// "7,11" is how a user with a decimal comma writes 7.11; the file still means 7.11.
TEST(ExportLineReading, aDecimalCommaLocaleChangesNothingRead) {
    std::mt19937 random(3);
    std::vector<std::string> lines;
    std::vector<Outcome> outcomes;
    for (int i = 0; i < 2000; ++i) {
        lines.push_back(plainLine(random));
        outcomes.push_back(read(lines.back()));
    }
    test::DecimalCommaLocale comma;
    ASSERT_TRUE(comma.active()) << test::DecimalCommaLocale::kMissing;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_TRUE(same(read(lines[i]), outcomes[i])) << lines[i];
    }
}

TEST(ExportLineReading, aDamagedLineIsReadOrRefusedAsTheGeneralReadingDoes) {
    std::mt19937 random(9);
    int quick = 0;
    int refused = 0;
    for (int i = 0; i < 60000; ++i) {
        const std::string line = damaged(plainLine(random), random);
        const Outcome outcome = read(line);
        ASSERT_TRUE(same(outcome, read(withBlanks(line)))) << line;
        quick += LogRecord().fromPlainExportCsv(line) ? 1 : 0;
        refused += outcome.error ? 1 : 0;
    }
    // Both ways and refusals must all have been met for the comparison to mean something.
    EXPECT_GT(quick, 5000);
    EXPECT_GT(refused, 5000);
    EXPECT_GT(60000 - quick - refused, 5000);
}

TEST(ExportLineReading, aLineTheQuickWayLeavesLeavesTheRecordAsItWas) {
    const std::string line = "3,100,7,2024-06-03 03:15:00,21,500,100,300,250,250,7.8,6.8,7.2,7.11,"
                             "7.11,20,10,120,120,40,25,400,401,12,3,650,5,6,401,3";
    LogRecord record;
    ASSERT_TRUE(record.fromPlainExportCsv(line));
    const Outcome before = outcomeOf(record);
    const std::string others[] = {
        line + ",1",                                                          // 31 columns
        line.substr(0, line.rfind(',')),                                      // 29 columns
        std::string(line).replace(line.find("2024"), 4, "-2024"),             // a signed year
        std::string(line).replace(line.find("7.11"), 4, "7.1e1"),             // an exponent
        std::string(line).replace(line.find(",500,"), 5, ",5000000000,"),     // ten digits
        std::string(line).replace(line.find("7.11"), 4, "1234567.123456789"), // 16 digits of pH
        " " + line,
    };
    for (const std::string &other : others) {
        EXPECT_FALSE(record.fromPlainExportCsv(other)) << other;
        EXPECT_TRUE(same(outcomeOf(record), before)) << other;
    }
    EXPECT_EQ(record.toCSV(), line);
}

} // namespace
} // namespace aql::records
