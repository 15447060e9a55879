#pragma once

#include "platform/Clock.h"

namespace aql::platform::qt {

// The local wall-clock time of the machine.
class QtClock final : public platform::Clock {
public:
    LocalTime now() const override;
};

} // namespace aql::platform::qt
