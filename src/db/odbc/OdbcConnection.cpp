#include "db/odbc/OdbcConnection.h"

#include "db/Parameters.h"
#include "db/odbc/Diagnostics.h"
#include "db/odbc/Statement.h"

#include <sqlext.h>

#include <QDateTime>
#include <QScopeGuard>
#include <cstring>
#include <limits>
#include <vector>

namespace db::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "text is exchanged as UTF-16");

namespace {

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

const SQLWCHAR* wide(const QString& text) { return reinterpret_cast<const SQLWCHAR*>(text.utf16()); }

std::vector<DiagRecord> diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<DiagRecord> records;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(type, handle, i, state, &native, text, 1024, &length);
        if (!succeeded(rc)) break;
        DiagRecord r;
        r.state = QString::fromUtf16(reinterpret_cast<const char16_t*>(state));
        r.native = int(native);
        r.text = QString::fromUtf16(reinterpret_cast<const char16_t*>(text), std::min<int>(length, 1023));
        records.push_back(std::move(r));
    }
    return records;
}

QString diagnosticMessage(SQLSMALLINT type, SQLHANDLE handle, const QString& fallback) {
    const QString message = messageOf(diagnostics(type, handle));
    return maskPasswords(message.isEmpty() ? fallback : message);
}

QVariant nullOf(FieldType type) {
    switch (type) {
        case FieldType::String: return QVariant(QMetaType::fromType<QString>());
        case FieldType::Integer: return QVariant(QMetaType::fromType<qlonglong>());
        case FieldType::Boolean: return QVariant(QMetaType::fromType<bool>());
        case FieldType::Float: return QVariant(QMetaType::fromType<double>());
        case FieldType::DateTime: return QVariant(QMetaType::fromType<QDateTime>());
        case FieldType::Unknown: break;
    }
    return {};
}

SQL_TIMESTAMP_STRUCT timestampOf(const QDateTime& value) {
    SQL_TIMESTAMP_STRUCT t{};
    const QDate d = value.date();
    const QTime time = value.time();
    t.year = SQLSMALLINT(d.year());
    t.month = SQLUSMALLINT(d.month());
    t.day = SQLUSMALLINT(d.day());
    t.hour = SQLUSMALLINT(time.hour());
    t.minute = SQLUSMALLINT(time.minute());
    t.second = SQLUSMALLINT(time.second());
    t.fraction = SQLUINTEGER(time.msec()) * 1000000u;  // nanoseconds
    return t;
}

QDateTime dateTimeOf(const SQL_TIMESTAMP_STRUCT& t) {
    return QDateTime(QDate(t.year, t.month, t.day),
                     QTime(t.hour, t.minute, t.second, int(t.fraction / 1000000u)));
}

// A date-time parameter given as text (AddParameter keeps the text).
QDateTime parsedDateTime(const QVariant& value) {
    if (value.typeId() == QMetaType::QDateTime) return value.toDateTime();
    if (value.typeId() == QMetaType::QDate) return value.toDate().startOfDay();
    const QString text = value.toString().trimmed();
    for (const char* format : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss.zzz",
                               "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        const QDateTime parsed = QDateTime::fromString(text, QLatin1String(format));
        if (parsed.isValid()) return parsed;
    }
    return {};
}

// One bound parameter's memory, alive until the output values are read.
struct Buffer {
    Binding binding;
    FieldType boundAs = FieldType::String;
    std::vector<char> data;
    SQLLEN indicator = 0;
};

SQLSMALLINT ioTypeOf(ParameterDirection direction) {
    switch (direction) {
        case ParameterDirection::Input: return SQL_PARAM_INPUT;
        case ParameterDirection::InputOutput: return SQL_PARAM_INPUT_OUTPUT;
        case ParameterDirection::Output:
        case ParameterDirection::ReturnValue: return SQL_PARAM_OUTPUT;
    }
    return SQL_PARAM_INPUT;
}

template <typename T>
void store(Buffer& b, const T& value) {
    b.data.resize(sizeof(T));
    std::memcpy(b.data.data(), &value, sizeof(T));
    b.indicator = sizeof(T);
}

template <typename T>
T load(const Buffer& b) {
    T value{};
    std::memcpy(&value, b.data.data(), std::min(sizeof(T), b.data.size()));
    return value;
}

