#include "link/LineFramer.h"

#include <cstring>

namespace aql::link {

namespace {
constexpr char kCR = '\r';
}

void LineFramer::append(std::string_view received) {
    if (m_readPos > 0) {
        m_buffer.erase(0, m_readPos); // at most one partial line (<= 471 bytes) is moved
        m_readPos = 0;
    }
    if (m_discarding) {
        const void *cr = std::memchr(received.data(), kCR, received.size());
        if (cr == nullptr) {
            m_discardedBytes += received.size();
            return;
        }
        auto skip = static_cast<std::size_t>(static_cast<const char *>(cr) - received.data()) + 1;
        m_discardedBytes += skip;
        received.remove_prefix(skip);
        m_discarding = false;
    }
    m_buffer.append(received.data(), received.size());

    // Only the trailing partial line can grow without bound; complete lines are bounded by the
    // size of one read and leave with the next nextLine() calls.
    std::size_t tailStart = m_buffer.rfind(kCR);
    tailStart = (tailStart == std::string::npos) ? 0 : tailStart + 1;
    const std::size_t tailLength = m_buffer.size() - tailStart;
    if (tailLength > kLongestLine) {
        m_discardedBytes += tailLength;
        ++m_overlongLines;
        m_buffer.resize(tailStart);
        m_discarding = true;
    }
}

bool LineFramer::nextLine(std::string_view &line) {
    const std::size_t available = m_buffer.size() - m_readPos;
    const char *start = m_buffer.data() + m_readPos;
    const void *cr = std::memchr(start, kCR, available);
    if (cr == nullptr) {
        return false;
    }
    auto length = static_cast<std::size_t>(static_cast<const char *>(cr) - start);
    line = std::string_view(start, length);
    m_readPos += length + 1;
    return true;
}

std::string_view LineFramer::pending() const {
    std::string_view rest(m_buffer.data() + m_readPos, m_buffer.size() - m_readPos);
    auto cr = rest.rfind(kCR);
    return cr == std::string_view::npos ? rest : rest.substr(cr + 1);
}

void LineFramer::clear() {
    m_buffer.clear();
    m_readPos = 0;
    m_discarding = false;
}

CheckedLine checkLine(std::string_view line, char *payloadBuffer) {
    CheckedLine result;
    if (line.empty()) {
        return result;
    }
    auto kind = static_cast<std::uint8_t>(line[0]);
    if (!acceptedLineLength(kind, line.size())) {
        return result;
    }
    result.kind = kind;
    std::size_t n = decodeNibbleTextInto(line.substr(1), payloadBuffer);
    result.payload = std::string_view(payloadBuffer, n);
    result.status = frameChecksumOK(result.payload) ? LineStatus::Ok : LineStatus::ChecksumError;
    return result;
}

} // namespace aql::link
