#pragma once

#include <chrono>
#include <cstdint>

namespace aql::platform {

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
    // Milliseconds from an arbitrary start that never go backwards, for measuring how long ago
    // something happened: the wall clock may jump (daylight saving, a time server).
    virtual std::int64_t steadyMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace aql::platform
