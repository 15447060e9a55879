#include "platform/qt/QtBeep.h"

#include <QApplication>

namespace aql::platform::qt {

void QtBeep::beep() {
    QApplication::beep();
}

} // namespace aql::platform::qt
