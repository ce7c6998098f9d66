#pragma once
// How a command becomes the statement text and the bound parameters the ODBC
// driver runs. Kept apart from the driver calls so the texts a server would
// receive can be checked without one.

#include "db/Value.h"

#include <QString>
#include <vector>

namespace db::odbc {

struct Binding {
    Parameter parameter;  // type, size, value, and the direction it is bound with
    int source = -1;      // index into the command's parameters to write back; -1: a value only
    bool named = false;   // bound by its name (a procedure call), not by position
};

struct Statement {
    QString text;
    std::vector<Binding> bindings;
};

// A stored-procedure command becomes the call escape "{? = call NAME(?, ...)}"
// ("{call NAME(...)}" without a leading "@ReturnValue"), every parameter bound
// by type, direction and name. In SQL text, ":Name" placeholders (outside
// literals, quoted names and comments) become markers bound to the command's
// parameter of that name, as output when OUTPUT follows; without any, the
// text's "?" markers take the command's parameters in order. Returns false
// with the reason when a placeholder names no parameter or the markers and
// parameters do not pair up. With `nationalLiterals` (SQL Server) every
// '...' literal of SQL text is sent as N'...', so typed text keeps characters
// outside the database's code page.
bool buildStatement(const Command& command, Statement* statement, QString* error,
                    bool nationalLiterals = false);

}  // namespace db::odbc
