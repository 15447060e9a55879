#include "platform/qt/QtEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace aql::platform::qt {

void QtEventPump::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::sleep(int milliseconds) {
    if (milliseconds > 0) {
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    }
}

void QtEventPump::waitForEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace aql::platform::qt
