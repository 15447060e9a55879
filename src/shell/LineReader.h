#pragma once

#include <cstddef>
#include <istream>
#include <string_view>
#include <vector>

namespace aql::shell {

// Reads text lines from a stream through a fixed buffer, so memory stays bounded whatever the
// input. Files are written with CR LF, but LF alone and CR alone also end a line; a final line
// without a line end is still a line, and the line end after the last line does not start an
// empty one.
class LineReader {
public:
    enum class Status { Line, End, TooLong };

    static constexpr std::size_t kDefaultChunk = 64u * 1024u;

    // `chunk`: how much is asked of the stream at a time, beyond room for the longest line.
    LineReader(std::istream &in, std::size_t maxLineLength, std::size_t chunk = kDefaultChunk);

    // The next line, without its line end, in `line`; the view stays valid until the next call.
    // TooLong: a line holds more than maxLineLength characters (nothing further is read).
    Status next(std::string_view &line);

    // True when the stream holds no character at all (looks ahead; call before next()).
    bool atEnd();

private:
    // The next position of one line-end character at or after the reading position.
    struct Finder {
        static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
        char wanted;
        std::size_t found = kNone; // where it was last found
        std::size_t searched = 0;  // below this, beyond `found`, it is known to be absent
        std::size_t next(const std::vector<char> &buffer, std::size_t begin, std::size_t end);
        void shift(std::size_t by); // the buffer's content moved `by` places to the front
    };

    bool fill();

    std::istream &m_in;
    std::size_t m_maxLine;
    std::size_t m_limit; // the most the buffer may grow to
    std::vector<char> m_buffer;
    std::size_t m_begin = 0; // start of the unread text
    std::size_t m_end = 0;   // end of the text read from the stream so far
    bool m_eof = false;
    bool m_lastReadFull = false;
    Finder m_lf{'\n'};
    Finder m_cr{'\r'};
    bool m_skipLf = false; // the last line ended in CR: a following LF belongs to it
};

} // namespace aql::shell
