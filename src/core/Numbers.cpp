#include "core/Numbers.h"

#include "core/Error.h"

#include <charconv>
#include <cmath>
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

double leadingNumber(std::string_view text) {
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

std::string singleToText(float value) {
    if (value == 0.0f) {
        return "0"; // also for -0
    }
    char buf[32];
    auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    std::string out(buf, result.ptr);
    auto e = out.find('e');
    if (e != std::string::npos) {
        out[e] = 'E';
    }
    return out;
}

std::string padded(std::int64_t value, int width) {
    bool negative = value < 0;
    std::uint64_t magnitude =
        negative ? static_cast<std::uint64_t>(-(value + 1)) + 1 : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    if (static_cast<int>(digits.size()) < width) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    }
    return negative ? "-" + digits : digits;
}

} // namespace aql
