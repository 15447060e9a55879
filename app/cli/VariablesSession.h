#pragma once

#include "link/Console.h"
#include "link/LogDownload.h"
#include "platform/Timer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace aql::cli {

struct VariableWrite {
    int block = 1;    // 1-8, as the window's tabs
    int variable = 1; // 1-25
    std::int16_t value = 0;
};

struct VariablesSettings {
    std::string host;
    std::string port;
    std::uint8_t address = 1;
    std::optional<int> block; // only this block (0-8); all when empty
    std::optional<VariableWrite> write;
    // Connecting plus the wait for the blocks or the confirmation. The connect itself is
    // bounded by the socket (the caller sets its connect time-out to this).
    std::int64_t timeoutMs = 20000;
};

// Reads the controller's variable blocks, or writes one variable. A write is sent at once and
// again every kRewriteMs until a reply of its block that arrived after the write was sent holds
// the value written: neither the value the block held before nor a reply already on its way
// counts as a confirmation.
class VariablesSession {
public:
    enum class Outcome {
        Running,
        Done,
        ConnectFailed,
        LinkLost,
        NoValidReply, // nothing the controller being operated could have sent
        BlocksMissing,
        NotConfirmed,
        Interrupted,
    };
    static constexpr int kTickMs = 100;
    static constexpr int kAskMs = 200;
    static constexpr int kRewriteMs = 500;

    VariablesSession(link::Console &console, platform::TimerFactory &timers,
                     VariablesSettings settings, link::MonotonicClock clock = link::steadyClock());

    void start();
    void interrupt();
    Outcome outcome() const { return m_outcome; }
    std::function<void(Outcome)> finished;

    // "block B: v1 v2 ... v26" for each block asked for (the written variable's block after a
    // write) that was read, values as the window shows them.
    std::string report() const;
    // One line for the operator: what was done, or why it failed.
    std::string summary() const;
    // The written variable as read back after the write, as the window shows it.
    std::optional<std::int32_t> readBack() const { return m_readBack; }
    int writesSent() const { return m_writesSent; }

private:
    void tick();
    void sendWrite();
    void askMissingBlock();
    bool wanted(int block) const;
    bool allRead() const;
    std::uint64_t validReplies() const;
    void finish(Outcome outcome);

    link::Console &m_console;
    VariablesSettings m_settings;
    link::MonotonicClock m_clock;
    std::unique_ptr<platform::Timer> m_timer;
    Outcome m_outcome = Outcome::Running;
    std::array<std::uint64_t, 9> m_arrivals{}; // replies of each block so far
    std::uint64_t m_arrivalsAtWrite = 0;       // of the written block, when the write first went
    std::int64_t m_deadlineMs = 0;
    std::int64_t m_lastAskMs = 0;
    std::int64_t m_lastWriteMs = 0;
    std::uint64_t m_repliesAtStart = 0;
    int m_writesSent = 0;
    bool m_interrupted = false;
    std::optional<std::int32_t> m_readBack;
};

} // namespace aql::cli
