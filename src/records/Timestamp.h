#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace aql::records {

// The moment a controller wrote one log record. Nothing checks the ranges: the values are kept and
// written out as they come.
class Timestamp {
public:
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;

    // From the six binary bytes of a controller record: year (2 bytes, little-endian), month, day,
    // hour, minute. Fewer than six characters: AqlError 5 after the fields read so far are set.
    void fromString(std::string_view s);

    // From the fixed columns of "yyyy-mm-dd hh:nn[:ss]"; seconds always become 0. A non-numeric
    // column is a type mismatch (AqlError 13).
    void fromFile(std::string_view s);

    // Any text toANSI writes, wider and negative values included, read by its separators rather
    // than by fixed columns: "y-m-d h:n" with an optional ":s", each an optional "-" and digits.
    // Seconds become 0 as in fromFile. Anything else is a type mismatch (AqlError 13), a value
    // outside 32 bits an overflow (AqlError 6); nothing is changed then.
    void fromANSI(std::string_view s);

    // "yyyy-mm-dd hh:nn:ss", zero-padded, wider values in full.
    std::string toANSI() const;

    // The most characters toANSI writes: six values of 32 bits, each with its sign, and five
    // separators.
    static constexpr std::size_t kWidestANSI = 6 * 11 + 5;

    // toANSI written at `to`, which has room for kWidestANSI characters; returns the end.
    char *writeANSI(char *to) const;
};

} // namespace aql::records