bool bindParameter(SQLHSTMT stmt, SQLUSMALLINT number, Buffer& b, QString* error) {
    const Parameter& p = b.binding.parameter;
    const bool sends =
        p.direction == ParameterDirection::Input || p.direction == ParameterDirection::InputOutput;
    const bool null = !sends || p.isNull();
    b.boundAs = p.type == FieldType::Unknown ? FieldType::String : p.type;
    QDateTime dateTime;
    if (b.boundAs == FieldType::DateTime && !null) {
        dateTime = parsedDateTime(p.value);
        // Text that is no date goes as text: the server's conversion decides.
        if (!dateTime.isValid()) b.boundAs = FieldType::String;
    }
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLSMALLINT sqlType = SQL_WVARCHAR;
    SQLULEN columnSize = 0;
    SQLSMALLINT digits = 0;
    switch (b.boundAs) {
        case FieldType::Integer: {
            const qlonglong v = null ? 0 : p.value.toLongLong();
            const bool wide =
                v < std::numeric_limits<SQLINTEGER>::min() || v > std::numeric_limits<SQLINTEGER>::max();
            if (wide) {
                cType = SQL_C_SBIGINT;
                sqlType = SQL_BIGINT;
                store(b, SQLBIGINT(v));
            } else {
                cType = SQL_C_SLONG;
                sqlType = SQL_INTEGER;
                store(b, SQLINTEGER(v));
            }
            break;
        }
        case FieldType::Boolean:
            cType = SQL_C_BIT;
            sqlType = SQL_BIT;
            store(b, SQLCHAR(!null && truthOf(p.value) ? 1 : 0));
            break;
        case FieldType::Float:
            cType = SQL_C_DOUBLE;
            sqlType = SQL_DOUBLE;
            store(b, null ? 0.0 : p.value.toDouble());
            break;
        case FieldType::DateTime:
            cType = SQL_C_TYPE_TIMESTAMP;
            sqlType = SQL_TYPE_TIMESTAMP;
            columnSize = 23;
            digits = 3;
            store(b, timestampOf(null ? QDateTime(QDate(1900, 1, 1), QTime(0, 0)) : dateTime));
            break;
        default: {
            const QString text = null ? QString() : p.value.toString();
            // Room for what an output parameter may bring back.
            qsizetype capacity = text.size();
            if (p.direction != ParameterDirection::Input)
                capacity = std::max<qsizetype>(capacity, p.size > 0 ? p.size : 4000);
            b.data.assign(size_t(capacity + 1) * sizeof(char16_t), 0);
            std::memcpy(b.data.data(), text.utf16(), size_t(text.size()) * sizeof(char16_t));
            b.indicator = SQLLEN(text.size() * sizeof(char16_t));
            columnSize = SQLULEN(std::max<qsizetype>({1, qsizetype(p.size), capacity}));
            // Longer than nvarchar(4000): sent as nvarchar(max).
            if (columnSize > 4000) sqlType = SQL_WLONGVARCHAR;
            break;
        }
    }
    if (null) b.indicator = SQL_NULL_DATA;
    const SQLRETURN rc = SQLBindParameter(stmt, number, ioTypeOf(p.direction), cType, sqlType, columnSize,
                                          digits, b.data.data(), SQLLEN(b.data.size()), &b.indicator);
    if (!succeeded(rc)) {
        if (error)
            *error = diagnosticMessage(SQL_HANDLE_STMT, stmt,
                                       QStringLiteral("The parameter %1 could not be bound").arg(p.name));
        return false;
    }
    if (b.binding.named) {
        // Procedure parameters go by name, so their order need not match the
        // procedure's. A driver that cannot name them binds by position.
        SQLHDESC ipd = SQL_NULL_HDESC;
        if (succeeded(SQLGetStmtAttr(stmt, SQL_ATTR_IMP_PARAM_DESC, &ipd, 0, nullptr))) {
            const QString name = p.name.startsWith(u'@') ? p.name : u'@' + p.name;
            SQLSetDescFieldW(ipd, SQLSMALLINT(number), SQL_DESC_NAME, SQLPOINTER(wide(name)), SQL_NTS);
        }
    }
    return true;
}

