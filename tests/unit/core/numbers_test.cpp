#include "core/Error.h"
#include "core/Numbers.h"

#include "support/DecimalCommaLocale.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using aql::test::errorNumberOf;

TEST(TextToInt32, acceptsBlanksSignsFractionsAndExponents) {
    EXPECT_EQ(aql::textToInt32("12"), 12);
    EXPECT_EQ(aql::textToInt32("  34 "), 34);
    EXPECT_EQ(aql::textToInt32("\t-7"), -7);
    EXPECT_EQ(aql::textToInt32("+8"), 8);
    EXPECT_EQ(aql::textToInt32("1e3"), 1000);
    EXPECT_EQ(aql::textToInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(aql::textToInt32("2147483647"), INT32_MAX);
}

TEST(TextToInt32, roundsHalvesToEven) {
    EXPECT_EQ(aql::textToInt32("2.5"), 2);
    EXPECT_EQ(aql::textToInt32("3.5"), 4);
    EXPECT_EQ(aql::textToInt32("-2.5"), -2);
    EXPECT_EQ(aql::textToInt32("2.51"), 3);
    EXPECT_EQ(aql::textToInt32(".4"), 0);
}

TEST(TextToInt32, nonNumbersAreTypeMismatchAndHugeValuesOverflow) {
    EXPECT_EQ(errorNumberOf([] { aql::textToInt32(""); }), 13);
    EXPECT_EQ(errorNumberOf([] { aql::textToInt32("   "); }), 13);
    EXPECT_EQ(errorNumberOf([] { aql::textToInt32("abc"); }), 13);
    EXPECT_EQ(errorNumberOf([] { aql::textToInt32("12a"); }), 13);
    EXPECT_EQ(errorNumberOf([] { aql::textToInt32("1 2"); }), 13);
    EXPECT_EQ(errorNumberOf([] { aql::textToInt32("1,5"); }), 13);
    EXPECT_EQ(errorNumberOf([] { aql::textToInt32("-"); }), 13);
    EXPECT_EQ(errorNumberOf([] { aql::textToInt32("2147483648"); }), 6);
    EXPECT_EQ(errorNumberOf([] { aql::textToInt32("-2147483649"); }), 6);
    EXPECT_EQ(errorNumberOf([] { aql::textToInt32("1e400"); }), 6);
    EXPECT_EQ(errorNumberOf([] { aql::textToInt16("32768"); }), 6);
    EXPECT_EQ(aql::textToInt16("-32768"), -32768);
    EXPECT_EQ(aql::textToInt32("1e-400"), 0);
}

TEST(LeadingNumber, takesTheLongestLeadingNumberAndNeverFails) {
    EXPECT_DOUBLE_EQ(aql::leadingNumber("725"), 725.0);
    EXPECT_DOUBLE_EQ(aql::leadingNumber(" 7.25abc"), 7.25);
    EXPECT_DOUBLE_EQ(aql::leadingNumber("1 2"), 12.0);
    EXPECT_DOUBLE_EQ(aql::leadingNumber("abc"), 0.0);
    EXPECT_DOUBLE_EQ(aql::leadingNumber(""), 0.0);
    EXPECT_DOUBLE_EQ(aql::leadingNumber("-"), 0.0);
    EXPECT_DOUBLE_EQ(aql::leadingNumber("-6.5e1x"), -65.0);
    EXPECT_DOUBLE_EQ(aql::leadingNumber("1e999"), 0.0);
}

TEST(SingleToText, writesTheGeneralFormWithAPointWhateverTheLocale) {
    EXPECT_EQ(aql::singleToText(7.25f), "7.25");
    EXPECT_EQ(aql::singleToText(7.0f), "7");
    EXPECT_EQ(aql::singleToText(6.8f), "6.8");
    EXPECT_EQ(aql::singleToText(6.8f * 100.0f), "680");
    EXPECT_EQ(aql::singleToText(0.07f), "0.07");
    EXPECT_EQ(aql::singleToText(655.35f), "655.35");
    EXPECT_EQ(aql::singleToText(-0.0f), "0");
    EXPECT_EQ(aql::singleToText(12345678.0f), "1.234568E+07");
    EXPECT_EQ(aql::singleToText(0.00001f), "1E-05");

    // A user whose numbers use a decimal comma must still get "7.25" in a comma-separated file.
    aql::test::DecimalCommaLocale comma;
    ASSERT_TRUE(comma.active()) << aql::test::DecimalCommaLocale::kMissing;
    EXPECT_EQ(aql::singleToText(7.25f), "7.25");
    EXPECT_EQ(aql::textToInt32("2.5"), 2);
    EXPECT_DOUBLE_EQ(aql::leadingNumber("7.25"), 7.25);
}

TEST(Padded, padsToTheWidthAndWritesWiderValuesInFull) {
    EXPECT_EQ(aql::padded(5, 2), "05");
    EXPECT_EQ(aql::padded(2009, 4), "2009");
    EXPECT_EQ(aql::padded(123, 2), "123");
    EXPECT_EQ(aql::padded(0, 4), "0000");
    EXPECT_EQ(aql::padded(-5, 2), "-05");
    EXPECT_EQ(aql::padded(INT64_MIN, 2), "-9223372036854775808");
}

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

// Logged values are written from their hundredths without the general conversion; every value
// that way must read exactly as the general conversion writes it, and everything else must still
// take the general way.
TEST(SingleToText, everyWholeHundredthBelowAThousandReadsAsTheGeneralForm) {
    for (int hundredths = -100000; hundredths <= 100000; ++hundredths) {
        const auto value = static_cast<float>(hundredths / 100.0);
        ASSERT_EQ(aql::singleToText(value), generalForm(value)) << hundredths;
        const float inXml = value * 100.0f; // the XML's hundredths
        ASSERT_EQ(aql::singleToText(inXml), generalForm(inXml)) << hundredths;
    }
}

TEST(SingleToText, anyOtherSingleReadsAsTheGeneralForm) {
    std::mt19937 random(7);
    for (int i = 0; i < 2'000'000; ++i) {
        const std::uint32_t bits = random();
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isnan(value)) {
            continue;
        }
        ASSERT_EQ(aql::singleToText(value), generalForm(value)) << bits;
    }
    // Neighbours of whole hundredths, and values at the edges of the quick way.
    for (const float v : {7.11f, 999.99f, 1000.0f, 1000.01f, 0.01f, 0.005f, 0.015f, -999.99f}) {
        for (const float near : {std::nextafter(v, 0.0f), v, std::nextafter(v, 2e9f)}) {
            EXPECT_EQ(aql::singleToText(near), generalForm(near)) << near;
        }
    }
    EXPECT_EQ(aql::singleToText(std::numeric_limits<float>::infinity()), "inf");
    EXPECT_EQ(aql::singleToText(-std::numeric_limits<float>::max()), "-3.402823E+38");
    EXPECT_EQ(aql::singleToText(std::numeric_limits<float>::denorm_min()), "1.401298E-45");
    EXPECT_EQ(aql::singleToText(7.11f), "7.11");
    EXPECT_EQ(aql::singleToText(-0.05f), "-0.05");
    EXPECT_EQ(aql::singleToText(650.0f), "650");
}

