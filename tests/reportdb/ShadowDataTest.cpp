// Regenerating shadow data: as a database job that the server's worker runs
// (and resumes after the database was closed), and directly inside the
// call; ReportProfileStatus counts down where a second connection sees it.

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/Schema.h"
#include "reportdb/SqliteUtil.h"
#include "support/Gate.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QScopeGuard>
#include <QTimeZone>
#include <atomic>
#include <climits>
#include <future>
#include <thread>

using testing_support::DemoContent;
using testing_support::Gate;
using testing_support::TempDatabase;

namespace {

// The demo park with four turbines, three masts and a grid point; its
// "Whole park" profile (id 1) covers all eight units from the first day
// of raw data.
DemoContent smallDemo(int days) {
    DemoContent demo;
    demo.options.turbineCount = 4;
    demo.options.rawDataDays = days;
    return demo;
}
constexpr int kWholePark = 1;
constexpr int kUnits = 8;

db::Result run(db::Connection& connection, const QString& text) {
    db::Command command;
    command.text = text;
    return connection.execute(command);
}

std::vector<db::Row> rows(db::Connection& connection, const QString& sql) {
    const db::Result result = run(connection, sql);
    EXPECT_TRUE(result.ok()) << result.error.toStdString() << "\n" << sql.toStdString();
    return result.resultSets.empty() ? std::vector<db::Row>{} : result.resultSets[0].rows;
}

QVariant value(db::Connection& connection, const QString& sql) {
    const auto r = rows(connection, sql);
    return r.empty() ? QVariant() : r[0].at(0);
}

std::vector<db::Row> shadowRows(db::Connection& connection, int profileId) {
    return rows(connection, QStringLiteral("SELECT * FROM TShadowData WHERE ReportProfileId = %1 "
                                           "ORDER BY ParkUnitId, ShadowDate")
                                .arg(profileId));
}

int status(db::Connection& connection, int profileId) {
    return value(connection,
                 QStringLiteral("SELECT ReportProfileStatus FROM TReportProfile WHERE ReportProfileId = %1")
                     .arg(profileId))
        .toInt();
}

// Polls the profile's status until `done` holds (at most 60 s); returns
// the values seen, each change once.
std::vector<int> watchStatus(db::Connection& watch, int profileId, const std::function<bool()>& done) {
    std::vector<int> seen;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        const bool finished = done();
        const int current = status(watch, profileId);
        if (seen.empty() || seen.back() != current) seen.push_back(current);
        if (finished || std::chrono::steady_clock::now() > end) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return seen;
}

// The values a countdown from at most `total` shows: falling, ending at 0.
void expectCountdown(const std::vector<int>& seen, int total) {
    std::vector<int> positive;
    for (int v : seen)
        if (v > 0) positive.push_back(v);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 0);
    EXPECT_GE(positive.size(), 2u) << "the countdown was not seen";
    for (size_t i = 0; i < positive.size(); ++i) {
        EXPECT_LE(positive[i], total);
        if (i > 0) {
            EXPECT_LT(positive[i], positive[i - 1]);
        }
    }
}

QString jobCall(int profileId, const QString& from, const QString& to) {
    return QStringLiteral(
               "WMS_JOB_CreateGenerateShadowDataJob @DatabaseName = 'SkyloomDemo', @LoginName = 'hr_admin', "
               "@ReportProfileId = %1, @FromDate = '%2', @ToDate = '%3'")
        .arg(profileId)
        .arg(from, to);
}

int lastJobState(db::Connection& connection) {
    return value(connection, "SELECT State FROM TJob ORDER BY JobId DESC LIMIT 1").toInt();
}

}  // namespace

