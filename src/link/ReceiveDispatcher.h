#pragma once

#include "link/LineFramer.h"
#include "link/LinkState.h"
#include "link/PanelView.h"
#include "platform/EventPump.h"
#include "records/LogRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace aql::link {

// Cuts the received text into lines, checks each line and routes its packet to the display, the
// variables window or the current pool's record list.
class ReceiveDispatcher {
public:
    // Each hook left empty does nothing.
    struct Hooks {
        // A reply failed its checksum: close the connection, then tell the operator this text.
        std::function<void(const std::string &)> corruptReply;
        std::function<void(const std::string &)> showError;
        std::function<void()> replyArrived;          // any line that passed its checksum
        std::function<void()> addressedReplyArrived; // restarts the reply watch
        std::function<void()> recordArrived;         // a log record line, new or already held
        // A variable block: the block number and its 26 values as 52 bytes.
        std::function<void(std::int16_t block, std::string_view values)> blockReceived;
        std::function<void()> beep;
    };

    struct Counters {
        std::uint64_t linesHandled = 0;
        std::uint64_t linesIgnored = 0; // wrong kind or length
        std::uint64_t checksumErrors = 0;
        std::uint64_t otherAddress = 0;
        std::uint64_t lineErrors = 0; // a packet whose handling raised an error
        std::uint64_t recordsInserted = 0;
        std::uint64_t recordsAlreadyHeld = 0;
        std::uint64_t deferredDropped = 0; // bytes that arrived while a box stayed open too long
    };

    // Text that may wait while a line's handling has a message box open: about 50 minutes of
    // answers to the polls that go on meanwhile. Beyond it the newest text is dropped and counted.
    static constexpr std::size_t kMaxDeferred = 4 * 1024 * 1024;

    ReceiveDispatcher(PanelModel &panel, LinkState &state, platform::EventPump &pump,
                      TextSource texts);

    void setHooks(Hooks hooks);
    // Told of every log record parsed, whether the pool takes it or already holds its number (the
    // log archive keeps both). Apart from the hooks, which are replaced whole.
    void setRecordObserver(std::function<void(const records::LogRecord &)> observer);

    // Text as the socket delivered it: any part of a line, or several lines.
    void collectReceivedText(std::string_view text);

    const records::LogRecord &lastRecord() const { return m_lastRecord; }
    const Counters &counters() const { return m_counters; }
    const LineFramer &framer() const { return m_framer; }

private:
    void deferWhileHandling(std::string_view text);
    void handleLine(std::string_view line);
    void rejectCorruptLine(int text);
    void handleUnaddressedPacket(std::string_view payload);
    void handleAddressedPacket(std::string_view payload);
    void showDisplay(std::string_view body, bool beepAllowed);
    void storeLogRecord(std::string_view body);

    PanelModel &m_panel;
    LinkState &m_state;
    platform::EventPump &m_pump;
    TextSource m_texts;
    Hooks m_hooks;
    std::function<void(const records::LogRecord &)> m_recordObserver;
    LineFramer m_framer;
    char m_payload[kLongestPayload] = {};
    bool m_handling = false; // a line is being handled further up the stack
    std::string m_deferred;  // text that arrived meanwhile, collected after that line
    records::LogRecord m_lastRecord;
    Counters m_counters;
};

} // namespace aql::link
