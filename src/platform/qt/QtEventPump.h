#pragma once

#include "platform/EventPump.h"

namespace aql::platform::qt {

class QtEventPump final : public platform::EventPump {
public:
    void processEvents() override;
    // Blocks until at least one event has been handled, so the connect and close waits sleep
    // instead of spinning a core.
    void waitForEvents() override;
    void sleep(int milliseconds) override;
};

} // namespace aql::platform::qt
