#include "tools/host/DemoCommand.h"

#include "app/SessionFile.h"
#include "demo/DemoSession.h"
#include "reportdb/demo/Demo.h"
#include "tools/host/ToolControl.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <iostream>

namespace {

const char* const kUsage =
    "usage: skyloom-host demo [options]\n"
    "  sets up the demo installation (when the folder has none) and starts the tool on it\n"
    "  --dir DIR            the installation folder [./demo]\n"
    "  --db-version V       database version of a new demo database [3.28.0.0]\n"
    "  --language L         session language [UK]\n"
    "  --features LIST      the user's feature codes [3,6,101,102,146,153]\n"
    "  --tool PATH          the tool to start [next to this program]\n"
    "  --lang DIR           the language files to copy [the repository's lang folder]\n"
    "  --prepare-only       set up the installation and the session, start nothing\n"
    "  --turbines N --days N  a smaller demo database (tests, quick looks) [40, 731]\n";

constexpr int kSessionId = 1;
const char* const kDatabaseFile = "SkyloomDemo.db";
const char* const kSessionFile = "Session.xml";

void say(const QString& line) { std::cout << line.toStdString() << std::endl; }
void complain(const QString& line) { std::cerr << line.toStdString() << std::endl; }

// The repository's language files: given, built in, or found near this program.
QString languageFolder(const QString& given) {
    if (!given.isEmpty()) return given;
    QStringList candidates;
#ifdef PA_LANG_DIR
    candidates << QStringLiteral(PA_LANG_DIR);
#endif
    const QDir here(QCoreApplication::applicationDirPath());
    candidates << here.filePath(QStringLiteral("../../lang")) << here.filePath(QStringLiteral("../lang"))
               << here.filePath(QStringLiteral("lang"));
    for (const QString& candidate : candidates)
        if (QFileInfo(QDir(candidate).filePath(QStringLiteral("UK"))).isDir())
            return QDir(candidate).absolutePath();
    return {};
}

// Copies every language folder into the system folder; the copies follow
// the repository's files, so they are refreshed each time.
bool copyLanguageFiles(const QString& from, const QString& systemDir, QString* error) {
    const QDir source(from);
    for (const QString& language : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir languageDir(source.filePath(language));
        const QDir target(QDir(systemDir).filePath(language));
        if (!QDir().mkpath(target.path())) {
            *error = QStringLiteral("The folder '%1' cannot be created").arg(target.path());
            return false;
        }
        for (const QString& file : languageDir.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
            const QString destination = target.filePath(file);
            QFile::remove(destination);
            if (!QFile::copy(languageDir.filePath(file), destination)) {
                *error = QStringLiteral("'%1' cannot be copied to '%2'")
                             .arg(languageDir.filePath(file), destination);
                return false;
            }
        }
    }
    return true;
}

// Moves a database file (with its write-ahead log) to `target`, replacing
// what was there.
bool replaceFile(const QString& path, const QString& target, QString* error) {
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QString from = path + QLatin1String(suffix);
        const QString to = target + QLatin1String(suffix);
        QFile::remove(to);
        if (QFileInfo::exists(from) && !QFile::rename(from, to)) {
            *error = QStringLiteral("'%1' cannot be moved to '%2'").arg(from, to);
            return false;
        }
    }
    return true;
}

}  // namespace

int runDemoCommand(const QStringList& args) {
    QString dir = QStringLiteral("demo");
    QString language = QStringLiteral("UK");
    QString features = QStringLiteral("3,6,101,102,146,153");
    QString toolPath;
    QString langDir;
    bool prepareOnly = false;
    bool versionGiven = false;
    reportdb::demo::Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& option = args[i];
        if (option == QLatin1String("--prepare-only")) {
            prepareOnly = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            std::cerr << kUsage;
            return 2;
        }
        const QString value = args[++i];
        bool ok = true;
        if (option == QLatin1String("--dir")) {
            dir = value;
        } else if (option == QLatin1String("--db-version")) {
            options.versionText = value;
            versionGiven = true;
        } else if (option == QLatin1String("--language")) {
            language = value;
        } else if (option == QLatin1String("--features")) {
            features = value;
        } else if (option == QLatin1String("--tool")) {
            toolPath = value;
        } else if (option == QLatin1String("--lang")) {
            langDir = value;
        } else if (option == QLatin1String("--turbines")) {
            options.turbineCount = value.toInt(&ok);
        } else if (option == QLatin1String("--days")) {
            options.rawDataDays = value.toInt(&ok);
        } else {
            ok = false;
        }
        if (!ok) {
            std::cerr << kUsage;
            return 2;
        }
    }

    const QString base = QDir(dir).absolutePath();
    for (const char* folder : {"", "System", "Data", "Projects"}) {
        if (!QDir().mkpath(QDir(base).filePath(QLatin1String(folder)))) {
            complain(QStringLiteral("The folder '%1' cannot be created").arg(base));
            return 1;
        }
    }
    const QString databasePath = QDir(base).filePath(QLatin1String(kDatabaseFile));
    reportdb::demo::Summary summary;
    QString error;
    if (QFileInfo::exists(databasePath)) {
        if (!reportdb::demo::readDemoSummary(databasePath, &summary, &error)) {
            complain(error);
            return 1;
        }
        // A demo written by an older program lacks what this one shows: it is
        // kept aside, and a new one is written.
        if (summary.contentVersion < reportdb::demo::kDemoContentVersion) {
            const QString kept = databasePath + QStringLiteral(".old");
            say(QStringLiteral("the demo database was written by an older program; it is kept as %1")
                    .arg(kept));
            if (!replaceFile(databasePath, kept, &error)) {
                complain(error);
                return 1;
            }
        }
    }
    if (!QFileInfo::exists(databasePath)) {
        say(QStringLiteral("writing the demo database %1").arg(databasePath));
        QElapsedTimer timer;
        timer.start();
        if (!reportdb::demo::writeDemoDatabase(databasePath, options, &summary, &error)) {
            complain(error);
            return 1;
        }
        say(QStringLiteral("demo database written in %1 ms").arg(timer.elapsed()));
    } else {
        if (versionGiven && summary.versionText != options.versionText)
            say(QStringLiteral(
                    "the existing demo database has version %1; remove %2 to write one of version %3")
                    .arg(summary.versionText, databasePath, options.versionText));
    }

    const QString languages = languageFolder(langDir);
    if (languages.isEmpty()) {
        complain(QStringLiteral("The language files were not found; give their folder with --lang DIR"));
        return 1;
    }
    if (!copyLanguageFiles(languages, QDir(base).filePath(QStringLiteral("System")), &error)) {
        complain(error);
        return 1;
    }

    const QString sessionFile = QDir(base).filePath(QLatin1String(kSessionFile));
    demo::SessionChoices choices;
    choices.sessionId = kSessionId;
    choices.language = language;
    choices.features = features;
    choices.baseDir = base;
    if (!app::writeSessionFile(sessionFile, {demo::demoSession(summary, databasePath, choices)}, &error)) {
        complain(error);
        return 1;
    }
    say(QStringLiteral("demo session %1 in %2").arg(kSessionId).arg(sessionFile));
    if (prepareOnly) return 0;
    return startToolAndRelay(toolPath.isEmpty() ? defaultToolPath() : toolPath, sessionFile, kSessionId);
}
