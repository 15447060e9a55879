#include "link/CommandSender.h"

namespace aql::link {

CommandSender::CommandSender(TcpLink &link, const PanelView &panel) : m_link(link), m_panel(panel) {}

void CommandSender::sendFrame(const Bytes &frame) {
    if (!m_link.connected()) {
        return;
    }
    if (m_operatingMode != mode::kOnline) {
        return;
    }
    ++m_framesSent;
    m_link.Sending(frame);
}

void CommandSender::sendNextPacket() {
    sendFrame(sendNextPacketFrame(m_panel.controllerAddress));
}

void CommandSender::getLog() {
    sendFrame(getLogFrame(m_panel.controllerAddress));
}

void CommandSender::sendKey(std::uint8_t b) {
    sendFrame(keyFrame(m_panel.controllerAddress, b));
}

void CommandSender::sendSETVAR(std::int16_t block, std::int16_t varNr, std::int16_t value) {
    // The frame is built (and its ranges judged) before the state is looked at, so a bad block or
    // variable is reported to the caller whether or not a controller is connected.
    Bytes frame = setVarFrame(m_panel.controllerAddress, block, varNr, value);
    sendFrame(frame);
}

void CommandSender::sendASKBLOCK(std::int16_t block) {
    Bytes frame = askBlockFrame(m_panel.controllerAddress, block);
    sendFrame(frame);
}

} // namespace aql::link
