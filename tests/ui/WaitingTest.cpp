#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include "ui/Waiting.h"

TEST(Waiting, WaitUntilEndsWhenDoneAndKeepsEventsFlowing) {
    // Already done: no event loop, no delay.
    int calls = 0;
    EXPECT_TRUE(ui::waitUntil([&] { return ++calls > 0; }, 100, 5000));
    EXPECT_EQ(calls, 1);

    // A timer of the caller keeps firing during the wait and ends it.
    int ticks = 0;
    QTimer other;
    other.setInterval(10);
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start();
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(ui::waitUntil([&] { return ticks >= 5; }, 20, 10000));
    EXPECT_GE(ticks, 5);
    EXPECT_LT(clock.elapsed(), 5000);
    other.stop();
}

TEST(Waiting, WaitUntilTimesOutAndPauseProcessesEvents) {
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(ui::waitUntil([] { return false; }, 10, 100));
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_FALSE(ui::waitUntil([] { return false; }, 10, 0));

    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    ui::pause(0);
    EXPECT_TRUE(fired);

    int ticks = 0;
    QTimer t;
    QObject::connect(&t, &QTimer::timeout, [&] { ++ticks; });
    t.start(5);
    clock.restart();
    ui::pause(100);
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_GT(ticks, 3);
}
