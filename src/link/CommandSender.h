#pragma once

#include "link/LinkState.h"
#include "link/TcpLink.h"

#include <cstdint>

namespace aql::link {

// Operating modes as the program numbers them.
namespace mode {
constexpr std::int32_t kOffline = 0;
constexpr std::int32_t kOnline = 2;
constexpr std::int32_t kCreated = 3;
} // namespace mode

// The one command sender: frames go out only while connected and Online; otherwise a command is
// dropped without a message (nothing is queued).
class CommandSender {
public:
    CommandSender(TcpLink &link, const LinkState &state);

    std::int32_t operatingMode() const { return m_operatingMode; }
    void setOperatingMode(std::int32_t value) { m_operatingMode = value; }

    void sendPoll();
    void sendGetLog();
    void sendKey(std::uint8_t keyCode);
    // Block outside 0-255: AqlError 6; variable outside 0-255: AqlError 5; nothing is sent.
    void sendSetVariable(std::int16_t block, std::int16_t variable, std::int16_t value);
    void sendAskBlock(std::int16_t block);

    // Frames handed to the connection so far (for the progress of a download and for tests).
    std::uint64_t framesSent() const { return m_framesSent; }

private:
    void sendFrame(const Bytes &frame);

    TcpLink &m_link;
    const LinkState &m_state;
    std::int32_t m_operatingMode = mode::kCreated;
    std::uint64_t m_framesSent = 0;
};

} // namespace aql::link
