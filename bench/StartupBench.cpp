// Time from process start to the loaded profile list: the real program,
// started on a demo database (and on one with 2,000 profiles), measured until
// it reports the end of its start-up sequence in its trace log.

#include "app/SessionFile.h"
#include "demo/DemoSession.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/Server.h"
#include "reportdb/demo/Demo.h"

#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

struct Installation {
    QTemporaryDir dir;
    QString sessionFile;
};

std::unique_ptr<Installation> makeInstallation(int extraProfiles) {
    auto inst = std::make_unique<Installation>();
    const QString path = inst->dir.filePath(QStringLiteral("demo.sqlite"));
    reportdb::demo::Summary summary;
    QString error;
    if (!reportdb::demo::writeDemoDatabase(path, {}, &summary, &error)) qFatal("%s", qPrintable(error));
    if (extraProfiles > 0) {
        auto server = reportdb::Server::open(path, &error);
        auto connection = server->connect(&error);
        db::Command sql;
        sql.text =
            QStringLiteral(
                "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                "INSERT INTO TReportProfile (ReportProfileTitle, ReportProfileLocked, "
                "ReportProfileIdentifier, "
                "ReportProfileJobScheduleEnabled, ReportProfileDescription) "
                "SELECT 'Benchmark profile ' || x, 0, 'BM' || x, 0, 'A profile for the start-up benchmark' "
                "FROM n;"
                "INSERT INTO TUser_TReportProfile (UserId, ReportProfileId) "
                "SELECT %2, ReportProfileId FROM TReportProfile WHERE ReportProfileIdentifier LIKE 'BM%';")
                .arg(extraProfiles)
                .arg(summary.administratorUserId);
        const auto result = connection->execute(sql);
        if (!result.ok()) qFatal("%s", qPrintable(result.error));
    }
    demo::SessionChoices choices;
    choices.traceLevel = 1;
    choices.features = QStringLiteral("3,101,146");
    choices.sysDir = QStringLiteral(PA_LANG_DIR);
    const app::SessionDescription session = demo::demoSession(summary, path, choices);
    inst->sessionFile = inst->dir.filePath(QStringLiteral("session.xml"));
    if (!app::writeSessionFile(inst->sessionFile, {session}, &error)) qFatal("%s", qPrintable(error));
    return inst;
}

bool traceSays(const QString& folder, const QByteArray& text) {
    for (const auto& info : QDir(folder).entryInfoList({QStringLiteral("*.log")}, QDir::Files)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text)) return true;
    }
    return false;
}

void startToLoadedList(benchmark::State& state) {
    const auto inst = makeInstallation(int(state.range(0)));
    for (auto _ : state) {
        QTemporaryDir logs;
        QProcess tool;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("PA_TRACE_DIR"), logs.path());
        tool.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        tool.start(QStringLiteral(PA_TOOL_PATH), {inst->sessionFile, QStringLiteral("1")});
        QDeadlineTimer deadline(60000);
        while (!traceSays(logs.path(), "Start-up finished") && !deadline.hasExpired()) QThread::msleep(5);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        tool.kill();
        tool.waitForFinished(5000);
    }
    state.SetLabel(state.range(0) ? "demo + 2,000 profiles" : "demo database");
}
BENCHMARK(startToLoadedList)
    ->Arg(0)
    ->Arg(2000)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
