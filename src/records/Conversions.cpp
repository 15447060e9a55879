#include "records/Conversions.h"

#include "core/Error.h"
#include "core/Numbers.h"

namespace aql::records {
namespace {

// Only the space counts as a blank around stored fields: a tab is data, left for the number
// conversions to judge.
std::string_view trimSpaces(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

std::int32_t code(char c) {
    return static_cast<unsigned char>(c);
}

} // namespace

std::string_view mid(std::string_view s, std::size_t start, std::size_t length) {
    if (start == 0 || start > s.size()) {
        return {};
    }
    return s.substr(start - 1, length);
}

std::int32_t byteFromChar(std::string_view s) {
    if (s.empty()) {
        throw standardError(errc::kInvalidArgument, "byteFromChar");
    }
    return code(s[0]);
}

std::int32_t wordFromChars(std::string_view s) {
    if (s.size() < 2) {
        throw standardError(errc::kInvalidArgument, "wordFromChars");
    }
    return code(s[1]) * 256 + code(s[0]);
}

std::int32_t longFromChars(std::string_view s) {
    if (s.size() < 4) {
        throw standardError(errc::kInvalidArgument, "longFromChars");
    }
    // The high word times 65536 is computed in signed 32 bits, so a top byte of 0x80 or more does
    // not fit; the low word added to it never can overflow.
    const std::int32_t high = wordFromChars(s.substr(2, 2));
    if (high > 0x7FFF) {
        throw standardError(errc::kOverflow, "longFromChars");
    }
    return high * 65536 + wordFromChars(s.substr(0, 2));
}

std::int32_t fieldToInt32(std::string_view field) {
    std::size_t begin = 0;
    std::size_t end = field.size();
    while (begin < end && (field[begin] == ' ' || field[begin] == '\t')) {
        ++begin;
    }
    while (end > begin && (field[end - 1] == ' ' || field[end - 1] == '\t')) {
        --end;
    }
    std::size_t i = begin;
    const bool negative = i < end && field[i] == '-';
    if (i < end && (field[i] == '-' || field[i] == '+')) {
        ++i;
    }
    // Nine digits always fit; anything longer or other than digits takes the general rule.
    if (i == end || end - i > 9) {
        return textToInt32(field);
    }
    std::int32_t value = 0;
    for (; i < end; ++i) {
        const unsigned digit = static_cast<unsigned char>(field[i]) - static_cast<unsigned>('0');
        if (digit > 9) {
            return textToInt32(field);
        }
        value = value * 10 + static_cast<std::int32_t>(digit);
    }
    return negative ? -value : value;
}

std::string nextField(std::string_view text, std::string &lineBuffer) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) {
        return std::string(text);
    }
    std::string field(text.substr(0, comma));
    // `text` may be a view of the buffer itself, so the rest is copied out before the buffer
    // changes.
    std::string rest(trimSpaces(text.substr(comma + 1)));
    lineBuffer = std::move(rest);
    return field;
}

FieldSplitter::FieldSplitter(std::string_view line) : m_rest(line) {}

std::string_view FieldSplitter::next() {
    const auto comma = m_rest.find(',');
    if (comma == std::string_view::npos) {
        return m_rest;
    }
    const std::string_view field = m_rest.substr(0, comma);
    m_rest = trimSpaces(m_rest.substr(comma + 1));
    return field;
}

} // namespace aql::records
