#include "trend/RecordReading.h"

#include "records/LogRecord.h"

namespace aql::trend {

std::optional<RecordReading> readRecord(const records::LogRecord &record) {
    const records::LogValues *v = record.values();
    const records::Timestamp *t = record.timestamp();
    if (v == nullptr || t == nullptr) {
        return std::nullopt;
    }
    RecordReading r;
    r.recordNumber = record.recordNumber;
    r.moment = CalendarMoment{t->year, t->month, t->day, t->hour, t->minute, t->second};

    auto set = [&r](Series s, double value) { r.values[indexOf(s)] = value; };
    set(Series::Ph, v->pH);
    set(Series::PhSetpoint, v->pHSetpoint);
    set(Series::PhHighAlarm, v->pHHighAlarm);
    set(Series::PhLowAlarm, v->pHLowAlarm);
    set(Series::Reagent, v->reagent);
    set(Series::ReagentSetpoint, v->reagentSetpoint);
    set(Series::ReagentHighAlarm, v->reagentHighAlarm);
    set(Series::ReagentLowAlarm, v->reagentLowAlarm);
    set(Series::Flow, v->flow);
    set(Series::FlowLowAlarm, v->flowLowAlarm);
    set(Series::FlowStopAlarm, v->flowStopAlarm);
    set(Series::Redox, v->redox);
    set(Series::RedoxHighAlarm, v->redoxHighAlarm);
    set(Series::RedoxLowAlarm, v->redoxLowAlarm);
    set(Series::WaterTemperature, v->waterTemperature);
    return r;
}

} // namespace aql::trend
