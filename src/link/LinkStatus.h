#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace aql::link {

// Why the last connection ended.
enum class EndReason {
    None,                 // no connection has ended yet
    OperatorOffline,      // Offline chosen, the connection window's Close, the program closing
    PoolChanged,          // another pool chosen
    ConfigurationChanged, // the pool list was read again
    AnswerTimeout,        // the controller did not answer within the answer time-out
    SocketError,          // the socket failed while connected; the number says how
    ClosedByController,   // the controller closed or aborted the connection
    CorruptReply,         // a reply failed its checksum
    ConnectFailed,        // the connect itself failed; the number says how
};

struct ConnectionEnd {
    EndReason reason = EndReason::None;
    int socketError = 0; // the socket's error number, for the socket reasons

    bool operator==(const ConnectionEnd &other) const {
        return reason == other.reason && socketError == other.socketError;
    }
    bool operator!=(const ConnectionEnd &other) const { return !(*this == other); }
};

// An end the link did not choose: the connection was lost.
bool isLoss(EndReason reason);

enum class LinkPhase { Offline, Connecting, Online };

struct DownloadStatus {
    enum class State {
        None,             // no Get Log since the program started
        Receiving,        // records are coming in
        Complete,         // the end-of-log rule says the whole log has arrived
        ControllerSilent, // the controller stopped answering before the log was complete
        Interrupted,      // the connection ended during the download
    };
    State state = State::None;
    std::size_t recordsHeld = 0;
    std::uint64_t recordsReceived = 0;
    std::uint64_t recordsPerSecond = 0; // over the last status tick
    std::int64_t elapsedMs = 0;

    bool operator==(const DownloadStatus &o) const {
        return state == o.state && recordsHeld == o.recordsHeld &&
               recordsReceived == o.recordsReceived && recordsPerSecond == o.recordsPerSecond &&
               elapsedMs == o.elapsedMs;
    }
    bool operator!=(const DownloadStatus &o) const { return !(*this == o); }
};

struct ReconnectStatus {
    bool enabled = false;
    bool pending = false; // counting down to the next attempt
    int secondsLeft = 0;
    int attempt = 0; // the attempt counted down to (or under way), 1 for the first after a loss
    int pauseSeconds = 0; // the pause before that attempt

    bool operator==(const ReconnectStatus &o) const {
        return enabled == o.enabled && pending == o.pending && secondsLeft == o.secondsLeft &&
               attempt == o.attempt && pauseSeconds == o.pauseSeconds;
    }
    bool operator!=(const ReconnectStatus &o) const { return !(*this == o); }
};

// How the link is doing, for a status bar: refreshed when its state changes and once a second,
// never per received line.
struct LinkStatus {
    LinkPhase phase = LinkPhase::Offline;
    // Since the last reply that passed its checksum, while Online or Connecting; none before the
    // first reply of the connection and while Offline.
    std::optional<std::int64_t> lastReplyAgeMs;
    // Online and no valid reply for 2 seconds: what the display shows may no longer be true.
    bool stale = false;
    // Since the program started.
    std::uint64_t linesReceived = 0;
    std::uint64_t checksumErrors = 0;
    std::uint64_t droppedLines = 0; // wrong kind or length, another address, failed handling
    ConnectionEnd lastEnd;
    DownloadStatus download;
    ReconnectStatus reconnect;
};

} // namespace aql::link
