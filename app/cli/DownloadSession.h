#pragma once

#include "link/Console.h"
#include "link/LogDownload.h"
#include "platform/Timer.h"
#include "records/RecordList.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace aql::cli {

struct DownloadSettings {
    std::string host;
    std::string port;
    std::uint8_t address = 1;
    // Connecting plus the wait for the first record; never a download that is receiving. The
    // connect itself is bounded by the socket (the caller sets its connect time-out to this).
    std::int64_t timeoutMs = 30000;
    std::int64_t quietMs = 3000; // answers without a record this long: the log is complete
    std::size_t maxRecords = 1000000;
};

// Collects a controller's log the way an operator does it: Online, Get Log, then every record
// that arrives, until link::LogDownload's rule says the log is complete or the download failed.
// Goes Offline when it ends; the records held stay in the list.
class DownloadSession {
public:
    static constexpr int kProgressMs = 1000;

    DownloadSession(link::Console &console, platform::TimerFactory &timers,
                    records::RecordList &records, DownloadSettings settings,
                    link::MonotonicClock clock = link::steadyClock());

    // Connects (the call returns once the connect is decided) and asks for the log.
    void start();
    // Ctrl-C: ends a running download as Cancelled, keeping what arrived.
    void interrupt();

    bool running() const { return m_running; }
    bool connectFailed() const { return m_connectFailed; }
    // Only a complete log is a success.
    bool succeeded() const;
    link::DownloadState state() const;
    // One line for the operator: how the download ended, and why when it failed.
    std::string summary() const;

    std::function<void()> finished;
    std::function<void(const std::string &)> progress; // a line about once a second

private:
    void looked();
    void end();

    link::Console &m_console;
    records::RecordList &m_records;
    platform::TimerFactory &m_timers;
    DownloadSettings m_settings;
    link::MonotonicClock m_clock;
    std::unique_ptr<link::LogDownload> m_download;
    bool m_running = false;
    bool m_connectFailed = false;
    bool m_interrupted = false;
    std::int64_t m_nextProgressMs = 0;
    std::size_t m_lastReported = 0;
};

} // namespace aql::cli
