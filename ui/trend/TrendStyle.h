#pragma once

#include "trend/Series.h"

#include <QColor>
#include <QPen>

namespace aql::ui {

// The colour of a quantity: pH in the console's blue, reagent in a deeper shade of its green so
// that dashed limits stay visible on white, the others distinct from both.
QColor quantityColour(trend::Quantity q);

// How a series is drawn: measured values solid, setpoints dotted, alarm limits dashed, the flow
// stop alarm dash-dotted, all in their quantity's colour.
QPen seriesPen(trend::Series s);

// The translucent fill behind the stretches outside an alarm limit, in the alarm lamp's red.
QColor outsideLimitsColour();

} // namespace aql::ui
