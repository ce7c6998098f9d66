// Regenerating shadow data on the database side: the job that the server's
// worker runs (its counters, its failure, resuming it after the database
// was closed, taking over a job whose worker ended) and the regeneration
// inside the call (its countdown, its figures, cancel and failure).
// ReportProfileStatus counts down where another connection sees it.

#include "ReportDbTestSupport.h"
#include "reportdb/SqliteUtil.h"

#include <gtest/gtest.h>

#include <QTimeZone>
#include <climits>
#include <future>

using namespace reportdb_tests;
using testing_support::Gate;
using testing_support::TempDatabase;

namespace {

const QString kShadowRows =
    "SELECT * FROM TShadowData WHERE ReportProfileId = 1 ORDER BY ParkUnitId, ShadowDate";

int status(db::Connection& connection, int profileId) {
    return scalar(connection,
                  QStringLiteral("SELECT ReportProfileStatus FROM TReportProfile WHERE ReportProfileId = %1")
                      .arg(profileId))
        .toInt();
}

// The statuses a countdown from `from` shows, each once.
std::vector<int> countdown(int from) {
    std::vector<int> values;
    for (int v = from; v >= 0; --v) values.push_back(v);
    return values;
}

QString jobCall(int profileId, const QString& from, const QString& to) {
    return QStringLiteral(
               "WMS_JOB_CreateGenerateShadowDataJob @DatabaseName = 'SkyloomDemo', @LoginName = 'hr_admin', "
               "@ReportProfileId = %1, @FromDate = '%2', @ToDate = '%3'")
        .arg(profileId)
        .arg(from, to);
}

int lastJobState(db::Connection& connection) {
    return scalar(connection, "SELECT State FROM TJob ORDER BY JobId DESC LIMIT 1").toInt();
}

// Runs SQL on the closed database, as another program would have.
void writeBeside(const TempDatabase& database, const QString& sql) {
    QString error;
    sqlite3* handle = reportdb::openDatabaseHandle(database.path(), reportdb::OpenMode::Existing, &error);
    ASSERT_TRUE(handle) << error.toStdString();
    EXPECT_TRUE(reportdb::sqlite::execSql(handle, sql, &error)) << error.toStdString();
    sqlite3_close_v2(handle);
}

// A server whose worker reads its clock (showing `now`) only when the test
// lets it: each reading is the next point of `gate`. The worker reads it,
// outside any transaction, when it looks at the queue, when it plans a job
// and before each step.
struct GatedWorker {
    Gate gate;
    std::atomic<int> readings = 0;
    const QDateTime now;
    std::shared_ptr<reportdb::Server> server;
    std::unique_ptr<db::Connection> watch;
    int held = 0;  // the reading the worker waits at, or will

    explicit GatedWorker(const QString& path, const QDateTime& clock = QDateTime::currentDateTimeUtc())
        : now(clock) {
        QString error;
        server = reportdb::Server::open(path, &error, nullptr, [this] {
            gate.pass(readings++);
            return now;
        });
        EXPECT_TRUE(server) << error.toStdString();
        if (server) watch = server->connect(&error);
    }
    ~GatedWorker() { close(); }

    // Lets the worker on, one reading at a time, until `done` holds while it
    // waits at one; returns the profile's status at each reading, each
    // change once.
    std::vector<int> runUntil(int profileId, const std::function<bool()>& done) {
        std::vector<int> seen;
        for (int readings = 0;; ++readings) {
            if (readings == 1000 || !gate.waitReached(held)) {
                ADD_FAILURE() << "the worker did not get there";
                break;
            }
            const int current = status(*watch, profileId);
            if (seen.empty() || seen.back() != current) seen.push_back(current);
            if (done()) break;
            gate.allow(++held);
        }
        return seen;
    }

    // Ends the program as it ends: the worker is asked to stop before it
    // goes on.
    void close() {
        watch.reset();
        std::promise<void> closing;
        std::thread closer([&] {
            closing.set_value();
            server.reset();
        });
        closing.get_future().wait();
        gate.allow(INT_MAX);
        closer.join();
    }
};

}  // namespace

