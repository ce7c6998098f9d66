#include "db/odbc/ConnectionString.h"

#include <QRegularExpression>
#include <QStringList>
#include <utility>
#include <vector>

namespace db::odbc {

namespace {

using Pairs = std::vector<std::pair<QString, QString>>;

// "a=b;c='d;e';f={g;h}": keys lower-cased, values unquoted. Both the OLE DB
// quotes ('...', "...", the quote doubled inside) and the ODBC braces ({...},
// "}}" inside) are read.
Pairs split(const QString& text) {
    Pairs out;
    qsizetype pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == u';' || text[pos].isSpace())) ++pos;
        const qsizetype equals = text.indexOf(u'=', pos);
        if (equals < 0) break;
        const QString key = text.mid(pos, equals - pos).trimmed().toLower();
        pos = equals + 1;
        while (pos < text.size() && text[pos].isSpace()) ++pos;
        QString value;
        const QChar open = pos < text.size() ? text[pos] : QChar();
        if (open == u'"' || open == u'\'' || open == u'{') {
            const QChar close = open == u'{' ? QChar(u'}') : open;
            for (++pos; pos < text.size(); ++pos) {
                if (text[pos] != close) {
                    value += text[pos];
                } else if (pos + 1 < text.size() && text[pos + 1] == close) {
                    value += close;
                    ++pos;
                } else {
                    ++pos;
                    break;
                }
            }
            const qsizetype semicolon = text.indexOf(u';', pos);
            pos = semicolon < 0 ? text.size() : semicolon + 1;
        } else {
            const qsizetype semicolon = text.indexOf(u';', pos);
            const qsizetype end = semicolon < 0 ? text.size() : semicolon;
            value = text.mid(pos, end - pos).trimmed();
            pos = end + 1;
        }
        if (!key.isEmpty()) out.emplace_back(key, value);
    }
    return out;
}

// The last value of the first of `keys` present (a later duplicate wins, as
// both OLE DB and ODBC read it).
QString find(const Pairs& pairs, std::initializer_list<const char*> keys, bool* present = nullptr) {
    for (const char* key : keys) {
        for (auto it = pairs.rbegin(); it != pairs.rend(); ++it) {
            if (it->first == QLatin1String(key)) {
                if (present) *present = true;
                return it->second;
            }
        }
    }
    if (present) *present = false;
    return {};
}

// An ODBC value: in braces when it holds a character that would end or
// confuse it.
QString odbcValue(const QString& value) {
    static const QRegularExpression special(QStringLiteral("[;{}=\\s]"));
    if (!value.contains(special)) return value;
    QString quoted = value;
    quoted.replace(u'}', QStringLiteral("}}"));
    return u'{' + quoted + u'}';
}

bool isTrue(const QString& value) {
    const QString v = value.trimmed().toLower();
    return v == QLatin1String("sspi") || v == QLatin1String("true") || v == QLatin1String("yes");
}

bool isSqlServerProvider(const QString& provider) {
    const QString p = provider.trimmed().toLower();
    return p.startsWith(QLatin1String("sqloledb")) || p.startsWith(QLatin1String("sqlncli")) ||
           p.startsWith(QLatin1String("msoledbsql"));
}

// "tcp:host,port", "host\instance", "(local)" and "." as the server a
// FreeTDS string names.
struct ServerAddress {
    QString host;
    QString port;
    QString instance;
};

ServerAddress addressOf(QString source) {
    ServerAddress a;
    source = source.trimmed();
    if (source.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive)) source = source.mid(4);
    const qsizetype comma = source.indexOf(u',');
    if (comma >= 0) {
        a.port = source.mid(comma + 1).trimmed();
        source = source.left(comma).trimmed();
    }
    const qsizetype slash = source.indexOf(u'\\');
    if (slash >= 0) {
        a.instance = source.mid(slash + 1).trimmed();
        source = source.left(slash).trimmed();
    }
    if (source == QLatin1String(".") || source.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0 ||
        source.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        source = QStringLiteral("127.0.0.1");
    a.host = source;
    return a;
}

}  // namespace

