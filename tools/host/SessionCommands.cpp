#include "tools/host/SessionCommands.h"

#include "app/SessionFile.h"
#include "app/SessionReader.h"
#include "db/odbc/ConnectionString.h"
#include "ui/Prompts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <functional>
#include <iostream>

namespace {

const char* const kUsage =
    "usage:\n"
    "  skyloom-host session write FILE [options]\n"
    "      writes a session file the way the host does; scrambled attributes are\n"
    "      scrambled with the seeds of HelpValue and ExtraHelpValue\n"
    "  skyloom-host session show FILE ID\n"
    "      reads session ID of FILE as the tool does and prints the session record as\n"
    "      JSON (UnitTypes derived from the park units); prints the tool's message and\n"
    "      exits with 1 when the file cannot be read\n"
    "\n"
    "options of write (flags override the JSON description):\n"
    "  --json DESC.json            an object describing one session, or an array of them\n"
    "  --session-id N              --user-id N            --user-init TEXT\n"
    "  --language NAME             --sys-dir DIR          --base-dir DIR\n"
    "  --data-dir DIR              --db-version A.B.C.D   --online YES|NO\n"
    "  --trace-level N             --features \"3,101\"     --user-type TEXT\n"
    "  --help-value TEXT           --extra-help-value TEXT\n"
    "  --online-connection TEXT    --offline-connection TEXT\n"
    "  --server HOST[,PORT]|HOST\\INSTANCE  --catalog NAME  --login NAME  --password TEXT\n"
    "      the online connection names a reporting database on SQL Server, reached\n"
    "      with that SQL Server login (written as an OLE DB string, as the host does)\n"
    "  With an array of sessions, flags apply to every session (except --session-id).\n"
    "\n"
    "JSON keys of a session (all optional; defaults in brackets):\n"
    "  numbers: SessionId [1], UserId [0], TraceLevel [1], UserTypeInfo [0]\n"
    "  texts:   UserInit, Language [UK], Phonebook, ReportLogo1, ReportLogo2,\n"
    "           HelpValue [K7Q2] (4 characters or more), ExtraHelpValue [M5],\n"
    "           DBVersion, Online [YES], FeatureCode (\"3,101,146\"), UserType\n"
    "           (\"Korvane\" marks a Korvane user), DataCode, CompleteDataCode,\n"
    "           ProgramFilesDir, BaseDir, DataDir, PhoneDir, SysDir, PictureDir,\n"
    "           ProjectDir, ParkName, ScenarioActive,\n"
    "           OnlineConfiguration, OfflineConfiguration (connection strings, e.g.\n"
    "           \"Provider=Embedded;Data Source=/tmp/r.db;Initial Catalog=Reports\")\n"
    "  ParkUnits: [{SParkUnitId, ParkUnitTitle, CommunicationLabel,\n"
    "           ParkUnitSerialNumber, UnitTypeId, UnitTypeTitle, DeviceTitle,\n"
    "           UnitTypeCapacity, EventListId, EventListFileName}, ...]\n"
    "  Scenarios: [{SScenarioId, ScenarioName, ParkUnitIds: [1, 2]}, ...]\n"
    "FeatureCode, UserType, UserTypeInfo, DataCode, CompleteDataCode and the two\n"
    "configurations are given in plain text; the file holds them scrambled.\n";

int usage() {
    std::cerr << kUsage;
    return 2;
}

void printError(const QString& text) { std::cerr << text.toStdString() << std::endl; }

// The tool's messages on standard error; nothing to ask on a console, so
// questions take their default and file dialogs are cancelled.
class ConsolePrompts : public ui::Prompts {
public:
    void message(ui::Icon, const QString& text, const QString& caption) override {
        printError(caption + QStringLiteral(": ") + text);
    }
    ui::Button question(ui::Icon, const QString& text, const QString& caption, ui::Buttons,
                        ui::Button defaultButton) override {
        printError(caption + QStringLiteral(": ") + text);
        return defaultButton;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void setClipboardText(const QString&) override {}
    bool openWithDesktop(const QString&) override { return false; }
    bool openUrl(const QString&) override { return false; }
    QString defaultPrinterName() override { return {}; }
};

bool parseInt(const QString& text, int* out) {
    bool ok = false;
    *out = text.toInt(&ok);
    return ok;
}

// Reads the --json file into descriptions; false with the reason printed.
bool readDescriptions(const QString& path, QList<app::SessionDescription>& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(path + QStringLiteral(": ") + file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (doc.isNull()) {
        printError(path + QStringLiteral(": ") + parseError.errorString() +
                   QStringLiteral(" at offset %1").arg(parseError.offset));
        return false;
    }
    QList<QJsonObject> objects;
    if (doc.isObject()) {
        objects.append(doc.object());
    } else {
        for (const QJsonValue& v : doc.array()) {
            if (!v.isObject()) {
                printError(path + QStringLiteral(": every element of the array must be an object"));
                return false;
            }
            objects.append(v.toObject());
        }
    }
    QStringList problems;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        QStringList these;
        out.append(app::sessionDescriptionFromJson(objects[i], &these));
        for (const QString& p : these)
            problems.append(doc.isArray() ? QStringLiteral("[%1] ").arg(i) + p : p);
    }
    for (const QString& p : problems) printError(path + QStringLiteral(": ") + p);
    return problems.isEmpty();
}

using Setter = std::function<bool(app::SessionDescription&, const QString&)>;

Setter textSetter(QString app::SessionDescription::*member) {
    return [member](app::SessionDescription& d, const QString& v) {
        d.*member = v;
        return true;
    };
}

Setter numberSetter(int app::SessionDescription::*member) {
    return [member](app::SessionDescription& d, const QString& v) { return parseInt(v, &(d.*member)); };
}

Setter setterFor(const QString& option) {
    using D = app::SessionDescription;
    const struct {
        const char* option;
        QString D::*text;
        int D::*number;
    } options[] = {
        {"--session-id", nullptr, &D::SessionId},
        {"--user-id", nullptr, &D::UserId},
        {"--user-init", &D::UserInit, nullptr},
        {"--language", &D::Language, nullptr},
        {"--sys-dir", &D::SysDir, nullptr},
        {"--base-dir", &D::BaseDir, nullptr},
        {"--data-dir", &D::DataDir, nullptr},
        {"--db-version", &D::DBVersion, nullptr},
        {"--online", &D::Online, nullptr},
        {"--trace-level", nullptr, &D::TraceLevel},
        {"--features", &D::FeatureCode, nullptr},
        {"--user-type", &D::UserType, nullptr},
        {"--help-value", &D::HelpValue, nullptr},
        {"--extra-help-value", &D::ExtraHelpValue, nullptr},
        {"--online-connection", &D::OnlineConfiguration, nullptr},
        {"--offline-connection", &D::OfflineConfiguration, nullptr},
    };
    for (const auto& o : options) {
        if (option == QLatin1StringView(o.option))
            return o.text ? textSetter(o.text) : numberSetter(o.number);
    }
    return {};
}

// A value of an OLE DB string, quoted when it would otherwise end early.
QString oleDbValue(const QString& value) {
    if (!value.contains(u';') && !value.contains(u'\'') && !value.contains(u'"') && value.trimmed() == value)
        return value;
    QString quoted = value;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

// The online connection of a server database, from --server, --catalog,
// --login and --password.
struct ServerOptions {
    QString server, catalog, login, password;
    bool given = false;

    bool take(const QString& option, const QString& value) {
        QString* field = option == u"--server"     ? &server
                         : option == u"--catalog"  ? &catalog
                         : option == u"--login"    ? &login
                         : option == u"--password" ? &password
                                                   : nullptr;
        if (!field) return false;
        *field = value;
        given = true;
        return true;
    }
    QString connectionString() const {
        QStringList parts{QStringLiteral("Provider=SQLOLEDB.1"),
                          QStringLiteral("Persist Security Info=True")};
        parts << QStringLiteral("Data Source=") + oleDbValue(server);
        if (!catalog.isEmpty()) parts << QStringLiteral("Initial Catalog=") + oleDbValue(catalog);
        parts << QStringLiteral("User ID=") + oleDbValue(login)
              << QStringLiteral("Password=") + oleDbValue(password);
        return parts.join(u';');
    }
};

int runWrite(const QStringList& args) {
    if (args.isEmpty()) return usage();
    const QString path = args.first();
    QString jsonPath;
    QList<std::pair<Setter, QString>> overrides;
    bool sessionIdGiven = false;
    ServerOptions server;
    for (qsizetype i = 1; i < args.size(); i += 2) {
        const QString& option = args[i];
        if (i + 1 >= args.size()) {
            printError(option + QStringLiteral(" needs a value"));
            return usage();
        }
        if (option == u"--json") {
            jsonPath = args[i + 1];
            continue;
        }
        if (server.take(option, args[i + 1])) continue;
        Setter setter = setterFor(option);
        if (!setter) {
            printError(QStringLiteral("unknown option ") + option);
            return usage();
        }
        sessionIdGiven = sessionIdGiven || option == u"--session-id";
        overrides.append({setter, args[i + 1]});
    }

    QList<app::SessionDescription> sessions;
    if (jsonPath.isEmpty())
        sessions.append(app::SessionDescription());
    else if (!readDescriptions(jsonPath, sessions))
        return 1;
    if (sessions.isEmpty()) {
        printError(jsonPath + QStringLiteral(": no session described"));
        return 1;
    }
    if (sessionIdGiven && sessions.size() > 1) {
        printError(QStringLiteral("--session-id cannot be given for several sessions"));
        return usage();
    }
    if (server.given && (server.server.isEmpty() || server.login.isEmpty())) {
        printError(QStringLiteral("--server and --login are needed for a server database"));
        return usage();
    }
    for (app::SessionDescription& d : sessions) {
        for (const auto& [setter, value] : overrides) {
            if (!setter(d, value)) {
                printError(QStringLiteral("not a 32-bit integer: ") + value);
                return usage();
            }
        }
        if (server.given) d.OnlineConfiguration = server.connectionString();
        // A server string the tool could not use is refused here already.
        db::odbc::ServerTarget target;
        QString refusal;
        if (db::odbc::backendOf(d.OnlineConfiguration) == db::odbc::Backend::Server &&
            !db::odbc::toServerTarget(d.OnlineConfiguration, &target, &refusal)) {
            printError(QStringLiteral("the online connection: ") + refusal);
            return 1;
        }
    }

    QString error;
    if (!app::writeSessionFile(path, sessions, &error)) {
        printError(path + QStringLiteral(": ") + error);
        return 1;
    }
    return 0;
}

int runShow(const QStringList& args) {
    int id = 0;
    if (args.size() != 2 || !parseInt(args[1], &id)) return usage();
    app::SessionData session;
    session.SessionFile = args[0];
    session.SessionId = id;
    ConsolePrompts prompts;
    if (!app::ReadSession(session, prompts)) return 1;
    // The tool derives the unit types once it is connected; show them as well.
    app::BuildUnitTypes(session);
    std::cout << QJsonDocument(app::sessionToJson(session)).toJson(QJsonDocument::Indented).toStdString();
    return 0;
}

}  // namespace

int runSessionCommand(const QStringList& args) {
    if (args.isEmpty()) return usage();
    const QString& command = args.first();
    if (command == u"write") return runWrite(args.mid(1));
    if (command == u"show") return runShow(args.mid(1));
    if (command == u"help") {
        std::cout << kUsage;
        return 0;
    }
    return usage();
}
