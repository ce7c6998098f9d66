#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <thread>

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
    // Each case: how many signals come, after which one the work is done.
    struct Case {
        const char* name;
        int signals;
        int doneAfter;
    };
    const Case cases[] = {
        {"done with the first signal", 1, 1},
        {"a signal before the end does not end the wait", 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Worker worker;
        int seen = 0;
        for (int i = 1; i <= c.signals; ++i)
            QTimer::singleShot(0, &worker, [&worker, &c, i] {
                worker.finished = i >= c.doneAfter;
                Q_EMIT worker.ended();
            });
        ui::WaitLimits limits;
        limits.timeoutMs = kNever;
        limits.cancelled = [] { return false; };
        limits.checkMs = kNever;  // the timer never gets a say
        const ui::WaitEnd end = ui::waitForSignal(
            &worker, &Worker::ended,
            [&] {
                ++seen;
                return worker.finished;
            },
            limits);
        EXPECT_EQ(end, ui::WaitEnd::Done);
        // Asked once before the loop, then once per signal.
        EXPECT_EQ(seen, 1 + c.doneAfter);
    }
}

TEST(Waiting, DoneAlreadyNeedsNoSignal) {
    Worker worker;
    worker.finished = true;
    EXPECT_EQ(
        ui::waitForSignal(&worker, &Worker::ended, [&] { return worker.finished; }, {kNever, {}, kNever}),
        ui::WaitEnd::Done);
}

TEST(Waiting, ASignalFromAnotherThreadEndsTheWait) {
    Worker worker;
    std::atomic<bool> finished{false};
    std::thread thread;
    QTimer::singleShot(0, &worker, [&] {
        thread = std::thread([&] {
            finished = true;
            Q_EMIT worker.ended();
        });
    });
    EXPECT_EQ(
        ui::waitForSignal(&worker, &Worker::ended, [&] { return finished.load(); }, {kNever, {}, kNever}),
        ui::WaitEnd::Done);
    thread.join();
}

TEST(Waiting, SeveralSendersMayEndOneWait) {
    Worker first;
    Worker second;
    QTimer::singleShot(0, &second, [&] {
        second.finished = true;
        Q_EMIT second.ended();
    });
    ui::Wait wait([&] { return first.finished || second.finished; });
    wait.on(&first, &Worker::ended).on(&second, &Worker::ended);
    EXPECT_EQ(wait.run({kNever, {}, kNever}), ui::WaitEnd::Done);
}

TEST(Waiting, TimeOutEndsAWaitWithoutItsSignal) {
    Worker worker;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ui::waitForSignal(&worker, &Worker::ended, [] { return false; }, {20, {}, kNever}),
              ui::WaitEnd::TimedOut);
    EXPECT_GE(clock.elapsed(), 19);
    // A time-out of 0 only takes what is done already.
    EXPECT_EQ(ui::waitForSignal(&worker, &Worker::ended, [] { return false; }, {0, {}, kNever}),
              ui::WaitEnd::TimedOut);
}

TEST(Waiting, CancelEndsTheWait) {
    struct Case {
        const char* name;
        bool signalled;  // the cancel comes with a signal, else only the timer sees it
        int checkMs;
    };
    const Case cases[] = {
        {"seen by the timer", false, 1},
        {"seen on a signal", true, kNever},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Worker worker;
        QTimer::singleShot(0, &worker, [&worker, &c] {
            worker.cancelled = true;
            if (c.signalled) Q_EMIT worker.ended();
        });
        ui::WaitLimits limits;
        limits.timeoutMs = kNever;
        limits.cancelled = [&] { return worker.cancelled; };
        limits.checkMs = c.checkMs;
        EXPECT_EQ(ui::waitForSignal(
                      &worker, &Worker::ended, [&] { return worker.finished; }, limits),
                  ui::WaitEnd::Cancelled);
    }
    // Done wins over a cancel that comes with it.
    Worker worker;
    QTimer::singleShot(0, &worker, [&] {
        worker.finished = worker.cancelled = true;
        Q_EMIT worker.ended();
    });
    EXPECT_EQ(ui::waitForSignal(&worker, &Worker::ended, [&] { return worker.finished; },
                                {kNever, [&] { return worker.cancelled; }, kNever}),
              ui::WaitEnd::Done);
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
