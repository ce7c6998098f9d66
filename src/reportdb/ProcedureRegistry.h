#pragma once
// The stored procedures of the embedded database: each one declares its
// parameters (so positional and named arguments map the same way) and is a
// C++ function that runs SQL through a ProcedureContext.

#include "db/Value.h"
#include "reportdb/Processes.h"
#include "reportdb/SqliteUtil.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace reportdb {

class Server;

struct ProcedureParameter {
    QString name;  // with the leading "@"
    db::FieldType type = db::FieldType::String;
    bool output = false;
    QVariant defaultValue;
    bool hasDefault = false;
    // Databases older than this version do not have the parameter (empty:
    // every version has it).
    QString sinceVersion = {};
    // Databases of this version and newer no longer have it (empty: no
    // version dropped it).
    QString beforeVersion = {};

    static ProcedureParameter input(QString name, db::FieldType type) {
        return {std::move(name), type, false, {}, false};
    }
    static ProcedureParameter optional(QString name, db::FieldType type, QVariant defaultValue) {
        return {std::move(name), type, false, std::move(defaultValue), true};
    }
    // Output parameters that the caller leaves out start as NULL.
    static ProcedureParameter out(QString name, db::FieldType type) {
        return {std::move(name), type, true, {}, true};
    }
    ProcedureParameter since(QString version) && {
        sinceVersion = std::move(version);
        return std::move(*this);
    }
    ProcedureParameter before(QString version) && {
        beforeVersion = std::move(version);
        return std::move(*this);
    }
};

// The argument values of one call, converted to the declared types, in the
// declared order. Names are compared without regard to case, with or
// without the "@".
class Arguments {
public:
    void set(const QString& name, const QVariant& value);

    bool has(const QString& name) const;
    // Asking for an undeclared name is a fault of the procedure: throws SqlError.
    const QVariant& value(const QString& name) const;
    bool isNull(const QString& name) const { return value(name).isNull(); }
    qlonglong toLongLong(const QString& name) const { return value(name).toLongLong(); }
    int toInt(const QString& name) const { return value(name).toInt(); }
    double toDouble(const QString& name) const { return value(name).toDouble(); }
    bool toBool(const QString& name) const { return value(name).toBool(); }
    QString toString(const QString& name) const { return value(name).toString(); }

    const std::vector<std::pair<QString, QVariant>>& all() const { return values_; }

private:
    std::vector<std::pair<QString, QVariant>> values_;
};

// What a procedure body works with: SQL on the calling connection (inside
// the call's transaction) and the database's version text. The SQL helpers
// throw SqlError; the dispatcher turns that into the call's error.
class ProcedureContext {
public:
    ProcedureContext(sqlite3* db, QString versionText, std::shared_ptr<Server> server);

    sqlite3* handle() const { return db_; }
    const QString& versionText() const { return versionText_; }
    bool versionAtLeast(const QString& threshold) const;
    // The server of the database (for work that outlives the call); null
    // for work that the server's own worker runs.
    const std::shared_ptr<Server>& server() const { return server_; }

    // The data calculation process named by the call's "@ProcessId" (an
    // inactive reporter when the argument is absent or NULL). Throws
    // SqlError when there is no such process.
    ProcessReporter process(const Arguments& args) const;

    // Runs `work` as one step: committed when it returns, so that other
    // connections see its effect at once; rolled back when it throws (the
    // exception goes on). This holds in procedures registered as stepwise;
    // elsewhere, and inside a transaction of the caller, the step is a
    // savepoint that becomes visible with the enclosing commit. A step does
    // not start once the connection was interrupted or `process` was
    // terminated; when `process` was terminated during the step, the step is
    // rolled back and the error says so.
    void step(const std::function<void()>& work, const ProcessReporter* process = nullptr) const;

    // The flag that the connection's interrupt() sets: step() does not start
    // a step once it is set.
    void setInterruptFlag(const std::atomic<bool>* flag) { interrupted_ = flag; }

    // Runs `action` once the call's changes are committed (dropped when they
    // are rolled back).
    void afterCommit(std::function<void()> action) { afterCommit_.push_back(std::move(action)); }
    std::vector<std::function<void()>> takeAfterCommit() { return std::move(afterCommit_); }

    // One statement; `bindings` fill its parameters ("?", ":x", "@x") in order.
    db::ResultSet query(const QString& sql, const std::vector<QVariant>& bindings = {}) const;
    // One statement without rows; returns the number of rows it changed.
    long long exec(const QString& sql, const std::vector<QVariant>& bindings = {}) const;
    // The first column of the first row, or a null value when there is none.
    QVariant scalar(const QString& sql, const std::vector<QVariant>& bindings = {}) const;
    long long lastInsertId() const;

private:
    sqlite3* db_;
    QString versionText_;
    std::shared_ptr<Server> server_;
    std::vector<std::function<void()>> afterCommit_;
    const std::atomic<bool>* interrupted_ = nullptr;
};

struct ProcedureResult {
    std::vector<db::ResultSet> resultSets;
    int returnValue = 0;
    std::map<QString, QVariant> outputs;  // by parameter name, with the "@"
    QString error;                        // non-empty: the call fails and is rolled back

    static ProcedureResult failure(const QString& message) {
        ProcedureResult r;
        r.error = message;
        return r;
    }
};

using ProcedureFn = std::function<ProcedureResult(ProcedureContext&, const Arguments&)>;

struct ProcedureDefinition {
    QString name;
    std::vector<ProcedureParameter> parameters;
    ProcedureFn body;
    // Read-only procedures start a deferred transaction, so they do not wait
    // for a writer on another connection.
    bool readsOnly = false;
    // Stepwise procedures get no transaction around the call: they commit
    // their work step by step through ProcedureContext::step.
    bool stepwise = false;

    const ProcedureParameter* parameter(const QString& name) const;
    // True when a parameter exists only from, or only before, some version.
    bool hasVersionedParameters() const;
    // The definition as a database of `versionText` offers it.
    ProcedureDefinition forVersion(const QString& versionText) const;
};

class ProcedureRegistry {
public:
    // A later definition of the same name replaces the earlier one.
    void add(ProcedureDefinition definition);
    void add(const QString& name, std::vector<ProcedureParameter> parameters, ProcedureFn body,
             bool readsOnly = false);
    void addStepwise(const QString& name, std::vector<ProcedureParameter> parameters, ProcedureFn body);

    // Case-insensitive; null when there is no such procedure.
    const ProcedureDefinition* find(const QString& name) const;
    QStringList names() const;

private:
    std::map<QString, ProcedureDefinition> byName_;  // key: lower-case name
};

// A fresh registry holding every standard procedure. Tests copy and extend it.
std::shared_ptr<ProcedureRegistry> standardRegistry();

// Parameter names as the access layer writes them ("@A", "A", ":A") compare
// equal: this is the form they are compared in.
QString normalizedParameterName(const QString& name);

}  // namespace reportdb