TEST(ShadowData, TimeStampLimitsAreOneRowOrNone) {
    TempDatabase empty;
    auto connection = empty.connect();
    ASSERT_TRUE(connection);
    db::Result result = run(*connection, "DCE_SP_GetPcTimeStampLimits");
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    ASSERT_EQ(result.resultSets.size(), 1u);
    EXPECT_EQ(result.resultSets[0].columnIndex("MinPcTimeStamp"), 0);
    EXPECT_EQ(result.resultSets[0].columnIndex("MaxPcTimeStamp"), 1);
    EXPECT_TRUE(result.resultSets[0].rows.empty());

    TempDatabase demo(smallDemo(10));
    connection = demo.connect();
    ASSERT_TRUE(connection);
    result = run(*connection, "exec DCE_SP_GetPcTimeStampLimits");
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    ASSERT_EQ(result.resultSets.at(0).rows.size(), 1u);
    const db::Row& limits = result.resultSets[0].rows[0];
    EXPECT_EQ(result.resultSets[0].columns[0].type, db::FieldType::DateTime);
    // Hourly samples, stamped at the end of their hour, up to the last day.
    EXPECT_EQ(limits[0], QVariant(QDateTime(QDate(2024, 12, 22), QTime(1, 0))));
    EXPECT_EQ(limits[1], QVariant(QDateTime(QDate(2025, 1, 1), QTime(0, 0))));
}

TEST(ShadowData, JobCountsTheStatusDownRegeneratesThePeriodAndClearsTheMarker) {
    TempDatabase database(smallDemo(120));
    auto caller = database.connect();
    auto watch = database.connect();
    ASSERT_TRUE(caller && watch);
    const auto expected = shadowRows(*watch, kWholePark);
    ASSERT_EQ(expected.size(), size_t(kUnits * 120));
    database.exec(
        "DELETE FROM TShadowData WHERE ReportProfileId = 1;"
        "UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 1 WHERE ReportProfileId = 1");

    // The whole period, as the period dialog sends it: Sep 3 to Dec 31 are
    // four months, one step per unit and month.
    const db::Result queued = run(*caller, jobCall(kWholePark, "2024-09-03 00:10:00", "2025-01-02 00:00:00"));
    ASSERT_TRUE(queued.ok()) << queued.error.toStdString();
    const auto seen = watchStatus(*watch, kWholePark, [&] { return lastJobState(*watch) >= 2; });
    expectCountdown(seen, kUnits * 4);
    EXPECT_EQ(lastJobState(*watch), 2);
    EXPECT_EQ(
        value(*watch,
              "SELECT ReportProfileRegeneratePendingFlag FROM TReportProfile WHERE ReportProfileId = 1"),
        QVariant(qlonglong(0)));
    EXPECT_EQ(shadowRows(*watch, kWholePark), expected);
    const auto job = rows(*watch, "SELECT DatabaseName, LoginName, StepsTotal, StepsDone FROM TJob");
    ASSERT_EQ(job.size(), 1u);
    EXPECT_EQ(job[0], (db::Row{QString("SkyloomDemo"), QString("hr_admin"), qlonglong(32), qlonglong(32)}));

    // A single month: only its days are computed again.
    database.exec("UPDATE TShadowData SET ProductionKWh = -1 WHERE ReportProfileId = 1");
    ASSERT_TRUE(run(*caller, jobCall(kWholePark, "2024-10-01 00:10:00", "2024-11-01 00:00:00")).ok());
    expectCountdown(watchStatus(*watch, kWholePark, [&] { return lastJobState(*watch) >= 2; }), kUnits);
    EXPECT_EQ(value(*watch, "SELECT count(*) FROM TShadowData WHERE ProductionKWh = -1"),
              QVariant(qlonglong(kUnits * (120 - 31))));
    EXPECT_EQ(value(*watch,
                    "SELECT min(ShadowDate) || ' ' || max(ShadowDate) FROM TShadowData "
                    "WHERE ReportProfileId = 1 AND (ProductionKWh <> -1 OR ProductionKWh IS NULL)")
                  .toString(),
              "2024-10-01 00:00:00 2024-10-31 00:00:00");

    // A period that ends before it starts fails: the status turns negative.
    ASSERT_TRUE(run(*caller, jobCall(kWholePark, "2024-10-05 00:10:00", "2024-10-02 00:00:00")).ok());
    const auto failed = watchStatus(*watch, kWholePark, [&] { return lastJobState(*watch) >= 2; });
    EXPECT_EQ(lastJobState(*watch), 3);
    EXPECT_EQ(failed.back(), -1);
    EXPECT_TRUE(
        value(*watch, "SELECT ErrorText FROM TJob ORDER BY JobId DESC LIMIT 1").toString().contains("empty"));

    // No job for a profile that does not exist.
    EXPECT_TRUE(run(*caller, jobCall(99, "2024-10-01 00:10:00", "2024-11-01 00:00:00"))
                    .error.contains("does not exist"));
}

