#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include "ui/Waiting.h"

namespace {

// Stands in for a worker that reports its end with a signal.
class Worker : public QObject {
    Q_OBJECT

public:
    bool finished = false;
    bool cancelled = false;

Q_SIGNALS:
    void ended();
};

// Long enough that a wait ending on it means the signal did not end it.
constexpr int kNever = 5000;

}  // namespace

TEST(Waiting, ASignalEndsTheWaitAtOnce) {
    // How many signals come, after which one the work is done (0: before the wait).
    const struct {
        const char* name;
        int signals, doneAfter;
    } cases[] = {{"done already", 0, 0}, {"done with the first signal", 1, 1}, {"done with the third", 3, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Worker worker;
        worker.finished = c.doneAfter == 0;
        int seen = 0;
        for (int i = 1; i <= c.signals; ++i)
            QTimer::singleShot(0, &worker, [&worker, &c, i] {
                worker.finished = i >= c.doneAfter;
                Q_EMIT worker.ended();
            });
        // The timer never gets a say: only the signals can end the wait.
        const auto done = [&] { return ++seen, worker.finished; };
        EXPECT_EQ(ui::waitForSignal(&worker, &Worker::ended, done, {kNever, [] { return false; }, kNever}),
                  ui::WaitEnd::Done);
        EXPECT_EQ(seen, 1 + c.doneAfter);  // once before the loop, then once per signal
    }
}

TEST(Waiting, TimeOutAndCancelEndAWaitWithoutItsSignal) {
    Worker worker;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ui::waitForSignal(&worker, &Worker::ended, [] { return false; }, {20, {}, kNever}),
              ui::WaitEnd::TimedOut);
    EXPECT_GE(clock.elapsed(), 19);
    // A time-out of 0 only takes what is done already.
    EXPECT_EQ(ui::waitForSignal(&worker, &Worker::ended, [] { return false; }, {0, {}, kNever}),
              ui::WaitEnd::TimedOut);

    // A cancel is seen by the timer, or on a signal; done wins over a cancel that comes with it.
    const struct {
        const char* name;
        bool signalled, finished;
        int checkMs;
        ui::WaitEnd end;
    } cases[] = {{"seen by the timer", false, false, 1, ui::WaitEnd::Cancelled},
                 {"seen on a signal", true, false, kNever, ui::WaitEnd::Cancelled},
                 {"done with it", true, true, kNever, ui::WaitEnd::Done}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Worker w;
        QTimer::singleShot(0, &w, [&w, &c] {
            w.cancelled = true;
            w.finished = c.finished;
            if (c.signalled) Q_EMIT w.ended();
        });
        EXPECT_EQ(ui::waitForSignal(&w, &Worker::ended, [&] { return w.finished; },
                                    {kNever, [&] { return w.cancelled; }, c.checkMs}),
                  c.end);
    }
}

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
    EXPECT_TRUE(ui::waitUntil([&] { return ticks >= 5; }, 20, 10000));
    EXPECT_GE(ticks, 5);
    other.stop();

    // Seen right after the event that made it true, long before the step
    // (the guard, before the step, makes a failure show in a second).
    bool done = false;
    bool guardFired = false;
    QTimer event, guard;
    event.setSingleShot(true);
    guard.setSingleShot(true);
    QObject::connect(&event, &QTimer::timeout, [&] { done = true; });
    QObject::connect(&guard, &QTimer::timeout, [&] { done = guardFired = true; });
    event.start(0);
    guard.start(500);
    EXPECT_TRUE(ui::waitUntil([&] { return done; }, 1000, -1));
    EXPECT_FALSE(guardFired);
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

#include "WaitingTest.moc"
