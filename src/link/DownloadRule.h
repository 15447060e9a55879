#pragma once

#include "link/ReceiveDispatcher.h"

#include <cstddef>
#include <cstdint>

namespace aql::link {

// Where a log download stands. The controller answers every poll, with a record while it has
// log left and with its display once it has not; so a log is complete only while answers keep
// coming and no record is among them. Polls that go unanswered are never an end of log.
enum class DownloadState {
    WaitingForFirstRecord,
    Receiving,
    Complete,         // answers kept coming, none of them a record, for the quiet time
    NoRecords,        // the controller answered, but no record came within the first-record time
    NoValidReply,     // nothing the controller being operated could have sent, in that time
    StoppedAnswering, // the controller answered, then went silent for the silent time
    LinkLost,         // the connection closed: a socket error, a corrupt reply, the answer time-out
    TooManyRecords,   // the cap on records held was reached
    Cancelled,        // stopped on request (the operator, a signal)
};

bool isFinished(DownloadState state);

// The times and the cap that decide how a download ends.
struct DownloadRules {
    std::int64_t quietMs = 3000;  // answers without a record this long: the log is complete
    std::int64_t silentMs = 2000; // no answer at all this long: the controller stopped answering
    // From the start until the first record; 0 or less: no limit. Never applies once records
    // are arriving, however long the log takes.
    std::int64_t firstRecordMs = 30000;
    std::size_t maxRecords = 1000000; // records held; reaching it ends the download
};

// Counts that only grow while a download runs, as the console and the record list keep them.
struct DownloadCounts {
    std::uint64_t recordPackets = 0; // log records received, new ones and ones already held
    std::uint64_t validReplies = 0;  // checked lines for the controller being operated
    std::uint64_t otherAddress = 0;  // checked lines for another controller
    std::uint64_t unreadable = 0;    // lines of the wrong kind or length, or corrupt
    std::size_t recordsHeld = 0;
    bool linkOpen = true;
};

// The decision alone: fed with the time and the counts, says where the download stands.
class LogDownloadRule {
public:
    explicit LogDownloadRule(DownloadRules rules = {});

    void start(std::int64_t nowMs, const DownloadCounts &counts);
    // Looks at the counts now; a finished download stays as it ended.
    DownloadState observe(std::int64_t nowMs, const DownloadCounts &counts);
    void cancel();

    DownloadState state() const { return m_state; }
    const DownloadRules &rules() const { return m_rules; }
    // Since start.
    std::uint64_t recordPackets() const { return m_last.recordPackets - m_start.recordPackets; }
    std::uint64_t validReplies() const { return m_last.validReplies - m_start.validReplies; }
    std::uint64_t otherAddressReplies() const { return m_last.otherAddress - m_start.otherAddress; }
    std::uint64_t unreadableLines() const { return m_last.unreadable - m_start.unreadable; }
    std::int64_t elapsedMs() const { return m_lastMs - m_startMs; }

private:
    DownloadState decide(std::int64_t nowMs) const;

    DownloadRules m_rules;
    DownloadState m_state = DownloadState::WaitingForFirstRecord;
    DownloadCounts m_start;
    DownloadCounts m_last;
    std::int64_t m_startMs = 0;
    std::int64_t m_lastMs = 0;
    std::int64_t m_lastRecordMs = 0;
    std::int64_t m_lastReplyMs = 0;
};

// The counts as a dispatcher keeps them.
DownloadCounts countsFrom(const ReceiveDispatcher::Counters &counters, std::size_t recordsHeld,
                          bool linkOpen);

} // namespace aql::link