QVariant outputValue(const Buffer& b) {
    const FieldType type = b.binding.parameter.type;
    if (b.indicator == SQL_NULL_DATA) return nullOf(type);
    switch (b.boundAs) {
        case FieldType::Integer:
            return b.data.size() == sizeof(SQLBIGINT) ? QVariant(qlonglong(load<SQLBIGINT>(b)))
                                                      : QVariant(int(load<SQLINTEGER>(b)));
        case FieldType::Boolean: return QVariant(load<SQLCHAR>(b) != 0);
        case FieldType::Float: return QVariant(load<double>(b));
        case FieldType::DateTime: return QVariant(dateTimeOf(load<SQL_TIMESTAMP_STRUCT>(b)));
        default: {
            const qsizetype capacity = qsizetype(b.data.size() / sizeof(char16_t)) - 1;
            const qsizetype length =
                b.indicator < 0 ? capacity
                                : std::min<qsizetype>(capacity, b.indicator / qsizetype(sizeof(char16_t)));
            return QVariant(QString::fromUtf16(reinterpret_cast<const char16_t*>(b.data.data()), length));
        }
    }
}

FieldType fieldTypeOf(SQLSMALLINT sqlType, SQLSMALLINT digits) {
    switch (sqlType) {
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT: return FieldType::Integer;
        case SQL_BIT: return FieldType::Boolean;
        case SQL_NUMERIC:
        case SQL_DECIMAL: return digits == 0 ? FieldType::Integer : FieldType::Float;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE: return FieldType::Float;
        case SQL_DATETIME:
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
        case -154:  // time(n) of SQL Server
        case -155:  // datetimeoffset of SQL Server
            return FieldType::DateTime;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY: return FieldType::Unknown;
        default: return FieldType::String;
    }
}

// Reads a long value piece by piece; false on a driver error.
bool readChunks(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, QByteArray* out, bool* null) {
    char chunk[8192];
    const SQLLEN terminator = cType == SQL_C_WCHAR ? SQLLEN(sizeof(SQLWCHAR)) : 0;
    *null = false;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, cType, chunk, sizeof(chunk), &indicator);
        if (rc == SQL_NO_DATA) return true;
        if (!succeeded(rc)) return false;
        if (indicator == SQL_NULL_DATA) {
            *null = true;
            return true;
        }
        const SQLLEN room = SQLLEN(sizeof(chunk)) - terminator;
        const bool more = rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > room);
        out->append(chunk, more ? room : std::min(indicator, room));
        if (!more) return true;
    }
}

bool readValue(SQLHSTMT stmt, SQLUSMALLINT column, FieldType type, QVariant* value) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQL_SUCCESS;
    switch (type) {
        case FieldType::Integer: {
            SQLBIGINT v = 0;
            rc = SQLGetData(stmt, column, SQL_C_SBIGINT, &v, 0, &indicator);
            *value = QVariant(qlonglong(v));
            break;
        }
        case FieldType::Boolean: {
            SQLCHAR v = 0;
            rc = SQLGetData(stmt, column, SQL_C_BIT, &v, 0, &indicator);
            *value = QVariant(v != 0);
            break;
        }
        case FieldType::Float: {
            double v = 0;
            rc = SQLGetData(stmt, column, SQL_C_DOUBLE, &v, 0, &indicator);
            *value = QVariant(v);
            break;
        }
        case FieldType::DateTime: {
            SQL_TIMESTAMP_STRUCT v{};
            rc = SQLGetData(stmt, column, SQL_C_TYPE_TIMESTAMP, &v, 0, &indicator);
            *value = QVariant(dateTimeOf(v));
            break;
        }
        default: {
            QByteArray bytes;
            bool null = false;
            const bool text = type != FieldType::Unknown;
            if (!readChunks(stmt, column, text ? SQL_C_WCHAR : SQL_C_BINARY, &bytes, &null)) return false;
            if (null) {
                *value = nullOf(type);
            } else if (text) {
                *value = QVariant(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                                     bytes.size() / qsizetype(sizeof(char16_t))));
            } else {
                *value = QVariant(bytes);
            }
            return true;
        }
    }
    if (!succeeded(rc)) return false;
    if (indicator == SQL_NULL_DATA) *value = nullOf(type);
    return true;
}

bool readResultSet(SQLHSTMT stmt, SQLSMALLINT columns, ResultSet* set) {
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(columns); ++i) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        if (!succeeded(SQLDescribeColW(stmt, i, name, 256, &nameLength, &sqlType, &size, &digits, &nullable)))
            return false;
        Column c;
        c.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(name), std::min<int>(nameLength, 255));
        c.type = fieldTypeOf(sqlType, digits);
        c.size = size > SQLULEN(std::numeric_limits<int>::max()) ? 0 : int(size);
        set->columns.push_back(std::move(c));
    }
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA) return true;
        if (!succeeded(rc)) return false;
        Row row(static_cast<size_t>(columns));
        for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(columns); ++i)
            if (!readValue(stmt, i, set->columns[i - 1].type, &row[i - 1])) return false;
        set->rows.push_back(std::move(row));
    }
}

}  // namespace

