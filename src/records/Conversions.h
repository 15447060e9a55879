#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace aql::records {

// Byte-string conversions shared by the record parsers. Every character carries one byte (0-255);
// a text too short for the conversion is an invalid argument (AqlError 5).

// Characters `start` (counted from 1) to `start + length - 1`, cut to what the text holds: a start
// past the end gives an empty text, never an error, so the conversions below judge what is missing.
std::string_view mid(std::string_view s, std::size_t start,
                     std::size_t length = std::string_view::npos);

// Code of the first character.
std::int32_t byteFromChar(std::string_view s);

// Unsigned 16-bit little-endian word from the first two characters (0-65535).
std::int32_t wordFromChars(std::string_view s);

// 32-bit little-endian number from the first four characters; values of 2^31 and above are an
// overflow (AqlError 6).
std::int32_t longFromChars(std::string_view s);

// A stored field as a whole number: exactly textToInt32's result and errors, with a quick path for
// the plain decimal numbers that fill nearly every record file.
std::int32_t fieldToInt32(std::string_view field);

// The comma field splitter of stored record lines. `lineBuffer` is the line being split; each call
// returns the text before the first comma of `text` (untrimmed) and puts the rest, with blanks
// around it removed, into `lineBuffer`. Without a comma it returns the whole of `text` and leaves
// `lineBuffer` unchanged, so once the last field is reached every further call returns it again.
std::string nextField(std::string_view text, std::string &lineBuffer);

// The same splitter over one line without copying: next() yields the fields left to right, and
// repeats the last field for every call past the end. Views point into the text given to the
// constructor, which must outlive the splitter.
class FieldSplitter {
public:
    explicit FieldSplitter(std::string_view line);
    std::string_view next();
    std::string_view rest() const { return m_rest; }

private:
    std::string_view m_rest;
};

} // namespace aql::records
