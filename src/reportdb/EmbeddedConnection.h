#pragma once
// A connection to the embedded reporting database. SQL text goes to SQLite;
// a call of a registered procedure (as text or as a stored-procedure
// command) runs the C++ procedure in its own transaction.

#include "db/Connection.h"
#include "reportdb/StatementCache.h"

#include <sqlite3.h>

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace reportdb {

class Server;
struct ProcedureDefinition;
struct BoundCall;

enum class OpenMode {
    Existing,  // a reporting database that exists, to read and write
    ReadOnly,  // a reporting database that exists, only to read
    New,       // a file that does not exist yet: createDatabase writes its schema
};

// Opens a SQLite handle with the settings every connection uses (busy
// time-out, foreign keys). An existing file must already be a reporting
// database; any other file is refused before anything in it changes. The
// journal mode stays as the file has it (the server and createDatabase
// choose it).
sqlite3* openDatabaseHandle(const QString& path, OpenMode mode, QString* error);

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

    // The clock that command time-outs are measured by: the steady clock,
    // unless a test hands in one that runs faster.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    void setTimeOutClock(Clock clock) { timeOutClock_ = std::move(clock); }

private:
    db::Result executeText(db::Command& command);
    db::Result executeStoredProcedure(db::Command& command);
    db::Result executeSql(const QString& text, const db::Parameters& parameters);
    db::Result runProcedure(const ProcedureDefinition& procedure, BoundCall& call);
    db::Result callProcedure(
        const ProcedureDefinition& procedure,
        const std::function<bool(const ProcedureDefinition&, BoundCall*, QString*)>& bind);
    void runAfterCommit();
    static int busyWait(void* self, int count);

    std::shared_ptr<Server> server_;
    sqlite3* db_ = nullptr;
    int savepointCounter_ = 0;
    std::chrono::steady_clock::time_point busySince_;
    Clock timeOutClock_;
    // Set by interrupt() for the command that runs, or the next one when
    // none runs; cleared when that command returns. It also ends a wait for
    // the write lock, a statement between SQLite's own interrupt checks and
    // stepwise work before its next step (SQLite drops an interrupt that
    // comes between two statements).
    std::atomic<bool> interruptRequested_{false};
    // Actions of procedure calls made inside the caller's transaction, run
    // once it commits.
    std::vector<std::function<void()>> afterCommit_;
    // Statements of single-statement texts, for the next run of the same text.
    StatementCache statements_;
};

}  // namespace reportdb
