// The real program, started by the stand-in host on a demo database, answers
// the host's commands and ends on the close command.

#include "app/SessionFile.h"
#include "demo/DemoSession.h"
#include "reportdb/demo/Demo.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>

namespace {

bool traceContains(const QString& folder, const QString& text) {
    const auto files = QDir(folder).entryInfoList({QStringLiteral("ProfileAdmin_Trace_*.log")}, QDir::Files);
    for (const auto& info : files) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text.toUtf8())) return true;
    }
    return false;
}

// Waits until a trace log in `folder` holds `text`, reading the logs again
// whenever the folder or one of them changes.
bool waitForTrace(const QString& folder, const QString& text, int timeoutMs) {
    QFileSystemWatcher watcher({folder});
    QEventLoop loop;
    const auto check = [&] {
        // Watched before they are read, so no change is missed.
        for (const auto& info : QDir(folder).entryInfoList({QStringLiteral("*.log")}, QDir::Files))
            if (!watcher.files().contains(info.filePath())) watcher.addPath(info.filePath());
        if (traceContains(folder, text)) loop.quit();
    };
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, check);
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &loop, check);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &loop, check);
    loop.exec();
    return traceContains(folder, text);
}

// Reads lines of the host's output until one starts with `prefix`.
QString readLineStartingWith(QProcess& host, const QString& prefix, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        while (host.canReadLine()) {
            const auto line = QString::fromUtf8(host.readLine()).trimmed();
            if (line.startsWith(prefix)) return line;
        }
        if (host.state() == QProcess::NotRunning) break;
        host.waitForReadyRead(200);
    }
    return {};
}

TEST(ToolEndToEnd, HostStartsTheToolAsksItAndClosesIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString databasePath = dir.filePath(QStringLiteral("demo.sqlite"));
    reportdb::demo::Options options;
    options.turbineCount = 4;
    options.rawDataDays = 10;
    reportdb::demo::Summary summary;
    QString error;
    ASSERT_TRUE(reportdb::demo::writeDemoDatabase(databasePath, options, &summary, &error))
        << error.toStdString();

    demo::SessionChoices choices;
    choices.sessionId = 4242;
    choices.features = QStringLiteral("3,101,146");
    choices.sysDir = QStringLiteral(PA_LANG_DIR);
    const app::SessionDescription session = demo::demoSession(summary, databasePath, choices);
    const QString sessionFile = dir.filePath(QStringLiteral("session.xml"));
    ASSERT_TRUE(app::writeSessionFile(sessionFile, {session}, &error)) << error.toStdString();

    const QString traceFolder = dir.filePath(QStringLiteral("logs"));
    ASSERT_TRUE(QDir().mkpath(traceFolder));  // watched from the start
    // The channel's socket goes into a folder of the test's own, so nothing
    // is left behind whatever happens to the tool.
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcess host;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("PA_TRACE_DIR"), traceFolder);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    host.setProcessEnvironment(environment);
    host.start(QStringLiteral(PA_HOST_PATH), {QStringLiteral("start"), sessionFile, QStringLiteral("4242"),
                                              QStringLiteral("--tool"), QStringLiteral(PA_TOOL_PATH)});
    ASSERT_TRUE(host.waitForStarted(10000));
    ASSERT_FALSE(readLineStartingWith(host, QStringLiteral("connected to the tool"), 30000).isEmpty());

    // The profile list has loaded when the tool says so in its trace log.
    ASSERT_TRUE(waitForTrace(traceFolder, QStringLiteral("Start-up finished"), 30000));

    const struct {
        const char* command;
        const char* answer;
    } exchange[] = {
        {"active?", "code=20 answer=20"},  // the monitor counts its start as activity
        {"minimise", "code=6 answer=0"},
        {"restore", "code=7 answer=0"},
        {"front", "code=9 answer=0"},
    };
    for (const auto& step : exchange) {
        host.write(QByteArray(step.command) + '\n');
        EXPECT_EQ(readLineStartingWith(host, QStringLiteral("code="), 15000), QLatin1String(step.answer))
            << step.command;
    }
    // Every command is answered while the session-locked window is up, and
    // the host can close the tool while it is locked.
    host.write("lock\nactive?\nunlock\nlock\nclose\n");
    for (const char* answer :
         {"code=11 answer=0", "code=20 answer=20", "code=12 answer=0", "code=11 answer=0", "code=2 answer=0"})
        EXPECT_EQ(readLineStartingWith(host, QStringLiteral("code="), 15000), QLatin1String(answer));
    EXPECT_EQ(readLineStartingWith(host, QStringLiteral("the tool ended"), 20000),
              QStringLiteral("the tool ended with exit code 0"));
    host.closeWriteChannel();
    EXPECT_TRUE(host.waitForFinished(10000));
    EXPECT_EQ(host.exitCode(), 0);
    EXPECT_TRUE(traceContains(traceFolder, QStringLiteral("Session unlocked")));
    EXPECT_TRUE(QDir(runtime.path()).isEmpty()) << "the tool left its socket behind";
}

