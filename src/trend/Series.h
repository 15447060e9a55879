#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace aql::trend {

// The series a trend chart can draw: the measured values and, for each, the setpoint and alarm
// limits the controller held at the time. Limits and setpoints are drawn as step lines.
enum class Series : std::uint8_t {
    Ph,
    PhSetpoint,
    PhHighAlarm,
    PhLowAlarm,
    Reagent,
    ReagentSetpoint,
    ReagentHighAlarm,
    ReagentLowAlarm,
    Flow,
    FlowLowAlarm,
    FlowStopAlarm,
    Redox,
    RedoxHighAlarm,
    RedoxLowAlarm,
    WaterTemperature,
};
constexpr std::size_t kSeriesCount = 15;

constexpr std::size_t indexOf(Series s) {
    return static_cast<std::size_t>(s);
}

// Series of one quantity share a value axis.
enum class Quantity : std::uint8_t { Ph, Reagent, Flow, Redox, WaterTemperature };

enum class Role : std::uint8_t { Measured, Setpoint, HighAlarm, LowAlarm, StopAlarm };

struct SeriesInfo {
    Series series;
    // A stable identifier, never shown: the window looks its visible name up in the language
    // texts by it, and the settings store the chosen series by it.
    std::string_view key;
    Quantity quantity;
    Role role;
    // Digits after the point in a readout.
    int decimals;
    // "" where the controller's raw unit has no name (reagent, water temperature) or none exists.
    std::string_view unit;
};

const SeriesInfo &seriesInfo(Series s);
std::optional<Series> seriesFromKey(std::string_view key);

inline bool isStepSeries(Series s) {
    return seriesInfo(s).role != Role::Measured;
}

// The value as a readout shows it: a point as decimal separator whatever the locale, the series'
// number of decimals (pH 7.25, flow 12).
std::string formatValue(Series s, double value);

// A choice of series, e.g. the ones shown; bits() is the form the settings keep.
class SeriesSet {
public:
    constexpr SeriesSet() = default;
    constexpr SeriesSet(std::initializer_list<Series> members) {
        for (Series s : members) {
            m_bits |= bit(s);
        }
    }
    static constexpr SeriesSet all() { return fromBits((std::uint32_t{1} << kSeriesCount) - 1); }
    static constexpr SeriesSet fromBits(std::uint32_t bits) {
        SeriesSet set;
        set.m_bits = bits & ((std::uint32_t{1} << kSeriesCount) - 1);
        return set;
    }

    constexpr std::uint32_t bits() const { return m_bits; }
    constexpr bool contains(Series s) const { return (m_bits & bit(s)) != 0; }
    constexpr bool empty() const { return m_bits == 0; }
    constexpr void insert(Series s) { m_bits |= bit(s); }
    constexpr void erase(Series s) { m_bits &= ~bit(s); }
    constexpr SeriesSet operator&(SeriesSet other) const { return fromBits(m_bits & other.m_bits); }
    constexpr SeriesSet operator|(SeriesSet other) const { return fromBits(m_bits | other.m_bits); }
    constexpr bool operator==(SeriesSet other) const { return m_bits == other.m_bits; }
    constexpr bool operator!=(SeriesSet other) const { return m_bits != other.m_bits; }

private:
    static constexpr std::uint32_t bit(Series s) { return std::uint32_t{1} << indexOf(s); }
    std::uint32_t m_bits = 0;
};

} // namespace aql::trend