Backend backendOf(const QString& connectionString) {
    const Pairs pairs = split(connectionString);
    bool present = false;
    find(pairs, {"driver", "dsn", "filedsn"}, &present);
    if (present) return Backend::Server;
    const QString provider = find(pairs, {"provider"}).trimmed();
    if (provider.isEmpty() || provider.compare(QLatin1String("Embedded"), Qt::CaseInsensitive) == 0)
        return Backend::Embedded;
    return Backend::Server;
}

bool toServerTarget(const QString& connectionString, ServerTarget* target, QString* error) {
    const auto fail = [error](const QString& message) {
        if (error) *error = message;
        return false;
    };
    const Pairs pairs = split(connectionString);
    *target = ServerTarget{};
    bool timeoutGiven = false;
    const QString timeout = find(pairs, {"connect timeout", "connection timeout", "timeout"}, &timeoutGiven);
    if (timeoutGiven) {
        bool ok = false;
        const int seconds = timeout.toInt(&ok);
        if (!ok || seconds < 0)
            return fail(QStringLiteral("The connect timeout '%1' is not a number of seconds").arg(timeout));
        target->loginTimeoutSeconds = seconds;
    }

    bool odbc = false;
    find(pairs, {"driver", "dsn", "filedsn"}, &odbc);
    if (odbc) {
        // Already an ODBC string: the driver reads it as it stands.
        target->odbc = connectionString;
        target->server = find(pairs, {"server", "servername", "dsn", "filedsn"});
        target->database = find(pairs, {"database"});
        return true;
    }

    const QString provider = find(pairs, {"provider"});
    if (!isSqlServerProvider(provider))
        return fail(QStringLiteral("The database provider '%1' is not supported").arg(provider));
    if (isTrue(find(pairs, {"integrated security", "trusted_connection"})))
        return fail(QStringLiteral(
            "Integrated (Windows) security cannot be used to reach the reporting database from this "
            "system: give the session a SQL Server login (User ID and Password) instead"));
    const QString source = find(pairs, {"data source", "server", "address", "addr", "network address"});
    if (source.trimmed().isEmpty())
        return fail(QStringLiteral("The connection string names no database server (Data Source)"));
    const ServerAddress address = addressOf(source);
    if (address.host.isEmpty())
        return fail(QStringLiteral("The database server '%1' names no host").arg(source));
    if (!address.port.isEmpty()) {
        bool ok = false;
        const int port = address.port.toInt(&ok);
        if (!ok || port <= 0 || port > 65535)
            return fail(QStringLiteral("The database server '%1' names no valid port").arg(source));
    }

    QStringList parts;
    parts << QStringLiteral("Driver={FreeTDS}");
    // FreeTDS finds a named instance through the server's browser service.
    parts << QStringLiteral("Server=") + odbcValue(address.instance.isEmpty()
                                                       ? address.host
                                                       : address.host + u'\\' + address.instance);
    if (!address.port.isEmpty()) parts << QStringLiteral("Port=") + address.port;
    target->database = find(pairs, {"initial catalog", "database"});
    if (!target->database.isEmpty()) parts << QStringLiteral("Database=") + odbcValue(target->database);
    const QString user = find(pairs, {"user id", "uid", "user"});
    if (!user.isEmpty()) parts << QStringLiteral("UID=") + odbcValue(user);
    bool passwordGiven = false;
    const QString password = find(pairs, {"password", "pwd"}, &passwordGiven);
    if (passwordGiven) parts << QStringLiteral("PWD=") + odbcValue(password);
    // OLE DB's Encrypt=yes/Mandatory/Strict: FreeTDS refuses a connection without TLS.
    const QString encrypt = find(pairs, {"encrypt", "use encryption for data"}).trimmed().toLower();
    if (isTrue(encrypt) || encrypt == QLatin1String("mandatory") || encrypt == QLatin1String("strict"))
        parts << QStringLiteral("Encryption=require");
    const QString application = find(pairs, {"application name", "app"});
    if (!application.isEmpty()) parts << QStringLiteral("APP=") + odbcValue(application);
    parts << QStringLiteral("TDS_Version=7.4") << QStringLiteral("ClientCharset=UTF-8");
    target->odbc = parts.join(u';');
    target->server = address.host;
    if (!address.instance.isEmpty()) target->server += u'\\' + address.instance;
    if (!address.port.isEmpty()) target->server += u',' + address.port;
    return true;
}

}  // namespace db::odbc
