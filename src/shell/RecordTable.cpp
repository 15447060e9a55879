#include "shell/RecordTable.h"

namespace aql::shell {

const std::array<const char *, RecordTable::kColumns> &RecordTable::columnTitles() {
    static const std::array<const char *, kColumns> kTitles = {
        "",        "H2O2",    "H2O2 SP",  "H2O2 PMP", "H2O2 HA",  "H2O2 LA",
        "pH",      "pH SP",   "ACID PMP", "pH HA",    "pH LA",    "Flow",
        "Flow LA", "Flow DS", "cl val",   "nul val",  "Rea valve"};
    return kTitles;
}

RecordTable::RecordTable(const records::RecordList *records) {
    if (!records) {
        return;
    }
    m_records.reserve(records->count());
    records->forEach([this](const records::LogRecord &r) { m_records.push_back(r); });
}

std::string RecordTable::cell(std::size_t row, int column) const {
    if (row >= m_records.size()) {
        return {};
    }
    return cellText(m_records[row], column);
}

std::string RecordTable::cellText(const records::LogRecord &record, int column) {
    if (column == 0) {
        return record.timestamp() ? record.dateTime() : std::string();
    }
    if (!record.values()) {
        return {};
    }
    switch (column) {
    case 1: return record.reagent();
    case 2: return record.reagentSetpoint();
    case 3: return record.reagentPump();
    case 4: return record.reagentHighAlarm();
    case 5: return record.reagentLowAlarm();
    case 6: return record.pH();
    case 7: return record.pHSetpoint();
    case 8: return record.acidPump();
    case 9: return record.pHHighAlarm();
    case 10: return record.pHLowAlarm();
    case 11: return record.flow();
    case 12: return record.flowLowAlarm();
    case 13: return record.flowStopAlarm();
    case 14: return record.cellActive();
    case 15: return record.cellNull();
    case 16: return record.cellEmpty();
    default: return {};
    }
}

} // namespace aql::shell
