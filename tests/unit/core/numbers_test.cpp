#include "core/Error.h"
#include "core/Numbers.h"

#include "support/DecimalCommaLocale.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <clocale>

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
