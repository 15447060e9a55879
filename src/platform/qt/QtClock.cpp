#include "platform/qt/QtClock.h"

#include <QDateTime>

namespace aql::platform::qt {

LocalTime QtClock::now() const {
    // One reading for all six fields, so a second boundary cannot tear the result.
    const QDateTime current = QDateTime::currentDateTime();
    const QDate date = current.date();
    const QTime time = current.time();
    LocalTime result;
    result.year = date.year();
    result.month = date.month();
    result.day = date.day();
    result.hour = time.hour();
    result.minute = time.minute();
    result.second = time.second();
    return result;
}

} // namespace aql::platform::qt
