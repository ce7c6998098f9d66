#include "ui/Waiting.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace ui {

Wait::Wait(std::function<bool()> done) : done_(std::move(done)) {}

void Wait::end(WaitEnd how) {
    running_ = false;
    end_ = how;
    loop_.quit();
}

void Wait::check() {
    // A signal after the end (or before the start) changes nothing.
    if (!running_) return;
    if (done_()) {
        end(WaitEnd::Done);
    } else if (cancelled_ && cancelled_()) {
        end(WaitEnd::Cancelled);
    }
}

WaitEnd Wait::run(const WaitLimits& limits) {
    if (done_()) return WaitEnd::Done;
    if (limits.cancelled && limits.cancelled()) return WaitEnd::Cancelled;
    if (limits.timeoutMs == 0) return WaitEnd::TimedOut;

    cancelled_ = limits.cancelled;
    // The timers never ask done(): completion comes with the signals.
    QTimer deadline;
    if (limits.timeoutMs > 0) {
        deadline.setSingleShot(true);
        deadline.setTimerType(Qt::PreciseTimer);
        QObject::connect(&deadline, &QTimer::timeout, &loop_, [this] {
            if (running_) end(WaitEnd::TimedOut);
        });
        deadline.start(limits.timeoutMs);
    }
    QTimer cancelCheck;
    if (cancelled_) {
        QObject::connect(&cancelCheck, &QTimer::timeout, &loop_, [this] {
            if (running_ && cancelled_()) end(WaitEnd::Cancelled);
        });
        cancelCheck.start(std::max(limits.checkMs, 1));
    }

    running_ = true;
    end_ = WaitEnd::Cancelled;
    loop_.exec();
    running_ = false;
    deadline.stop();
    cancelCheck.stop();
    cancelled_ = nullptr;
    return end_;
}

bool waitUntil(const std::function<bool()>& done, int stepMs, int timeoutMs) {
    if (done()) return true;
    if (timeoutMs == 0) return false;

    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    bool finished = false;
    const auto check = [&] {
        if (finished) return;
        if (done()) {
            finished = true;
            loop.quit();
        } else if (timeoutMs > 0 && clock.elapsed() >= timeoutMs) {
            loop.quit();
        }
    };
    // Whatever makes done() true arrives as an event (a signal from a worker
    // is queued): asked each time the loop has handled its events, done() is
    // seen right after the one that made it true. The step only catches what
    // changes without an event.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                     check);
    QTimer step;
    step.setInterval(stepMs > 0 ? stepMs : 1);
    QObject::connect(&step, &QTimer::timeout, &loop, check);
    step.start();
    loop.exec();
    step.stop();
    return finished;
}

void pause(int ms) {
    QEventLoop loop;
    if (ms <= 0) {
        loop.processEvents(QEventLoop::AllEvents);
        return;
    }
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace ui
