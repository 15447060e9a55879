#pragma once

#include "link/LineFramer.h"
#include "link/PanelView.h"
#include "platform/EventPump.h"
#include "records/LogRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace aql::link {

// The module `online`: cuts the received text into lines, checks each line and routes its packet
// to the display, the variables window or the current pool's record list.
class ReceiveDispatcher {
public:
    struct Hooks {
        std::function<void()> closeCon;
        std::function<void(const std::string &)> errorBox; // ErrorReporter.show without an error
        std::function<void()> restartCommsAlarm;
        // Loads the variables window if needed and hands it the block.
        std::function<void(std::int16_t block, std::string_view values)> askBlockOKnow;
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

    ReceiveDispatcher(PanelView &panel, platform::EventPump &pump, TextSource texts);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    void collectReceivedText(std::string_view text);
    void processLine(std::string_view line);
    void processUnaddressedPacket(std::string_view payload);
    void processAddressedPacket(std::string_view payload);
    void updateDisplay(std::string_view body, bool beepAllowed);
    void processRTLogPacket(std::string_view body);

    const records::LogRecord &lastRecord() const { return m_lastRecord; }
    const Counters &counters() const { return m_counters; }
    const LineFramer &framer() const { return m_framer; }

private:
    PanelView &m_panel;
    platform::EventPump &m_pump;
    TextSource m_texts;
    Hooks m_hooks;
    LineFramer m_framer;
    char m_payload[kLongestPayload] = {};
    bool m_handling = false; // a line is being handled further up the stack
    std::string m_deferred;  // text that arrived meanwhile, collected after that line
    records::LogRecord m_lastRecord;
    Counters m_counters;
};

} // namespace aql::link
