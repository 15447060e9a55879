#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace aql {

// Keeps an observer registered for as long as it lives; destroying or resetting it unsubscribes.
// It may outlive the notifier it came from: unsubscribing then does nothing.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : m_cancel(std::move(cancel)) {}
    Subscription(Subscription &&other) noexcept : m_cancel(std::move(other.m_cancel)) {
        other.m_cancel = nullptr;
    }
    Subscription &operator=(Subscription &&other) noexcept {
        if (this != &other) {
            reset();
            m_cancel = std::move(other.m_cancel);
            other.m_cancel = nullptr;
        }
        return *this;
    }
    Subscription(const Subscription &) = delete;
    Subscription &operator=(const Subscription &) = delete;
    ~Subscription() { reset(); }

    void reset() {
        if (m_cancel) {
            auto cancel = std::move(m_cancel);
            m_cancel = nullptr;
            cancel();
        }
    }

private:
    std::function<void()> m_cancel;
};

// The one change notification of a window's logic: any number of observers (the widget, the
// status bar, the archive, the command-line tool) are told that the view changed and read it
// again. An observer may subscribe or unsubscribe others, itself included, while being notified.
class ChangeNotifier {
public:
    ChangeNotifier() : m_observers(std::make_shared<Map>()) {}
    ChangeNotifier(const ChangeNotifier &) = delete;
    ChangeNotifier &operator=(const ChangeNotifier &) = delete;

    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        const std::uint64_t id = m_nextId++;
        (*m_observers)[id] = std::make_shared<std::function<void()>>(std::move(observer));
        std::weak_ptr<Map> weak = m_observers;
        return Subscription([weak, id] {
            if (auto map = weak.lock()) {
                map->erase(id);
            }
        });
    }

    void notify() const {
        // A snapshot, so that observers added or removed meanwhile do not disturb the walk; one
        // removed before its turn is skipped.
        const Map snapshot = *m_observers;
        for (const auto &[id, observer] : snapshot) {
            if (m_observers->count(id) != 0) {
                (*observer)();
            }
        }
    }

    // Runs `step` as one change: nested batches notify once, when the outermost ends. A step that
    // throws notifies nobody; its caller reports the failure, and the next change tells the rest.
    template <class Step> void batch(Step &&step) {
        struct Depth {
            int &depth;
            explicit Depth(int &d) : depth(d) { ++depth; }
            ~Depth() { --depth; }
        };
        {
            Depth inside(m_batchDepth);
            step();
        }
        if (m_batchDepth == 0) {
            notify();
        }
    }
    // How many batches are running now (0 outside any).
    int batchDepth() const { return m_batchDepth; }

    std::size_t observerCount() const { return m_observers->size(); }

private:
    using Map = std::map<std::uint64_t, std::shared_ptr<std::function<void()>>>;
    std::shared_ptr<Map> m_observers;
    std::uint64_t m_nextId = 1;
    int m_batchDepth = 0;
};

} // namespace aql
