#pragma once
// Tells the host whether the tool was busy within the last minute, so a long
// job keeps the host's session from locking. Every 10 seconds it samples the
// process's own CPU time; any CPU use counts as activity.

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>

class QWidget;

namespace app {

class AppContext;

// The process's kernel and user CPU time so far.
struct CpuTimes {
    std::chrono::microseconds kernel{0};
    std::chrono::microseconds user{0};
};

// Read from the operating system (getrusage on Unix, GetProcessTimes on Windows).
CpuTimes processCpuTimes();

class ActivityMonitor : public QObject {
    Q_OBJECT

public:
    using WallClock = std::function<QDateTime()>;
    using CpuClock = std::function<CpuTimes()>;

    static constexpr int kIntervalMs = 10000;
    static constexpr double kActiveSeconds = 60.0;
    static constexpr char kMinimumDatabaseVersion[] = "3.28.0.0";

    // Created stopped: the main window starts it when it is first shown.
    explicit ActivityMonitor(AppContext& context, QObject* parent = nullptr);
    // With other clocks and processor count (tests).
    ActivityMonitor(AppContext& context, WallClock wallClock, CpuClock cpuClock, int processors,
                    QObject* parent = nullptr);

    // No samples are taken while this window is visible.
    void setSessionLockedWindow(QWidget* window) { lockedWindow_ = window; }

    // Starts sampling every 10 seconds and counts now as activity.
    void StartMonitor();
    void StopMonitor();
    bool isRunning() const { return timer_.isActive(); }

    // True when at most 60 seconds have passed since the last activity.
    bool WasActiveRecently() const;
    // Counts now as activity and writes `text` to the trace log (level 1).
    void RecordActivity(const QString& text);
    QDateTime lastActivity() const { return lastActivity_; }

    // The 10-second tick: one CPU sample (not re-entrant).
    void TimerActivityTimer();

private:
    void checkActivity();
    // CPU use since the last sample in percent of all processors; negative
    // when no time has passed.
    double sampleCpuUse();

    AppContext& context_;
    WallClock wallClock_;
    CpuClock cpuClock_;
    int processors_ = 1;
    QPointer<QWidget> lockedWindow_;
    QTimer timer_;
    QDateTime lastActivity_;
    bool inTick_ = false;
    QDateTime lastSampleTime_;
    CpuTimes lastCpu_;
};

}  // namespace app
