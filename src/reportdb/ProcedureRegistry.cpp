#include "reportdb/ProcedureRegistry.h"

#include "db/VersionGate.h"
#include "reportdb/Server.h"

namespace reportdb {

QString normalizedParameterName(const QString& name) {
    QString out = name.trimmed();
    if (out.startsWith(QLatin1Char('@')) || out.startsWith(QLatin1Char(':'))) out.remove(0, 1);
    return out.toLower();
}

void Arguments::set(const QString& name, const QVariant& value) {
    const QString key = normalizedParameterName(name);
    for (auto& entry : values_) {
        if (normalizedParameterName(entry.first) == key) {
            entry.second = value;
            return;
        }
    }
    values_.emplace_back(name, value);
}

bool Arguments::has(const QString& name) const {
    const QString key = normalizedParameterName(name);
    for (const auto& entry : values_)
        if (normalizedParameterName(entry.first) == key) return true;
    return false;
}

const QVariant& Arguments::value(const QString& name) const {
    const QString key = normalizedParameterName(name);
    for (const auto& entry : values_)
        if (normalizedParameterName(entry.first) == key) return entry.second;
    throw SqlError(QStringLiteral("The procedure reads the undeclared parameter '%1'").arg(name));
}

ProcedureContext::ProcedureContext(sqlite3* db, QString versionText, std::shared_ptr<Server> server)
    : db_(db), versionText_(std::move(versionText)), server_(std::move(server)) {}

bool ProcedureContext::versionAtLeast(const QString& threshold) const {
    return db::IsDatabaseVersionAtLeast(versionText_, threshold);
}

namespace {

sqlite::Statement prepareOne(sqlite3* db, const QString& sql, const std::vector<QVariant>& bindings) {
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &raw, &tail) != SQLITE_OK)
        throw SqlError(sqlite::errorMessage(db));
    sqlite::Statement statement(raw);
    if (!raw) throw SqlError(QStringLiteral("The statement is empty"));
    // Blanks and comments may follow; a second statement may not.
    sqlite3_stmt* next = nullptr;
    const char* end = utf8.constData() + utf8.size();
    if (tail && tail < end && sqlite3_prepare_v2(db, tail, int(end - tail), &next, nullptr) == SQLITE_OK &&
        !next)
        tail = end;
    sqlite3_finalize(next);
    if (tail && tail < end) throw SqlError(QStringLiteral("Only one statement can be run at a time here"));
    QString error;
    if (!sqlite::bindAll(raw, bindings, &error)) throw SqlError(error);
    return statement;
}

}  // namespace

db::ResultSet ProcedureContext::query(const QString& sql, const std::vector<QVariant>& bindings) const {
    sqlite::Statement statement = prepareOne(db_, sql, bindings);
    db::ResultSet rows;
    QString error;
    if (!sqlite::stepAll(db_, statement.get(), &rows, &error)) throw SqlError(error);
    return rows;
}

long long ProcedureContext::exec(const QString& sql, const std::vector<QVariant>& bindings) const {
    sqlite::Statement statement = prepareOne(db_, sql, bindings);
    const long long before = sqlite3_total_changes64(db_);
    QString error;
    if (!sqlite::stepAll(db_, statement.get(), nullptr, &error)) throw SqlError(error);
    return sqlite3_total_changes64(db_) != before ? sqlite3_changes64(db_) : 0;
}

QVariant ProcedureContext::scalar(const QString& sql, const std::vector<QVariant>& bindings) const {
    sqlite::Statement statement = prepareOne(db_, sql, bindings);
    QVariant value;
    QString error;
    if (!sqlite::stepScalar(db_, statement.get(), &value, &error)) throw SqlError(error);
    return value;
}

long long ProcedureContext::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }

ProcessReporter ProcedureContext::process(const Arguments& args) const {
    if (!args.has(QStringLiteral("@ProcessId")) || args.isNull(QStringLiteral("@ProcessId"))) return {};
    const int id = args.toInt(QStringLiteral("@ProcessId"));
    if (!server_) throw SqlError(QStringLiteral("The data calculation process %1 does not exist").arg(id));
    return server_->processes().attach(id, db_);
}

void ProcedureContext::step(const std::function<void()>& work, const ProcessReporter* process) const {
    if (interrupted_ && *interrupted_) throw SqlError(QStringLiteral("interrupted"));
    if (process) process->throwIfTerminated();
    const bool nested = sqlite3_get_autocommit(db_) == 0;
    // Before taking the write lock again, a writer of another connection
    // that waits for it gets its turn.
    if (!nested && server_) server_->yieldToWaitingWriters();
    QString error;
    if (!sqlite::execSql(
            db_, nested ? QStringLiteral("SAVEPOINT reportdb_step") : QStringLiteral("BEGIN IMMEDIATE"),
            &error))
        throw SqlError(error);
    auto rollback = [&] {
        // An interrupted write may already have ended the transaction.
        if (nested)
            sqlite::execSql(db_, QStringLiteral("ROLLBACK TO reportdb_step; RELEASE reportdb_step"), nullptr);
        else if (sqlite3_get_autocommit(db_) == 0)
            sqlite::execSql(db_, QStringLiteral("ROLLBACK"), nullptr);
    };
    try {
        work();
        if (process) process->throwIfTerminated();
    } catch (const SqlError&) {
        rollback();
        if (process) process->throwIfTerminated();
        throw;
    } catch (...) {
        rollback();
        throw;
    }
    if (!sqlite::execSql(db_, nested ? QStringLiteral("RELEASE reportdb_step") : QStringLiteral("COMMIT"),
                         &error)) {
        rollback();
        throw SqlError(error);
    }
}

const ProcedureParameter* ProcedureDefinition::parameter(const QString& name) const {
    const QString key = normalizedParameterName(name);
    for (const auto& p : parameters)
        if (normalizedParameterName(p.name) == key) return &p;
    return nullptr;
}

bool ProcedureDefinition::hasVersionedParameters() const {
    for (const auto& p : parameters)
        if (!p.sinceVersion.isEmpty() || !p.beforeVersion.isEmpty()) return true;
    return false;
}

ProcedureDefinition ProcedureDefinition::forVersion(const QString& versionText) const {
    ProcedureDefinition copy = *this;
    std::erase_if(copy.parameters, [&](const ProcedureParameter& p) {
        return (!p.sinceVersion.isEmpty() && !db::IsDatabaseVersionAtLeast(versionText, p.sinceVersion)) ||
               (!p.beforeVersion.isEmpty() && db::IsDatabaseVersionAtLeast(versionText, p.beforeVersion));
    });
    return copy;
}

void ProcedureRegistry::add(ProcedureDefinition definition) {
    const QString key = definition.name.toLower();
    byName_.insert_or_assign(key, std::move(definition));
}

void ProcedureRegistry::add(const QString& name, std::vector<ProcedureParameter> parameters, ProcedureFn body,
                            bool readsOnly) {
    add(ProcedureDefinition{name, std::move(parameters), std::move(body), readsOnly});
}

void ProcedureRegistry::addStepwise(const QString& name, std::vector<ProcedureParameter> parameters,
                                    ProcedureFn body) {
    add(ProcedureDefinition{name, std::move(parameters), std::move(body), false, true});
}

const ProcedureDefinition* ProcedureRegistry::find(const QString& name) const {
    const auto it = byName_.find(name.toLower());
    return it == byName_.end() ? nullptr : &it->second;
}

QStringList ProcedureRegistry::names() const {
    QStringList out;
    for (const auto& entry : byName_) out << entry.second.name;
    return out;
}

}  // namespace reportdb
