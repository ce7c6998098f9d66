#pragma once
// Reads a procedure call written as T-SQL text:
//   [EXEC[UTE]] [@rc =] name [arg [, arg]...] [;]
//   arg:   [@Param =] value [OUTPUT]
//   value: 'text' (quotes doubled inside) | N'text' | integer | decimal | NULL | DEFAULT
//          | @Name | :Name (a parameter of the command) | bare word (as text)
// Any text that does not start with EXEC or a procedure-like name (SELECT,
// INSERT, WITH, ...) is SQL.

#include <QString>
#include <QVariant>
#include <vector>

namespace reportdb {

struct CallArgument {
    enum class Kind { Literal, Null, Default, Variable };

    QString name;  // "@Param" for a named argument, empty for a positional one
    Kind kind = Kind::Literal;
    QVariant value;    // Literal: QString, qlonglong or double
    QString variable;  // Variable: the command parameter's name, without "@" or ":"
    bool output = false;
};

struct ParsedCall {
    QString name;  // without schema prefix or brackets
    std::vector<CallArgument> arguments;
    QString returnVariable;  // "EXEC @rc = name": the variable, without "@"
};

struct CallParse {
    enum class Kind { Sql, Call, Malformed };

    Kind kind = Kind::Sql;
    ParsedCall call;  // the name is set for Malformed too when it was read
    QString error;    // Malformed: what is wrong and where
};

CallParse parseCallText(const QString& text);

}  // namespace reportdb
