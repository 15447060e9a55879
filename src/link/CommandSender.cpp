#include "link/CommandSender.h"

namespace aql::link {

CommandSender::CommandSender(TcpLink &link, const LinkState &state)
    : m_link(link), m_state(state) {}

void CommandSender::sendFrame(const Bytes &frame) {
    if (!m_link.connected()) {
        return;
    }
    if (m_operatingMode != mode::kOnline) {
        return;
    }
    ++m_framesSent;
    m_link.send(frame);
}

void CommandSender::sendPoll() {
    sendFrame(sendNextPacketFrame(m_state.controllerAddress));
}

void CommandSender::sendGetLog() {
    sendFrame(getLogFrame(m_state.controllerAddress));
}

void CommandSender::sendKey(std::uint8_t keyCode) {
    sendFrame(keyFrame(m_state.controllerAddress, keyCode));
}

void CommandSender::sendSetVariable(std::int16_t block, std::int16_t variable, std::int16_t value) {
    // The frame is built (and its ranges judged) before the state is looked at, so a bad block or
    // variable is reported to the caller whether or not a controller is connected.
    Bytes frame = setVarFrame(m_state.controllerAddress, block, variable, value);
    sendFrame(frame);
}

void CommandSender::sendAskBlock(std::int16_t block) {
    Bytes frame = askBlockFrame(m_state.controllerAddress, block);
    sendFrame(frame);
}

} // namespace aql::link
