// The availability contracts with their calculation steps, and one profile
// that reports by the second contract.

#include "reportdb/demo/DemoBuilder.h"

namespace reportdb::demo {

namespace {

const char* const kSteps[] = {
    "Expected production manual edited",     "Neighbour prod.",
    "Exp. norm production WTG anem. w/ADC",  "Exp. norm production MET anem. w/ADC",
    "Exp. norm production WTG anem. wo/ADC", "AverageActualProduction",
};

struct ContractStep {
    int step;      // 1-based index into kSteps
    int priority;  // 0: not used
    bool locked;
};

struct Contract {
    const char* title;
    std::vector<ContractStep> steps;
};

const Contract kContracts[] = {
    {"RTV2100", {{1, 1, true}, {3, 2, false}, {4, 3, false}, {6, 4, false}, {2, 0, false}, {5, 0, false}}},
    {"RTV2200", {{2, 1, false}, {1, 2, false}, {5, 3, false}, {3, 0, false}, {4, 0, false}, {6, 0, true}}},
};

}  // namespace

void addContracts(Builder& b) {
    for (size_t i = 0; i < std::size(kSteps); ++i)
        b.context.exec(
            QStringLiteral(
                "INSERT INTO TReportFormulaTaskStep (ContractStepId, ContractStepTitle) VALUES (?, ?)"),
            {int(i) + 1, QString::fromUtf8(kSteps[i])});
    int contractId = 0;
    for (const Contract& contract : kContracts) {
        ++contractId;
        b.context.exec(
            QStringLiteral("INSERT INTO TReportFormulaContract (ContractId, ContractTitle) VALUES (?, ?)"),
            {contractId, QString::fromUtf8(contract.title)});
        for (const ContractStep& step : contract.steps)
            b.context.exec(
                QStringLiteral("INSERT INTO TReportFormulaContractTaskStep "
                               "(ContractId, ContractStepId, Priority, Locked) VALUES (?, ?, ?, ?)"),
                {contractId, step.step, step.priority > 0 ? QVariant(step.priority) : QVariant(),
                 step.locked ? 1 : 0});
    }
    // The northern row reports by the second contract.
    if (b.profileIds.size() >= 5)
        b.context.exec(QStringLiteral("UPDATE TReportProfile SET AvailabilityContract = 'RTV2200' "
                                      "WHERE ReportProfileId = ?"),
                       {b.profileIds[4]});
}

}  // namespace reportdb::demo
