#pragma once
// Small helpers over the SQLite C API shared by the connection and the
// procedures: statement ownership, value binding and reading rows with the
// field types the access layer expects.

#include "db/Value.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <stdexcept>
#include <vector>

namespace reportdb {

// Raised by the SQL helpers that procedures use; the call dispatcher turns it
// into the call's error message (and rolls the call back).
class SqlError : public std::runtime_error {
public:
    explicit SqlError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

namespace sqlite {

// Owns one prepared statement.
class Statement {
public:
    Statement() = default;
    explicit Statement(sqlite3_stmt* statement) : statement_(statement) {}
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept : statement_(other.statement_) { other.statement_ = nullptr; }
    Statement& operator=(Statement&& other) noexcept {
        std::swap(statement_, other.statement_);
        return *this;
    }

    sqlite3_stmt* get() const { return statement_; }
    explicit operator bool() const { return statement_ != nullptr; }

private:
    sqlite3_stmt* statement_ = nullptr;
};

QString errorMessage(sqlite3* db);

// Runs SQL without results (schema, transaction control).
bool execSql(sqlite3* db, const QString& sql, QString* error);

// The field type and size a declared column type stands for
// ("NVARCHAR(50)" -> String, 50; "BIT" -> Boolean; "DATETIME" -> DateTime).
db::FieldType fieldTypeFromDeclared(const char* declaredType, int* size = nullptr);

// A null value of the type that the access layer uses for `type`.
QVariant nullValue(db::FieldType type);

// Date-times are stored as text in this one form, so that they sort and
// compare as text.
QString dateTimeText(const QDateTime& value);
// An instant that processes compare (a heartbeat): the same form in UTC,
// marked with a trailing "Z", which parseDateTime reads back as UTC.
QString utcDateTimeText(const QDateTime& value);
QDateTime parseDateTime(const QString& text);

// Binds one value (1-based index). A null QVariant binds SQL NULL; booleans
// bind 0/1, dates bind the text form above.
int bindValue(sqlite3_stmt* statement, int index, const QVariant& value);

// Binds values to the statement's parameters by position.
bool bindAll(sqlite3_stmt* statement, const std::vector<QVariant>& values, QString* error);

// Steps a bound statement to its end. When the statement returns columns the
// rows are appended to `rows` (its columns are filled first).
bool stepAll(sqlite3* db, sqlite3_stmt* statement, db::ResultSet* rows, QString* error);

}  // namespace sqlite
}  // namespace reportdb
