#pragma once
// The database's background worker: runs the jobs queued in TJob, one after
// the other, on a thread with its own connection. A job commits its
// progress step by step, so a job that was stopped (the program ended, or
// the database was closed) resumes where it stopped when a worker finds it
// again.

#include <sqlite3.h>

#include <QDateTime>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace reportdb {

class Server;

// The job type that regenerates a profile's shadow data.
inline constexpr const char* kGenerateShadowDataJob = "GenerateShadowData";

// The time by which a worker writes and judges heartbeats: the system
// clock (UTC), unless a test hands in its own.
using JobClock = std::function<QDateTime()>;

class JobRunner {
public:
    // `server` notes waiting writers; it owns the runner and outlives it.
    JobRunner(QString path, Server& server, JobClock clock = {});
    ~JobRunner();
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    void start();
    void wake();
    // Rolls back the step under way, puts the job back into the queue and
    // ends the thread.
    void stop();

    // A running job whose owner has not sent a heartbeat for this long is
    // taken over (its owner ended without stopping cleanly).
    static constexpr std::chrono::seconds kStaleAfter{30};

private:
    // One reading of the clock as the job table keeps it: the heartbeat in
    // UTC, so that a change of the local clock (daylight saving) does not
    // make a live job look abandoned; the times people read in local time.
    struct Stamp {
        QString heartbeat;
        QString local;
    };
    Stamp stamp() const;

    void run();
    // Claims the next job and runs it; false when there was none to claim.
    bool runNextJob(bool* othersRunning);
    void runJob(long long jobId);
    bool stopping() const;
    static int busyHandler(void* self, int count);

    QString path_;
    Server& server_;
    QString owner_;  // identifies this worker in TJob.Owner
    JobClock clock_;

    mutable std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool stop_ = false;
    bool woken_ = false;
    bool inStep_ = false;  // a job step runs on db_
    sqlite3* db_ = nullptr;
    std::chrono::steady_clock::time_point busySince_;
    std::thread thread_;
};

}  // namespace reportdb
