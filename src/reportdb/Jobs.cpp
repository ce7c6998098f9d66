#include "reportdb/Jobs.h"

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/Schema.h"
#include "reportdb/Server.h"
#include "reportdb/ShadowData.h"
#include "reportdb/SqliteUtil.h"

#include <QRandomGenerator>

namespace reportdb {

namespace {

constexpr auto kBusyTimeout = std::chrono::seconds(10);
// How often an idle worker looks again when another worker holds a job
// (that worker may end without releasing it).
constexpr auto kRecheckInterval = std::chrono::seconds(5);

enum JobState { Queued = 0, Running = 1, Done = 2, Failed = 3 };

}  // namespace

JobRunner::JobRunner(QString path, Server& server, JobClock clock)
    : path_(std::move(path)),
      server_(server),
      owner_(QString::number(QRandomGenerator::global()->generate64(), 16)),
      clock_(clock ? std::move(clock) : JobClock([] { return QDateTime::currentDateTimeUtc(); })) {}

JobRunner::~JobRunner() { stop(); }

void JobRunner::start() {
    if (thread_.joinable()) return;
    thread_ = std::thread([this] { run(); });
}

void JobRunner::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wakeUp_.notify_all();
}

void JobRunner::stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        if (inStep_ && db_) sqlite3_interrupt(db_);
    }
    wakeUp_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool JobRunner::stopping() const {
    std::lock_guard lock(mutex_);
    return stop_;
}

