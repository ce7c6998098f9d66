#pragma once
// A connection to the embedded reporting database. SQL text goes to SQLite;
// a call of a registered procedure (as text or as a stored-procedure
// command) runs the C++ procedure in its own transaction.

#include "db/Connection.h"

#include <sqlite3.h>

#include <QString>
#include <memory>

namespace reportdb {

class Server;
struct ProcedureDefinition;
struct BoundCall;

// Opens a SQLite handle on an existing file with the settings every
// connection uses (WAL, busy time-out, foreign keys).
sqlite3* openDatabaseHandle(const QString& path, bool create, QString* error);

class EmbeddedConnection : public db::Connection {
public:
    EmbeddedConnection(std::shared_ptr<Server> server, sqlite3* handle);
    ~EmbeddedConnection() override;

    db::Result execute(db::Command& command) override;

    bool beginTransaction(QString* error = nullptr) override;
    bool commit(QString* error = nullptr) override;
    bool rollback(QString* error = nullptr) override;
    bool inTransaction() const override;

    void interrupt() override;
    std::unique_ptr<db::Connection> openSibling(QString* error = nullptr) const override;
    QString databaseName() const override;

    sqlite3* handle() const { return db_; }
    const std::shared_ptr<Server>& server() const { return server_; }

private:
    db::Result executeText(db::Command& command);
    db::Result executeStoredProcedure(db::Command& command);
    db::Result executeSql(const QString& text, const db::Parameters& parameters);
    db::Result runProcedure(const ProcedureDefinition& procedure, BoundCall& call);

    std::shared_ptr<Server> server_;
    sqlite3* db_ = nullptr;
    int savepointCounter_ = 0;
};

}  // namespace reportdb
