#include "reportdb/EmbeddedConnection.h"

#include "reportdb/CallParser.h"
#include "reportdb/ProcedureCall.h"
#include "reportdb/Schema.h"
#include "reportdb/Server.h"
#include "reportdb/SqliteUtil.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <chrono>
#include <thread>

namespace reportdb {

namespace {

constexpr int kBusyTimeoutMs = 10000;

// Ends a statement that runs past the command's time-out, or once the
// connection was interrupted: sqlite3_interrupt() alone misses a statement
// that starts just after it.
struct Watch {
    std::chrono::steady_clock::time_point end;
    bool hasDeadline = false;
    bool expired = false;
    const std::atomic<bool>* interrupted = nullptr;
    const EmbeddedConnection::Clock* clock = nullptr;

    std::chrono::steady_clock::time_point now() const {
        return *clock ? (*clock)() : std::chrono::steady_clock::now();
    }
    static int check(void* self) {
        auto* watch = static_cast<Watch*>(self);
        if (*watch->interrupted) return 1;
        if (!watch->hasDeadline || watch->now() < watch->end) return 0;
        watch->expired = true;
        return 1;
    }
};

class WatchGuard {
public:
    WatchGuard(sqlite3* db, int timeoutSeconds, const std::atomic<bool>* interrupted,
               const EmbeddedConnection::Clock* clock)
        : db_(db) {
        watch_.interrupted = interrupted;
        watch_.clock = clock;
        if (timeoutSeconds > 0) {
            watch_.hasDeadline = true;
            watch_.end = watch_.now() + std::chrono::seconds(timeoutSeconds);
        }
        sqlite3_progress_handler(db_, 1000, &Watch::check, &watch_);
    }
    ~WatchGuard() { sqlite3_progress_handler(db_, 0, nullptr, nullptr); }
    WatchGuard(const WatchGuard&) = delete;
    WatchGuard& operator=(const WatchGuard&) = delete;
    bool expired() const { return watch_.expired; }

private:
    sqlite3* db_;
    Watch watch_;
};

db::Parameter* parameterForSqlName(db::Parameters& parameters, const char* sqlName) {
    const QString key = normalizedParameterName(QString::fromUtf8(sqlName).mid(1));
    for (auto& p : parameters)
        if (p.direction != db::ParameterDirection::ReturnValue && normalizedParameterName(p.name) == key)
            return &p;
    return nullptr;
}

}  // namespace

sqlite3* openDatabaseHandle(const QString& path, OpenMode mode, QString* error) {
    const bool exists = QFileInfo::exists(path);
    if (mode != OpenMode::New && !exists) {
        if (error) *error = QStringLiteral("The database file '%1' does not exist").arg(path);
        return nullptr;
    }
    if (mode == OpenMode::New && exists) {
        if (error) *error = QStringLiteral("The database file '%1' already exists").arg(path);
        return nullptr;
    }
    sqlite3* db = nullptr;
    const int flags = mode == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY
                      : mode == OpenMode::New    ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                                 : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK) {
        if (error)
            *error =
                QStringLiteral("The database '%1' cannot be opened: %2").arg(path, sqlite::errorMessage(db));
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 0);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    QString message;
    if (mode != OpenMode::New && !isReportingDatabase(db, &message)) {
        if (error)
            *error = QStringLiteral("The file '%1' is not a reporting database: %2").arg(path, message);
        sqlite3_close_v2(db);
        return nullptr;
    }
    if (!sqlite::execSql(db, QStringLiteral("PRAGMA foreign_keys = ON"), &message)) {
        if (error) *error = QStringLiteral("The database '%1' cannot be opened: %2").arg(path, message);
        sqlite3_close_v2(db);
        return nullptr;
    }
    return db;
}

EmbeddedConnection::EmbeddedConnection(std::shared_ptr<Server> server, sqlite3* handle)
    : server_(std::move(server)), db_(handle) {
    sqlite3_busy_handler(db_, &EmbeddedConnection::busyWait, this);
}

