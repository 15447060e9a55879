#include "core/Numbers.h"

#include "support/DecimalCommaLocale.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using aql::test::errorNumberOf;

namespace {

// The general form as the standard library gives it: 7 significant digits, "E" for the exponent.
std::string generalForm(float value) {
    if (value == 0.0f) {
        return "0";
    }
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 7);
    std::string s(text, end.ptr);
    std::replace(s.begin(), s.end(), 'e', 'E');
    return s;
}

} // namespace

// Each text as the integer reading takes it (or the error it raises) and as the leading-number
// reading, which never fails, takes it.
TEST(NumberTexts, integersRoundHalfToEvenOrFailAndTheLeadingNumberIsTheLongestThatReads) {
    struct Row {
        const char *text;
        std::int32_t integer;
        int error;
        double leading;
    };
    const Row rows[] = {
        {"  34 ", 34, 0, 34},
        {"\t-7", -7, 0, -7},
        {"+8", 8, 0, 8},
        {"1e3", 1000, 0, 1000},
        {"-2147483648", INT32_MIN, 0, -2147483648.0},
        {"2147483647", INT32_MAX, 0, 2147483647.0},
        {"2.5", 2, 0, 2.5},
        {"3.5", 4, 0, 3.5},
        {"-2.5", -2, 0, -2.5},
        {"2.51", 3, 0, 2.51},
        {".4", 0, 0, 0.4},
        {"1e-400", 0, 0, 0},
        {"", 0, 13, 0},
        {"   ", 0, 13, 0},
        {"12a", 0, 13, 12},
        {"1 2", 0, 13, 12},
        {"1,5", 0, 13, 1},
        {"-", 0, 13, 0},
        {" 7.25abc", 0, 13, 7.25},
        {"-6.5e1x", 0, 13, -65},
        {"2147483648", 0, 6, 2147483648.0},
        {"-2147483649", 0, 6, -2147483649.0},
        {"1e400", 0, 6, 0},
    };
    for (const Row &row : rows) {
        std::int32_t read = 0;
        EXPECT_EQ(errorNumberOf([&] { read = aql::textToInt32(row.text); }), row.error) << row.text;
        EXPECT_EQ(read, row.integer) << row.text;
        EXPECT_DOUBLE_EQ(aql::leadingNumber(row.text), row.leading) << row.text;
    }
    EXPECT_TRUE(std::signbit(aql::leadingNumber("-0")));
    EXPECT_EQ(errorNumberOf([] { aql::textToInt16("32768"); }), 6);
    EXPECT_EQ(aql::textToInt16("-32768"), -32768);
}

// Logged values are written from their hundredths without the general conversion; every value
// that way, and any other single, must read exactly as the general conversion writes it, with a
// point whatever the locale.
TEST(SingleToText, everySingleReadsAsTheGeneralFormWithAPointInAnyLocale) {
    for (int hundredths = -100000; hundredths <= 100000; ++hundredths) {
        const auto value = static_cast<float>(hundredths / 100.0);
        ASSERT_EQ(aql::singleToText(value), generalForm(value)) << hundredths;
        ASSERT_EQ(aql::singleToText(value * 100.0f), generalForm(value * 100.0f)) << hundredths;
    }
    std::mt19937 random(7);
    for (int i = 0; i < 2'000'000; ++i) {
        const std::uint32_t bits = random();
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isnan(value)) {
            ASSERT_EQ(aql::singleToText(value), generalForm(value)) << bits;
        }
    }
    for (const float v : {7.11f, 999.99f, 1000.0f, 1000.01f, 0.01f, 0.005f, 0.015f, -999.99f}) {
        for (const float near : {std::nextafter(v, 0.0f), v, std::nextafter(v, 2e9f)}) {
            EXPECT_EQ(aql::singleToText(near), generalForm(near)) << near;
        }
    }
    EXPECT_EQ(aql::singleToText(-0.0f), "0");
    EXPECT_EQ(aql::singleToText(std::numeric_limits<float>::infinity()), "inf");

    // A user whose numbers use a decimal comma must still get "7.25" in a comma-separated file.
    aql::test::DecimalCommaLocale comma;
    ASSERT_TRUE(comma.active()) << aql::test::DecimalCommaLocale::kMissing;
    EXPECT_EQ(aql::singleToText(7.25f), "7.25");
    EXPECT_EQ(aql::textToInt32("2.5"), 2);
    EXPECT_DOUBLE_EQ(aql::leadingNumber("7.25"), 7.25);
    double plain = 0;
    EXPECT_TRUE(aql::plainDecimal("7.25", plain));
    EXPECT_EQ(plain, 7.25);
}

// Plain decimals are converted by one division; the result must be the nearest double, which
// std::from_chars gives, and any other text must be refused so that the general rule reads it.
TEST(PlainDecimal, givesTheNearestDoubleForEveryPlainTextAndRefusesTheRest) {
    std::mt19937 random(11);
    for (int i = 0; i < 300'000; ++i) {
        std::string text = random() % 4 == 0 ? "-" : "";
        const int whole = 1 + static_cast<int>(random() % 9);
        const int fraction = static_cast<int>(random() % 7);
        for (int d = 0; d < whole + (fraction > 0 ? fraction + 1 : 0); ++d) {
            text += d == whole ? '.' : static_cast<char>('0' + random() % 10);
        }
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        double plain = 0;
        ASSERT_TRUE(aql::plainDecimal(text, plain)) << text;
        ASSERT_EQ(std::memcmp(&plain, &expected, sizeof plain), 0) << text;
        ASSERT_EQ(aql::leadingNumber(text), expected) << text;
    }
    double ignored = 0;
    for (const char *refused : {"", "-", ".", "7.", ".5", "+7", " 7", "7 ", "1e3", "7.1.1", "--7",
                                "7,1", "1234567890123456", "1234567890.123456", "0x10"}) {
        EXPECT_FALSE(aql::plainDecimal(refused, ignored)) << refused;
    }
    EXPECT_TRUE(aql::plainDecimal("123456789012345", ignored));
    EXPECT_TRUE(aql::plainDecimal("-0.00000000000001", ignored));
}
