#pragma once

#include "link/Console.h"
#include "link/DownloadRule.h"
#include "platform/Timer.h"
#include "records/RecordList.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace aql::link {

// Milliseconds from a fixed start, never going back (std::chrono::steady_clock by default; tests
// give the manual timers' time).
using MonotonicClock = std::function<std::int64_t()>;
MonotonicClock steadyClock();

// The counts of a console and the record list it downloads into.
DownloadCounts countsOf(const Console &console, const records::RecordList &records);

// A download of the current pool's log through a console, watched by the rule every kWatchMs.
// What happens once it has ended is the caller's choice: the command-line tool goes Offline; a
// window that stays Online after TooManyRecords keeps receiving records.
//
// Typical use, with the console Online and its current pool set:
//
//     link::LogDownload download(console, pool.records(), timers, link::DownloadRules{});
//     download.finished = [&](link::DownloadState how) { ... how == Complete: the whole log };
//     download.start(); // sends Get Log; or watch() when the panel's button has sent it
class LogDownload {
public:
    static constexpr int kWatchMs = 100;

    // `records` is the list the console stores the log in (the current pool's).
    LogDownload(Console &console, const records::RecordList &records,
                platform::TimerFactory &timers, DownloadRules rules,
                MonotonicClock clock = steadyClock());
    LogDownload(const LogDownload &) = delete;
    LogDownload &operator=(const LogDownload &) = delete;

    // Sends Get Log and starts watching. Not Online: ends at once as LinkLost.
    void start();
    // Starts watching a download whose Get Log has already gone out (the panel's button).
    void watch();
    void cancel();

    DownloadState state() const { return m_rule.state(); }
    const LogDownloadRule &rule() const { return m_rule; }

    std::function<void(DownloadState)> finished;
    std::function<void()> looked; // after every look, for a progress display

private:
    void look();
    void finish();

    Console &m_console;
    const records::RecordList &m_records;
    MonotonicClock m_clock;
    LogDownloadRule m_rule;
    std::unique_ptr<platform::Timer> m_timer;
};

} // namespace aql::link
