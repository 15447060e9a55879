#pragma once

#include "records/RecordList.h"

#include <cstdint>

namespace aql::ui {

// A controller log as the simulated plant writes it, one record every 15 minutes, ending on
// 2009-03-21 and decoded from the controller's own record packets. Every week of it holds what an
// operator looks for in a trend: a shift in manual mode that drives pH and chlorine past their
// alarms, a night with the circulation pump stopped, a raised chlorine setpoint, a morning with
// the pH high alarm switched off, and two records whose clock reads an impossible time.
records::RecordList sampleTrendLog(int records, std::uint32_t seed = 7);

} // namespace aql::ui