TEST(ShadowData, TimeStampLimitsAreOneRowOrNone) {
    TempDatabase empty;
    auto connection = empty.connect();
    ASSERT_TRUE(connection);
    db::Result result = run(*connection, "DCE_SP_GetPcTimeStampLimits");
    ASSERT_EQ(result.resultSets.size(), 1u) << result.error.toStdString();
    EXPECT_TRUE(result.resultSets[0].rows.empty());

    TempDatabase demo(sharedDemo());
    connection = demo.connect();
    result = run(*connection, "exec DCE_SP_GetPcTimeStampLimits");
    ASSERT_EQ(result.resultSets.size(), 1u) << result.error.toStdString();
    EXPECT_EQ(result.resultSets[0].columns[0].type, db::FieldType::DateTime);
    // Hourly samples, stamped at the end of their hour.
    EXPECT_EQ(result.resultSets[0].rows, (std::vector<db::Row>{{QDateTime(QDate(2024, 11, 1), QTime(1, 0)),
                                                                QDateTime(QDate(2025, 1, 1), QTime(0, 0))}}));
}

TEST(ShadowData, TheJobCountsTheStatusDownRegeneratesThePeriodAndClearsTheMarker) {
    TempDatabase database(sharedDemo());
    std::vector<db::Row> expected = database.exec(kShadowRows).resultSets.at(0).rows;
    ASSERT_EQ(expected.size(), size_t(kParkUnits * 61));
    database.exec(
        "DELETE FROM TShadowData WHERE ReportProfileId = 1;"
        "UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 1, ReportProfileStatus = 0");
    database.close();
    GatedWorker worker(database.path());
    db::Connection& watch = *worker.watch;
    const auto finished = [&] { return lastJobState(watch) >= 2; };

    // The period as the period dialog sends it, limited to the raw data:
    // November and December, one step per unit and month.
    const int total = kParkUnits * 2;
    ASSERT_TRUE(run(watch, jobCall(kWholePark, "2024-09-03 00:10:00", "2025-01-02 00:00:00")).ok());
    std::vector<int> seen = worker.runUntil(kWholePark, finished);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(std::vector<int>(seen.begin() + 1, seen.end()), countdown(total));
    EXPECT_EQ(lastJobState(watch), 2);
    EXPECT_EQ(
        scalar(watch,
               "SELECT ReportProfileRegeneratePendingFlag FROM TReportProfile WHERE ReportProfileId = 1"),
        QVariant(qlonglong(0)));
    EXPECT_EQ(query(watch, kShadowRows).rows, expected);
    EXPECT_EQ(lines(watch, "SELECT DatabaseName, LoginName, StepsTotal, StepsDone FROM TJob"),
              QStringList{QStringLiteral("SkyloomDemo|hr_admin|%1|%1").arg(total)});

    // A single month: only its days are computed again.
    query(watch, "UPDATE TShadowData SET ProductionKWh = -1 WHERE ReportProfileId = 1");
    ASSERT_TRUE(run(watch, jobCall(kWholePark, "2024-11-01 00:10:00", "2024-12-01 00:00:00")).ok());
    seen = worker.runUntil(kWholePark, finished);
    EXPECT_EQ(std::vector<int>(seen.begin() + 1, seen.end()), countdown(kParkUnits));
    EXPECT_EQ(lines(watch,
                    "SELECT min(ShadowDate), max(ShadowDate), count(*) FROM TShadowData "
                    "WHERE ReportProfileId = 1 AND ProductionKWh IS NOT -1"),
              QStringList{QStringLiteral("2024-11-01 00:00:00|2024-11-30 00:00:00|%1").arg(kParkUnits * 30)});

    // A period that ends before it starts fails: the status turns negative.
    ASSERT_TRUE(run(watch, jobCall(kWholePark, "2024-10-05 00:10:00", "2024-10-02 00:00:00")).ok());
    EXPECT_EQ(worker.runUntil(kWholePark, finished).back(), -1);
    EXPECT_EQ(lastJobState(watch), 3);
    EXPECT_TRUE(
        scalar(watch, "SELECT ErrorText FROM TJob ORDER BY JobId DESC LIMIT 1").toString().contains("empty"));

    // No job for a profile that does not exist.
    EXPECT_TRUE(run(watch, jobCall(99, "2024-10-01 00:10:00", "2024-11-01 00:00:00"))
                    .error.contains("does not exist"));
}

