// Lines of the CSV export exactly as it writes them are read the quick way (fromPlainExportCsv);
// whatever it reads must come out as the general reading makes of the same line, and whatever it
// leaves must be read or refused by the general reading as before. The general reading removes
// blanks around every column and the quick way takes no line with a blank, so the same line with
// a blank after every column is a line only the general reading reads, to the same result.

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
        out += c == ',' ? " ," : std::string(1, c);
    }
    return out + ' ';
}

static_assert(std::is_trivially_copyable_v<Timestamp> && std::is_trivially_copyable_v<LogValues>,
              "compared byte for byte");

// Everything a reading leaves in the record, bit for bit, or the error it raised.
struct Outcome {
    std::optional<AqlError> error;
    std::int32_t header[4] = {};
    Timestamp moment;
    LogValues values;

    bool operator==(const Outcome &o) const {
        if (error || o.error) {
            return error && o.error && error->number() == o.error->number() &&
                   error->source() == o.error->source() &&
                   error->description() == o.error->description();
        }
        return std::memcmp(header, o.header, sizeof header) == 0 &&
               std::memcmp(&moment, &o.moment, sizeof moment) == 0 &&
               std::memcmp(&values, &o.values, sizeof values) == 0;
    }
};

Outcome outcomeOf(const LogRecord &r) {
    Outcome o{
        std::nullopt, {r.recordType, r.recordKey, r.recordNumber, r.systemTemperature}, {}, {}};
    if (r.timestamp() != nullptr) {
        o.moment = *r.timestamp();
    }
    if (r.values() != nullptr) {
        o.values = *r.values();
    }
    return o;
}

Outcome read(std::string_view line) {
    LogRecord record;
    try {
        record.fromExportCsv(line, rtype::kLog);
    } catch (const AqlError &e) {
        return Outcome{e, {}, {}, {}};
    }
    return outcomeOf(record);
}

// A line in the form the export writes, with numbers of every width the quick way takes: up to 9
// digits, leading zeros, signs, pH with up to 15 digits, timestamps with and without seconds.
std::string plainLine(std::mt19937 &random) {
    auto digits = [&random](unsigned count) {
        std::string s;
        while (count-- > 0) {
            s += static_cast<char>('0' + random() % 10);
        }
        return s;
    };
    auto integer = [&] {
        const unsigned width = 1 + random() % 9;
        return (random() % 5 == 0 ? "-" : "") + digits(random() % 4 == 0 ? width : 1 + width % 4);
    };
    auto ph = [&] {
        std::string s = (random() % 7 == 0 ? "-" : "") + digits(1 + random() % 6);
        return random() % 4 != 0 ? s + "." + digits(1 + random() % 9) : s;
    };
    std::string line = integer() + "," + integer() + "," + integer() + "," +
                       digits(1 + random() % 5) + "-" + digits(2) + "-" + digits(2) + " " +
                       digits(2) + ":" + digits(2);
    if (random() % 3 != 0) {
        line += ":" + digits(1 + random() % 2);
    }
    for (int column = 5; column <= 30; ++column) {
        line += "," + (column >= 11 && column <= 15 ? ph() : integer());
    }
    return line;
}

TEST(ExportLineReading, theQuickWayReadsEveryPlainLineAsTheGeneralReadingDoesInAnyLocale) {
    std::mt19937 random(2024);
    std::vector<std::pair<std::string, Outcome>> seen;
    for (int i = 0; i < 20000; ++i) {
        const std::string line = plainLine(random);
        LogRecord quick;
        ASSERT_TRUE(quick.fromPlainExportCsv(line)) << line;
        const std::string general = withBlanks(line);
        ASSERT_FALSE(LogRecord().fromPlainExportCsv(general)) << general;
        ASSERT_TRUE(outcomeOf(quick) == read(general)) << line;
        ASSERT_TRUE(read(line) == read(general)) << line;
        if (i < 2000) {
            seen.emplace_back(line, read(general));
        }
    }
    // "7,11" is how a user with a decimal comma writes 7.11; the file still means 7.11.
    test::DecimalCommaLocale comma;
    ASSERT_TRUE(comma.active()) << test::DecimalCommaLocale::kMissing;
    for (const auto &[line, outcome] : seen) {
        ASSERT_TRUE(read(line) == outcome) << line;
        ASSERT_TRUE(read(withBlanks(line)) == outcome) << line;
    }
}

// The line damaged in one to three places: a character changed, dropped or doubled, taken from
// what makes a number or a line go wrong.
TEST(ExportLineReading, aDamagedLineIsReadOrRefusedAsTheGeneralReadingDoes) {
    static constexpr std::string_view kCharacters = "0123456789-+.,: \teE9x";
    std::mt19937 random(9);
    int quick = 0;
    int refused = 0;
    for (int i = 0; i < 60000; ++i) {
        std::string line = plainLine(random);
        for (unsigned damage = 1 + random() % 3; damage > 0 && !line.empty(); --damage) {
            const std::size_t at = random() % line.size();
            switch (random() % 3) {
            case 0: line[at] = kCharacters[random() % kCharacters.size()]; break;
            case 1: line.erase(at, 1); break;
            default: line.insert(at, 1, line[at]); break;
            }
        }
        const Outcome outcome = read(line);
        ASSERT_TRUE(outcome == read(withBlanks(line))) << line;
        quick += LogRecord().fromPlainExportCsv(line) ? 1 : 0;
        refused += outcome.error ? 1 : 0;
    }
    // Both ways and refusals must all have been met for the comparison to mean something.
    EXPECT_GT(quick, 5000);
    EXPECT_GT(refused, 5000);
    EXPECT_GT(60000 - quick - refused, 5000);
}

} // namespace
} // namespace aql::records
