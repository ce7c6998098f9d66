// Renders the program's windows, filled from a fresh demo database, to PNG
// files on the offscreen platform: the pictures of the README and a quick
// look at a window without a display.
//
//   screenshots OUTDIR [--turbines N] [--days N] [--only NAME]

#include "QuietPrompts.h"
#include "Shots.h"

#include "app/AppContext.h"
#include "app/TraceLog.h"
#include "demo/DemoSession.h"
#include "profiles/ApplicationWindows.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/demo/Demo.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <iostream>

namespace {

const char* const kUsage =
    "usage: screenshots OUTDIR [--turbines N] [--days N] [--only NAME] [--language UK|DE]\n"
    "  writes one PNG per window into OUTDIR (NAME.png); --only renders the one named,\n"
    "  --language shows the texts of that language folder (UK by default)\n";

// The offscreen platform reports every window's size hints as unsupported.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (text.contains(QLatin1String("propagateSizeHints"))) return;
    if (type != QtDebugMsg) std::cerr << text.toStdString() << std::endl;
}

int fail(const QString& text) {
    std::cerr << text.toStdString() << std::endl;
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    QApplication application(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    if (args.isEmpty() || args.front().startsWith(QLatin1String("-"))) {
        std::cerr << kUsage;
        return 2;
    }
    const QDir out(args.takeFirst());
    reportdb::demo::Options options;
    options.rawDataDays = 31;
    QString only;
    demo::SessionChoices choices;
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        const QString& option = args[i];
        if (option == QLatin1String("--turbines"))
            options.turbineCount = args[i + 1].toInt();
        else if (option == QLatin1String("--days"))
            options.rawDataDays = args[i + 1].toInt();
        else if (option == QLatin1String("--only"))
            only = args[i + 1];
        else if (option == QLatin1String("--language"))
            choices.language = args[i + 1];
        else
            return std::cerr << kUsage, 2;
    }
    if (!QDir().mkpath(out.path())) return fail(QStringLiteral("Cannot create ") + out.path());

    QTemporaryDir folder;
    const QString databasePath = folder.filePath(QStringLiteral("SkyloomDemo.db"));
    reportdb::demo::Summary summary;
    QString error;
    if (!reportdb::demo::writeDemoDatabase(databasePath, options, &summary, &error)) return fail(error);
    choices.sysDir = QStringLiteral(PA_LANG_DIR);
    choices.traceLevel = 0;
    const QString sessionFile = folder.filePath(QStringLiteral("Session.xml"));
    if (!app::writeSessionFile(sessionFile, {demo::demoSession(summary, databasePath, choices)}, &error))
        return fail(error);

    app::TraceLog trace;
    QuietPrompts prompts;
    app::AppContext context(prompts, trace, reportdb::makeConnectionFactory());
    context.session().SessionFile = sessionFile;
    context.session().SessionId = choices.sessionId;

    int written = 0;
    int failed = 0;
    {
        ApplicationWindows windows(context);
        screenshots::Stage stage{context, windows};
        if (!screenshots::startMainWindow(stage))
            return fail(QStringLiteral("The main window did not start"));
        for (const screenshots::Shot& shot : screenshots::allShots()) {
            if (!only.isEmpty() && only != QLatin1String(shot.name)) continue;
            const QString file = out.filePath(QLatin1String(shot.name) + QStringLiteral(".png"));
            if (screenshots::render(stage, shot, file)) {
                std::cout << file.toStdString() << std::endl;
                ++written;
            } else {
                std::cerr << "failed: " << shot.name << std::endl;
                ++failed;
            }
        }
    }
    context.windows() = app::SharedWindows{};
    if (written == 0 && failed == 0) return fail(QStringLiteral("No window is called ") + only);
    return failed == 0 ? 0 : 1;
}
