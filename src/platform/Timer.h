#pragma once

#include <functional>
#include <memory>

namespace aql::platform {

// A periodic timer of the user-interface thread. Setting the interval of a running timer restarts
// its period; ticks are delivered from the event loop.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    void setOnTick(std::function<void()> onTick) { m_onTick = std::move(onTick); }

protected:
    void tick() {
        if (m_onTick) {
            m_onTick();
        }
    }

private:
    std::function<void()> m_onTick;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    // A stopped timer with this interval.
    virtual std::unique_ptr<Timer> createTimer(int milliseconds) = 0;
};

} // namespace aql::platform
