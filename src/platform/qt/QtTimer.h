#pragma once

#include "platform/Timer.h"

#include <memory>

class QTimer;

namespace aql::platform::qt {

// platform::Timer over QTimer. The timer runs while it is enabled with an interval above zero;
// an interval of zero keeps an enabled timer silent instead of firing on every idle pass.
class QtTimer final : public platform::Timer {
public:
    explicit QtTimer(int milliseconds = 0);
    ~QtTimer() override;
    QtTimer(const QtTimer &) = delete;
    QtTimer &operator=(const QtTimer &) = delete;

    void setInterval(int milliseconds) override;
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override;
    bool enabled() const override { return m_enabled; }

private:
    std::unique_ptr<QTimer> m_timer;
    int m_interval = 0;
    bool m_enabled = false;
};

} // namespace aql::platform::qt