// Plain decimals are converted by one division; the result must be the nearest double, which
// std::from_chars gives, and any other text must be refused so that the general rule reads it.
TEST(PlainDecimal, givesTheNearestDoubleForEveryPlainTextAndRefusesTheRest) {
    std::mt19937 random(11);
    for (int i = 0; i < 300'000; ++i) {
        std::string text = random() % 4 == 0 ? "-" : "";
        const int whole = 1 + static_cast<int>(random() % 9);
        const int fraction = static_cast<int>(random() % 7);
        for (int d = 0; d < whole; ++d) {
            text += static_cast<char>('0' + random() % 10);
        }
        if (fraction > 0) {
            text += '.';
            for (int d = 0; d < fraction; ++d) {
                text += static_cast<char>('0' + random() % 10);
            }
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
    EXPECT_TRUE(std::signbit(aql::leadingNumber("-0")));
}

TEST(Padded, writesAtTheGivenPlaceWhatPaddedReturns) {
    for (const std::int64_t value :
         {std::int64_t{0}, std::int64_t{7}, std::int64_t{-7}, std::int64_t{2024},
          std::int64_t{123456}, std::int64_t{INT32_MIN}, std::int64_t{INT64_MIN}}) {
        for (const int width : {-1, 0, 2, 4, 25}) {
            char text[64];
            char *end = aql::writePadded(text, value, width);
            EXPECT_EQ(std::string(text, static_cast<std::size_t>(end - text)),
                      aql::padded(value, width))
                << value << " " << width;
        }
    }
    EXPECT_EQ(aql::padded(7, 25), std::string(24, '0') + "7");
}
