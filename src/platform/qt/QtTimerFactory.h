#pragma once

#include "platform/Timer.h"

namespace aql::platform::qt {

class QtTimerFactory final : public platform::TimerFactory {
public:
    std::unique_ptr<Timer> createTimer(int milliseconds) override;
};

} // namespace aql::platform::qt
