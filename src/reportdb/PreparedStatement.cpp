#include "reportdb/PreparedStatement.h"

namespace reportdb {

PreparedStatement::PreparedStatement(sqlite3* db, const QString& sql) : db_(db) {
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &raw, &tail) != SQLITE_OK)
        throw SqlError(sqlite::errorMessage(db));
    statement_ = sqlite::Statement(raw);
    if (!raw) throw SqlError(QStringLiteral("The statement is empty"));
    for (const char* end = utf8.constData() + utf8.size(); tail && tail < end; ++tail)
        if (!QChar::isSpace(uchar(*tail)) && *tail != ';')
            throw SqlError(QStringLiteral("Only one statement can be prepared at a time"));
}

void PreparedStatement::bind(const std::vector<QVariant>& bindings) {
    sqlite3_reset(statement_.get());
    QString error;
    if (!sqlite::bindAll(statement_.get(), bindings, &error)) throw SqlError(error);
}

long long PreparedStatement::exec(const std::vector<QVariant>& bindings) {
    bind(bindings);
    const long long before = sqlite3_total_changes64(db_);
    QString error;
    if (!sqlite::stepAll(db_, statement_.get(), nullptr, &error)) throw SqlError(error);
    return sqlite3_total_changes64(db_) != before ? sqlite3_changes64(db_) : 0;
}

db::ResultSet PreparedStatement::query(const std::vector<QVariant>& bindings) {
    bind(bindings);
    db::ResultSet rows;
    QString error;
    if (!sqlite::stepAll(db_, statement_.get(), &rows, &error)) throw SqlError(error);
    return rows;
}

QVariant PreparedStatement::scalar(const std::vector<QVariant>& bindings) {
    bind(bindings);
    QVariant value;
    QString error;
    if (!sqlite::stepScalar(db_, statement_.get(), &value, &error)) throw SqlError(error);
    return value;
}

}  // namespace reportdb
