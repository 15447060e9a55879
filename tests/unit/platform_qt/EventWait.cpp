#include "EventWait.h"

#include <QEventLoop>
#include <QTimer>

namespace aql::test {

bool waitUntil(const std::function<bool()> &done, int timeoutMs) {
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer poll;
    QTimer guard;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.setSingleShot(true);
    poll.start(2);
    guard.start(timeoutMs);
    loop.exec();
    return done();
}

void runEventsFor(int milliseconds) {
    waitUntil([] { return false; }, milliseconds);
}

} // namespace aql::test
