#pragma once

#include "trend/TrendModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace aql::trend {

// One labelled mark of the time axis. Steps shorter than a day label the time of day and add the
// date on the first mark and wherever the date changes, so that a zoom never leaves the operator
// guessing which day it is.
struct TimeTick {
    std::int64_t time = 0;
    std::string text;     // "14:30", "2009-03-07", "2009-03" or "2009"
    std::string dateText; // "2009-03-07" under a time of day where the date is new, else ""
};

// At most `maxTicks` marks at round moments of the controller's clock inside `visible`: whole
// minutes, quarter hours, hours, days and weeks (from Monday), months and years, the finest step
// that fits. Empty for from > to or maxTicks < 1.
std::vector<TimeTick> timeTicks(TimeRange visible, int maxTicks);

// A value axis with round numbers: from `min` to `max` in `step`s of 1, 2 or 5 times a power of
// ten, labelled with `decimals` digits after the point.
struct ValueScale {
    double min = 0;
    double max = 1;
    double step = 1;
    int decimals = 0;
    int tickCount() const;
};

// The roundest scale with at most `maxTicks` marks (at least 3) that covers [low, high]. A single
// value gets room around it; non-finite bounds give 0 to 1.
ValueScale valueScale(double low, double high, int maxTicks);

} // namespace aql::trend
