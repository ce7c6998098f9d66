// The real program, started by the stand-in host on a demo database, answers
// the host's commands and ends on the close command.

#include "app/SessionFile.h"
#include "demo/DemoSession.h"
#include "reportdb/demo/Demo.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

namespace {

bool traceContains(const QString& folder, const QString& text) {
    const auto files = QDir(folder).entryInfoList({QStringLiteral("ProfileAdmin_Trace_*.log")}, QDir::Files);
    for (const auto& info : files) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text.toUtf8())) return true;
    }
    return false;
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
    QDeadlineTimer loaded(30000);
    while (!traceContains(traceFolder, QStringLiteral("Start-up finished")) && !loaded.hasExpired())
        QThread::msleep(100);
    ASSERT_TRUE(traceContains(traceFolder, QStringLiteral("Start-up finished")));

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

}  // namespace
