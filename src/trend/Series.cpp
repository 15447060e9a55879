#include "trend/Series.h"

#include <array>
#include <charconv>
#include <cmath>

namespace aql::trend {
namespace {

// In the order of the enumeration, which the look-up relies on.
constexpr std::array<SeriesInfo, kSeriesCount> kInfo{{
    {Series::Ph, "pH", Quantity::Ph, Role::Measured, 2, ""},
    {Series::PhSetpoint, "pHSetpoint", Quantity::Ph, Role::Setpoint, 2, ""},
    {Series::PhHighAlarm, "pHHighAlarm", Quantity::Ph, Role::HighAlarm, 2, ""},
    {Series::PhLowAlarm, "pHLowAlarm", Quantity::Ph, Role::LowAlarm, 2, ""},
    {Series::Reagent, "reagent", Quantity::Reagent, Role::Measured, 0, ""},
    {Series::ReagentSetpoint, "reagentSetpoint", Quantity::Reagent, Role::Setpoint, 0, ""},
    {Series::ReagentHighAlarm, "reagentHighAlarm", Quantity::Reagent, Role::HighAlarm, 0, ""},
    {Series::ReagentLowAlarm, "reagentLowAlarm", Quantity::Reagent, Role::LowAlarm, 0, ""},
    {Series::Flow, "flow", Quantity::Flow, Role::Measured, 0, "m3/h"},
    {Series::FlowLowAlarm, "flowLowAlarm", Quantity::Flow, Role::LowAlarm, 0, "m3/h"},
    {Series::FlowStopAlarm, "flowStopAlarm", Quantity::Flow, Role::StopAlarm, 0, "m3/h"},
    {Series::Redox, "redox", Quantity::Redox, Role::Measured, 0, "mV"},
    {Series::RedoxHighAlarm, "redoxHighAlarm", Quantity::Redox, Role::HighAlarm, 0, "mV"},
    {Series::RedoxLowAlarm, "redoxLowAlarm", Quantity::Redox, Role::LowAlarm, 0, "mV"},
    {Series::WaterTemperature, "waterTemperature", Quantity::WaterTemperature, Role::Measured, 0,
     ""},
}};

constexpr bool inEnumerationOrder() {
    for (std::size_t i = 0; i < kInfo.size(); ++i) {
        if (indexOf(kInfo[i].series) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inEnumerationOrder(), "the series table must follow the enumeration");

} // namespace

const SeriesInfo &seriesInfo(Series s) {
    return kInfo[indexOf(s)];
}

std::optional<Series> seriesFromKey(std::string_view key) {
    for (const SeriesInfo &info : kInfo) {
        if (info.key == key) {
            return info.series;
        }
    }
    return std::nullopt;
}

std::string formatValue(Series s, double value) {
    if (!std::isfinite(value)) {
        return {};
    }
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                 seriesInfo(s).decimals);
    if (r.ec != std::errc()) {
        return {};
    }
    std::string out(text, r.ptr);
    // A value that rounds to zero from below would read "-0.00".
    if (out.find_first_not_of("-0.") == std::string::npos && out.front() == '-') {
        out.erase(0, 1);
    }
    return out;
}

} // namespace aql::trend
