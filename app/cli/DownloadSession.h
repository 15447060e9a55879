#pragma once

#include "link/Console.h"
#include "platform/Timer.h"
#include "records/RecordList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace aql::cli {

struct DownloadSettings {
    std::string host;
    std::string port;
    std::uint8_t address = 1;
    int idleSeconds = 3;     // done when no record packet has arrived for this long
    int timeoutSeconds = 30; // bound on the wait for the first record after Get Log
};

// Collects a controller's log the way an operator does it: Online, Get Log, then hold every
// record that arrives until the controller has been quiet for a while. The link's own answer
// time-out, socket errors and corrupt replies end it early; the records held stay.
class DownloadSession {
public:
    enum class Outcome { Running, Done, ConnectFailed, LinkLost, NoRecords };
    static constexpr int kWatchMs = 100;

    DownloadSession(link::Console &console, platform::TimerFactory &timers,
                    records::RecordList &records, DownloadSettings settings);

    // Goes Online (waiting for the connect) and asks for the log.
    void start();

    Outcome outcome() const { return m_outcome; }
    std::function<void(Outcome)> finished;
    std::function<void(const std::string &)> progress; // a line about once a second

    static const char *describe(Outcome outcome);

private:
    void watch();
    void finish(Outcome outcome);
    std::uint64_t recordPacketsSeen() const;

    link::Console &m_console;
    records::RecordList &m_records;
    DownloadSettings m_settings;
    std::unique_ptr<platform::Timer> m_watch;
    Outcome m_outcome = Outcome::Running;
    std::int64_t m_elapsedMs = 0;
    std::int64_t m_lastArrivalMs = 0;
    std::uint64_t m_lastSeen = 0;
    std::uint64_t m_lastReported = 0;
};

} // namespace aql::cli
