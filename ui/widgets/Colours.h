#pragma once

#include <QRgb>

// The controller's colours, shared by the drawn widgets and the windows around them.
namespace aql::ui::colours {

constexpr QRgb kBlue = qRgb(40, 56, 144);   // lettering, display border, slide button
constexpr QRgb kGreen = qRgb(140, 198, 62); // mode buttons, separator line
constexpr QRgb kRunLamp = qRgb(80, 158, 254);
constexpr QRgb kAlarmLamp = qRgb(255, 0, 0);
constexpr QRgb kManualLamp = qRgb(255, 255, 0);
constexpr QRgb kLampOff = qRgb(0, 0, 0);
constexpr QRgb kBacklightOn = qRgb(128, 255, 255);
constexpr QRgb kBacklightOff = qRgb(213, 255, 255);

} // namespace aql::ui::colours
