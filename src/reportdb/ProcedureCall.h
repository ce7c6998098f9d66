#pragma once
// Maps the arguments of a call (text or stored-procedure command) onto a
// procedure's declared parameters, and the procedure's outputs back onto the
// command's parameters.

#include "db/Value.h"
#include "reportdb/CallParser.h"
#include "reportdb/ProcedureRegistry.h"

#include <vector>

namespace reportdb {

struct BoundCall {
    struct Output {
        QString parameter;      // the declared output parameter
        db::Parameter* target;  // the command parameter that receives its value
    };

    Arguments arguments;
    std::vector<Output> outputs;
    db::Parameter* returnTarget = nullptr;
};

// Converts a value to a declared parameter type the way the server converts
// call arguments ("12" -> 12, '' -> 0 for numbers, 'true' -> bit 1, date texts).
bool convertArgument(const QVariant& value, db::FieldType type, QVariant* converted, QString* error);

// A call written as text; variables ("@Name", ":Name") name parameters of `command`.
bool bindTextCall(const ProcedureDefinition& procedure, const ParsedCall& call, db::Command& command,
                  BoundCall* bound, QString* error);

// A stored-procedure command: parameters matched by name ("@ReturnValue" takes
// the return value), unnamed ones by position.
bool bindCommandCall(const ProcedureDefinition& procedure, db::Command& command, BoundCall* bound,
                     QString* error);

// Writes a finished call's output values and return value to the command.
void writeBack(const BoundCall& bound, const ProcedureResult& result);

}  // namespace reportdb
