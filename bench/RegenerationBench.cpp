// Regenerating the shadow data of each demo profile over its whole period,
// on the full demo database: directly inside the call, and as a database
// job watched until its status reaches 0. Also the writing of the demo.

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/Server.h"
#include "reportdb/demo/Demo.h"

#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <iostream>
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
                    const db::Result result =
                        run(*connection,
                            QStringLiteral(
                                "DCE_SP_UpdateShadowDataForParkUnitsInProfile @ReportProfileId = %1, %2")
                                .arg(profile)
                                .arg(kPeriod));
                    if (!result.ok()) state.SkipWithError(result.error.toStdString().c_str());
                }
            })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
