#include "sim/Plant.h"

#include <algorithm>

namespace aql::sim {

namespace {

int approach(int value, int target, int divisor, int jitter, Random &rng) {
    return value + (target - value) / divisor + rng.uniform(-jitter, jitter);
}

constexpr int kFlowNominal = 42;
constexpr int kTemperatureNominal = 275;
constexpr int kManualChlorineFloor = 20;
constexpr int kManualPhDrift = 780;
constexpr int kBatherDemand = 15; // hundredths of mg/l of chlorine lost while the pool is open

} // namespace

bool PlantValues::operator==(const PlantValues &other) const {
    return pH == other.pH && chlorine == other.chlorine && redox == other.redox &&
           flow == other.flow && temperature == other.temperature;
}

bool manualMode(const Variables &vars) {
    return vars.value(var::kManualMode) != 0;
}

PlantValues stepPlant(const PlantValues &now, const Variables &vars, int hourOfDay, Random &rng) {
    const bool manual = manualMode(vars);
    const bool open = hourOfDay >= 10 && hourOfDay < 20;
    int chlorineTarget = manual ? kManualChlorineFloor : vars.value(var::kClSetpoint);
    if (open && !manual) {
        chlorineTarget -= kBatherDemand;
    }
    const int phTarget = manual ? kManualPhDrift : vars.value(var::kPhSetpoint);

    PlantValues next;
    // The draw order is fixed: a seed has to give the same values on every build.
    next.pH = std::clamp(approach(now.pH, phTarget, 4, 2, rng), 600, 850);
    next.chlorine = std::clamp(approach(now.chlorine, chlorineTarget, 4, 3, rng), 0, 500);
    const int redoxTarget = std::clamp(620 + next.chlorine * 3 / 2, 400, 900);
    next.redox = std::clamp(approach(now.redox, redoxTarget, 2, 3, rng), 300, 999);
    next.flow = std::clamp(approach(now.flow, kFlowNominal, 4, 2, rng), 0, 255);
    next.temperature =
        std::clamp(approach(now.temperature, kTemperatureNominal, 8, 1, rng), 50, 400);
    return next;
}

bool outsideLimits(const PlantValues &v, const Variables &vars) {
    return v.pH > vars.value(var::kPhHighAlarm) || v.pH < vars.value(var::kPhLowAlarm) ||
           v.chlorine > vars.value(var::kClHighAlarm) ||
           v.chlorine < vars.value(var::kClLowAlarm) ||
           v.redox > vars.value(var::kRedoxHighAlarm) ||
           v.redox < vars.value(var::kRedoxLowAlarm) || v.flow < vars.value(var::kFlowLowAlarm);
}

} // namespace aql::sim
