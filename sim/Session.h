#pragma once

#include "sim/Encode.h"
#include "sim/FrameReader.h"
#include "sim/Random.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace aql::sim {

class Simulator;

// Bytes to write once the session's clock reaches dueMs; then close when closeAfter is set.
struct Transmission {
    std::string bytes;
    std::uint64_t dueMs = 0;
    bool closeAfter = false;
};

// Display packets interleaved with a log download: one after every this many records.
constexpr int kRecordsPerDisplay = 4;
// Asked-for variable blocks waiting for polls; a console that asks faster than it polls loses the
// oldest requests rather than growing the queue.
constexpr std::size_t kMaxQueuedReplies = 32;

// One connection: reads the console's frames, answers polls, feeds the log download and injects
// the faults. Driven by received bytes and elapsed time; everything it wants written is taken
// with takeOutput(), due times already in order.
class Session {
public:
    Session(Simulator &sim, std::uint32_t index);

    void receive(std::string_view bytes);

    // Moves this session's clock. With a log rate set, pushes the record lines that are due;
    // `canPush` false holds them back (the peer is not reading).
    void advance(std::uint64_t ms, bool canPush = true);

    std::vector<Transmission> takeOutput();

    std::uint64_t now() const { return m_now; }
    bool closed() const { return m_closed; }
    bool silent() const { return m_silent; }
    std::size_t pendingLogLines() const { return m_order.size() - m_logPos; }
    const FrameReader &reader() const { return m_reader; }

private:
    enum class Mark : std::uint8_t { Normal, Duplicate, Reordered };
    struct Slot {
        std::uint32_t index;
        Mark mark;
    };

    void handle(const Frame &frame);
    void answerPoll();
    void queueLog();
    void sendLogItem();
    void sendDisplay();
    void send(LineKind kind, Bytes payload);
    void transmit(std::string bytes);
    void close();
    void syncFrameCounts();
    std::string garbage();

    Simulator &m_sim;
    LineKind m_kind;
    FrameReader m_reader;
    FrameCounts m_reported; // the reader's counts already added to the simulator's
    Random m_rng;
    std::uint64_t m_now = 0;
    std::uint64_t m_lastDue = 0;
    std::uint64_t m_delay = 0; // added to the due time of what is being sent
    std::vector<Transmission> m_out;
    std::deque<int> m_replies; // blocks asked for
    std::vector<Slot> m_order; // the log download in sending order
    std::size_t m_logPos = 0;
    int m_sinceDisplay = 0;
    bool m_displayUrgent = false;
    std::uint64_t m_lines = 0; // answer and log lines, fault extras not counted
    std::uint64_t m_pollsAnswered = 0;
    std::uint64_t m_pushCredit = 0; // thousandths of a line
    bool m_silent = false;
    bool m_closed = false;
};

} // namespace aql::sim
