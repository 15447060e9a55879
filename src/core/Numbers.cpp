#include "core/Numbers.h"

#include "core/Error.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace aql {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Length of the number syntax [sign] digits [. digits] [e [sign] digits] at the start of s, with
// at least one mantissa digit; 0 when there is none.
std::size_t numberPrefix(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

double parseNumber(std::string_view s) {
    // from_chars refuses a leading '+', and is locale-independent, unlike strtod.
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
    }
    double value = 0;
    auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Underflow reads as 0; overflowing magnitudes become infinite and fail the callers'
        // range checks.
        auto e = s.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-') {
            return 0.0;
        }
        return s.front() == '-' ? -std::numeric_limits<double>::infinity()
                                : std::numeric_limits<double>::infinity();
    }
    return value;
}

double roundedWhole(std::string_view text, const char *source) {
    std::string_view s = trimBlanks(text);
    std::size_t n = numberPrefix(s);
    if (n == 0 || n != s.size()) {
        throw standardError(errc::kTypeMismatch, source);
    }
    return std::nearbyint(parseNumber(s)); // default rounding mode: halves to even
}

} // namespace

std::int32_t textToInt32(std::string_view text) {
    double v = roundedWhole(text, "textToInt32");
    if (!(v >= -2147483648.0 && v <= 2147483647.0)) {
        throw standardError(errc::kOverflow, "textToInt32");
    }
    return static_cast<std::int32_t>(v);
}

std::int16_t textToInt16(std::string_view text) {
    double v = roundedWhole(text, "textToInt16");
    if (!(v >= -32768.0 && v <= 32767.0)) {
        throw standardError(errc::kOverflow, "textToInt16");
    }
    return static_cast<std::int16_t>(v);
}

bool plainDecimal(std::string_view text, double &value) {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) {
        ++i;
    }
    std::uint64_t mantissa = 0; // wraps harmlessly on a text too long to be plain
    std::size_t digits = 0;
    std::size_t fractionDigits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            ++digits;
            fractionDigits += point ? 1 : 0;
        } else if (c == '.' && !point && digits > 0) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0 || digits > 15 || (point && fractionDigits == 0)) {
        return false;
    }
    // Below 10^15 the digits and the power of ten are both exact in a double, so the one division
    // rounds once, to the nearest double: exactly what a full conversion of the text gives.
    const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    value = negative ? -magnitude : magnitude;
    return true;
}

double leadingNumber(std::string_view text) {
    double plain = 0;
    if (plainDecimal(text, plain)) {
        return plain; // nearly every field of a record file; the general rule gives the same
    }
    std::string compact;
    compact.reserve(text.size() < 64 ? text.size() : 64);
    for (char c : text) {
        if (isBlank(c) || c == '\n' || c == '\r') {
            continue;
        }
        compact.push_back(c);
        if (compact.size() >= 64 && numberPrefix(compact) < compact.size()) {
            break; // the number has ended; the rest of a long field cannot change the result
        }
    }
    std::size_t n = numberPrefix(compact);
    if (n == 0) {
        return 0.0;
    }
    double v = parseNumber(std::string_view(compact).substr(0, n));
    return std::isfinite(v) ? v : 0.0;
}

char *writeSingleText(char *to, float value) {
    if (value == 0.0f) {
        *to = '0'; // also for -0
        return to + 1;
    }
    // Logged values are whole hundredths (pH 7.11, or 711 in the XML's hundredths). When the value
    // is the single nearest to such a number below 1000, its 7 significant digits are that number
    // exactly, so it is written from the integer without the general conversion.
    const double hundredths = std::round(static_cast<double>(value) * 100.0);
    if (std::fabs(hundredths) < 100000.0 && static_cast<float>(hundredths / 100.0) == value) {
        const auto whole = static_cast<std::uint32_t>(std::fabs(hundredths));
        if (value < 0.0f) {
            *to++ = '-';
        }
        to = std::to_chars(to, to + 3, whole / 100).ptr;
        const std::uint32_t cents = whole % 100;
        if (cents != 0) {
            *to++ = '.';
            *to++ = static_cast<char>('0' + cents / 10);
            if (cents % 10 != 0) {
                *to++ = static_cast<char>('0' + cents % 10);
            }
        }
        return to;
    }
    char *end = std::to_chars(to, to + kWidestSingleText, value, std::chars_format::general, 7).ptr;
    std::replace(to, end, 'e', 'E');
    return end;
}

std::string singleToText(float value) {
    char text[kWidestSingleText];
    return std::string(text, writeSingleText(text, value));
}

char *writePadded(char *to, std::int64_t value, int width) {
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? static_cast<std::uint64_t>(-(value + 1)) + 1 : static_cast<std::uint64_t>(value);
    char digits[20];
    const char *end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    const auto length = static_cast<int>(end - digits);
    if (negative) {
        *to++ = '-';
    }
    for (int i = length; i < width; ++i) {
        *to++ = '0';
    }
    std::memcpy(to, digits, static_cast<std::size_t>(length));
    return to + length;
}

std::string padded(std::int64_t value, int width) {
    std::string out(static_cast<std::size_t>(std::max(width, 19)) + 1, '\0');
    out.resize(static_cast<std::size_t>(writePadded(out.data(), value, width) - out.data()));
    return out;
}

} // namespace aql