std::unique_ptr<OdbcConnection> OdbcConnection::open(const ServerTarget& target, QString* error) {
    std::unique_ptr<OdbcConnection> connection(new OdbcConnection(target));
    const QString server = target.server.isEmpty() ? QStringLiteral("(unnamed)") : target.server;
    const auto fail = [&](const QString& reason) -> std::unique_ptr<OdbcConnection> {
        if (error)
            *error = maskPasswords(
                QStringLiteral("The reporting database on the server '%1' could not be opened:\n%2")
                    .arg(server, reason));
        return nullptr;
    };
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &connection->env_)))
        return fail(QStringLiteral("The ODBC driver manager is not available"));
    SQLSetEnvAttr(connection->env_, SQL_ATTR_ODBC_VERSION, SQLPOINTER(SQL_OV_ODBC3), 0);
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_DBC, connection->env_, &connection->dbc_))) {
        connection->dbc_ = SQL_NULL_HDBC;
        return fail(
            diagnosticMessage(SQL_HANDLE_ENV, connection->env_, QStringLiteral("no connection handle")));
    }
    SQLSetConnectAttr(connection->dbc_, SQL_ATTR_LOGIN_TIMEOUT,
                      SQLPOINTER(SQLULEN(target.loginTimeoutSeconds)), 0);
    const SQLRETURN rc =
        SQLDriverConnectW(connection->dbc_, nullptr, const_cast<SQLWCHAR*>(wide(target.odbc)), SQL_NTS,
                          nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!succeeded(rc)) {
        const QString reason =
            diagnosticMessage(SQL_HANDLE_DBC, connection->dbc_, QStringLiteral("The server did not answer"));
        SQLFreeHandle(SQL_HANDLE_DBC, connection->dbc_);
        connection->dbc_ = SQL_NULL_HDBC;
        return fail(reason);
    }
    SQLWCHAR dbms[128] = {};
    SQLSMALLINT length = 0;
    if (succeeded(SQLGetInfoW(connection->dbc_, SQL_DBMS_NAME, dbms, sizeof(dbms), &length)))
        connection->nationalLiterals_ = QString::fromUtf16(reinterpret_cast<const char16_t*>(dbms))
                                            .contains(QLatin1String("SQL Server"), Qt::CaseInsensitive);
    if (connection->nationalLiterals_) {
        // The batch updates quote names with double quotes.
        Command quoted;
        quoted.text = QStringLiteral("SET QUOTED_IDENTIFIER ON");
        const Result set = connection->execute(quoted);
        if (!set.ok()) return fail(set.error);
    }
    return connection;
}