// The stand-in host writes session files as the host does and shows them as
// the tool reads them.
TEST(ToolEndToEnd, HostWritesAndShowsSessions) {
    QTemporaryDir dir;
    const QString desc = dir.filePath(QStringLiteral("desc.json"));
    const QString file = dir.filePath(QStringLiteral("session.xml"));
    {
        QFile f(desc);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"([{"SessionId": 2, "UserInit": "TWO"},
                    {"SessionId": 5, "UserInit": "FIVE", "ParkUnits": [{"SParkUnitId": 8, "UnitTypeTitle": "V90"}],
                     "Scenarios": [{"SScenarioId": 1, "ScenarioName": "All", "ParkUnitIds": [8]}]}])");
    }
    const auto run = [](const QStringList& args, QByteArray* out = nullptr) {
        QProcess p;
        p.start(QStringLiteral(PA_HOST_PATH), args);
        EXPECT_TRUE(p.waitForFinished(30000));
        if (out) *out = p.readAllStandardOutput() + p.readAllStandardError();
        return p.exitCode();
    };
    QByteArray out;
    ASSERT_EQ(run({"session", "write", file, "--json", desc, "--features", "3,146", "--online", "NO",
                   "--online-connection", "Data Source=on;User ID=sa;Password=pw", "--offline-connection",
                   "Data Source=off", "--user-type", "Korvane", "--trace-level", "4"},
                  &out),
              0)
        << out.toStdString();
    ASSERT_EQ(run({"session", "show", file, "5"}, &out), 0) << out.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(out).object();
    const QJsonObject expected = QJsonDocument::fromJson(R"({
        "UserInit": "FIVE", "FeatureCodes": [3, 146], "OnlineFlag": false, "KorvaneUser": true, "TraceLevel": 4,
        "OnlineConnection": {"DataSource": "on", "Catalog": "", "UserName": "sa", "Password": "pw"},
        "OfflineConfiguration": "Data Source=off", "Scenarios": [{"SScenarioId": 1, "ScenarioName": "All",
        "ParkUnitIds": [8]}], "Loaded": true})")
                                     .object();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_EQ(json[it.key()], it.value()) << it.key().toStdString();
    EXPECT_EQ(json[u"UnitTypes"][0][u"UnitTypeTitle"].toString(), QStringLiteral("V90"));
    ASSERT_EQ(run({"session", "show", file, "2"}, &out), 0);
    EXPECT_EQ(QJsonDocument::fromJson(out).object()[u"UserInit"].toString(), QStringLiteral("TWO"));

    EXPECT_EQ(run({"session", "show", file, "4"}, &out), 1);
    EXPECT_TRUE(out.contains("Session was not found in XML file (SessionId = 4)")) << out.toStdString();
    // Usage errors: a flag that would give both sessions one id, an unknown flag, a missing id.
    for (const QStringList& args :
         {QStringList{"session", "write", file, "--json", desc, "--session-id", "3"},
          QStringList{"session", "write", file, "--colour", "red"}, QStringList{"session", "show", file}})
        EXPECT_EQ(run(args), 2) << args.join(u' ').toStdString();

    // A session on a server database is written; one with a login the tool cannot use is refused.
    EXPECT_EQ(run({"session", "write", file, "--server", "db01", "--login", "report", "--password", "pw"}),
              0);
    EXPECT_EQ(run({"session", "write", file, "--online-connection",
                   "Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=db01"},
                  &out),
              1);
    EXPECT_TRUE(out.contains("SQL Server login")) << out.toStdString();
}

}  // namespace
