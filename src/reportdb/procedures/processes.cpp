// The data calculation process protocol: a process is created for one step
// of work, the step's statement is called with "@ProcessId = n" and reports
// its remaining work, another connection polls the status and may
// terminate the process and drop what it kept.

#include "reportdb/ProcedureRegistry.h"
#include "reportdb/Server.h"
#include "reportdb/procedures/Procedures.h"

namespace reportdb {

namespace {

using db::FieldType;

Server& serverOf(const ProcedureContext& context) {
    if (!context.server())
        throw SqlError(QStringLiteral("Data calculation processes are not available here"));
    return *context.server();
}

// WMS_SP_UTL_CreateDataCalcProcess @DataCalcProcessName, @DataCalcProcessId OUTPUT
ProcedureResult createProcess(ProcedureContext& context, const Arguments& args) {
    const QString name = args.toString(QStringLiteral("@DataCalcProcessName")).trimmed();
    if (name.isEmpty())
        throw SqlError(QStringLiteral("A data calculation process needs the name of its step"));
    ProcedureResult result;
    result.outputs[QStringLiteral("@DataCalcProcessId")] = serverOf(context).processes().create(name);
    return result;
}

// WMS_SP_UTL_GetDataCalcProcessStatus @DataCalcProcessId, @DataCalcProcessStatus OUTPUT:
// the remaining work, NULL while the step has not reported (or the process
// is unknown).
ProcedureResult processStatus(ProcedureContext& context, const Arguments& args) {
    ProcedureResult result;
    const auto remaining =
        serverOf(context).processes().remaining(args.toInt(QStringLiteral("@DataCalcProcessId")));
    result.outputs[QStringLiteral("@DataCalcProcessStatus")] =
        remaining ? QVariant(qlonglong(*remaining)) : QVariant(QMetaType::fromType<qlonglong>());
    return result;
}

// WMS_SP_UTL_TerminateDataCalcProcess @DataCalcProcessId: the step stops and
// rolls back the part it had not finished.
ProcedureResult terminateProcess(ProcedureContext& context, const Arguments& args) {
    const int id = args.toInt(QStringLiteral("@DataCalcProcessId"));
    if (!serverOf(context).processes().terminate(id))
        throw SqlError(QStringLiteral("The data calculation process %1 does not exist").arg(id));
    return {};
}

// WMS_SP_UTL_DropDataCalcProcessTables @DataCalcProcessId
ProcedureResult dropProcess(ProcedureContext& context, const Arguments& args) {
    const int id = args.toInt(QStringLiteral("@DataCalcProcessId"));
    if (!serverOf(context).processes().drop(id))
        throw SqlError(QStringLiteral("The data calculation process %1 does not exist").arg(id));
    return {};
}

}  // namespace

void registerProcessProcedures(ProcedureRegistry& registry) {
    // No procedure of the protocol touches the database file: a status call
    // never waits for the statement it watches.
    const auto id = [] {
        return ProcedureParameter::input(QStringLiteral("@DataCalcProcessId"), FieldType::Integer);
    };
    registry.add(QStringLiteral("WMS_SP_UTL_CreateDataCalcProcess"),
                 {ProcedureParameter::input(QStringLiteral("@DataCalcProcessName"), FieldType::String),
                  ProcedureParameter::out(QStringLiteral("@DataCalcProcessId"), FieldType::Integer)},
                 createProcess, true);
    registry.add(
        QStringLiteral("WMS_SP_UTL_GetDataCalcProcessStatus"),
        {id(), ProcedureParameter::out(QStringLiteral("@DataCalcProcessStatus"), FieldType::Integer)},
        processStatus, true);
    registry.add(QStringLiteral("WMS_SP_UTL_TerminateDataCalcProcess"), {id()}, terminateProcess, true);
    registry.add(QStringLiteral("WMS_SP_UTL_DropDataCalcProcessTables"), {id()}, dropProcess, true);
}

}  // namespace reportdb
