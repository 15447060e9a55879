#include "link/Reconnector.h"

#include "link/Hooks.h"

namespace aql::link {

Reconnector::Reconnector(platform::TimerFactory &timers)
    : m_countdown(timers.createTimer(kCountdownMs)) {
    setHooks({});
    m_countdown->setOnTick([this] { countDown(); });
}

void Reconnector::setHooks(Hooks hooks) {
    keepCallable(hooks.goOnline);
    keepCallable(hooks.changed);
    keepCallable(hooks.lossTakenOver);
    keepCallable(hooks.attemptStarted);
    keepCallable(hooks.countdownCancelled);
    m_hooks = std::move(hooks);
}

int Reconnector::pauseBeforeAttempt(int attempt) {
    int pause = kFirstPauseSeconds;
    for (int n = 1; n < attempt && pause < kLongestPauseSeconds; ++n) {
        pause *= 2;
    }
    return pause < kLongestPauseSeconds ? pause : kLongestPauseSeconds;
}

void Reconnector::setEnabled(bool on) {
    if (!on) {
        cancel();
    }
    if (m_status.enabled != on) {
        m_status.enabled = on;
        m_hooks.changed();
    }
}

bool Reconnector::connectionEnded(const ConnectionEnd &end) {
    if (!isLoss(end.reason)) {
        cancel();
        return false;
    }
    // A connect the operator asked for and that failed is theirs to repeat: they are there, and the
    // message tells them why. Only a connect made on their behalf is retried.
    if (end.reason == EndReason::ConnectFailed && !m_attempting) {
        return false;
    }
    if (!m_status.enabled) {
        return false;
    }
    if (m_status.pending) {
        // The rest of a read that held a corrupt line may hold another: still the same loss.
        return true;
    }
    schedule();
    m_hooks.lossTakenOver(end);
    return true;
}

void Reconnector::schedule() {
    // Never from inside the loss itself: the connection is being torn down further up the stack,
    // and a controller that drops every connection at once must not be hammered.
    ++m_status.attempt;
    m_status.pauseSeconds = pauseBeforeAttempt(m_status.attempt);
    m_status.secondsLeft = m_status.pauseSeconds;
    m_status.pending = true;
    m_countdown->setEnabled(false);
    m_countdown->setEnabled(true);
    m_hooks.changed();
}

void Reconnector::countDown() {
    if (!m_status.pending) {
        m_countdown->setEnabled(false);
        return;
    }
    --m_status.secondsLeft;
    if (m_status.secondsLeft > 0) {
        m_hooks.changed();
        return;
    }
    attempt();
}

void Reconnector::attempt() {
    m_countdown->setEnabled(false);
    m_status.pending = false;
    m_status.secondsLeft = 0;
    m_hooks.changed();
    m_hooks.attemptStarted(m_status.attempt);
    goOnlineRetryingFailure();
}

void Reconnector::goOnlineRetryingFailure() {
    m_attempting = true;
    m_hooks.goOnline();
    m_attempting = false;
}

void Reconnector::replyArrived() {
    // Connecting alone proves little: a controller that accepts and then stays silent would
    // otherwise be tried again every second for ever.
    if (m_status.attempt != 0 && !m_status.pending) {
        m_status.attempt = 0;
        m_status.pauseSeconds = 0;
        m_hooks.changed();
    }
}

void Reconnector::cancel() {
    const bool wasPending = m_status.pending;
    const bool wasCounting = m_status.attempt != 0;
    m_countdown->setEnabled(false);
    m_status.pending = false;
    m_status.secondsLeft = 0;
    m_status.attempt = 0;
    m_status.pauseSeconds = 0;
    if (wasPending || wasCounting) {
        m_hooks.changed();
    }
    if (wasPending) {
        m_hooks.countdownCancelled();
    }
}

} // namespace aql::link
