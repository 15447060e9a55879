#pragma once

#include <functional>

namespace aql::test {

// Runs the event loop until `done` holds or `timeoutMs` passes; returns `done()`.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000);
// Runs the event loop for this long, for checks that nothing more happens.
void runEventsFor(int milliseconds);

} // namespace aql::test
