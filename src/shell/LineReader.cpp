#include "shell/LineReader.h"

#include <algorithm>
#include <cstring>

namespace aql::shell {
namespace {
constexpr std::size_t kFirstBuffer = 4096;
} // namespace

LineReader::LineReader(std::istream &in, std::size_t maxLineLength, std::size_t chunk)
    // At most room for the longest line, its line end, and a whole chunk behind it; small inputs
    // (most language files) never need more than the first few KiB.
    : m_in(in), m_maxLine(maxLineLength), m_limit(maxLineLength + 2 + (chunk > 0 ? chunk : 1)),
      m_buffer(std::min(m_limit, kFirstBuffer)) {}

bool LineReader::fill() {
    if (m_eof) {
        return false;
    }
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_lf.shift(m_begin);
        m_cr.shift(m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    // Grow when a line does not fit, and while the stream keeps filling the buffer: large files
    // are then read in large blocks that bypass the stream's own small buffer.
    if ((m_end == m_buffer.size() || m_lastReadFull) && m_buffer.size() < m_limit) {
        m_buffer.resize(std::min(m_limit, m_buffer.size() * 2));
    }
    const std::size_t room = m_buffer.size() - m_end;
    if (room == 0) {
        return false;
    }
    m_in.read(m_buffer.data() + m_end, static_cast<std::streamsize>(room));
    const auto got = static_cast<std::size_t>(m_in.gcount());
    m_end += got;
    m_lastReadFull = got == room;
    if (got < room) {
        // A stream buffer hands out less than asked only at the end of its data (or on a read
        // error); either way nothing more will come.
        m_eof = true;
    }
    return got > 0;
}

bool LineReader::atEnd() {
    while (m_begin == m_end) {
        if (!fill()) {
            return true;
        }
    }
    return false;
}

std::size_t LineReader::Finder::next(const std::vector<char> &buffer, std::size_t begin,
                                     std::size_t end) {
    if (found != kNone && found >= begin) {
        return found;
    }
    const std::size_t from = std::max(searched, begin);
    const void *hit = from < end ? std::memchr(buffer.data() + from, wanted, end - from) : nullptr;
    if (hit == nullptr) {
        found = kNone;
        searched = end;
        return kNone;
    }
    found = static_cast<std::size_t>(static_cast<const char *>(hit) - buffer.data());
    return found;
}

void LineReader::Finder::shift(std::size_t by) {
    // A position before the moved text is stale: forget it rather than wrap around.
    found = found != kNone && found >= by ? found - by : kNone;
    searched = searched > by ? searched - by : 0;
}

LineReader::Status LineReader::next(std::string_view &line) {
    for (;;) {
        if (m_skipLf) {
            if (m_begin == m_end && fill()) {
                continue;
            }
            if (m_begin < m_end && m_buffer[m_begin] == '\n') {
                ++m_begin;
            }
            m_skipLf = false;
        }
        // Each kind of line end is looked for on its own with memchr, and where it was (or up to
        // where it is absent) is remembered, so a file using only one kind is still scanned once.
        const std::size_t lf = m_lf.next(m_buffer, m_begin, m_end);
        const std::size_t cr = m_cr.next(m_buffer, m_begin, m_end);
        const std::size_t hit = std::min(lf, cr);
        if (hit != Finder::kNone) {
            const std::size_t length = hit - m_begin;
            if (length > m_maxLine) {
                return Status::TooLong;
            }
            line = std::string_view(m_buffer.data() + m_begin, length);
            m_skipLf = hit == cr;
            m_begin = hit + 1;
            return Status::Line;
        }
        if (m_end - m_begin > m_maxLine) {
            return Status::TooLong;
        }
        if (!fill()) {
            if (m_begin == m_end) {
                return Status::End;
            }
            line = std::string_view(m_buffer.data() + m_begin, m_end - m_begin);
            m_begin = m_end;
            return Status::Line;
        }
    }
}

} // namespace aql::shell