TEST(ShadowData, AJobLeftUnfinishedResumesWhenTheDatabaseIsOpenedAgain) {
    TempDatabase database(sharedDemo());
    const std::vector<db::Row> expected = database.exec(kShadowRows).resultSets.at(0).rows;
    database.exec("DELETE FROM TShadowData WHERE ReportProfileId = 1");
    database.close();
    const int total = kParkUnits * 2;
    {
        GatedWorker worker(database.path());
        ASSERT_TRUE(
            run(*worker.watch, jobCall(kWholePark, "2024-11-01 00:10:00", "2025-01-01 00:00:00")).ok());
        // The program ends while the worker is about to run a step.
        worker.runUntil(kWholePark, [&] { return status(*worker.watch, kWholePark) == total - 5; });
    }

    // The job waits in the queue where it stopped.
    QString error;
    sqlite3* handle = reportdb::openDatabaseHandle(database.path(), reportdb::OpenMode::ReadOnly, &error);
    ASSERT_TRUE(handle) << error.toStdString();
    reportdb::ProcedureContext closed(handle, QString(), nullptr);
    const db::Row job = closed.query("SELECT State, Owner, StepsDone, StepsTotal FROM TJob").rows.at(0);
    const int done = job[2].toInt();
    ASSERT_EQ(job[0].toInt(), 0);
    ASSERT_TRUE(job[1].isNull());
    EXPECT_GE(done, 5);
    EXPECT_LT(done, total);
    EXPECT_EQ(job[3].toInt(), total);
    const int statusAtClose =
        closed.scalar("SELECT ReportProfileStatus FROM TReportProfile WHERE ReportProfileId = 1").toInt();
    EXPECT_EQ(statusAtClose, total - done);
    sqlite3_close_v2(handle);

    // The next program's worker goes on from there.
    GatedWorker worker(database.path());
    EXPECT_EQ(worker.runUntil(kWholePark, [&] { return lastJobState(*worker.watch) == 2; }),
              countdown(statusAtClose));
    EXPECT_EQ(query(*worker.watch, kShadowRows).rows, expected);
}

TEST(ShadowData, AJobWhoseWorkerEndedWithoutStoppingIsTakenOver) {
    TempDatabase database(sharedDemo());
    database.close();
    // Running jobs as other programs left them: two whose worker has not
    // sent a heartbeat for long (it ended), two whose worker is alive. Older
    // programs wrote heartbeats as local wall-clock text, this one in UTC.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    writeBeside(
        database,
        QStringLiteral(
            "DELETE FROM TShadowData WHERE ReportProfileId IN (1, 2, 3, 4);"
            "INSERT INTO TJob (JobType, ReportProfileId, FromDate, ToDate, State, Owner, Heartbeat, "
            "CreatedAt) VALUES "
            "('GenerateShadowData', 1, '2024-11-01 00:10:00', '2025-01-01 00:00:00', 1, 'gone', '%1', "
            "'2024-01-01 00:00:00'), "
            "('GenerateShadowData', 2, '2024-11-01 00:10:00', '2025-01-01 00:00:00', 1, 'alive', '%2', "
            "'2024-01-01 00:00:00'), "
            "('GenerateShadowData', 3, '2024-12-31 00:10:00', '2025-01-01 00:00:00', 1, 'old', "
            "'2024-01-01 00:00:00', '2024-01-01 00:00:00'), "
            "('GenerateShadowData', 4, '2024-11-01 00:10:00', '2025-01-01 00:00:00', 1, 'awake', '%3', "
            "'2024-01-01 00:00:00')")
            .arg(reportdb::sqlite::utcDateTimeText(now.addSecs(-31)),
                 reportdb::sqlite::dateTimeText(now.toLocalTime()), reportdb::sqlite::utcDateTimeText(now)));

    GatedWorker worker(database.path(), now);
    db::Connection& watch = *worker.watch;
    const auto jobs = [&] {
        return lines(watch, "SELECT ReportProfileId, State, Owner FROM TJob ORDER BY 1");
    };
    worker.runUntil(kWholePark,
                    [&] { return scalar(watch, "SELECT count(*) FROM TJob WHERE State = 2").toInt() == 2; });
    const QStringList states = jobs();
    ASSERT_EQ(states.size(), 4);
    EXPECT_TRUE(states[0].startsWith("1|2|")) << states[0].toStdString();
    EXPECT_EQ(states[1], "2|1|alive");
    EXPECT_TRUE(states[2].startsWith("3|2|")) << states[2].toStdString();
    EXPECT_EQ(states[3], "4|1|awake");
    EXPECT_EQ(scalar(watch, "SELECT count(*) FROM TShadowData WHERE ReportProfileId = 1").toInt(),
              kParkUnits * 61);
    EXPECT_EQ(scalar(watch, "SELECT count(*) FROM TShadowData WHERE ReportProfileId IN (2, 4)").toInt(), 0);
}

