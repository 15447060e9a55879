#include "sim/Session.h"

#include "sim/Simulator.h"

#include "link/FrameCodec.h"

#include <algorithm>

namespace aql::sim {

namespace {

constexpr std::size_t kLongestSplitPiece = 64;
constexpr std::uint64_t kSplitGapMs = 1; // lets each piece leave as its own segment
constexpr std::size_t kShortGarbageMax = 60;
constexpr std::size_t kOverlongMin = link::kLongestLine + 1;
constexpr std::size_t kOverlongMax = 900;
constexpr int kMostRecentForDuplicate = 5;

std::uint32_t sessionSeed(std::uint32_t seed, std::uint32_t index) {
    // Distinct streams per connection; the controller's own stream uses the seed as it is.
    return seed ^ (0x9E3779B9u * (index + 1));
}

} // namespace

Session::Session(Simulator &sim, std::uint32_t index)
    : m_sim(sim), m_kind(sim.options().unaddressed ? LineKind::Unaddressed : LineKind::Addressed),
      m_reader(sim.controller().address()), m_rng(sessionSeed(sim.options().seed, index)) {}

void Session::receive(std::string_view bytes) {
    if (m_closed) {
        return;
    }
    m_reader.append(bytes);
    Frame frame;
    while (!m_closed && m_reader.next(frame)) {
        handle(frame);
    }
    syncFrameCounts();
}

void Session::syncFrameCounts() {
    const FrameCounts &now = m_reader.counts();
    FrameCounts &total = m_sim.m_counters.frames;
    total.accepted += now.accepted - m_reported.accepted;
    total.badEndMarker += now.badEndMarker - m_reported.badEndMarker;
    total.badChecksum += now.badChecksum - m_reported.badChecksum;
    total.otherAddress += now.otherAddress - m_reported.otherAddress;
    total.skippedBytes += now.skippedBytes - m_reported.skippedBytes;
    m_reported = now;
}

void Session::handle(const Frame &frame) {
    Controller &controller = m_sim.controller();
    Counters &counters = m_sim.m_counters;
    switch (frame.command) {
    case link::cmd::kSendNextPacket: answerPoll(); return;
    case link::cmd::kGetLog: queueLog(); return;
    case link::cmd::kAskBlock: {
        const int block = frame.parameters[0];
        if (block >= kBlockCount) {
            ++counters.rejectedCommands;
            return;
        }
        if (m_replies.size() >= kMaxQueuedReplies) {
            m_replies.pop_front();
        }
        m_replies.push_back(block);
        return;
    }
    case link::cmd::kSetVar: {
        const auto &[block, variable, high, low] = frame.parameters;
        if (!controller.setVariable(block, variable,
                                    static_cast<std::uint16_t>((high << 8) | low))) {
            ++counters.rejectedCommands;
        }
        return;
    }
    default: break;
    }
    if (controller.pressKey(frame.command)) {
        m_displayUrgent = true;
        return;
    }
    ++counters.unknownCommands;
}

void Session::answerPoll() {
    Counters &counters = m_sim.m_counters;
    const FaultOptions &faults = m_sim.options().faults;
    ++counters.polls;
    if (!m_silent && faults.silent && !m_sim.m_silentFired &&
        m_pollsAnswered >= faults.silentAfter) {
        m_silent = true;
        m_sim.m_silentFired = true;
    }
    if (m_silent) {
        ++counters.faults.silentPolls;
        return;
    }
    ++m_pollsAnswered;
    if (faults.slow) {
        m_delay = faults.slowMs;
        ++counters.faults.slowAnswers;
    }
    if (!m_replies.empty()) {
        const int block = m_replies.front();
        m_replies.pop_front();
        const Bytes body = variableBlockBody(static_cast<std::uint8_t>(block),
                                             m_sim.controller().variableBlock(block));
        send(LineKind::Addressed,
             packetPayload(LineKind::Addressed, m_sim.controller().address(), body));
    } else if (m_displayUrgent || m_sim.options().logRate != 0 || pendingLogLines() == 0) {
        sendDisplay();
    } else {
        sendLogItem();
    }
    m_delay = 0;
}

void Session::queueLog() {
    // A second request starts the download over from the oldest record.
    const auto &log = m_sim.controller().log();
    const std::uint32_t dupOneIn = m_sim.options().faults.duplicatesOneIn;
    std::vector<Slot> order;
    order.reserve(log.size() + log.size() / 4);
    for (std::uint32_t i = 0; i < log.size(); ++i) {
        order.push_back({i, Mark::Normal});
    }
    if (dupOneIn != 0) {
        for (std::size_t i = 0; i + 1 < order.size(); ++i) {
            if (m_rng.oneIn(dupOneIn)) {
                std::swap(order[i], order[i + 1]);
                order[i].mark = Mark::Reordered;
                ++i; // a record moves one place at most
            }
        }
        std::vector<Slot> withRepeats;
        withRepeats.reserve(order.size() + order.size() / 4);
        for (std::size_t i = 0; i < order.size(); ++i) {
            withRepeats.push_back(order[i]);
            if (m_rng.oneIn(dupOneIn)) {
                const int back =
                    m_rng.uniform(0, std::min<int>(static_cast<int>(i), kMostRecentForDuplicate));
                withRepeats.push_back(
                    {order[i - static_cast<std::size_t>(back)].index, Mark::Duplicate});
            }
        }
        order = std::move(withRepeats);
    }
    m_order = std::move(order);
    m_logPos = 0;
    m_sinceDisplay = 0;
    m_pushCredit = 0;
}

void Session::sendLogItem() {
    if (m_sinceDisplay >= kRecordsPerDisplay) {
        sendDisplay();
        return;
    }
    const Slot slot = m_order[m_logPos++];
    ++m_sinceDisplay;
    FaultCounts &counts = m_sim.m_counters.faults;
    if (slot.mark == Mark::Duplicate) {
        ++counts.duplicates;
    } else if (slot.mark == Mark::Reordered) {
        ++counts.reordered;
    }
    const Controller &controller = m_sim.controller();
    send(m_kind,
         packetPayload(m_kind, controller.address(), recordBody(controller.log()[slot.index])));
}

void Session::sendDisplay() {
    m_displayUrgent = false;
    m_sinceDisplay = 0;
    Controller &controller = m_sim.controller();
    send(m_kind,
         packetPayload(m_kind, controller.address(), displayBody(controller.takeDisplay())));
}

void Session::send(LineKind kind, Bytes payload) {
    if (m_closed) {
        return;
    }
    const FaultOptions &faults = m_sim.options().faults;
    FaultCounts &counts = m_sim.m_counters.faults;
    const std::uint8_t address = m_sim.controller().address();
    ++m_lines;

    if (faults.drop && !m_sim.m_dropFired && m_lines == std::uint64_t{faults.dropAfter} + 1) {
        m_sim.m_dropFired = true;
        ++counts.drops;
        if (faults.dropMidLine) {
            const std::string line = encodeLine(kind, payload);
            transmit(line.substr(0, line.size() / 2));
        }
        close();
        return;
    }
    if (faults.garbageOneIn != 0 && m_rng.oneIn(faults.garbageOneIn)) {
        ++counts.garbage;
        transmit(garbage());
    }
    if (faults.wrongAddressOneIn != 0 && kind == LineKind::Addressed &&
        m_rng.oneIn(faults.wrongAddressOneIn)) {
        ++counts.wrongAddress;
        Bytes other = payload;
        other[0] = static_cast<char>(address + 1 + m_rng.uniform(0, 253)); // never our own
        sealChecksum(other);
        transmit(encodeLine(kind, other));
    }
    if (faults.unknownTypeOneIn != 0 && m_rng.oneIn(faults.unknownTypeOneIn)) {
        ++counts.unknownType;
        transmit(encodeLine(kind, packetPayload(kind, address, unknownTypeBody(ptype::kUnknown))));
    }
    if (faults.corruptEvery != 0 && m_lines % faults.corruptEvery == 0) {
        ++counts.corruptChecksum;
        payload.back() = static_cast<char>(payload.back() ^ 0x5A);
    }
    transmit(encodeLine(kind, payload));
}

void Session::transmit(std::string bytes) {
    Counters &counters = m_sim.m_counters;
    if (!bytes.empty() && bytes.back() == '\r') {
        ++counters.linesSent;
    }
    std::uint64_t due = std::max(m_now + m_delay, m_lastDue);
    if (m_sim.options().faults.split && bytes.size() > 1) {
        std::size_t pos = 0;
        int pieces = 0;
        while (pos < bytes.size()) {
            const auto longest = std::min(kLongestSplitPiece, bytes.size() - pos);
            const auto n = static_cast<std::size_t>(m_rng.uniform(1, static_cast<int>(longest)));
            if (pieces > 0) {
                due += kSplitGapMs;
            }
            m_out.push_back({bytes.substr(pos, n), due, false});
            pos += n;
            ++pieces;
        }
        if (pieces > 1) {
            ++counters.faults.splitLines;
        }
    } else {
        m_out.push_back({std::move(bytes), due, false});
    }
    m_lastDue = due;
}

void Session::close() {
    m_out.push_back({std::string(), std::max(m_now + m_delay, m_lastDue), true});
    m_closed = true;
}

std::string Session::garbage() {
    // Never a CR inside, and never the length of a packet line: the console must drop every
    // byte of it, and the CR at the end keeps the next real line intact.
    const bool overlong = m_rng.oneIn(2);
    const auto n = static_cast<std::size_t>(
        overlong ? m_rng.uniform(static_cast<int>(kOverlongMin), static_cast<int>(kOverlongMax))
                 : m_rng.uniform(1, static_cast<int>(kShortGarbageMax)));
    std::string bytes(n, '\0');
    for (char &c : bytes) {
        int b = m_rng.uniform(0, 254);
        c = static_cast<char>(b >= '\r' ? b + 1 : b);
    }
    bytes.push_back('\r');
    return bytes;
}

void Session::advance(std::uint64_t ms, bool canPush) {
    m_now += ms;
    const std::uint32_t rate = m_sim.options().logRate;
    if (m_closed || m_silent || rate == 0 || pendingLogLines() == 0 || !canPush) {
        m_pushCredit = 0;
        return;
    }
    // At most one second's worth at once: a stalled event loop must not end in a flood.
    m_pushCredit = std::min(m_pushCredit + ms * rate, std::uint64_t{rate} * 1000);
    while (m_pushCredit >= 1000 && pendingLogLines() > 0 && !m_closed) {
        m_pushCredit -= 1000;
        sendLogItem();
    }
}

std::vector<Transmission> Session::takeOutput() {
    std::vector<Transmission> out;
    out.swap(m_out);
    return out;
}

} // namespace aql::sim