TEST(ShadowData, AJobLeftUnfinishedResumesWhenTheDatabaseIsOpenedAgain) {
    TempDatabase database(smallDemo(365));
    const int total = kUnits * 12;  // January 2 to December 31
    std::vector<db::Row> expected;
    int statusAtClose = 0;
    {
        auto caller = database.connect();
        auto watch = database.connect();
        ASSERT_TRUE(caller && watch);
        expected = shadowRows(*watch, kWholePark);
        database.exec("DELETE FROM TShadowData WHERE ReportProfileId = 1");
        ASSERT_TRUE(run(*caller, jobCall(kWholePark, "2024-01-02 00:10:00", "2025-01-01 00:00:00")).ok());
        // Close once the job has made some progress.
        watchStatus(*watch, kWholePark, [&] {
            const int current = status(*watch, kWholePark);
            return current > 0 && current < total - 2;
        });
    }
    database.close();

    // The program has ended: the job waits in the queue where it stopped.
    QString error;
    sqlite3* handle = reportdb::openDatabaseHandle(database.path(), reportdb::OpenMode::Existing, &error);
    ASSERT_TRUE(handle) << error.toStdString();
    {
        reportdb::ProcedureContext context(handle, QString(), nullptr);
        const db::ResultSet job = context.query("SELECT State, StepsDone, StepsTotal, Owner FROM TJob");
        ASSERT_EQ(job.rows.size(), 1u);
        EXPECT_EQ(job.rows[0][0].toInt(), 0);
        const int done = job.rows[0][1].toInt();
        EXPECT_GT(done, 0);
        EXPECT_LT(done, total) << "the job ended before the database was closed";
        EXPECT_EQ(job.rows[0][2].toInt(), total);
        EXPECT_TRUE(job.rows[0][3].isNull());
        statusAtClose =
            context.scalar("SELECT ReportProfileStatus FROM TReportProfile WHERE ReportProfileId = 1")
                .toInt();
        EXPECT_EQ(statusAtClose, total - done);
    }
    sqlite3_close_v2(handle);

    database.reopen();
    auto watch = database.connect();
    ASSERT_TRUE(watch);
    const auto seen = watchStatus(*watch, kWholePark, [&] { return lastJobState(*watch) >= 2; });
    EXPECT_EQ(lastJobState(*watch), 2);
    EXPECT_EQ(seen.back(), 0);
    for (int v : seen) EXPECT_LE(v, statusAtClose) << "the job started again from the beginning";
    EXPECT_EQ(shadowRows(*watch, kWholePark), expected);
}

