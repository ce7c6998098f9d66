// Time and peak memory from process start to the loaded profile list: the real
// program, started on a demo database (and on one with 2,000 profiles),
// measured until it reports the end of its start-up sequence in its trace
// log; and, as the anchor, a bare Qt Widgets program showing a 20x5 table,
// started and measured the same way, in the same rounds. The summary gives
// min and median of each and the ratios to the bare program.

#include "app/SessionFile.h"
#include "demo/DemoSession.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/Server.h"
#include "reportdb/demo/Demo.h"

#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

// One start of a program, measured until it reports the end of its start-up
// in a log file under $PA_TRACE_DIR: the wall time, and the peak resident
// memory (VmHWM) at that moment.
struct Start {
    double ms = 0;
    double peakMiB = 0;
};

double peakMiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

bool logSays(const QString& folder, const QByteArray& text) {
    for (const auto& info : QDir(folder).entryInfoList({QStringLiteral("*.log")}, QDir::Files)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text)) return true;
    }
    return false;
}

std::optional<Start> startOnce(const QString& program, const QStringList& arguments) {
    QTemporaryDir logs;
    QProcess process;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("PA_TRACE_DIR"), logs.path());
    process.setProcessEnvironment(env);

    // The log is looked at whenever the folder or a file in it changes
    // (inotify), so the report is seen as soon as it is written.
    QEventLoop loop;
    QFileSystemWatcher watcher({logs.path()});
    Start start;
    bool seen = false;
    QElapsedTimer clock;
    const auto check = [&] {
        if (seen) return;
        for (const auto& info : QDir(logs.path()).entryInfoList({QStringLiteral("*.log")}, QDir::Files))
            if (!watcher.files().contains(info.filePath())) watcher.addPath(info.filePath());
        if (!logSays(logs.path(), "Start-up finished")) return;
        start.ms = double(clock.nsecsElapsed()) / 1e6;
        start.peakMiB = peakMiB(process.processId());
        seen = true;
        loop.quit();
    };
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, check);
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &loop, check);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);

    clock.start();
    process.start(program, arguments);
    loop.exec();
    process.kill();
    process.waitForFinished(5000);
    if (!seen) return std::nullopt;
    return start;
}

// Every start of the run, by case, for the summary at the end.
std::map<std::string, std::vector<Start>> allStarts;
std::map<std::string, std::vector<Start>>& samples() { return allStarts; }

// One round starts each case once, the bare program first: rounds of the
// three side by side see the same load of the (shared) machine, which a
// whole series of one case after the other would not.
void startsSideBySide(benchmark::State& state) {
    const auto demo = makeInstallation(0);
    const auto large = makeInstallation(2000);
    const struct {
        std::string name;
        QString program;
        QStringList arguments;
    } cases[] = {
        {"bare Qt table", QStringLiteral(PA_BARE_PATH), {}},
        {"tool, demo database", QStringLiteral(PA_TOOL_PATH), {demo->sessionFile, QStringLiteral("1")}},
        {"tool, demo + 2,000 profiles",
         QStringLiteral(PA_TOOL_PATH),
         {large->sessionFile, QStringLiteral("1")}},
    };
    for (auto _ : state) {
        for (const auto& c : cases) {
            const std::optional<Start> start = startOnce(c.program, c.arguments);
            if (!start) {
                state.SkipWithError((c.name + " did not report the end of its start-up").c_str());
                return;
            }
            samples()[c.name].push_back(*start);
            // The iteration's time is the tool's on the demo database.
            if (c.program == QStringLiteral(PA_TOOL_PATH) && c.arguments.value(0) == demo->sessionFile)
                state.SetIterationTime(start->ms / 1000.0);
        }
    }
}
BENCHMARK(startsSideBySide)->UseManualTime()->Iterations(11)->Unit(benchmark::kMillisecond);

double minimum(std::vector<double> values) { return *std::min_element(values.begin(), values.end()); }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Min and median of each case, and the tool's against the bare program's.
void printSummary() {
    const auto column = [](const std::vector<Start>& runs, double Start::*field) {
        std::vector<double> values;
        for (const Start& run : runs) values.push_back(run.*field);
        return values;
    };
    const auto bare = samples().find("bare Qt table");
    std::printf("\n%-30s %10s %10s %12s %12s %14s %14s %14s\n", "start to report", "min ms", "median ms",
                "min MiB", "median MiB", "ms vs bare", "MiB vs bare", "ms, by round");
    for (const auto& [name, runs] : samples()) {
        if (runs.empty()) continue;
        const auto ms = column(runs, &Start::ms);
        const auto mib = column(runs, &Start::peakMiB);
        std::printf("%-30s %10.1f %10.1f %12.1f %12.1f", name.c_str(), minimum(ms), median(ms), minimum(mib),
                    median(mib));
        if (bare != samples().end() && !bare->second.empty() && name != bare->first) {
            const auto bareMs = column(bare->second, &Start::ms);
            const auto bareMiB = column(bare->second, &Start::peakMiB);
            // Also the median of each round's ratio (the bare program started
            // just before): the load of the machine changes less within a round.
            std::vector<double> rounds;
            for (size_t i = 0; i < std::min(ms.size(), bareMs.size()); ++i)
                rounds.push_back(ms[i] / bareMs[i]);
            std::printf(" %13.2fx %13.2fx %13.2fx", median(ms) / median(bareMs),
                        median(mib) / median(bareMiB), median(rounds));
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
