#include "platform/qt/QtTimer.h"

#include <QTimer>

namespace aql::platform::qt {

QtTimer::QtTimer(int milliseconds) : m_timer(std::make_unique<QTimer>()) {
    m_interval = milliseconds > 0 ? milliseconds : 0;
    // The logic counts ticks to measure time (10 ms ticks make the answer time-out), so the
    // period must not be stretched to save wake-ups.
    m_timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { tick(); });
}

QtTimer::~QtTimer() = default;

void QtTimer::setInterval(int milliseconds) {
    m_interval = milliseconds > 0 ? milliseconds : 0;
    if (!m_enabled) {
        return;
    }
    if (m_interval > 0) {
        m_timer->start(m_interval); // a new interval starts a new period
    } else {
        m_timer->stop();
    }
}

void QtTimer::setEnabled(bool enabled) {
    if (enabled == m_enabled) {
        return; // enabling a running timer does not restart its period
    }
    m_enabled = enabled;
    if (m_enabled && m_interval > 0) {
        m_timer->start(m_interval);
    } else {
        m_timer->stop();
    }
}

} // namespace aql::platform::qt
