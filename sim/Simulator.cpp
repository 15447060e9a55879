#include "sim/Simulator.h"

#include "sim/Session.h"

#include <sstream>

namespace aql::sim {

namespace {

ControllerSetup setupFrom(const Options &o) {
    ControllerSetup s;
    s.address = o.address;
    s.records = o.records;
    s.seed = o.seed;
    s.startMinutes = o.startMinutes;
    return s;
}

} // namespace

Simulator::Simulator(const Options &options)
    : m_options(options), m_controller(setupFrom(options)) {}

Simulator::~Simulator() = default;

std::unique_ptr<Session> Simulator::openSession() {
    ++m_counters.connections;
    return std::make_unique<Session>(*this, m_sessions++);
}

void Simulator::advance(std::uint64_t ms) {
    m_controller.advance(ms);
}

std::string Simulator::report() const {
    const Counters &c = m_counters;
    const FaultOptions &f = m_options.faults;
    std::ostringstream out;
    out << "connections: " << c.connections << "\n"
        << "frames accepted: " << c.frames.accepted << "\n"
        << "frames with a bad end marker: " << c.frames.badEndMarker << "\n"
        << "frames with a bad checksum: " << c.frames.badChecksum << "\n"
        << "frames for another address: " << c.frames.otherAddress << "\n"
        << "bytes outside frames: " << c.frames.skippedBytes << "\n"
        << "polls: " << c.polls << "\n"
        << "unknown commands: " << c.unknownCommands << "\n"
        << "rejected commands: " << c.rejectedCommands << "\n"
        << "lines sent: " << c.linesSent << "\n";
    const auto fault = [&](bool on, const char *name, std::uint64_t n) {
        if (on) {
            out << "fault " << name << ": " << n << "\n";
        }
    };
    fault(f.corruptEvery != 0, "corrupt-checksum", c.faults.corruptChecksum);
    fault(f.drop, "drop-after", c.faults.drops);
    fault(f.silent, "silent-after", c.faults.silentPolls);
    fault(f.split, "split", c.faults.splitLines);
    fault(f.wrongAddressOneIn != 0, "wrong-address", c.faults.wrongAddress);
    fault(f.unknownTypeOneIn != 0, "unknown-type", c.faults.unknownType);
    fault(f.garbageOneIn != 0, "garbage", c.faults.garbage);
    fault(f.duplicatesOneIn != 0, "duplicates", c.faults.duplicates);
    fault(f.duplicatesOneIn != 0, "duplicates reordered", c.faults.reordered);
    fault(f.slow, "slow", c.faults.slowAnswers);
    return out.str();
}

} // namespace aql::sim