// Two programs on one database, each with its worker. Between the first
// worker's heartbeat and the second one's look at the queue 20 seconds
// pass, while the local clock moves from 02:00 to 03:00 (daylight saving):
// the job still belongs to the first worker.
TEST(ShadowData, ASecondWorkerLeavesALiveJobToItsWorkerAcrossAClockChange) {
    TempDatabase database(sharedDemo());
    database.close();
    writeBeside(
        database,
        "DELETE FROM TShadowData WHERE ReportProfileId = 1;"
        "INSERT INTO TJob (JobType, ReportProfileId, FromDate, ToDate, State, CreatedAt) VALUES "
        "('GenerateShadowData', 1, '2024-11-01 00:10:00', '2025-01-01 00:00:00', 0, '2024-03-31 01:00:00')");

    // The first worker claims the job (reading 0), plans it (1) and waits
    // before its first step (2).
    GatedWorker first(database.path(), QDateTime(QDate(2024, 3, 31), QTime(1, 59, 50), QTimeZone(3600)));
    first.runUntil(kWholePark, [&] { return first.held == 2; });
    const auto job = [&] {
        return lines(*first.watch, "SELECT State, Owner, Heartbeat, StepsDone FROM TJob");
    };
    const QStringList held = job();
    ASSERT_TRUE(held.value(0).startsWith("1|")) << held.value(0).toStdString();

    // The second worker looks once and is then stopped; a worker that took
    // the job over would have put it back into the queue on stopping.
    {
        GatedWorker second(database.path(),
                           QDateTime(QDate(2024, 3, 31), QTime(3, 0, 10), QTimeZone(2 * 3600)));
        second.gate.allow(INT_MAX);
        ASSERT_TRUE(second.gate.waitReached(0));
    }
    EXPECT_EQ(job(), held);

    // The first worker carries on with its job to the end.
    first.runUntil(kWholePark, [&] { return lastJobState(*first.watch) == 2; });
    EXPECT_EQ(scalar(*first.watch, "SELECT count(*) FROM TShadowData WHERE ReportProfileId = 1").toInt(),
              kParkUnits * 61);
}

