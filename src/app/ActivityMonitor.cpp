#include "app/ActivityMonitor.h"

#include "app/AppContext.h"

#include <QThread>
#include <QWidget>
#include <exception>

#if defined(Q_OS_WIN)
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace app {

namespace {

#if !defined(Q_OS_WIN)
std::chrono::microseconds toMicroseconds(const timeval& t) {
    return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
}
#endif

}  // namespace

CpuTimes processCpuTimes() {
    CpuTimes times;
#if defined(Q_OS_WIN)
    FILETIME creation, exit, kernel, user;
    if (GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) {
        const auto ticks = [](const FILETIME& f) {
            return (quint64(f.dwHighDateTime) << 32) | f.dwLowDateTime;  // 100 ns units
        };
        times.kernel = std::chrono::microseconds(ticks(kernel) / 10);
        times.user = std::chrono::microseconds(ticks(user) / 10);
    }
#else
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0) {
        times.kernel = toMicroseconds(usage.ru_stime);
        times.user = toMicroseconds(usage.ru_utime);
    }
#endif
    return times;
}

ActivityMonitor::ActivityMonitor(AppContext& context, QObject* parent)
    : ActivityMonitor(context, &QDateTime::currentDateTime, &processCpuTimes, QThread::idealThreadCount(),
                      parent) {}

ActivityMonitor::ActivityMonitor(AppContext& context, WallClock wallClock, CpuClock cpuClock, int processors,
                                 QObject* parent)
    : QObject(parent),
      context_(context),
      wallClock_(std::move(wallClock)),
      cpuClock_(std::move(cpuClock)),
      processors_(processors > 0 ? processors : 1) {
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &ActivityMonitor::TimerActivityTimer);
    lastActivity_ = wallClock_();
    lastSampleTime_ = lastActivity_;
    lastCpu_ = cpuClock_();
}

void ActivityMonitor::StartMonitor() {
    timer_.setInterval(kIntervalMs);
    timer_.start();
    lastActivity_ = wallClock_();
}

void ActivityMonitor::StopMonitor() { timer_.stop(); }

bool ActivityMonitor::WasActiveRecently() const {
    const double elapsedSeconds = double(lastActivity_.msecsTo(wallClock_())) / 1000.0;
    return elapsedSeconds <= kActiveSeconds;
}

void ActivityMonitor::RecordActivity(const QString& text) {
    lastActivity_ = wallClock_();
    context_.trace().Trace(TraceLevel::Info, text);
}

void ActivityMonitor::TimerActivityTimer() {
    if (inTick_) return;
    inTick_ = true;
    try {
        checkActivity();
    } catch (const std::exception& e) {
        context_.trace().Trace(TraceLevel::Error, QStringLiteral("Check activity - Caught std::exception: ") +
                                                      QString::fromUtf8(e.what()));
    } catch (...) {
        context_.trace().Trace(TraceLevel::Error, QStringLiteral("Check activity - No exception message"));
    }
    inTick_ = false;
}

void ActivityMonitor::checkActivity() {
    if (!context_.IsDatabaseVersionAtLeast(QString::fromLatin1(kMinimumDatabaseVersion))) return;
    if (lockedWindow_ && lockedWindow_->isVisible()) return;
    if (sampleCpuUse() > 0.0) RecordActivity(QStringLiteral("CPU activity"));
}

double ActivityMonitor::sampleCpuUse() {
    const QDateTime now = wallClock_();
    const CpuTimes cpu = cpuClock_();
    const qint64 wallMs = lastSampleTime_.msecsTo(now);
    const auto used = (cpu.kernel - lastCpu_.kernel) + (cpu.user - lastCpu_.user);
    lastSampleTime_ = now;
    lastCpu_ = cpu;
    // Two samples in the same millisecond (or a clock set back) say nothing.
    if (wallMs <= 0) return -1.0;
    return double(used.count()) / 1000.0 / double(wallMs) / double(processors_) * 100.0;
}

}  // namespace app