int JobRunner::busyHandler(void* self, int count) {
    auto* runner = static_cast<JobRunner*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (count == 0) runner->busySince_ = now;
    {
        // A step gives up waiting when the worker is asked to stop; putting
        // the job back into the queue afterwards waits as usual.
        std::lock_guard lock(runner->mutex_);
        if (runner->stop_ && runner->inStep_) return 0;
    }
    if (now - runner->busySince_ > kBusyTimeout) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

void JobRunner::run() {
    QString error;
    sqlite3* db = openDatabaseHandle(path_, OpenMode::Existing, &error);
    if (!db) return;  // the database went away; nothing to run
    sqlite3_busy_handler(db, &JobRunner::busyHandler, this);
    {
        std::lock_guard lock(mutex_);
        db_ = db;
    }
    for (;;) {
        if (stopping()) break;
        bool othersRunning = false;
        bool ran = false;
        try {
            ran = runNextJob(&othersRunning);
        } catch (const SqlError&) {
            // The queue could not be read (locked for too long): look again
            // after a while.
            othersRunning = true;
        }
        if (ran) continue;
        std::unique_lock lock(mutex_);
        const auto ready = [this] { return stop_ || woken_; };
        if (othersRunning)
            wakeUp_.wait_for(lock, kRecheckInterval, ready);
        else
            wakeUp_.wait(lock, ready);
        woken_ = false;
    }
    {
        std::lock_guard lock(mutex_);
        db_ = nullptr;
    }
    sqlite3_close_v2(db);
}

bool JobRunner::runNextJob(bool* othersRunning) {
    ProcedureContext context(db_, QString(), nullptr);
    // The clock is read outside the transaction, here and before each step.
    const QDateTime now = clock_();
    const QDateTime staleBefore = now.addSecs(-kStaleAfter.count());
    long long jobId = 0;
    context.step([&] {
        // Heartbeats compare as instants: the UTC ones, and the local
        // wall-clock texts of older programs read as local time.
        const db::ResultSet queue = context.query(QStringLiteral(
            "SELECT JobId, State, Owner, Heartbeat FROM TJob WHERE State IN (0, 1) ORDER BY JobId"));
        for (const db::Row& row : queue.rows) {
            const QDateTime heartbeat = row[3].toDateTime();
            if (row[1].toInt() == Queued || row[2].isNull() || row[2].toString() == owner_ ||
                !heartbeat.isValid() || heartbeat < staleBefore) {
                jobId = row[0].toLongLong();
                break;
            }
            *othersRunning = true;  // a live job of another worker
        }
        if (jobId == 0) return;
        context.exec(QStringLiteral("UPDATE TJob SET State = 1, Owner = ?, Heartbeat = ? WHERE JobId = ?"),
                     {owner_, sqlite::utcDateTimeText(now), jobId});
    });
    if (jobId == 0) return false;
    runJob(jobId);
    return true;
}

JobRunner::Stamp JobRunner::stamp() const {
    const QDateTime now = clock_();
    return {sqlite::utcDateTimeText(now), sqlite::dateTimeText(now.toLocalTime())};
}

void JobRunner::runJob(long long jobId) {
    QString versionError;
    ProcedureContext context(db_, readVersionText(db_, &versionError), nullptr);
    const db::ResultSet rows = context.query(
        QStringLiteral("SELECT JobType, ReportProfileId, FromDate, ToDate, UnitIds, FirstDay, LastDay, "
                       "StepsTotal, StepsDone FROM TJob WHERE JobId = ?"),
        {jobId});
    if (rows.rows.empty()) return;
    const db::Row& job = rows.rows[0];
    const int profileId = job[1].toInt();

    auto setInStep = [this](bool value) {
        std::lock_guard lock(mutex_);
        inStep_ = value;
    };
    auto runStep = [&](const std::function<void()>& work) {
        setInStep(true);
        try {
            context.step(work);
        } catch (...) {
            setInStep(false);
            throw;
        }
        setInStep(false);
        server_.yieldToWaitingWriters();
    };

    try {
        if (job[0].toString() != QLatin1String(kGenerateShadowDataJob))
            throw SqlError(QStringLiteral("Unknown job type '%1'").arg(job[0].toString()));

        shadow::Regeneration regeneration;
        int done = job[8].toInt();
        if (job[7].isNull()) {
            // First run: plan the work and fix the plan in the job, so that a
            // resumed run does the same steps.
            const Stamp now = stamp();
            runStep([&] {
                regeneration =
                    shadow::Regeneration::plan(context, profileId, sqlite::parseDateTime(job[2].toString()),
                                               sqlite::parseDateTime(job[3].toString()));
                regeneration.begin(context);
                const auto& days = regeneration.days();
                context.exec(
                    QStringLiteral("UPDATE TJob SET UnitIds = ?, FirstDay = ?, LastDay = ?, StepsTotal = ?, "
                                   "StepsDone = 0, Heartbeat = ?, State = ?, FinishedAt = ? WHERE JobId = ?"),
                    {shadow::idList(regeneration.parkUnitIds()),
                     days.isEmpty() ? QVariant() : shadow::dayText(days.first),
                     days.isEmpty() ? QVariant() : shadow::dayText(days.last), regeneration.stepCount(),
                     now.heartbeat, regeneration.stepCount() == 0 ? Done : Running,
                     regeneration.stepCount() == 0 ? QVariant(now.local) : QVariant(), jobId});
            });
            done = 0;
        } else {
            const QDateTime first = sqlite::parseDateTime(job[5].toString());
            const QDateTime last = sqlite::parseDateTime(job[6].toString());
            regeneration = shadow::Regeneration(profileId, shadow::parseIdList(job[4].toString()),
                                                {first.date(), last.date()});
            if (regeneration.stepCount() != job[7].toInt())
                throw SqlError(QStringLiteral("The plan of job %1 cannot be restored").arg(jobId));
        }
        for (int index = done; index < regeneration.stepCount(); ++index) {
            if (stopping()) break;
            const Stamp now = stamp();
            runStep([&] {
                regeneration.runStep(context, index);
                const bool last = index + 1 == regeneration.stepCount();
                context.exec(QStringLiteral("UPDATE TJob SET StepsDone = ?, Heartbeat = ?, State = ?, "
                                            "FinishedAt = ? WHERE JobId = ?"),
                             {index + 1, now.heartbeat, last ? Done : Running,
                              last ? QVariant(now.local) : QVariant(), jobId});
            });
        }
    } catch (const SqlError& e) {
        if (!stopping()) {
            // The job failed: the profile shows it through a negative status.
            try {
                const Stamp now = stamp();
                runStep([&] {
                    context.exec(QStringLiteral("UPDATE TReportProfile SET ReportProfileStatus = ? "
                                                "WHERE ReportProfileId = ?"),
                                 {shadow::kFailedStatus, profileId});
                    context.exec(QStringLiteral("UPDATE TJob SET State = 3, ErrorText = ?, FinishedAt = ? "
                                                "WHERE JobId = ?"),
                                 {e.message(), now.local, jobId});
                });
            } catch (const SqlError&) {
                // Left running: a later worker takes it over once it is stale.
            }
            return;
        }
    }
    if (stopping()) {
        // Back into the queue; the next worker resumes at StepsDone.
        try {
            context.step([&] {
                context.exec(QStringLiteral("UPDATE TJob SET State = 0, Owner = NULL WHERE JobId = ? "
                                            "AND State = 1 AND Owner = ?"),
                             {jobId, owner_});
            });
        } catch (const SqlError&) {
            // Left running: a later worker takes it over once it is stale.
        }
    }
}

}  // namespace reportdb
