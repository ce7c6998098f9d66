#pragma once
// A statement that runs until the test lets it end: the body of a test
// procedure holds its call until release(), or until the connection is
// interrupted (cancel, time-out), so a test can act while a statement is
// running instead of waiting for time to pass.

#include "reportdb/ProcedureRegistry.h"

#include <QTimer>
#include <atomic>
#include <functional>

namespace testing_support {

class Hold {
public:
    // Called by the procedure on the worker: notes that the call is running
    // and spins on short queries, which an interrupt ends with an error.
    void run(const reportdb::ProcedureContext& context) {
        ++entered_;
        while (!released_)
            context.query(
                QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                               "WHERE x < 5000) SELECT max(x) FROM c"));
    }
    // How many calls have reached the procedure so far.
    int entered() const { return entered_; }
    void release() { released_ = true; }
    // Holds the next calls again.
    void rearm() { released_ = false; }

private:
    std::atomic<int> entered_{0};
    std::atomic<bool> released_{false};
};

// Runs an action on this thread's event loop (a modal or waiting loop
// included) once `calls` calls have reached the hold.
class WhenHeld {
public:
    WhenHeld(const Hold& hold, std::function<void()> action, int calls = 1) {
        QObject::connect(&timer_, &QTimer::timeout, [this, &hold, action, calls] {
            if (hold.entered() < calls) return;
            timer_.stop();
            action();
        });
        timer_.start(1);
    }

private:
    QTimer timer_;
};

}  // namespace testing_support