OdbcConnection::~OdbcConnection() {
    if (dbc_ != SQL_NULL_HDBC) {
        if (transaction_) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    }
    if (env_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

Result OdbcConnection::execute(Command& command) {
    // An interrupt holds until the command it meets has returned.
    const auto consumeInterrupt = qScopeGuard([this] { interruptRequested_ = false; });
    if (interruptRequested_) return Result::failure(QStringLiteral("interrupted"));
    Statement statement;
    QString error;
    if (!buildStatement(command, &statement, &error, nationalLiterals_)) return Result::failure(error);

    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt)))
        return Result::failure(
            diagnosticMessage(SQL_HANDLE_DBC, dbc_, QStringLiteral("The connection is lost")));
    const auto release = qScopeGuard([this, stmt] {
        std::lock_guard lock(runningMutex_);
        running_ = SQL_NULL_HSTMT;
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    });
    const auto failure = [this, stmt](const QString& fallback) {
        // A cancel that met the statement between two calls leaves the
        // driver's own complaint (a cursor closed under it): say what it was.
        if (interruptRequested_) return Result::failure(QStringLiteral("interrupted"));
        return Result::failure(diagnosticMessage(SQL_HANDLE_STMT, stmt, fallback));
    };
    if (command.timeoutSeconds > 0)
        SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, SQLPOINTER(SQLULEN(command.timeoutSeconds)), 0);

    std::vector<Buffer> buffers(statement.bindings.size());
    for (size_t i = 0; i < buffers.size(); ++i) {
        buffers[i].binding = std::move(statement.bindings[i]);
        if (!bindParameter(stmt, SQLUSMALLINT(i + 1), buffers[i], &error)) return Result::failure(error);
    }

    {
        std::lock_guard lock(runningMutex_);
        if (interruptRequested_) return Result::failure(QStringLiteral("interrupted"));
        running_ = stmt;
    }
    Result result;
    bool counted = false;
    SQLRETURN rc = SQLExecDirectW(stmt, const_cast<SQLWCHAR*>(wide(statement.text)), SQL_NTS);
    if (!succeeded(rc) && rc != SQL_NO_DATA) return failure(QStringLiteral("The statement failed"));
    // Every result set and row count first: the driver fills output
    // parameters and the return value only after the last one.
    for (;;) {
        if (rc != SQL_NO_DATA) {
            SQLSMALLINT columns = 0;
            if (!succeeded(SQLNumResultCols(stmt, &columns)))
                return failure(QStringLiteral("The result failed"));
            if (columns > 0) {
                ResultSet set;
                if (!readResultSet(stmt, columns, &set))
                    return failure(QStringLiteral("Reading the rows failed"));
                result.resultSets.push_back(std::move(set));
            } else {
                SQLLEN count = 0;
                // The statement's own count comes first; a trigger's counts
                // follow it and must not make one changed row look like many.
                if (!counted && succeeded(SQLRowCount(stmt, &count)) && count >= 0) {
                    result.rowsAffected = count;
                    counted = true;
                }
            }
        }
        rc = SQLMoreResults(stmt);
        if (rc == SQL_NO_DATA) break;
        if (!succeeded(rc)) return failure(QStringLiteral("The statement failed"));
    }
    for (const Buffer& b : buffers) {
        if (b.binding.source < 0 || b.binding.parameter.direction == ParameterDirection::Input) continue;
        command.parameters[size_t(b.binding.source)].value = outputValue(b);
    }
    return result;
}

bool OdbcConnection::beginTransaction(QString* error) {
    if (transaction_) {
        if (error) *error = QStringLiteral("A transaction is already open");
        return false;
    }
    if (!succeeded(
            SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, SQLPOINTER(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER))) {
        if (error)
            *error = diagnosticMessage(SQL_HANDLE_DBC, dbc_,
                                       QStringLiteral("The transaction could not be started"));
        return false;
    }
    transaction_ = true;
    return true;
}

bool OdbcConnection::endTransaction(bool commit, QString* error) {
    if (!transaction_) {
        if (error) *error = QStringLiteral("No transaction is open");
        return false;
    }
    const bool ok = succeeded(SQLEndTran(SQL_HANDLE_DBC, dbc_, commit ? SQL_COMMIT : SQL_ROLLBACK));
    if (!ok) {
        if (error)
            *error = diagnosticMessage(SQL_HANDLE_DBC, dbc_,
                                       commit ? QStringLiteral("The transaction could not be committed")
                                              : QStringLiteral("The transaction could not be rolled back"));
        // A failed commit leaves the transaction open for the caller's rollback.
        if (commit) return false;
    }
    transaction_ = false;
    SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, SQLPOINTER(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER);
    return ok;
}

bool OdbcConnection::commit(QString* error) { return endTransaction(true, error); }

bool OdbcConnection::rollback(QString* error) { return endTransaction(false, error); }

void OdbcConnection::interrupt() {
    interruptRequested_ = true;
    std::lock_guard lock(runningMutex_);
    if (running_ != SQL_NULL_HSTMT) SQLCancel(running_);
}

std::unique_ptr<Connection> OdbcConnection::openSibling(QString* error) const { return open(target_, error); }

QString OdbcConnection::databaseName() const {
    if (!target_.database.isEmpty()) return target_.database;
    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (!succeeded(SQLGetInfoW(dbc_, SQL_DATABASE_NAME, name, sizeof(name), &length))) return target_.server;
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                              std::min<qsizetype>(length / qsizetype(sizeof(SQLWCHAR)), 255));
}

ConnectionFactory withServerBackend(ConnectionFactory embedded) {
    return [embedded = std::move(embedded)](const QString& connectionString,
                                            QString* error) -> std::unique_ptr<Connection> {
        if (backendOf(connectionString) == Backend::Embedded) {
            if (embedded) return embedded(connectionString, error);
            if (error) *error = QStringLiteral("No embedded database is available");
            return nullptr;
        }
        ServerTarget target;
        if (!toServerTarget(connectionString, &target, error)) return nullptr;
        return OdbcConnection::open(target, error);
    };
}

}  // namespace db::odbc
