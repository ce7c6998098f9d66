// The activity monitor with a clock and CPU times the test sets: the
// one-minute rule, the version gate, the locked window and the guard.

#include "app/ActivityMonitor.h"
#include "app/AppContext.h"
#include "app/TFormSessionLocked.h"
#include "support/ScriptedPrompts.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <stdexcept>

using app::ActivityMonitor;
using app::CpuTimes;
using std::chrono::milliseconds;

namespace {

class ActivityMonitorTest : public ::testing::Test {
protected:
    ActivityMonitorTest() : context(prompts, trace.log(), {}) {
        context.session().DBVersion = "3.28.0.0";
        monitor.StartMonitor();
    }

    void advance(int seconds, milliseconds cpuUsed = milliseconds(0)) {
        now = now.addSecs(seconds);
        cpu.user += cpuUsed;
    }
    bool active() { return monitor.WasActiveRecently(); }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    app::AppContext context;
    QDateTime now = QDateTime(QDate(2024, 5, 1), QTime(12, 0, 0));
    CpuTimes cpu;
    int cpuReads = 0;
    std::function<void()> onCpuRead;
    ActivityMonitor monitor{context, [this] { return now; },
                            [this] {
                                ++cpuReads;
                                if (onCpuRead) onCpuRead();
                                return cpu;
                            },
                            2};
};

TEST_F(ActivityMonitorTest, ActiveUpToSixtySecondsAfterTheLastActivityOrCpuUse) {
    EXPECT_EQ(monitor.lastActivity(), now);  // the start counts
    advance(60);
    EXPECT_TRUE(active());
    now = now.addMSecs(500);
    EXPECT_FALSE(active());
    monitor.RecordActivity("Profile list loaded");
    EXPECT_TRUE(active());
    EXPECT_TRUE(trace.contains("Profile list loaded"));

    advance(70);
    monitor.TimerActivityTimer();  // idle: the first reading is the baseline
    EXPECT_FALSE(active());
    advance(10, milliseconds(5));
    monitor.TimerActivityTimer();
    EXPECT_EQ(monitor.lastActivity(), now);
    EXPECT_EQ(trace.count("CPU activity"), 1);
    advance(60);
    EXPECT_TRUE(active());
    advance(10);  // idle again: the minute runs out
    monitor.TimerActivityTimer();
    EXPECT_FALSE(active());

    // Kernel time counts as well; a tick in the same instant measures nothing.
    cpu.kernel += milliseconds(1);
    monitor.TimerActivityTimer();
    advance(1);
    monitor.TimerActivityTimer();
    EXPECT_EQ(trace.count("CPU activity"), 1) << "the CPU time was used by the previous sample";
    cpu.kernel += milliseconds(1);
    advance(10);
    monitor.TimerActivityTimer();
    EXPECT_EQ(trace.count("CPU activity"), 2);
    monitor.StopMonitor();
    EXPECT_FALSE(monitor.isRunning());
}

TEST_F(ActivityMonitorTest, OlderDatabasesAndTheLockedWindowTakeNoSamples) {
    context.session().DBVersion = "3.27.0.0";
    const int baseline = cpuReads;
    advance(70, milliseconds(500));
    monitor.TimerActivityTimer();
    EXPECT_EQ(cpuReads, baseline);
    EXPECT_FALSE(active());

    context.session().DBVersion = "3.28.0.0";
    TFormSessionLocked locked(context);
    monitor.setSessionLockedWindow(&locked);
    locked.show();
    advance(10, milliseconds(500));
    monitor.TimerActivityTimer();
    EXPECT_EQ(cpuReads, baseline);
    locked.hide();
    advance(10, milliseconds(500));
    monitor.TimerActivityTimer();
    EXPECT_EQ(cpuReads, baseline + 1);
    EXPECT_TRUE(active());
}

TEST_F(ActivityMonitorTest, TickIsNotReentrantAndReportsErrors) {
    int nested = 0;
    onCpuRead = [&] {
        ++nested;
        monitor.TimerActivityTimer();  // e.g. from an event loop inside the tick
    };
    advance(10, milliseconds(1));
    monitor.TimerActivityTimer();
    EXPECT_EQ(nested, 1);

    onCpuRead = [] { throw std::runtime_error("no process times"); };
    advance(10);
    monitor.TimerActivityTimer();
    EXPECT_TRUE(trace.contains("Check activity - Caught std::exception: no process times"));
    onCpuRead = [] { throw 42; };
    monitor.TimerActivityTimer();
    EXPECT_TRUE(trace.contains("Check activity - No exception message"));
    // The guard was released after the errors.
    onCpuRead = {};
    const int reads = cpuReads;
    advance(10);
    monitor.TimerActivityTimer();
    EXPECT_EQ(cpuReads, reads + 1);
}

TEST(ProcessCpuTimes, GrowWithWorkAndTheRealMonitorSeesIt) {
    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    app::AppContext context(prompts, trace.log(), {});
    context.session().DBVersion = "3.30.0.0";
    ActivityMonitor monitor(context);

    const CpuTimes before = app::processCpuTimes();
    QElapsedTimer clock;
    clock.start();
    volatile double sink = 0;
    while (clock.elapsed() < 30)
        for (int i = 0; i < 10000; ++i) sink = sink + i * 0.5;
    const CpuTimes after = app::processCpuTimes();
    EXPECT_GT((after.user + after.kernel).count(), (before.user + before.kernel).count());
    monitor.TimerActivityTimer();
    EXPECT_TRUE(trace.contains("CPU activity"));
    EXPECT_TRUE(monitor.WasActiveRecently());
}

}  // namespace
