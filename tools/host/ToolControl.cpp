#include "tools/host/ToolControl.h"

#include "app/HostClient.h"
#include "app/HostCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace {

void say(const QString& line) { std::cout << line.toStdString() << std::endl; }

}  // namespace

int hostCodeFromWord(const QString& word) {
    static const struct {
        const char* word;
        int code;
    } words[] = {
        {"reset", app::HostResetA},
        {"close", app::HostCloseA},
        {"minimise", app::HostMinimise},
        {"minimize", app::HostMinimise},
        {"restore", app::HostRestore},
        {"front", app::HostBringToFront},
        {"lost", app::HostConnectionLost},
        {"lock", app::HostShowSessionLocked},
        {"unlock", app::HostCloseSessionLocked},
        {"active?", app::HostActivityQuery},
    };
    const auto w = word.trimmed().toLower();
    for (const auto& entry : words)
        if (w == QLatin1String(entry.word)) return entry.code;
    bool ok = false;
    const int number = w.toInt(&ok);
    return ok && number >= 0 ? number : -1;
}

QString defaultToolPath() {
    const QString name = QStringLiteral("SQL_Report_ProfileAdministrator");
    const QDir here(QCoreApplication::applicationDirPath());
    for (const auto& candidate : {here.filePath(name), here.filePath(QStringLiteral("../../src/") + name),
                                  here.filePath(QStringLiteral("../src/") + name)}) {
        if (QFileInfo(candidate).isExecutable()) return QFileInfo(candidate).canonicalFilePath();
    }
    return QStandardPaths::findExecutable(name);
}

int startToolAndRelay(const QString& toolPath, const QString& sessionFile, int sessionId) {
    if (toolPath.isEmpty() || !QFileInfo(toolPath).isExecutable()) {
        std::cerr << "The tool was not found; give its path with --tool PATH" << std::endl;
        return 1;
    }
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.start(toolPath, {QFileInfo(sessionFile).absoluteFilePath(), QString::number(sessionId)});
    if (!tool.waitForStarted(10000)) {
        std::cerr << "The tool could not be started: " << tool.errorString().toStdString() << std::endl;
        return 1;
    }

    app::HostClient client;
    QString error;
    if (!client.connectToTool(sessionId, 20000, &error)) {
        std::cerr << "The tool's channel did not answer: " << error.toStdString() << std::endl;
        tool.kill();
        tool.waitForFinished(5000);
        return 1;
    }
    say(QStringLiteral("connected to the tool (process %1)").arg(tool.processId()));

    // Commands go out as they are typed; each reply is printed when it comes,
    // so a command the tool answers late holds back none after it.
    QObject relay;
    client.setReplyHandler([](const app::HostReply& reply) {
        say(QStringLiteral("code=%1 answer=%2").arg(reply.code).arg(reply.answer));
    });
    client.setDisconnectedHandler([](const std::vector<int>& unanswered) {
        for (const int code : unanswered) say(QStringLiteral("code=%1 no answer").arg(code));
    });
    const auto handleLine = [&client](const QString& line) {
        if (line.trimmed().isEmpty()) return;
        const int code = hostCodeFromWord(line);
        if (code < 0) {
            say(QStringLiteral("unknown command: ") + line);
            return;
        }
        if (!client.post(code)) say(QStringLiteral("code=%1 no answer").arg(code));
    };
    // Standard input is read on its own thread; each line is handled on the
    // main thread, where the client lives.
    std::thread reader([&relay, handleLine] {
        std::string line;
        while (std::getline(std::cin, line)) {
            const auto text = QString::fromStdString(line);
            QMetaObject::invokeMethod(
                &relay, [handleLine, text] { handleLine(text); }, Qt::QueuedConnection);
        }
    });
    reader.detach();

    int exitCode = 0;
    QObject::connect(&tool, &QProcess::finished, &relay, [&exitCode](int code, QProcess::ExitStatus) {
        exitCode = code;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    say(QStringLiteral("the tool ended with exit code %1").arg(exitCode));
    return exitCode;
}

int runStartCommand(const QStringList& args) {
    if (args.size() < 2) {
        std::cerr << "usage: skyloom-host start SESSIONFILE ID [--tool PATH]" << std::endl;
        return 2;
    }
    QString toolPath = defaultToolPath();
    const int toolIndex = args.indexOf(QStringLiteral("--tool"));
    if (toolIndex >= 0 && toolIndex + 1 < args.size()) toolPath = args[toolIndex + 1];
    bool ok = false;
    const int sessionId = args[1].toInt(&ok);
    if (!ok || sessionId <= 0) {
        std::cerr << "The session id must be a positive number" << std::endl;
        return 2;
    }
    return startToolAndRelay(toolPath, args[0], sessionId);
}

int runSendCommand(const QStringList& args) {
    if (args.size() != 2) {
        std::cerr << "usage: skyloom-host send ID CODE" << std::endl;
        return 2;
    }
    const int sessionId = args[0].toInt();
    const int code = hostCodeFromWord(args[1]);
    if (sessionId <= 0 || code < 0) {
        std::cerr << "usage: skyloom-host send ID CODE" << std::endl;
        return 2;
    }
    app::HostClient client;
    if (!client.connectToTool(sessionId, 5000)) {
        std::cerr << "No tool answers for session " << sessionId << std::endl;
        return 1;
    }
    const auto reply = client.send(code, 5000);
    if (!reply) {
        std::cerr << "No answer within 5 s" << std::endl;
        return 1;
    }
    say(QStringLiteral("code=%1 answer=%2").arg(reply->code).arg(reply->answer));
    return 0;
}
