#pragma once

// Deterministic stand-ins for the platform: a socket whose events are posted to a fake event
// loop, timers that fire only when the test advances time, a message box that records what it
// showed (and can run code while "open", as a modal box runs the event loop).

#include "platform/Beep.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/MessageBox.h"
#include "platform/Socket.h"
#include "platform/Timer.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace aql::test {

// Events posted here run when the logic lets the user interface process its events.
class FakePump : public platform::EventPump {
public:
    void post(std::function<void()> event) { m_events.push_back(std::move(event)); }
    void processEvents() override {
        if (duringProcessEvents) {
            auto hook = duringProcessEvents;
            hook();
        }
        runPosted();
    }
    void waitForEvents() override {
        if (m_events.empty() && !duringProcessEvents) {
            throw std::logic_error("waiting for events that will never come");
        }
        processEvents();
    }
    void sleep(int) override {}
    // Only the events present now; events posted while these run wait for the next call.
    void runPosted() {
        std::deque<std::function<void()>> now;
        now.swap(m_events);
        for (auto &e : now) {
            e();
        }
    }

    std::function<void()> duringProcessEvents;

private:
    std::deque<std::function<void()>> m_events;
};

class FakeSocket : public platform::Socket {
public:
    enum class ConnectOutcome { Connect, Refuse, Hang };

    explicit FakeSocket(FakePump &pump) : m_pump(pump) {}

    void setListener(platform::SocketListener *listener) override { m_listener = listener; }
    void setRemoteHost(const std::string &host) override { remoteHost = host; }
    void setRemotePort(std::int32_t port) override { remotePort = port; }
    void setLocalPort(std::int32_t) override {}
    void connect() override {
        ++connectCalls;
        if (whenConnecting) {
            whenConnecting();
        }
        m_state = platform::sockstate::kConnecting;
        if (outcome == ConnectOutcome::Connect) {
            m_pump.post([this] {
                if (m_state == platform::sockstate::kConnecting) {
                    m_state = platform::sockstate::kConnected;
                }
            });
        } else if (outcome == ConnectOutcome::Refuse) {
            postError(platform::sockerr::kConnectionRefused, "refused");
        }
    }
    int state() const override { return m_state; }
    void send(const std::string &bytes) override { sent.push_back(bytes); }
    std::string readAll() override { return std::exchange(m_inbox, {}); }
    void close() override {
        if (m_state != platform::sockstate::kClosed) {
            m_state = platform::sockstate::kClosing;
            m_pump.post([this] { m_state = platform::sockstate::kClosed; });
        }
    }

    // The controller's side.
    void deliver(const std::string &bytes) {
        m_inbox += bytes;
        if (m_listener) {
            m_listener->dataArrival(m_inbox.size());
        }
    }
    void postError(int number, const std::string &description) {
        m_pump.post([this, number, description] {
            m_state = platform::sockstate::kClosed;
            if (m_listener) {
                m_listener->socketError(number, description);
            }
        });
    }
    void setState(int state) { m_state = state; }

    ConnectOutcome outcome = ConnectOutcome::Connect;
    std::string remoteHost;
    std::int32_t remotePort = 0;
    int connectCalls = 0;
    std::vector<std::string> sent;
    std::function<void()> whenConnecting; // runs at every connect, before its outcome

private:
    FakePump &m_pump;
    platform::SocketListener *m_listener = nullptr;
    int m_state = platform::sockstate::kClosed;
    std::string m_inbox;
};

// Time moves only through advance(); due timers fire in time order, each at its own moment.
class ManualTimerFactory : public platform::TimerFactory {
public:
    std::unique_ptr<platform::Timer> createTimer(int milliseconds) override {
        auto t = std::make_unique<Timer>(*this, milliseconds);
        m_timers.push_back(t.get());
        return t;
    }
    void advance(std::int64_t milliseconds) {
        const std::int64_t target = m_now + milliseconds;
        for (;;) {
            Timer *next = nullptr;
            for (Timer *t : m_timers) {
                if (t->m_enabled && t->m_due <= target && (!next || t->m_due < next->m_due)) {
                    next = t;
                }
            }
            if (!next) {
                break;
            }
            m_now = next->m_due;
            next->m_due += std::max(1, next->m_interval);
            next->tick();
        }
        m_now = target;
    }
    std::int64_t now() const { return m_now; }

private:
    class Timer : public platform::Timer {
    public:
        Timer(ManualTimerFactory &factory, int interval)
            : m_factory(factory), m_interval(interval) {}
        ~Timer() override {
            auto &all = m_factory.m_timers;
            all.erase(std::find(all.begin(), all.end(), this));
        }
        void setInterval(int milliseconds) override {
            m_interval = milliseconds;
            if (m_enabled) {
                m_due = m_factory.now() + std::max(1, m_interval);
            }
        }
        int interval() const override { return m_interval; }
        void setEnabled(bool enabled) override {
            if (enabled && !m_enabled) {
                m_due = m_factory.now() + std::max(1, m_interval);
            }
            m_enabled = enabled;
        }
        bool enabled() const override { return m_enabled; }

    private:
        friend class ManualTimerFactory;
        ManualTimerFactory &m_factory;
        int m_interval;
        bool m_enabled = false;
        std::int64_t m_due = 0;
    };

    std::vector<Timer *> m_timers;
    std::int64_t m_now = 0;
};

struct ShownBox {
    std::string text;
    int style;
    std::string title;
};

class RecordingMessageBox : public platform::MessageBox {
public:
    int show(const std::string &text, int style, const std::string &title) override {
        shown.push_back({text, style, title});
        if (whileOpen) {
            auto hook = whileOpen;
            hook();
        }
        return answer;
    }
    std::vector<ShownBox> shown;
    int answer = platform::kResultOk;
    std::function<void()> whileOpen; // runs as the modal box's event loop would
};

class CountingBeep : public platform::Beep {
public:
    void beep() override { ++count; }
    int count = 0;
};

// The wall clock stands still; the steady clock follows the manual timers, or stands at 0.
class FixedClock : public platform::Clock {
public:
    platform::LocalTime now() const override { return time; }
    std::int64_t steadyMs() const override { return timers ? timers->now() : 0; }
    platform::LocalTime time{2026, 12, 6, 14, 5, 9};
    const ManualTimerFactory *timers = nullptr;
};

// Language texts that say which number they are: "T95".
inline std::string numberedText(int n) {
    return "T" + std::to_string(n);
}

} // namespace aql::test
