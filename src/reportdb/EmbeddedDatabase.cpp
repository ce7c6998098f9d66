#include "reportdb/EmbeddedDatabase.h"

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/Schema.h"
#include "reportdb/Server.h"

#include <QDir>
#include <QFileInfo>
#include <map>
#include <mutex>

namespace reportdb {

namespace {

bool isVersionText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() > 4) return false;
    for (const QString& part : parts) {
        if (part.isEmpty()) return false;
        for (QChar c : part)
            if (!c.isDigit()) return false;
    }
    return true;
}

// "a=b;c='d;e'": key/value pairs, values optionally in single or double quotes.
std::map<QString, QString> splitConnectionString(const QString& text) {
    std::map<QString, QString> out;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), pos);
        if (equals < 0) break;
        const QString key = text.mid(pos, equals - pos).trimmed().toLower();
        pos = equals + 1;
        while (pos < text.size() && text[pos].isSpace()) ++pos;
        QString value;
        if (pos < text.size() && (text[pos] == QLatin1Char('"') || text[pos] == QLatin1Char('\''))) {
            const QChar quote = text[pos++];
            for (; pos < text.size(); ++pos) {
                if (text[pos] != quote) {
                    value += text[pos];
                } else if (pos + 1 < text.size() && text[pos + 1] == quote) {
                    value += quote;
                    ++pos;
                } else {
                    ++pos;
                    break;
                }
            }
            const qsizetype semicolon = text.indexOf(QLatin1Char(';'), pos);
            pos = semicolon < 0 ? text.size() : semicolon + 1;
        } else {
            const qsizetype semicolon = text.indexOf(QLatin1Char(';'), pos);
            const qsizetype end = semicolon < 0 ? text.size() : semicolon;
            value = text.mid(pos, end - pos).trimmed();
            pos = end + 1;
        }
        if (!key.isEmpty()) out[key] = value;
        // Skip empty segments (";;").
        while (pos < text.size() && (text[pos] == QLatin1Char(';') || text[pos].isSpace())) ++pos;
    }
    return out;
}

}  // namespace

bool createDatabase(const QString& path, const QString& versionText, QString* error) {
    const QString version = versionText.isEmpty() ? QString::fromLatin1(kDefaultVersionText) : versionText;
    if (!isVersionText(version)) {
        if (error) *error = QStringLiteral("'%1' is not a database version").arg(version);
        return false;
    }
    sqlite3* db = openDatabaseHandle(path, OpenMode::New, error);
    if (!db) return false;
    QString message;
    const bool ok = applyMigrations(db, &message) && writeVersionText(db, version, &message) &&
                    useWriteAheadLog(db, &message);
    sqlite3_close_v2(db);
    if (!ok) {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        if (error) *error = QStringLiteral("The database '%1' could not be created: %2").arg(path, message);
    }
    return ok;
}

bool parseConnectionString(const QString& connectionString, QString* path, QString* error) {
    const auto parts = splitConnectionString(connectionString);
    const auto provider = parts.find(QStringLiteral("provider"));
    if (provider == parts.end() || provider->second.isEmpty()) {
        if (error) *error = QStringLiteral("The connection string names no database provider");
        return false;
    }
    if (provider->second.compare(QLatin1String("Embedded"), Qt::CaseInsensitive) != 0) {
        if (error)
            *error = QStringLiteral("The database provider '%1' is not supported by this build")
                         .arg(provider->second);
        return false;
    }
    const auto source = parts.find(QStringLiteral("data source"));
    if (source == parts.end() || source->second.isEmpty()) {
        if (error) *error = QStringLiteral("The connection string names no database file (Data Source)");
        return false;
    }
    *path = source->second;
    return true;
}

db::ConnectionFactory makeConnectionFactory(std::shared_ptr<const ProcedureRegistry> registry) {
    // Connections to one file share its Server (and the work it runs in the
    // background) for as long as the factory lives.
    struct Shared {
        std::mutex mutex;
        std::map<QString, std::shared_ptr<Server>> servers;
        std::shared_ptr<const ProcedureRegistry> registry;
    };
    auto shared = std::make_shared<Shared>();
    shared->registry = registry ? std::move(registry) : standardRegistry();

    return [shared](const QString& connectionString, QString* error) -> std::unique_ptr<db::Connection> {
        QString path;
        if (!parseConnectionString(connectionString, &path, error)) return nullptr;
        const QFileInfo file(path);
        if (!file.exists()) {
            if (error) *error = QStringLiteral("The database file '%1' does not exist").arg(path);
            return nullptr;
        }
        const QString canonical = file.canonicalFilePath();
        std::shared_ptr<Server> server;
        {
            std::lock_guard lock(shared->mutex);
            server = shared->servers[canonical];
            if (!server) {
                server = Server::open(canonical, error, shared->registry);
                if (!server) return nullptr;
                shared->servers[canonical] = server;
            }
        }
        return server->connect(error);
    };
}

}  // namespace reportdb
