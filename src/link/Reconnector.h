#pragma once

#include "link/LinkStatus.h"
#include "platform/Timer.h"

#include <functional>
#include <memory>

namespace aql::link {

// Brings a lost connection back by itself: after a loss it counts down a pause and goes Online
// again, doubling the pause after each attempt that does not bring a reply, up to a minute.
// Off unless switched on.
class Reconnector {
public:
    static constexpr int kFirstPauseSeconds = 1;
    static constexpr int kLongestPauseSeconds = 60;
    static constexpr int kCountdownMs = 1000;

    struct Hooks {
        std::function<void()> goOnline; // the Online choice, made on the operator's behalf
        std::function<void()> changed;  // status() changed
        // A loss will be reconnected; status() already counts down to the attempt.
        std::function<void(const ConnectionEnd &end)> lossTakenOver;
        std::function<void(int attempt)> attemptStarted;
        std::function<void()> countdownCancelled; // an operator's action stopped a countdown
    };

    explicit Reconnector(platform::TimerFactory &timers);

    // Replaces every hook; one left empty does nothing.
    void setHooks(Hooks hooks);

    void setEnabled(bool on);
    bool enabled() const { return m_status.enabled; }

    // A connection ended. True when another attempt has been scheduled: the loss is then reported
    // in the status and the event log instead of a message box.
    bool connectionEnded(const ConnectionEnd &end);
    // A reply that passed its checksum: the link works again, so the next loss starts the pauses
    // from the first.
    void replyArrived();
    // Goes Online as an attempt of its own, so a failed connect is retried like a loss (the
    // project-mode start, where nobody may be there to choose Online again).
    void goOnlineRetryingFailure();
    // Stops the countdown and forgets the losses so far (an operator's action).
    void cancel();

    const ReconnectStatus &status() const { return m_status; }

    // The pause before attempt n (1, 2, 3, ...): 1, 2, 4, ... seconds, never above a minute.
    static int pauseBeforeAttempt(int attempt);

    // The clock.
    void countDown();

private:
    void schedule();
    void attempt();

    Hooks m_hooks;
    std::unique_ptr<platform::Timer> m_countdown;
    ReconnectStatus m_status;
    bool m_attempting = false; // an attempt's connect is being decided
};

} // namespace aql::link
