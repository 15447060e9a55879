#include "records/Timestamp.h"

#include "core/Error.h"
#include "core/Numbers.h"
#include "records/Conversions.h"

#include <array>

namespace aql::records {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// One number of the ANSI form: an optional minus and at least one digit, starting at `pos`.
std::int32_t ansiNumber(std::string_view s, std::size_t &pos) {
    const std::size_t start = pos;
    if (pos < s.size() && s[pos] == '-') {
        ++pos;
    }
    const std::size_t digits = pos;
    while (pos < s.size() && isDigit(s[pos])) {
        ++pos;
    }
    if (pos == digits) {
        throw standardError(errc::kTypeMismatch, "Timestamp.fromANSI");
    }
    return fieldToInt32(s.substr(start, pos - start));
}

void expect(std::string_view s, std::size_t &pos, char separator) {
    if (pos >= s.size() || s[pos] != separator) {
        throw standardError(errc::kTypeMismatch, "Timestamp.fromANSI");
    }
    ++pos;
}

} // namespace

void Timestamp::fromString(std::string_view s) {
    year = wordFromChars(mid(s, 1, 2));
    month = byteFromChar(mid(s, 3, 1));
    day = byteFromChar(mid(s, 4, 1));
    hour = byteFromChar(mid(s, 5, 1));
    minute = byteFromChar(mid(s, 6, 1));
    second = 0;
}

void Timestamp::fromFile(std::string_view s) {
    // The separators are never looked at; a column cut short by the end of the text reads as
    // empty and fails the conversion.
    year = fieldToInt32(mid(s, 1, 4));
    month = fieldToInt32(mid(s, 6, 2));
    day = fieldToInt32(mid(s, 9, 2));
    hour = fieldToInt32(mid(s, 12, 2));
    minute = fieldToInt32(mid(s, 15, 2));
    second = 0;
}

void Timestamp::fromANSI(std::string_view s) {
    static constexpr std::array<char, 4> kSeparators{'-', '-', ' ', ':'};
    std::array<std::int32_t, 5> values{};
    std::size_t pos = 0;
    values[0] = ansiNumber(s, pos);
    for (std::size_t i = 0; i < kSeparators.size(); ++i) {
        expect(s, pos, kSeparators[i]);
        values[i + 1] = ansiNumber(s, pos);
    }
    if (pos < s.size()) {
        expect(s, pos, ':');
        ansiNumber(s, pos); // the controller keeps no seconds; the value is only checked
        if (pos != s.size()) {
            throw standardError(errc::kTypeMismatch, "Timestamp.fromANSI");
        }
    }
    year = values[0];
    month = values[1];
    day = values[2];
    hour = values[3];
    minute = values[4];
    second = 0;
}

std::string Timestamp::toANSI() const {
    char text[kWidestANSI];
    return std::string(text, writeANSI(text));
}

char *Timestamp::writeANSI(char *to) const {
    to = writePadded(to, year, 4);
    *to++ = '-';
    to = writePadded(to, month, 2);
    *to++ = '-';
    to = writePadded(to, day, 2);
    *to++ = ' ';
    to = writePadded(to, hour, 2);
    *to++ = ':';
    to = writePadded(to, minute, 2);
    *to++ = ':';
    return writePadded(to, second, 2);
}

} // namespace aql::records
