#pragma once
// The one way the program waits while keeping the user interface alive: a
// nested QEventLoop. A wait for something that signals its end (a worker's
// finished(), a dialog's step end) is a Wait: the signal ends it at once, and
// a timer only checks the time-out and the cancel. waitUntil() asks its
// condition whenever the event loop has handled its events, for the few
// things that have no such signal.

#include <QEventLoop>
#include <QObject>
#include <functional>

namespace ui {

// How a wait ended. A wait whose event loop was ended from outside (the
// application leaving its event loops) counts as cancelled.
enum class WaitEnd { Done, TimedOut, Cancelled };

struct WaitLimits {
    // Negative: no limit; 0: only what is done already counts.
    int timeoutMs = -1;
    // Asked on every signal and on every check of the timer.
    std::function<bool()> cancelled;
    // How often the timer checks the time-out and the cancel.
    int checkMs = 100;
};

class Wait {
public:
    // done() runs on the waiting thread; it may have side effects (e.g. note
    // why it ended the wait).
    explicit Wait(std::function<bool()> done);
    Wait(const Wait&) = delete;
    Wait& operator=(const Wait&) = delete;

    // Checks done() (and the cancel) whenever `sender` emits `signal`; a
    // signal emitted on another thread arrives queued. Call before run().
    template <typename Sender, typename Signal>
    Wait& on(const Sender* sender, Signal signal) {
        QObject::connect(sender, signal, &loop_, [this] { check(); });
        return *this;
    }

    // Returns Done at once when done() is already true; otherwise processes
    // events until a signal finds done() true, the cancel is asked for or the
    // time-out has passed.
    WaitEnd run(const WaitLimits& limits = {});

private:
    void check();
    void end(WaitEnd how);

    std::function<bool()> done_;
    std::function<bool()> cancelled_;
    QEventLoop loop_;
    bool running_ = false;
    WaitEnd end_ = WaitEnd::Cancelled;
};

// The common case: one signal that may end the wait.
template <typename Sender, typename Signal>
WaitEnd waitForSignal(const Sender* sender, Signal signal, std::function<bool()> done,
                      const WaitLimits& limits = {}) {
    Wait wait(std::move(done));
    wait.on(sender, signal);
    return wait.run(limits);
}

// Processes events and checks done() once before, whenever the event loop
// has handled the events that were pending, and every stepMs (for what
// changes without an event). Returns true as soon as done() is true, false
// when timeoutMs (negative: no limit) has passed first. done() is asked
// often: keep it cheap, and prefer a Wait where there is a completion signal.
bool waitUntil(const std::function<bool()>& done, int stepMs = 100, int timeoutMs = -1);

// Processes events for ms milliseconds; with ms <= 0 it only handles the events
// already pending.
void pause(int ms);

}  // namespace ui
