#include "sim/Variables.h"

namespace aql::sim {

Variables::Variables() {
    // Parameters without a panel entry still get believable, distinct values, so the variables
    // window never looks like an empty controller; they are plain storage the console may write.
    for (int b = 1; b < kBlockCount; ++b) {
        for (int i = 1; i <= static_cast<int>(kVariablesPerBlock); ++i) {
            set(b, i, static_cast<std::uint16_t>((b * 37 + i * 11) % 100));
        }
    }
    set(var::kPhSetpoint, 720);
    set(var::kPhHighAlarm, 760);
    set(var::kPhLowAlarm, 680);
    set(var::kClSetpoint, 80);
    set(var::kClHighAlarm, 150);
    set(var::kClLowAlarm, 40);
    set(var::kRedoxHighAlarm, 850);
    set(var::kRedoxLowAlarm, 650);
    set(var::kFlowLowAlarm, 20);
    set(var::kFlowStopAlarm, 10);
    set(var::kManualMode, 0);
    set(var::kChangeFlag, 0);
    set(var::kModel, 170);
    set(var::kFirmware, 241);
}

bool Variables::valid(int block, int index) {
    return block >= 0 && block < kBlockCount && index >= 1 &&
           index <= static_cast<int>(kVariablesPerBlock);
}

std::uint16_t Variables::raw(int block, int index) const {
    if (!valid(block, index)) {
        return 0;
    }
    return m_blocks[static_cast<std::size_t>(block)][static_cast<std::size_t>(index - 1)];
}

std::int16_t Variables::value(VarRef ref) const {
    return static_cast<std::int16_t>(raw(ref.block, ref.index));
}

bool Variables::set(int block, int index, std::uint16_t rawValue) {
    if (!valid(block, index)) {
        return false;
    }
    m_blocks[static_cast<std::size_t>(block)][static_cast<std::size_t>(index - 1)] = rawValue;
    return true;
}

void Variables::set(VarRef ref, int value) {
    set(ref.block, ref.index, static_cast<std::uint16_t>(value));
}

VariableBlock Variables::block(int block) const {
    if (block < 0 || block >= kBlockCount) {
        return {};
    }
    return m_blocks[static_cast<std::size_t>(block)];
}

} // namespace aql::sim
