#pragma once
// Field types, parameters and commands: the vocabulary shared by the access
// layer, its backends and the windows.

#include <QString>
#include <QVariant>
#include <vector>

namespace db {

enum class FieldType { String, Integer, Boolean, Float, DateTime, Unknown };

enum class ParameterDirection { Input, Output, InputOutput, ReturnValue };

// How a caller describes one stored-procedure parameter (fields in this order).
struct ParameterSpec {
    QString Name;  // with the leading "@"
    FieldType DataType = FieldType::String;
    int Size = 0;
    ParameterDirection Direction = ParameterDirection::Input;
    QString Value;
};

// One parameter of a command. A null QVariant is SQL NULL.
struct Parameter {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;
    ParameterDirection direction = ParameterDirection::Input;
    QVariant value;

    bool isNull() const { return value.isNull(); }
};

using Parameters = std::vector<Parameter>;

enum class CommandType { Text, StoredProcedure };

// A statement to run: SQL text (which may be a procedure call written as
// text) or a stored procedure by name with its ordered parameters. After a
// run, output and input-output parameters and "@ReturnValue" carry the values
// the database returned.
struct Command {
    CommandType type = CommandType::Text;
    QString text;
    Parameters parameters;
    int timeoutSeconds = 0;  // 0: none

    const Parameter* parameter(const QString& name) const;
    Parameter* parameter(const QString& name);
    // The "@ReturnValue" parameter when the first parameter is one.
    const Parameter* returnValueParameter() const;
};

struct Column {
    QString name;
    FieldType type = FieldType::Unknown;
    int size = 0;
};

using Row = std::vector<QVariant>;

struct ResultSet {
    std::vector<Column> columns;
    std::vector<Row> rows;

    int columnIndex(const QString& name) const;  // -1 when absent; case-insensitive
};

// What a run produced, or the provider's error message.
struct Result {
    QString error;  // empty on success
    std::vector<ResultSet> resultSets;
    long long rowsAffected = 0;

    bool ok() const { return error.isEmpty(); }
    static Result failure(const QString& message) {
        Result r;
        r.error = message.isEmpty() ? QStringLiteral("Unknown database error") : message;
        return r;
    }
};

}  // namespace db
