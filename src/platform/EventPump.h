#pragma once

namespace aql::platform {

// "Let the user interface process its events": runs pending timer ticks, socket events and user
// input before returning, so handlers can re-enter the logic that called it.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processEvents() = 0;
    // The same inside a wait loop (connecting, closing): an implementation may block until at
    // least one event has arrived, so a wait does not spin the processor.
    virtual void waitForEvents() { processEvents(); }
    // Blocks the user-interface thread for a short pause (the key flash).
    virtual void sleep(int milliseconds) = 0;
};

} // namespace aql::platform
