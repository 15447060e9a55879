#pragma once

#include "link/Console.h"
#include "platform/Timer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace aql::cli {

struct VariableWrite {
    int block = 1; // 1-8, as the window's tabs
    int var = 1;   // 1-25
    std::string value;
};

struct VariablesSettings {
    std::string host;
    std::string port;
    std::uint8_t address = 1;
    std::optional<int> block; // only this block (0-8); all when empty
    std::optional<VariableWrite> write;
    int timeoutSeconds = 20;
};

// Reads the controller's variable blocks through the variables window's logic, or writes one
// variable with its repeat-until-confirmed rule.
class VariablesSession {
public:
    enum class Outcome { Running, Done, ConnectFailed, LinkLost, Refused, TimedOut };
    static constexpr int kTickMs = 200;

    VariablesSession(link::Console &console, platform::TimerFactory &timers,
                     VariablesSettings settings);

    void start();
    Outcome outcome() const { return m_outcome; }
    std::function<void(Outcome)> finished;

    // "block B: v1 v2 ... v26" for every block read, values as the window converts them.
    std::string report() const;
    static const char *describe(Outcome outcome);

private:
    void tick();
    void finish(Outcome outcome);
    bool allRead() const;

    link::Console &m_console;
    VariablesSettings m_settings;
    std::unique_ptr<platform::Timer> m_timer;
    Outcome m_outcome = Outcome::Running;
    std::array<bool, 9> m_read{};
    std::int64_t m_elapsedMs = 0;
    bool m_writeStarted = false;
};

} // namespace aql::cli
