#include "link/ReceiveDispatcher.h"

#include "core/Error.h"
#include "records/RecordList.h"

namespace aql::link {

ReceiveDispatcher::ReceiveDispatcher(PanelView &panel, platform::EventPump &pump, TextSource texts)
    : m_panel(panel), m_pump(pump), m_texts(std::move(texts)) {}

void ReceiveDispatcher::collectReceivedText(std::string_view text) {
    if (m_handling) {
        // A message box or a display update runs the event loop in the middle of a line, and
        // the socket may deliver more text there. Handling it now would re-enter the line
        // handling on a half-handled buffer; it waits until the current line is done.
        const std::size_t room =
            m_deferred.size() < kMaxDeferred ? kMaxDeferred - m_deferred.size() : 0;
        const std::size_t take = text.size() < room ? text.size() : room;
        m_deferred.append(text.data(), take);
        m_counters.deferredDropped += text.size() - take;
        return;
    }
    m_handling = true;
    m_framer.append(text);
    std::string_view line;
    for (;;) {
        if (!m_framer.nextLine(line)) {
            if (m_deferred.empty()) {
                break;
            }
            std::string more;
            more.swap(m_deferred);
            m_framer.append(more);
            continue;
        }
        try {
            processLine(line);
        } catch (const std::exception &) {
            // The line is dropped; the following characters are collected as usual.
            ++m_counters.lineErrors;
        }
        if (!m_deferred.empty()) {
            std::string more;
            more.swap(m_deferred);
            m_framer.append(more); // safe: the previous line's view is no longer used
        }
    }
    m_handling = false;
}

void ReceiveDispatcher::processLine(std::string_view line) {
    ++m_counters.linesHandled;
    CheckedLine checked = checkLine(line, m_payload);
    if (checked.status == LineStatus::Ignored) {
        ++m_counters.linesIgnored;
        return;
    }
    if (checked.kind == kUnaddressedLine) {
        if (checked.status == LineStatus::Ok) {
            m_panel.dataReceived = true;
            processUnaddressedPacket(checked.payload);
        } else {
            ++m_counters.checksumErrors;
            if (m_hooks.closeCon) {
                m_hooks.closeCon();
            }
            if (m_hooks.errorBox) {
                m_hooks.errorBox(m_texts(95));
            }
        }
        return;
    }
    if (checked.status == LineStatus::Ok) {
        if (m_hooks.restartCommsAlarm) {
            m_hooks.restartCommsAlarm();
        }
        m_panel.dataReceived = true;
        processAddressedPacket(checked.payload);
    } else {
        ++m_counters.checksumErrors;
        if (m_hooks.closeCon) {
            m_hooks.closeCon();
        }
        if (m_hooks.errorBox) {
            m_hooks.errorBox(m_texts(96));
        }
    }
}

void ReceiveDispatcher::processUnaddressedPacket(std::string_view payload) {
    const auto type = static_cast<std::uint8_t>(payload[0]);
    switch (type) {
    case 1: updateDisplay(payload, true); break;
    case 2: break;
    case 3:
    case 4: processRTLogPacket(payload); break;
    default:
        if (m_hooks.errorBox) {
            m_hooks.errorBox(m_texts(97) + " " + std::to_string(type));
        }
    }
}

void ReceiveDispatcher::processAddressedPacket(std::string_view payload) {
    if (static_cast<std::uint8_t>(payload[0]) != m_panel.controllerAddress) {
        ++m_counters.otherAddress;
        return;
    }
    std::string_view body = payload.substr(1);
    const auto type = static_cast<std::uint8_t>(body[0]);
    switch (type) {
    case 1: updateDisplay(body, false); break;
    case 2: break;
    case 3:
    case 4: processRTLogPacket(body); break;
    case 5:
        if (m_hooks.askBlockOKnow) {
            // Body byte 2 is the block, characters 4 to 55 its 26 values.
            m_hooks.askBlockOKnow(static_cast<std::int16_t>(static_cast<std::uint8_t>(body[1])),
                                  body.substr(3, 52));
        }
        break;
    default:
        if (m_hooks.errorBox) {
            m_hooks.errorBox(m_texts(94) + " " + std::to_string(type));
        }
    }
}

void ReceiveDispatcher::updateDisplay(std::string_view body, bool beepAllowed) {
    const auto flags = static_cast<std::uint8_t>(body.size() > 1 ? body[1] : 0);
    m_panel.cursorPosition = static_cast<std::uint8_t>(body.size() > 2 ? body[2] : 0);
    m_panel.shpRun = (flags & 0x01) ? colour::kRunLamp : colour::kBlack;
    m_panel.shpAlarm = (flags & 0x02) ? colour::kAlarmLamp : colour::kBlack;
    m_panel.shpManual = (flags & 0x04) ? colour::kManualLamp : colour::kBlack;
    m_panel.shpLCD = (flags & 0x08) ? colour::kBacklightOn : colour::kBacklightOff;
    if ((flags & 0x10) && beepAllowed && m_hooks.beep) {
        m_hooks.beep();
    }
    for (int i = 0; i < kCells; ++i) {
        const std::size_t at = 3 + static_cast<std::size_t>(i);
        m_panel.cells[static_cast<std::size_t>(i)] = at < body.size() ? body[at] : '\0';
    }
    m_panel.notify();
    m_pump.processEvents();
}

void ReceiveDispatcher::processRTLogPacket(std::string_view body) {
    try {
        m_lastRecord = records::LogRecord();
        m_lastRecord.fromString(body, records::rtype::kLog, m_panel.valueBase);
        if (m_panel.currentPool == nullptr) {
            return;
        }
        if (m_panel.currentPool->insert(m_lastRecord) ==
            records::RecordList::InsertResult::Inserted) {
            ++m_counters.recordsInserted;
        } else {
            ++m_counters.recordsAlreadyHeld;
        }
    } catch (const AqlError &e) {
        throw e.withSource("processRTLogPacket");
    }
}

} // namespace aql::link