TEST(ShadowData, AJobWhoseWorkerEndedWithoutStoppingIsTakenOver) {
    TempDatabase database(smallDemo(40));
    database.close();
    // Running jobs as other programs left them: two whose worker has not
    // sent a heartbeat for long (it ended), two whose worker is alive. Older
    // programs wrote heartbeats as local wall-clock text, this one in UTC.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QString error;
    sqlite3* handle = reportdb::openDatabaseHandle(database.path(), reportdb::OpenMode::Existing, &error);
    ASSERT_TRUE(handle) << error.toStdString();
    ASSERT_TRUE(reportdb::sqlite::execSql(
        handle,
        QStringLiteral(
            "DELETE FROM TShadowData WHERE ReportProfileId IN (1, 2, 3, 4);"
            "INSERT INTO TJob (JobType, ReportProfileId, FromDate, ToDate, State, Owner, Heartbeat, "
            "CreatedAt) VALUES "
            "('GenerateShadowData', 1, '2024-11-22 00:10:00', '2025-01-01 00:00:00', 1, 'gone', '%1', "
            "'2024-01-01 00:00:00'), "
            "('GenerateShadowData', 2, '2024-11-22 00:10:00', '2025-01-01 00:00:00', 1, 'alive', '%2', "
            "'2024-01-01 00:00:00'), "
            "('GenerateShadowData', 3, '2024-12-31 00:10:00', '2025-01-01 00:00:00', 1, 'old', "
            "'2024-01-01 00:00:00', '2024-01-01 00:00:00'), "
            "('GenerateShadowData', 4, '2024-11-22 00:10:00', '2025-01-01 00:00:00', 1, 'awake', '%3', "
            "'2024-01-01 00:00:00')")
            .arg(reportdb::sqlite::utcDateTimeText(now.addSecs(-31)),
                 reportdb::sqlite::dateTimeText(now.toLocalTime()), reportdb::sqlite::utcDateTimeText(now)),
        &error))
        << error.toStdString();
    sqlite3_close_v2(handle);

    database.reopen();
    auto watch = database.connect();
    ASSERT_TRUE(watch);
    const auto state = [&](int profileId) {
        return value(*watch, QStringLiteral("SELECT State || Owner FROM TJob WHERE ReportProfileId = %1")
                                 .arg(profileId))
            .toString();
    };
    const auto seen = watchStatus(*watch, kWholePark, [&] {
        return value(*watch, "SELECT State FROM TJob WHERE ReportProfileId = 3").toInt() >= 2;
    });
    EXPECT_EQ(seen.back(), 0);
    EXPECT_TRUE(state(1).startsWith("2")) << state(1).toStdString();
    EXPECT_TRUE(state(3).startsWith("2")) << state(3).toStdString();
    EXPECT_EQ(value(*watch, "SELECT count(*) FROM TShadowData WHERE ReportProfileId = 1").toInt(),
              kUnits * 40);
    // The others still belong to their workers.
    EXPECT_EQ(state(2), "1alive");
    EXPECT_EQ(state(4), "1awake");
    EXPECT_EQ(value(*watch, "SELECT count(*) FROM TShadowData WHERE ReportProfileId IN (2, 4)").toInt(), 0);
}

// Two programs on one database, each with its worker (two servers stand for
// two processes). Between the first worker's heartbeat and the second one's
// look at the queue 20 seconds pass, while the local clock moves from 02:00
// to 03:00 (daylight saving): the job still belongs to the first worker.
TEST(ShadowData, ASecondWorkerLeavesALiveJobToItsWorkerAcrossAClockChange) {
    TempDatabase database(smallDemo(40));
    database.close();
    QString error;
    sqlite3* handle = reportdb::openDatabaseHandle(database.path(), reportdb::OpenMode::Existing, &error);
    ASSERT_TRUE(handle) << error.toStdString();
    ASSERT_TRUE(reportdb::sqlite::execSql(
        handle,
        "DELETE FROM TShadowData WHERE ReportProfileId = 1;"
        "INSERT INTO TJob (JobType, ReportProfileId, FromDate, ToDate, State, CreatedAt) VALUES "
        "('GenerateShadowData', 1, '2024-11-22 00:10:00', '2025-01-01 00:00:00', 0, '2024-03-31 01:00:00')",
        &error))
        << error.toStdString();
    sqlite3_close_v2(handle);

    const QDateTime winterTime(QDate(2024, 3, 31), QTime(1, 59, 50), QTimeZone(3600));
    const QDateTime summerTime(QDate(2024, 3, 31), QTime(3, 0, 10), QTimeZone(2 * 3600));
    // The first worker's readings of its clock are the gate's points: it
    // claims the job (0), plans it (1) and stops before its first step (2).
    Gate first;
    first.allow(2);
    std::atomic<int> firstReadings = 0;
    auto firstWorker = reportdb::Server::open(database.path(), &error, nullptr, [&] {
        first.pass(firstReadings++);
        return winterTime;
    });
    ASSERT_TRUE(firstWorker) << error.toStdString();
    const auto release = qScopeGuard([&] { first.allow(INT_MAX); });
    ASSERT_TRUE(first.waitReached(2));
    auto watch = firstWorker->connect(&error);
    ASSERT_TRUE(watch) << error.toStdString();
    // State|Owner|Heartbeat|StepsDone|StepsTotal
    const auto job = [&] {
        QStringList fields;
        for (const auto& row :
             rows(*watch, "SELECT State, Owner, Heartbeat, StepsDone, StepsTotal FROM TJob"))
            for (const QVariant& field : row) fields << field.toString();
        return fields;
    };
    const QStringList held = job();
    ASSERT_EQ(held.size(), 5);
    ASSERT_EQ(held[0], "1");
    ASSERT_FALSE(held[1].isEmpty());
    ASSERT_EQ(held[3], "0");
    const int steps = held[4].toInt();
    ASSERT_GT(steps, 0);

    // The second worker looks once and is then stopped; a worker that took
    // the job over would have put it back into the queue on stopping.
    Gate second;
    second.allow(INT_MAX);
    auto secondWorker = reportdb::Server::open(database.path(), &error, nullptr, [&] {
        second.pass(0);
        return summerTime;
    });
    ASSERT_TRUE(secondWorker) << error.toStdString();
    ASSERT_TRUE(second.waitReached(0));
    secondWorker.reset();
    EXPECT_EQ(job().join('|').toStdString(), held.join('|').toStdString());

    // The first worker carries on with its job to the end.
    first.allow(INT_MAX);
    ASSERT_TRUE(first.waitReached(2 + steps));
    EXPECT_EQ(job().value(0), "2");
    EXPECT_EQ(value(*watch, "SELECT count(*) FROM TShadowData WHERE ReportProfileId = 1").toInt(),
              kUnits * 40);
}

