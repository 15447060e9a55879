#pragma once

#include "sim/Random.h"
#include "sim/Variables.h"

namespace aql::sim {

// The pool water as the controller measures it.
struct PlantValues {
    int pH = 720;          // hundredths
    int chlorine = 80;     // hundredths of mg/l
    int redox = 740;       // mV
    int flow = 42;         // m3/h
    int temperature = 275; // tenths of a degree

    bool operator==(const PlantValues &other) const;
};

// One step of the water's slow drift (the live plant steps every 10 s, the log every 15 minutes):
// each value moves a quarter of the way to where dosing pulls it, plus a small bounded jitter, so
// in automatic mode it stays within a few hundredths of its setpoint and inside the default alarm
// limits. Chlorine demand rises while the pool is open (10:00-20:00). In manual mode nothing is
// dosed: chlorine decays and pH creeps up until the alarms trip.
PlantValues stepPlant(const PlantValues &now, const Variables &vars, int hourOfDay, Random &rng);

// True when any value is outside its alarm limits (flow: below its low limit).
bool outsideLimits(const PlantValues &values, const Variables &vars);

bool manualMode(const Variables &vars);

} // namespace aql::sim
