#include "ui/trend/TrendStyle.h"

#include "ui/widgets/Colours.h"

namespace aql::ui {

QColor quantityColour(trend::Quantity q) {
    switch (q) {
    case trend::Quantity::Ph: return QColor(colours::kBlue);
    case trend::Quantity::Reagent: return QColor(QColor(colours::kGreen).darker(150));
    case trend::Quantity::Flow: return QColor(0, 131, 143);
    case trend::Quantity::Redox: return QColor(142, 68, 173);
    case trend::Quantity::WaterTemperature: return QColor(214, 110, 30);
    }
    return QColor(Qt::black);
}

QPen seriesPen(trend::Series s) {
    const trend::SeriesInfo &info = trend::seriesInfo(s);
    QPen pen(quantityColour(info.quantity));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::BevelJoin);
    switch (info.role) {
    case trend::Role::Measured: pen.setWidthF(1.0); break;
    case trend::Role::Setpoint:
        pen.setWidthF(1.0);
        pen.setStyle(Qt::DotLine);
        break;
    case trend::Role::HighAlarm:
    case trend::Role::LowAlarm:
        pen.setWidthF(1.0);
        pen.setStyle(Qt::DashLine);
        break;
    case trend::Role::StopAlarm:
        pen.setWidthF(1.0);
        pen.setStyle(Qt::DashDotLine);
        break;
    }
    return pen;
}

QColor outsideLimitsColour() {
    QColor c(colours::kAlarmLamp);
    c.setAlpha(40);
    return c;
}

} // namespace aql::ui
