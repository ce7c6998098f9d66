#include "reportdb/Server.h"

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/Schema.h"

namespace reportdb {

Server::Server(QString path, QString versionText, std::shared_ptr<const ProcedureRegistry> registry)
    : path_(std::move(path)), versionText_(std::move(versionText)), registry_(std::move(registry)) {}

std::shared_ptr<Server> Server::open(const QString& path, QString* error,
                                     std::shared_ptr<const ProcedureRegistry> registry) {
    sqlite3* db = openDatabaseHandle(path, false, error);
    if (!db) return nullptr;
    QString message;
    QString version;
    if (applyMigrations(db, &message)) version = readVersionText(db, &message);
    sqlite3_close_v2(db);
    if (version.isEmpty()) {
        if (error) *error = QStringLiteral("The database '%1' cannot be used: %2").arg(path, message);
        return nullptr;
    }
    if (!registry) registry = standardRegistry();
    return std::shared_ptr<Server>(new Server(path, version, std::move(registry)));
}

std::unique_ptr<db::Connection> Server::connect(QString* error) { return connectEmbedded(error); }

std::unique_ptr<EmbeddedConnection> Server::connectEmbedded(QString* error) {
    sqlite3* db = openDatabaseHandle(path_, false, error);
    if (!db) return nullptr;
    return std::make_unique<EmbeddedConnection>(shared_from_this(), db);
}

}  // namespace reportdb