TEST(ShadowData, TheRegenerationInsideTheCallCountsDownComputesTheDaysAndCanBeCancelled) {
    TempDatabase database(sharedDemo());
    auto caller = database.connect();
    auto watch = database.connect();
    ASSERT_TRUE(caller && watch);
    database.exec(
        "DELETE FROM TShadowData WHERE ReportProfileId = 1;"
        "UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 1, ReportProfileStatus = 0;"
        "UPDATE TParkUnit_TReportProfile SET Sitecalibrationfactor = 0.9 WHERE ParkUnitId = 2");
    // The caller is held inside each step, at the row of the first of the
    // month that the step writes (before the step commits).
    Gate gate;
    holdWrites(*caller, gate, {"AFTER INSERT ON main.TShadowData WHEN substr(NEW.ShadowDate, 9, 2) = '01'"});
    const QString regenerate =
        "DCE_SP_UpdateShadowDataForParkUnitsInProfile @ReportProfileId = 1, "
        "@FromDate = '2024-09-03 00:10:00', @ToDate = '2025-01-02 00:00:00'";
    const int total = kParkUnits * 2;

    auto regeneration = std::async(std::launch::async, [&] { return run(*caller, regenerate); });
    std::vector<int> seen;
    for (int step = 0; step < total; ++step) {
        ASSERT_TRUE(gate.waitReached(step));
        seen.push_back(status(*watch, kWholePark));
        gate.allow(step + 1);
    }
    const db::Result result = regeneration.get();
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    seen.push_back(status(*watch, kWholePark));
    EXPECT_EQ(seen, countdown(total));
    EXPECT_EQ(
        scalar(*watch,
               "SELECT ReportProfileRegeneratePendingFlag FROM TReportProfile WHERE ReportProfileId = 1"),
        QVariant(qlonglong(0)));

    // Each day holds the samples after its midnight up to the next one; the
    // mean wind is scaled by the unit's site calibration.
    EXPECT_EQ(scalar(*watch, "SELECT count(*) FROM TShadowData WHERE ReportProfileId = 1").toInt(),
              kParkUnits * 61);
    EXPECT_EQ(
        lines(*watch,
              "SELECT S.ParkUnitId, S.ShadowDate FROM TShadowData S JOIN TParkUnit_TReportProfile C USING "
              "(ReportProfileId, ParkUnitId) WHERE S.ReportProfileId = 1 AND NOT EXISTS (SELECT 1 FROM "
              "TRawData R WHERE R.ParkUnitId = S.ParkUnitId AND R.PcTimeStamp > S.ShadowDate AND "
              "R.PcTimeStamp <= datetime(S.ShadowDate, '+1 day') GROUP BY R.ParkUnitId HAVING count(*) = "
              "S.SampleCount AND "
              "sum(EventCode = 0) = S.OperatingSampleCount AND count(*) - sum(EventCode = 0) = "
              "S.FaultSampleCount AND abs(ifnull(sum(ProductionKWh), 0) - ifnull(S.ProductionKWh, 0)) < 1e-6 "
              "AND abs(ifnull(avg(WindSpeed) * ifnull(C.Sitecalibrationfactor, 1), 0) - "
              "ifnull(S.MeanWindSpeed, 0)) < 1e-9)"),
        QStringList{});

    // Cancelled inside its sixth step: five steps stay, the sixth is rolled
    // back, the status says it failed.
    database.exec("DELETE FROM TShadowData WHERE ReportProfileId = 1");
    auto cancelled = std::async(std::launch::async, [&] { return run(*caller, regenerate); });
    gate.allow(total + 5);
    ASSERT_TRUE(gate.waitReached(total + 5));
    caller->interrupt();
    gate.allow(INT_MAX);
    EXPECT_EQ(cancelled.get().error, "interrupted");
    EXPECT_EQ(status(*watch, kWholePark), -1);
    EXPECT_EQ(scalar(*watch,
                     "SELECT count(DISTINCT ParkUnitId || substr(ShadowDate, 1, 7)) FROM TShadowData "
                     "WHERE ReportProfileId = 1"),
              QVariant(qlonglong(5)));

    // A failing step (here a trigger) ends the regeneration the same way.
    database.exec(
        "CREATE TRIGGER TR_Fail BEFORE INSERT ON TShadowData WHEN NEW.ShadowDate = '2024-12-01 00:00:00' "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    EXPECT_TRUE(run(*caller, regenerate).error.contains("disk full"));
    EXPECT_EQ(status(*watch, kWholePark), -1);
    EXPECT_TRUE(run(*caller, QString(regenerate).replace("@ReportProfileId = 1", "@ReportProfileId = 42"))
                    .error.contains("does not exist"));
}