int EmbeddedConnection::busyWait(void* self, int count) {
    // Short rounds, so that the lock is taken soon after a step of long
    // work commits; the server lets that work pause for a waiting writer.
    auto* connection = static_cast<EmbeddedConnection*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (count == 0) connection->busySince_ = now;
    if (connection->interruptRequested_) return 0;
    if (now - connection->busySince_ > std::chrono::milliseconds(kBusyTimeoutMs)) return 0;
    connection->server_->noteWriterWaiting();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

EmbeddedConnection::~EmbeddedConnection() {
    if (inTransaction()) sqlite::execSql(db_, QStringLiteral("ROLLBACK"), nullptr);
    statements_.clear();
    sqlite3_close_v2(db_);
}

db::Result EmbeddedConnection::execute(db::Command& command) {
    // An interrupt holds until the command it meets has returned, also when
    // it came before the command started.
    const auto consumeInterrupt = qScopeGuard([this] { interruptRequested_ = false; });
    if (interruptRequested_) return db::Result::failure(QStringLiteral("interrupted"));
    WatchGuard watch(db_, command.timeoutSeconds, &interruptRequested_, &timeOutClock_);
    db::Result result = command.type == db::CommandType::StoredProcedure ? executeStoredProcedure(command)
                                                                         : executeText(command);
    if (!result.ok() && watch.expired()) result.error = QStringLiteral("Query timeout expired");
    return result;
}

db::Result EmbeddedConnection::executeText(db::Command& command) {
    const CallParse parse = parseCallText(command.text);
    if (parse.kind == CallParse::Kind::Sql) return executeSql(command.text, command.parameters);
    if (parse.call.name.isEmpty()) return db::Result::failure(parse.error);
    const ProcedureDefinition* procedure = server_->procedures().find(parse.call.name);
    if (!procedure)
        return db::Result::failure(
            QStringLiteral("Could not find stored procedure '%1'.").arg(parse.call.name));
    if (parse.kind == CallParse::Kind::Malformed) return db::Result::failure(parse.error);
    return callProcedure(*procedure,
                         [&](const ProcedureDefinition& definition, BoundCall* call, QString* error) {
                             return bindTextCall(definition, parse.call, command, call, error);
                         });
}

db::Result EmbeddedConnection::executeStoredProcedure(db::Command& command) {
    // "[dbo].[Name]" names the same procedure as "Name".
    QString name = command.text.trimmed().section(QLatin1Char('.'), -1).trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    const ProcedureDefinition* procedure = server_->procedures().find(name);
    if (!procedure)
        return db::Result::failure(QStringLiteral("Could not find stored procedure '%1'.").arg(name));
    return callProcedure(*procedure,
                         [&](const ProcedureDefinition& definition, BoundCall* call, QString* error) {
                             return bindCommandCall(definition, command, call, error);
                         });
}

db::Result EmbeddedConnection::callProcedure(
    const ProcedureDefinition& procedure,
    const std::function<bool(const ProcedureDefinition&, BoundCall*, QString*)>& bind) {
    BoundCall call;
    QString error;
    if (!procedure.hasVersionedParameters()) {
        if (!bind(procedure, &call, &error)) return db::Result::failure(error);
        return runProcedure(procedure, call);
    }
    // The parameters this database's version offers.
    const QString version = readVersionText(db_, &error);
    if (version.isEmpty()) return db::Result::failure(error);
    const ProcedureDefinition definition = procedure.forVersion(version);
    if (!bind(definition, &call, &error)) return db::Result::failure(error);
    return runProcedure(definition, call);
}

namespace {

bool onlyBlanks(const char* from, const char* end) {
    for (; from < end; ++from)
        if (*from != ' ' && *from != ';' && *from != '\n' && *from != '\r' && *from != '\t') return false;
    return true;
}

}  // namespace

db::Result EmbeddedConnection::executeSql(const QString& text, const db::Parameters& parameters) {
    db::Parameters values = parameters;
    const QByteArray utf8 = text.toUtf8();
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    size_t nextPositional = 0;  // "?" takes the command's parameters in order
    db::Result result;
    while (tail < end) {
        // A text of one statement is prepared once and kept for its next run.
        const bool wholeText = tail == utf8.constData();
        sqlite3_stmt* raw = wholeText ? statements_.take(utf8) : nullptr;
        if (raw) {
            tail = end;
        } else if (sqlite3_prepare_v2(db_, tail, int(end - tail), &raw, &tail) != SQLITE_OK) {
            return db::Result::failure(sqlite::errorMessage(db_));
        }
        if (!raw) continue;  // blanks or a comment
        const bool keep = wholeText && onlyBlanks(tail, end);
        const auto release = qScopeGuard([&] {
            if (keep)
                statements_.put(utf8, raw);
            else
                sqlite3_finalize(raw);
        });
        for (int i = 1; i <= sqlite3_bind_parameter_count(raw); ++i) {
            const char* name = sqlite3_bind_parameter_name(raw, i);
            const db::Parameter* parameter = nullptr;
            if (!name || name[0] == '?') {
                while (nextPositional < values.size() &&
                       values[nextPositional].direction == db::ParameterDirection::ReturnValue)
                    ++nextPositional;
                if (nextPositional < values.size()) parameter = &values[nextPositional++];
            } else {
                parameter = parameterForSqlName(values, name);
            }
            if (!parameter)
                return db::Result::failure(
                    QStringLiteral("No value was given for the parameter '%1'")
                        .arg(name ? QString::fromUtf8(name) : QStringLiteral("?%1").arg(i)));
            if (sqlite::bindValue(raw, i, parameter->value) != SQLITE_OK)
                return db::Result::failure(sqlite::errorMessage(db_));
        }
        const long long before = sqlite3_total_changes64(db_);
        db::ResultSet rows;
        QString error;
        if (!sqlite::stepAll(db_, raw, &rows, &error)) return db::Result::failure(error);
        if (sqlite3_column_count(raw) > 0) result.resultSets.push_back(std::move(rows));
        if (sqlite3_total_changes64(db_) != before) result.rowsAffected += sqlite3_changes64(db_);
    }
    // The text may have ended a transaction that procedure calls joined.
    if (!inTransaction() && !afterCommit_.empty()) runAfterCommit();
    return result;
}

db::Result EmbeddedConnection::runProcedure(const ProcedureDefinition& procedure, BoundCall& call) {
    // The call joins the caller's transaction through a savepoint, or runs
    // in a transaction of its own; a failed call leaves nothing behind.
    // A stepwise procedure outside a caller's transaction commits its steps
    // itself; a failure then leaves the committed steps in place.
    const bool nested = inTransaction();
    const bool ownTransaction = nested || !procedure.stepwise;
    const QString savepoint = QStringLiteral("reportdb_call_%1").arg(++savepointCounter_);
    QString error;
    const QString begin = nested                ? QStringLiteral("SAVEPOINT ") + savepoint
                          : procedure.readsOnly ? QStringLiteral("BEGIN")
                                                : QStringLiteral("BEGIN IMMEDIATE");
    if (ownTransaction && !sqlite::execSql(db_, begin, &error)) return db::Result::failure(error);

    ProcedureResult outcome;
    std::vector<std::function<void()>> afterCommit;
    try {
        QString versionError;
        QString version = readVersionText(db_, &versionError);
        if (version.isEmpty()) throw SqlError(versionError);
        ProcedureContext context(db_, std::move(version), server_);
        context.setInterruptFlag(&interruptRequested_);
        outcome = procedure.body(context, call.arguments);
        afterCommit = context.takeAfterCommit();
    } catch (const SqlError& e) {
        outcome = ProcedureResult::failure(e.message());
    } catch (const std::exception& e) {
        outcome = ProcedureResult::failure(QString::fromUtf8(e.what()));
    }

    if (outcome.error.isEmpty() && ownTransaction) {
        const QString end = nested ? QStringLiteral("RELEASE ") + savepoint : QStringLiteral("COMMIT");
        if (!sqlite::execSql(db_, end, &error)) outcome.error = error;
    }
    if (!outcome.error.isEmpty()) {
        // An interrupted write may already have ended the transaction.
        if (nested && inTransaction())
            sqlite::execSql(db_, QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(savepoint), nullptr);
        else if (!nested && inTransaction())
            sqlite::execSql(db_, QStringLiteral("ROLLBACK"), nullptr);
        return db::Result::failure(outcome.error);
    }

    for (auto& action : afterCommit) afterCommit_.push_back(std::move(action));
    if (!nested) runAfterCommit();
    writeBack(call, outcome);
    db::Result result;
    result.resultSets = std::move(outcome.resultSets);
    return result;
}

bool EmbeddedConnection::beginTransaction(QString* error) {
    if (inTransaction()) {
        if (error) *error = QStringLiteral("A transaction is already open on this connection");
        return false;
    }
    return sqlite::execSql(db_, QStringLiteral("BEGIN IMMEDIATE"), error);
}

bool EmbeddedConnection::commit(QString* error) {
    if (!inTransaction()) {
        if (error) *error = QStringLiteral("No transaction is open on this connection");
        return false;
    }
    if (!sqlite::execSql(db_, QStringLiteral("COMMIT"), error)) return false;
    runAfterCommit();
    return true;
}

bool EmbeddedConnection::rollback(QString* error) {
    afterCommit_.clear();
    if (!inTransaction()) {
        if (error) *error = QStringLiteral("No transaction is open on this connection");
        return false;
    }
    return sqlite::execSql(db_, QStringLiteral("ROLLBACK"), error);
}

void EmbeddedConnection::runAfterCommit() {
    auto actions = std::move(afterCommit_);
    afterCommit_.clear();
    for (auto& action : actions) action();
}

bool EmbeddedConnection::inTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

void EmbeddedConnection::interrupt() {
    interruptRequested_ = true;
    sqlite3_interrupt(db_);
}

std::unique_ptr<db::Connection> EmbeddedConnection::openSibling(QString* error) const {
    return server_->connect(error);
}

QString EmbeddedConnection::databaseName() const { return QFileInfo(server_->path()).completeBaseName(); }

}  // namespace reportdb
