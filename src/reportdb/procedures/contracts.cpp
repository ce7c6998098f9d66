// The availability contracts and the order of their calculation steps.

#include "reportdb/ProcedureRegistry.h"
#include "reportdb/procedures/Procedures.h"

#include <algorithm>
#include <map>
#include <set>

namespace reportdb {

namespace {

using db::FieldType;

// Return values of WMS_SP_CRQ_UpdateReportFormulaContract.
constexpr int kBadLists = 1;        // unequal lengths, or not numbers
constexpr int kUnknownStep = 2;     // a pair the contracts do not have, or one named twice
constexpr int kContractUnused = 3;  // a contract would use no step
constexpr int kLockedStepChanged = 4;
constexpr int kMaxListLength = 4000;

// WMS_SP_CRQ_SelectReportFormulaContracttaskstep: every contract's steps,
// the used ones by priority, then the unused ones.
ProcedureResult selectContractSteps(ProcedureContext& context, const Arguments&) {
    ProcedureResult result;
    result.resultSets.push_back(context.query(QStringLiteral(
        "SELECT C.ContractId, C.ContractTitle, S.ContractStepId, S.ContractStepTitle, CS.Priority, CS.Locked "
        "FROM TReportFormulaContractTaskStep AS CS "
        "INNER JOIN TReportFormulaContract AS C ON C.ContractId = CS.ContractId "
        "INNER JOIN TReportFormulaTaskStep AS S ON S.ContractStepId = CS.ContractStepId "
        "ORDER BY C.ContractId, CS.Priority IS NULL, CS.Priority, S.ContractStepId")));
    return result;
}

bool parseIds(const QString& text, std::vector<int>* ids) {
    if (text.size() > kMaxListLength) return false;
    if (text.isEmpty()) return true;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int id = part.toInt(&ok);
        if (!ok || part.trimmed() != part) return false;
        ids->push_back(id);
    }
    return true;
}

// WMS_SP_CRQ_UpdateReportFormulaContract @ReportFormulaContractIds,
// @ReportFormulaTaskStepIds: the used steps of every contract, pair by pair,
// in their new order. Each contract's listed steps get priorities 1..n, its
// others NULL. Anything inconsistent writes nothing.
ProcedureResult updateContractSteps(ProcedureContext& context, const Arguments& args) {
    ProcedureResult result;
    std::vector<int> contracts, steps;
    if (!parseIds(args.toString(QStringLiteral("@ReportFormulaContractIds")), &contracts) ||
        !parseIds(args.toString(QStringLiteral("@ReportFormulaTaskStepIds")), &steps) ||
        contracts.size() != steps.size()) {
        result.returnValue = kBadLists;
        return result;
    }
    struct Stored {
        bool used = false;
        bool locked = false;
    };
    std::map<std::pair<int, int>, Stored> stored;
    std::set<int> allContracts;
    for (const auto& row : context
                               .query(QStringLiteral("SELECT ContractId, ContractStepId, Priority, Locked "
                                                     "FROM TReportFormulaContractTaskStep"))
                               .rows) {
        stored[{row[0].toInt(), row[1].toInt()}] = {!row[2].isNull(), row[3].toBool()};
        allContracts.insert(row[0].toInt());
    }
    std::set<std::pair<int, int>> listed;
    for (size_t i = 0; i < contracts.size(); ++i)
        if (!stored.count({contracts[i], steps[i]}) || !listed.insert({contracts[i], steps[i]}).second) {
            result.returnValue = kUnknownStep;
            return result;
        }
    for (const int contract : allContracts)
        if (std::none_of(contracts.begin(), contracts.end(), [contract](int c) { return c == contract; })) {
            result.returnValue = kContractUnused;
            return result;
        }
    for (const auto& [pair, step] : stored)
        if (step.locked && step.used != (listed.count(pair) > 0)) {
            result.returnValue = kLockedStepChanged;
            return result;
        }
    context.exec(QStringLiteral("UPDATE TReportFormulaContractTaskStep SET Priority = NULL"));
    std::map<int, int> next;
    for (size_t i = 0; i < contracts.size(); ++i)
        context.exec(QStringLiteral("UPDATE TReportFormulaContractTaskStep SET Priority = ? "
                                    "WHERE ContractId = ? AND ContractStepId = ?"),
                     {++next[contracts[i]], contracts[i], steps[i]});
    return result;
}

}  // namespace

void registerContractProcedures(ProcedureRegistry& registry) {
    registry.add(QStringLiteral("WMS_SP_CRQ_SelectReportFormulaContracttaskstep"), {}, selectContractSteps,
                 true);
    registry.add(QStringLiteral("WMS_SP_CRQ_UpdateReportFormulaContract"),
                 {ProcedureParameter::input(QStringLiteral("@ReportFormulaContractIds"), FieldType::String),
                  ProcedureParameter::input(QStringLiteral("@ReportFormulaTaskStepIds"), FieldType::String)},
                 updateContractSteps);
}

}  // namespace reportdb
