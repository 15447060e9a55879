#include "sim/FrameReader.h"

#include "link/FrameCodec.h"

namespace aql::sim {

namespace {
constexpr char kStart = '@';
constexpr char kEnd = '#';
} // namespace

FrameReader::FrameReader(std::uint8_t address) : m_address(address) {}

void FrameReader::append(std::string_view bytes) {
    m_buffer.erase(0, m_pos);
    m_pos = 0;
    m_buffer.append(bytes.data(), bytes.size());
}

bool FrameReader::next(Frame &frame) {
    for (;;) {
        const std::size_t start = m_buffer.find(kStart, m_pos);
        if (start == std::string::npos) {
            m_counts.skippedBytes += m_buffer.size() - m_pos;
            m_buffer.clear();
            m_pos = 0;
            return false;
        }
        m_counts.skippedBytes += start - m_pos;
        m_pos = start;
        if (m_buffer.size() - m_pos < link::kFrameSize) {
            m_buffer.erase(0, m_pos);
            m_pos = 0;
            return false;
        }
        const auto *f = reinterpret_cast<const unsigned char *>(m_buffer.data() + m_pos);
        if (f[8] != static_cast<unsigned char>(kEnd)) {
            ++m_counts.badEndMarker;
            ++m_pos;
            continue;
        }
        if (f[7] != link::frameChecksum(f[1], f[2])) {
            ++m_counts.badChecksum;
            ++m_pos;
            continue;
        }
        m_pos += link::kFrameSize;
        if (f[1] != m_address) {
            ++m_counts.otherAddress;
            continue;
        }
        frame.address = f[1];
        frame.command = f[2];
        frame.parameters = {f[3], f[4], f[5], f[6]};
        ++m_counts.accepted;
        return true;
    }
}

} // namespace aql::sim
