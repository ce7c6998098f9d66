#include "contracts/ContractSteps.h"

#include "db/DataSet.h"

#include <QStringList>
#include <algorithm>
#include <utility>

namespace contracts {

std::vector<Contract> buildContracts(const db::DataSet& rows) {
    std::vector<Contract> contracts;
    for (int row = 0; row < rows.recordCount(); ++row) {
        const db::RowView view = rows.rowView(row);
        const int contractId = view.value(QStringLiteral("ContractId")).toInt();
        auto contract = std::find_if(contracts.begin(), contracts.end(),
                                     [contractId](const Contract& c) { return c.id == contractId; });
        if (contract == contracts.end()) {
            contracts.push_back({contractId, view.value(QStringLiteral("ContractTitle")).toString(), {}});
            contract = contracts.end() - 1;
        }
        contract->steps.push_back({view.value(QStringLiteral("ContractStepId")).toInt(),
                                   view.value(QStringLiteral("ContractStepTitle")).toString(),
                                   !view.value(QStringLiteral("Priority")).isNull(),
                                   view.value(QStringLiteral("Locked")).toBool()});
    }
    return contracts;
}

bool setUsed(Contract& contract, const std::vector<bool>& ticks) {
    if (ticks.size() != contract.steps.size() ||
        std::none_of(ticks.begin(), ticks.end(), [](bool t) { return t; }))
        return false;
    for (size_t i = 0; i < ticks.size(); ++i)
        if (!contract.steps[i].locked) contract.steps[i].used = ticks[i];
    return true;
}

int moveStep(Contract& contract, int index, int delta) {
    const int target = index + delta;
    if (index < 0 || target < 0 || index >= int(contract.steps.size()) ||
        target >= int(contract.steps.size()))
        return -1;
    std::swap(contract.steps[size_t(index)], contract.steps[size_t(target)]);
    return target;
}

UpdateLists updateLists(const std::vector<Contract>& contracts) {
    QStringList contractIds, stepIds;
    for (const Contract& contract : contracts)
        for (const ContractStep& step : contract.steps)
            if (step.used) {
                contractIds << QString::number(contract.id);
                stepIds << QString::number(step.id);
            }
    return {contractIds.join(QLatin1Char(',')), stepIds.join(QLatin1Char(','))};
}

}  // namespace contracts
