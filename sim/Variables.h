#pragma once

#include "sim/Encode.h"

#include <array>
#include <cstdint>

namespace aql::sim {

constexpr int kBlockCount = 9; // blocks 0-8

// A variable's place: block 0-8, variable 1-26.
struct VarRef {
    int block;
    int index;
};

// Where the simulated controller keeps what the console can see in its variables window. Block 1
// holds everything the front-panel menu edits, so an operator who changes a setpoint at the
// panel finds it on the first tab.
namespace var {
constexpr VarRef kPhSetpoint{1, 1};     // hundredths of pH
constexpr VarRef kPhHighAlarm{1, 2};    // hundredths of pH
constexpr VarRef kPhLowAlarm{1, 3};     // hundredths of pH
constexpr VarRef kClSetpoint{1, 4};     // hundredths of mg/l
constexpr VarRef kClHighAlarm{1, 5};    // hundredths of mg/l
constexpr VarRef kClLowAlarm{1, 6};     // hundredths of mg/l
constexpr VarRef kRedoxHighAlarm{1, 7}; // mV
constexpr VarRef kRedoxLowAlarm{1, 8};  // mV
constexpr VarRef kFlowLowAlarm{1, 9};   // m3/h
constexpr VarRef kFlowStopAlarm{1, 10}; // m3/h
constexpr VarRef kManualMode{1, 11};    // 0 automatic dosing, anything else manual
constexpr VarRef kChangeFlag{2, 12};    // 1 after a change at the panel; the console clears it
// Block 0: identification and live readings, refreshed by the plant every step (a write there
// sticks only until the next refresh).
constexpr VarRef kAddress{0, 1};
constexpr VarRef kModel{0, 2};      // 170
constexpr VarRef kFirmware{0, 3};   // 241 = 2.41
constexpr VarRef kLogRecords{0, 4}; // records held, capped at 32767
constexpr VarRef kLivePh{0, 5};
constexpr VarRef kLiveChlorine{0, 6};
constexpr VarRef kLiveRedox{0, 7};
constexpr VarRef kLiveFlow{0, 8};
constexpr VarRef kLiveTemperature{0, 9}; // tenths of a degree
} // namespace var

// The controller's 9 x 26 variables as raw 16-bit words.
class Variables {
public:
    Variables();

    static bool valid(int block, int index);

    // Raw word; 0 for a place that does not exist.
    std::uint16_t raw(int block, int index) const;
    std::int16_t value(VarRef ref) const;

    // False (nothing stored) for a place that does not exist.
    bool set(int block, int index, std::uint16_t raw);
    void set(VarRef ref, int value);

    VariableBlock block(int block) const;

private:
    std::array<VariableBlock, kBlockCount> m_blocks{};
};

} // namespace aql::sim
