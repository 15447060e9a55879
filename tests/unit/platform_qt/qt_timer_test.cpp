#include "platform/qt/QtTimerFactory.h"

#include "EventWait.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using aql::test::runEventsFor;
using aql::test::waitUntil;

namespace {

struct CountedTimer {
    explicit CountedTimer(int ms) : timer(aql::platform::qt::QtTimerFactory().createTimer(ms)) {
        timer->setOnTick([this] { ++ticks; });
    }
    std::unique_ptr<aql::platform::Timer> timer;
    int ticks = 0;
};

TEST(QtTimer, ticksRepeatedlyOnlyWhileEnabled) {
    CountedTimer t(15);
    EXPECT_EQ(t.timer->interval(), 15);
    EXPECT_FALSE(t.timer->enabled());
    runEventsFor(80);
    EXPECT_EQ(t.ticks, 0) << "a new timer is stopped";
    t.timer->setEnabled(true);
    ASSERT_TRUE(waitUntil([&] { return t.ticks >= 3; }, 3000));
    t.timer->setEnabled(false);
    const int ticksAtStop = t.ticks;
    runEventsFor(80);
    EXPECT_EQ(t.ticks, ticksAtStop);
}

TEST(QtTimer, zeroIntervalKeepsAnEnabledTimerSilent) {
    CountedTimer t(0);
    t.timer->setEnabled(true);
    runEventsFor(60);
    EXPECT_EQ(t.ticks, 0);
    t.timer->setInterval(10);
    EXPECT_TRUE(waitUntil([&] { return t.ticks >= 1; }, 3000));
    t.timer->setInterval(0);
    const int ticksAtZero = t.ticks;
    runEventsFor(60);
    EXPECT_EQ(t.ticks, ticksAtZero);
    EXPECT_TRUE(t.timer->enabled());
}

TEST(QtTimer, changingTheIntervalOfARunningTimerStartsAFreshPeriod) {
    CountedTimer t(300);
    t.timer->setEnabled(true);
    runEventsFor(200);
    ASSERT_EQ(t.ticks, 0);
    QElapsedTimer sinceChange;
    sinceChange.start();
    t.timer->setInterval(300);
    ASSERT_TRUE(waitUntil([&] { return t.ticks >= 1; }, 3000));
    EXPECT_GE(sinceChange.elapsed(), 250) << "the old period went on";

    t.timer->setInterval(5000);
    t.timer->setInterval(20);
    EXPECT_TRUE(waitUntil([&] { return t.ticks >= 2; }, 1000)) << "a shorter interval waited";
}

} // namespace
