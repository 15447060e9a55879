// Lines as the export writes them, and the same lines damaged, read the quick way
// (fromPlainExportCsv) and the general way. The quick way takes no line with a blank, so a blank
// after every column makes a line only the general way reads: both must agree on it bit for bit,
// record or refusal. (The numbers' locale is the number readers' own test.)

#include "core/Error.h"
#include "records/LogRecord.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

namespace aql::records {
namespace {

std::string withBlanks(std::string_view line) {
    std::string out;
    for (const char c : line) {
        out += c == ',' ? " ," : std::string(1, c);
    }
    return out + ' ';
}

// The record's fields bit for bit, the refusal, or "left" when the quick way does not take it.
std::string outcomeOf(std::string_view line, bool quick) {
    LogRecord r;
    try {
        if (quick ? !r.fromPlainExportCsv(line) : (r.fromExportCsv(line, rtype::kLog), false)) {
            return "left";
        }
    } catch (const AqlError &e) {
        return "refused " + std::to_string(e.number()) + e.source() + e.description();
    }
    struct {
        std::int32_t header[4];
        Timestamp moment;
        LogValues values;
    } bits{{r.recordType, r.recordKey, r.recordNumber, r.systemTemperature},
           r.timestamp() != nullptr ? *r.timestamp() : Timestamp{},
           r.values() != nullptr ? *r.values() : LogValues{}};
    return std::string(reinterpret_cast<const char *>(&bits), sizeof bits);
}

// A line in the form the export writes, with numbers of every width the quick way takes: up to 9
// digits, leading zeros, signs, pH with up to 15 digits, timestamps with and without seconds;
// every other line then damaged in one to three places (a character changed, dropped or doubled).
std::string someLine(std::mt19937 &random, bool damaged) {
    auto digits = [&random](unsigned count) {
        std::string s;
        while (count-- > 0) {
            s += static_cast<char>('0' + random() % 10);
        }
        return s;
    };
    auto number = [&](bool ph) {
        const unsigned width = 1 + random() % (ph ? 6 : 9);
        std::string s =
            (random() % 5 == 0 ? "-" : "") + digits(random() % 4 == 0 ? width : 1 + width % 4);
        return ph && random() % 4 != 0 ? s + "." + digits(1 + random() % 9) : s;
    };
    std::string line = number(false) + "," + number(false) + "," + number(false) + "," +
                       digits(1 + random() % 5) + "-" + digits(2) + "-" + digits(2) + " " +
                       digits(2) + ":" + digits(2) +
                       (random() % 3 != 0 ? ":" + digits(1 + random() % 2) : "");
    for (int column = 5; column <= 30; ++column) {
        line += "," + number(column >= 11 && column <= 15);
    }
    static constexpr std::string_view kDamage = "0123456789-+.,: \teE9x";
    for (unsigned count = damaged ? 1 + random() % 3 : 0; count > 0 && !line.empty(); --count) {
        const std::size_t at = random() % line.size();
        switch (random() % 3) {
        case 0: line[at] = kDamage[random() % kDamage.size()]; break;
        case 1: line.erase(at, 1); break;
        default: line.insert(at, 1, line[at]); break;
        }
    }
    return line;
}

TEST(ExportLineReading, theQuickAndTheGeneralReadingAgreeOnEveryLine) {
    std::mt19937 random(2024);
    int quick = 0;
    int refused = 0;
    for (int i = 0; i < 80000; ++i) {
        const std::string line = someLine(random, i % 2 == 1);
        const std::string general = outcomeOf(withBlanks(line), false);
        const std::string quickly = outcomeOf(line, true);
        ASSERT_EQ(outcomeOf(withBlanks(line), true), "left") << line;
        ASSERT_TRUE(quickly == general || (quickly == "left" && i % 2 == 1)) << line;
        ASSERT_TRUE(outcomeOf(line, false) == general) << line;
        quick += quickly != "left" ? 1 : 0;
        refused += general.rfind("refused", 0) == 0 ? 1 : 0;
    }
    // Both ways and refusals must all have been met for the comparison to mean something.
    EXPECT_GT(quick, 45000);
    EXPECT_GT(refused, 5000);
    EXPECT_GT(80000 - quick - refused, 3000);
}

} // namespace
} // namespace aql::records
