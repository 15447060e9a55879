#include "link/ReceiveDispatcher.h"

#include "core/Error.h"
#include "core/TextId.h"
#include "link/Hooks.h"
#include "records/RecordList.h"

namespace aql::link {

namespace {

// Packet types, the first byte of a packet's body.
constexpr std::uint8_t kDisplayPacket = 1;
constexpr std::uint8_t kSparePacket = 2;
constexpr std::uint8_t kLogPacket = 3;
constexpr std::uint8_t kOldLogPacket = 4;
constexpr std::uint8_t kVariableBlockPacket = 5;

// Display flags.
constexpr std::uint8_t kRunFlag = 0x01;
constexpr std::uint8_t kAlarmFlag = 0x02;
constexpr std::uint8_t kManualFlag = 0x04;
constexpr std::uint8_t kBacklightFlag = 0x08;
constexpr std::uint8_t kBeepFlag = 0x10;

std::uint8_t byteOf(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint8_t>(at < bytes.size() ? bytes[at] : 0);
}

} // namespace

ReceiveDispatcher::ReceiveDispatcher(PanelModel &panel, LinkState &state, platform::EventPump &pump,
                                     TextSource texts)
    : m_panel(panel), m_state(state), m_pump(pump), m_texts(std::move(texts)) {
    setHooks({});
    setRecordObserver({});
}

void ReceiveDispatcher::setRecordObserver(
    std::function<void(const records::LogRecord &)> observer) {
    keepCallable(observer);
    m_recordObserver = std::move(observer);
}

void ReceiveDispatcher::setHooks(Hooks hooks) {
    keepCallable(hooks.corruptReply);
    keepCallable(hooks.showError);
    keepCallable(hooks.replyArrived);
    keepCallable(hooks.addressedReplyArrived);
    keepCallable(hooks.recordArrived);
    keepCallable(hooks.blockReceived);
    keepCallable(hooks.beep);
    m_hooks = std::move(hooks);
}

void ReceiveDispatcher::collectReceivedText(std::string_view text) {
    if (m_handling) {
        deferWhileHandling(text);
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
            handleLine(line);
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

void ReceiveDispatcher::deferWhileHandling(std::string_view text) {
    // A message box or a display update runs the event loop in the middle of a line, and the
    // socket may deliver more text there. Handling it now would re-enter the line handling on a
    // half-handled buffer; it waits until the current line is done.
    const std::size_t room =
        m_deferred.size() < kMaxDeferred ? kMaxDeferred - m_deferred.size() : 0;
    const std::size_t take = text.size() < room ? text.size() : room;
    m_deferred.append(text.data(), take);
    m_counters.deferredDropped += text.size() - take;
}

void ReceiveDispatcher::handleLine(std::string_view line) {
    ++m_counters.linesHandled;
    CheckedLine checked = checkLine(line, m_payload);
    if (checked.status == LineStatus::Ignored) {
        ++m_counters.linesIgnored;
        return;
    }
    const bool addressed = checked.kind != kUnaddressedLine;
    if (checked.status != LineStatus::Ok) {
        rejectCorruptLine(addressed ? TextId::AddressedReplyChecksumError
                                    : TextId::ReplyChecksumError);
        return;
    }
    m_hooks.replyArrived();
    if (addressed) {
        m_hooks.addressedReplyArrived();
        m_state.replyReceived = true;
        handleAddressedPacket(checked.payload);
    } else {
        m_state.replyReceived = true;
        handleUnaddressedPacket(checked.payload);
    }
}

void ReceiveDispatcher::rejectCorruptLine(int text) {
    // A corrupt reply means the stream can no longer be trusted: the link is closed before the
    // operator is told.
    ++m_counters.checksumErrors;
    m_hooks.corruptReply(m_texts(text));
}

void ReceiveDispatcher::handleUnaddressedPacket(std::string_view payload) {
    const auto type = static_cast<std::uint8_t>(payload[0]);
    switch (type) {
    case kDisplayPacket: showDisplay(payload, true); break;
    case kSparePacket: break;
    case kLogPacket:
    case kOldLogPacket: storeLogRecord(payload); break;
    default: m_hooks.showError(m_texts(TextId::UnknownPacket) + " " + std::to_string(type));
    }
}

void ReceiveDispatcher::handleAddressedPacket(std::string_view payload) {
    if (static_cast<std::uint8_t>(payload[0]) != m_state.controllerAddress) {
        ++m_counters.otherAddress;
        return;
    }
    std::string_view body = payload.substr(1);
    const auto type = static_cast<std::uint8_t>(body[0]);
    switch (type) {
    case kDisplayPacket: showDisplay(body, false); break;
    case kSparePacket: break;
    case kLogPacket:
    case kOldLogPacket: storeLogRecord(body); break;
    case kVariableBlockPacket:
        // Body byte 2 is the block, characters 4 to 55 its 26 values.
        m_hooks.blockReceived(static_cast<std::int16_t>(static_cast<std::uint8_t>(body[1])),
                              body.substr(3, 52));
        break;
    default:
        m_hooks.showError(m_texts(TextId::UnknownAddressedPacket) + " " + std::to_string(type));
    }
}

void ReceiveDispatcher::showDisplay(std::string_view body, bool beepAllowed) {
    const std::uint8_t flags = byteOf(body, 1);
    m_state.cursorPosition = byteOf(body, 2);
    PanelView &panel = m_panel.edit();
    panel.runLampColour = (flags & kRunFlag) ? colour::kRunLamp : colour::kBlack;
    panel.alarmLampColour = (flags & kAlarmFlag) ? colour::kAlarmLamp : colour::kBlack;
    panel.manualLampColour = (flags & kManualFlag) ? colour::kManualLamp : colour::kBlack;
    panel.backlightColour = (flags & kBacklightFlag) ? colour::kBacklightOn : colour::kBacklightOff;
    if ((flags & kBeepFlag) && beepAllowed) {
        m_hooks.beep();
    }
    for (int i = 0; i < kCells; ++i) {
        const std::size_t at = 3 + static_cast<std::size_t>(i);
        panel.cells[static_cast<std::size_t>(i)] = at < body.size() ? body[at] : '\0';
    }
    m_panel.changed();
    m_pump.processEvents();
}

void ReceiveDispatcher::storeLogRecord(std::string_view body) {
    try {
        m_lastRecord = records::LogRecord();
        m_lastRecord.fromString(body, records::rtype::kLog);
        m_recordObserver(m_lastRecord);
        if (m_state.currentRecords == nullptr) {
            return;
        }
        if (m_state.currentRecords->insert(m_lastRecord) ==
            records::RecordList::InsertResult::Inserted) {
            ++m_counters.recordsInserted;
        } else {
            ++m_counters.recordsAlreadyHeld;
        }
        m_hooks.recordArrived();
    } catch (const AqlError &e) {
        throw e.withSource("ReceiveDispatcher.storeLogRecord");
    }
}

} // namespace aql::link