TEST(ShadowData, DirectRegenerationCountsDownInsideTheCall) {
    TempDatabase database(smallDemo(120));
    auto caller = database.connect();
    auto watch = database.connect();
    ASSERT_TRUE(caller && watch);
    const auto expected = shadowRows(*watch, kWholePark);
    database.exec(
        "DELETE FROM TShadowData WHERE ReportProfileId = 1;"
        "UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 1 WHERE ReportProfileId = 1");
    const QString call =
        "DCE_SP_UpdateShadowDataForParkUnitsInProfile @ReportProfileId = 1, "
        "@FromDate = '2024-09-03 00:10:00', @ToDate = '2025-01-02 00:00:00'";

    auto regeneration = std::async(std::launch::async, [&] { return run(*caller, call); });
    const auto seen = watchStatus(*watch, kWholePark, [&] {
        return regeneration.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    const db::Result result = regeneration.get();
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    expectCountdown(seen, kUnits * 4);
    EXPECT_EQ(
        value(*watch,
              "SELECT ReportProfileRegeneratePendingFlag FROM TReportProfile WHERE ReportProfileId = 1"),
        QVariant(qlonglong(0)));
    EXPECT_EQ(shadowRows(*watch, kWholePark), expected);

    // Cancelled half-way: the steps done stay, the status says it failed.
    database.exec("DELETE FROM TShadowData WHERE ReportProfileId = 1");
    auto cancelled = std::async(std::launch::async, [&] { return run(*caller, call); });
    watchStatus(*watch, kWholePark, [&] {
        const int current = status(*watch, kWholePark);
        return current > 0 && current < kUnits * 4 - 1;
    });
    caller->interrupt();
    const db::Result interrupted = cancelled.get();
    EXPECT_FALSE(interrupted.ok());
    EXPECT_EQ(status(*watch, kWholePark), -1);
    const int kept = int(shadowRows(*watch, kWholePark).size());
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, int(expected.size()));

    // A failing step (here a trigger) ends the regeneration the same way.
    database.exec(
        "CREATE TRIGGER TR_Fail BEFORE INSERT ON TShadowData WHEN NEW.ShadowDate = '2024-11-01 00:00:00' "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    const db::Result failed = run(*caller, call);
    EXPECT_TRUE(failed.error.contains("disk full")) << failed.error.toStdString();
    EXPECT_EQ(status(*watch, kWholePark), -1);
    EXPECT_TRUE(run(*caller,
                    "DCE_SP_UpdateShadowDataForParkUnitsInProfile @ReportProfileId = 42, "
                    "@FromDate = '2024-09-03 00:10:00', @ToDate = '2025-01-02 00:00:00'")
                    .error.contains("does not exist"));
}
