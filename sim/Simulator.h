#pragma once

#include "sim/Controller.h"
#include "sim/FrameReader.h"
#include "sim/Options.h"

#include <cstdint>
#include <memory>
#include <string>

namespace aql::sim {

class Session;

// How often each fault really struck.
struct FaultCounts {
    std::uint64_t corruptChecksum = 0; // lines sent with a wrong checksum
    std::uint64_t drops = 0;           // connections closed on purpose
    std::uint64_t silentPolls = 0;     // polls left unanswered
    std::uint64_t splitLines = 0;      // lines sent in two or more pieces
    std::uint64_t wrongAddress = 0;    // packets for another address
    std::uint64_t unknownType = 0;     // packets of an unknown type
    std::uint64_t garbage = 0;         // bursts of random bytes or over-long lines
    std::uint64_t duplicates = 0;      // log records sent again
    std::uint64_t reordered = 0;       // log records sent before their predecessor
    std::uint64_t slowAnswers = 0;     // answers held back
};

struct Counters {
    FrameCounts frames;
    std::uint64_t polls = 0;
    std::uint64_t unknownCommands = 0;
    std::uint64_t rejectedCommands = 0; // block or variable out of range
    std::uint64_t linesSent = 0;        // packets, fault extras included
    std::uint64_t connections = 0;
    FaultCounts faults;
};

// The simulated controller with its fault plan; hands out one Session per connection. Faults that
// end a connection (drop-after, silent-after) strike once per run.
class Simulator {
public:
    explicit Simulator(const Options &options);
    ~Simulator();

    const Options &options() const { return m_options; }
    Controller &controller() { return m_controller; }
    const Controller &controller() const { return m_controller; }
    const Counters &counters() const { return m_counters; }

    std::unique_ptr<Session> openSession();

    // Moves the controller's clock; sessions keep their own (Session::advance).
    void advance(std::uint64_t ms);

    // Counts as lines of "name: value", for the end of a run.
    std::string report() const;

private:
    friend class Session;

    Options m_options;
    Controller m_controller;
    Counters m_counters;
    std::uint32_t m_sessions = 0;
    bool m_dropFired = false;
    bool m_silentFired = false;
};

} // namespace aql::sim
