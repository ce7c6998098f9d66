// Regenerating the shadow data of each demo profile over its whole period,
// on the full demo database: directly inside the call, and as a database
// job watched until its status reaches 0; beside them, as the anchor, the
// same rows written by one raw SQLite statement over the whole period in one
// transaction. Also the writing of the demo. The summary at the end gives
// min, median and the ratios.

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/Server.h"
#include "reportdb/demo/Demo.h"

#include "Summary.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <iostream>
#include <string>
#include <thread>

namespace {

db::Result run(db::Connection& connection, const QString& text) {
    db::Command command;
    command.text = text;
    return connection.execute(command);
}

int profileStatus(db::Connection& connection, int profileId) {
    const db::Result result =
        run(connection,
            QStringLiteral("SELECT ReportProfileStatus FROM TReportProfile WHERE ReportProfileId = %1")
                .arg(profileId));
    return result.ok() ? result.resultSets.at(0).rows.at(0).at(0).toInt() : -1;
}

const QString kPeriod = QStringLiteral("@FromDate = '2023-01-01 00:10:00', @ToDate = '2025-01-01 00:00:00'");

bench::Summary summary;

double seconds(const QElapsedTimer& clock) { return double(clock.nsecsElapsed()) / 1e9; }

// The anchor: the profile's shadow data deleted and written again from the
// raw data by one statement each (the day of a sample as the regeneration
// takes it), in one transaction.
bool rawRegeneration(sqlite3* db, int profile) {
    const std::string sql =
        "BEGIN IMMEDIATE;"
        "DELETE FROM TShadowData WHERE ReportProfileId = " +
        std::to_string(profile) +
        ";"
        "INSERT INTO TShadowData (ReportProfileId, ParkUnitId, ShadowDate, SampleCount, "
        "OperatingSampleCount, FaultSampleCount, ProductionKWh, MeanWindSpeed) "
        "SELECT PU.ReportProfileId, R.ParkUnitId, "
        "CASE WHEN substr(R.PcTimeStamp, 12) = '00:00:00' THEN date(R.PcTimeStamp, '-1 days') "
        "ELSE substr(R.PcTimeStamp, 1, 10) END || ' 00:00:00' AS Day, "
        "count(*), sum(R.EventCode = 0), sum(R.EventCode <> 0), sum(R.ProductionKWh), "
        "avg(R.WindSpeed) * coalesce(PU.Sitecalibrationfactor, 1) "
        "FROM TRawData AS R INNER JOIN TParkUnit_TReportProfile AS PU "
        "ON PU.ParkUnitId = R.ParkUnitId AND PU.ReportProfileId = " +
        std::to_string(profile) +
        " "
        "WHERE R.PcTimeStamp > '2023-01-01 00:00:00' AND R.PcTimeStamp <= '2025-01-02 00:00:00' "
        "GROUP BY R.ParkUnitId, Day;"
        "COMMIT;";
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
    std::cerr << (message ? message : "the raw regeneration failed") << std::endl;
    sqlite3_free(message);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.db"));
    QString error;
    QElapsedTimer timer;
    timer.start();
    if (!reportdb::demo::writeDemoDatabase(path, {}, nullptr, &error)) {
        std::cerr << error.toStdString() << std::endl;
        return 1;
    }
    std::cout << "demo database written in " << timer.elapsed() << " ms" << std::endl;
    auto server = reportdb::Server::open(path, &error);
    if (!server) {
        std::cerr << error.toStdString() << std::endl;
        return 1;
    }

    for (int profile = 1; profile <= 6; ++profile) {
        benchmark::RegisterBenchmark(
            QStringLiteral("RegenerateDirectly/profile:%1").arg(profile).toStdString().c_str(),
            [server, profile](benchmark::State& state) {
                auto connection = server->connect();
                for (auto _ : state) {
                    QElapsedTimer clock;
                    clock.start();
                    const db::Result result =
                        run(*connection,
                            QStringLiteral(
                                "DCE_SP_UpdateShadowDataForParkUnitsInProfile @ReportProfileId = %1, %2")
                                .arg(profile)
                                .arg(kPeriod));
                    if (!result.ok()) state.SkipWithError(result.error.toStdString().c_str());
                    summary.add("profile " + std::to_string(profile) + ": directly", seconds(clock) * 1000);
                    state.SetIterationTime(seconds(clock));
                }
            })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
        benchmark::RegisterBenchmark(
            QStringLiteral("RegenerateRawAnchor/profile:%1").arg(profile).toStdString().c_str(),
            [&path, profile](benchmark::State& state) {
                sqlite3* db = nullptr;
                if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
                    SQLITE_OK) {
                    state.SkipWithError("the raw connection could not be opened");
                    sqlite3_close_v2(db);
                    return;
                }
                sqlite3_busy_timeout(db, 5000);
                for (auto _ : state) {
                    QElapsedTimer clock;
                    clock.start();
                    if (!rawRegeneration(db, profile)) state.SkipWithError("the raw regeneration failed");
                    summary.add("profile " + std::to_string(profile) + ": anchor, raw SQLite",
                                seconds(clock) * 1000);
                    state.SetIterationTime(seconds(clock));
                }
                sqlite3_close_v2(db);
            })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
        benchmark::RegisterBenchmark(
            QStringLiteral("RegenerateAsJob/profile:%1").arg(profile).toStdString().c_str(),
            [server, profile](benchmark::State& state) {
                auto connection = server->connect();
                for (auto _ : state) {
                    const db::Result result = run(
                        *connection,
                        QStringLiteral("WMS_JOB_CreateGenerateShadowDataJob @DatabaseName = 'SkyloomDemo', "
                                       "@LoginName = 'hr_admin', @ReportProfileId = %1, %2")
                            .arg(profile)
                            .arg(kPeriod));
                    if (!result.ok()) state.SkipWithError(result.error.toStdString().c_str());
                    // Until the job has set its status and counted it down.
                    while (
                        run(*connection, "SELECT 1 FROM TJob WHERE State < 2").resultSets.at(0).rows.size() >
                        0)
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    if (profileStatus(*connection, profile) != 0) state.SkipWithError("the job failed");
                }
            })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    for (int profile = 1; profile <= 6; ++profile)
        summary.compare("profile " + std::to_string(profile) + ": directly",
                        "profile " + std::to_string(profile) + ": anchor, raw SQLite");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    summary.print("shadow data regeneration, whole period", "ms");
    return 0;
}
