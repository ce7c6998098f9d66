#pragma once
// The contracts and their calculation steps as the contract configuration
// edits them, and the two id lists that write them back. Plain code.

#include <QString>
#include <vector>

namespace db {
class DataSet;
}

namespace contracts {

struct ContractStep {
    int id = 0;
    QString title;
    bool used = false;
    bool locked = false;
    bool operator==(const ContractStep&) const = default;
};

struct Contract {
    int id = 0;
    QString title;
    std::vector<ContractStep> steps;  // in the order the contract uses them
    bool operator==(const Contract&) const = default;
};

// Contracts in order of first appearance, each with its steps in row order.
std::vector<Contract> buildContracts(const db::DataSet& rows);

// Takes the ticks of one contract's steps. Refused (false, nothing changed)
// when no step would stay used: a contract needs one.
bool setUsed(Contract& contract, const std::vector<bool>& ticks);

// Swaps step `index` with its neighbour (`delta` -1: before, +1: after);
// the step's new index, or -1 when it cannot move that way.
int moveStep(Contract& contract, int index, int delta);

// The used steps of every contract, contract by contract, each in its
// order: "1,1,2" and "3,5,2" pair contract 1 with steps 3 and 5.
struct UpdateLists {
    QString contractIds;
    QString stepIds;
};
UpdateLists updateLists(const std::vector<Contract>& contracts);

}  // namespace contracts
