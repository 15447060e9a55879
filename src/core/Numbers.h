#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace aql {

// Whole number from text as the program has always converted it: blanks (space, tab) around the
// number are ignored, a sign, a fraction and an exponent are accepted, a fraction is rounded to
// the nearest integer with halves to even. Anything else is a type mismatch (13); a value outside
// the signed 32-bit range is an overflow (6). "." is the only decimal separator, whatever the
// user's locale.
std::int32_t textToInt32(std::string_view text);

// The same rule for a signed 16-bit result.
std::int16_t textToInt16(std::string_view text);

// The longest leading decimal number of the text (blanks anywhere are skipped, "." is the decimal
// point, an exponent is allowed); text without a number gives 0 and never fails.
double leadingNumber(std::string_view text);

// A decimal written plainly, as the program's own files write it: an optional "-", then digits
// with at most one "." among them and at least one digit on each side of it, 15 digits at most in
// all. True, with the nearest double (the value leadingNumber and every exact conversion give),
// for such a text; false for any other text.
bool plainDecimal(std::string_view text, double &value);

// A single-precision number in the general form: at most 7 significant digits, no trailing zeros,
// exponent form as "1.234568E+07" for very large or small values; "." as separator always.
std::string singleToText(float value);

// The most characters singleToText writes ("-1.234568E+38").
constexpr std::size_t kWidestSingleText = 13;

// singleToText written at `to`, which has room for kWidestSingleText characters; returns the end.
char *writeSingleText(char *to, float value);

// Decimal text of an integer, zero-padded on the left to at least `width` digits (a sign is not
// counted as a digit). Wider values are written in full.
std::string padded(std::int64_t value, int width);

// padded written at `to` (the sign and max(width, digits of the value) characters); returns the
// end.
char *writePadded(char *to, std::int64_t value, int width);

} // namespace aql
