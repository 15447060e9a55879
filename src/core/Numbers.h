#pragma once

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

// A single-precision number in the general form: at most 7 significant digits, no trailing zeros,
// exponent form as "1.234568E+07" for very large or small values; "." as separator always.
std::string singleToText(float value);

// Decimal text of an integer, zero-padded on the left to at least `width` digits (a sign is not
// counted as a digit). Wider values are written in full.
std::string padded(std::int64_t value, int width);

} // namespace aql
