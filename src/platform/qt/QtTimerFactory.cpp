#include "platform/qt/QtTimerFactory.h"

#include "platform/qt/QtTimer.h"

namespace aql::platform::qt {

std::unique_ptr<Timer> QtTimerFactory::createTimer(int milliseconds) {
    return std::make_unique<QtTimer>(milliseconds);
}

} // namespace aql::platform::qt
